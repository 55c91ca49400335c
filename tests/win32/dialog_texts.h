// The dialogs' texts as the tests expect them: the Shift-JIS bytes of each
// text, written out independently of the library (the text in the comment).
#pragma once

#include <string>

namespace dialog_test {

inline const std::string kMessageCaption = "Lumotext";  // Lumotext
inline const std::string kSheetCaption = "Lumotext - \x90\xAE\x8C`\x8E" "d\x97l\x82\xCC\x90\xDD\x92\xE8";  // Lumotext - 整形仕様の設定
inline const std::string kTabIndent1 = "\x83" "C\x83\x93\x83" "f\x83\x93\x83g1";  // インデント1
inline const std::string kTabIndent2 = "\x83" "C\x83\x93\x83" "f\x83\x93\x83g2";  // インデント2
inline const std::string kTabFolding = "\x90\xDC\x82\xE8\x95\xD4\x82\xB5";  // 折り返し
inline const std::string kTabHeader = "\x83w\x83" "b\x83_\x81[\x90\xAE\x8C`";  // ヘッダー整形
inline const std::string kTabReset = "\x90\xAE\x8C`\x89\xF0\x8F\x9C";  // 整形解除
inline const std::string kFromWidthLabel = "\x95\x5C\x8E\xA6\x95\x9D\x82\xA9\x82\xE7\x82\xCC\x8C\x85\x90\x94(&N)";  // 表示幅からの桁数(&N)
inline const std::string kFoldColumnLabel = "\x90\xDC\x82\xE8\x95\xD4\x82\xB5\x88\xCA\x92u\x8C\x85\x90\x94(&N)";  // 折り返し位置桁数(&N)
inline const std::string kUnregistered = "(\x96\xA2\x93o\x98^)";  // (未登録)
inline const std::string kConfigured = "\x90\xDD\x92\xE8\x8D\xCF\x82\xDD";  // 設定済み
inline const std::string kSetUpFirst = "\x90\xE6\x82\xC9\x90\xDD\x92\xE8\x82\xB5\x82\xC4\x82\xAD\x82\xBE\x82\xB3\x82\xA2";  // 先に設定してください
inline const std::string kGiveAName = "\x96\xBC\x91O\x82\xF0\x95t\x82\xAF\x82\xC4\x82\xAD\x82\xBE\x82\xB3\x82\xA2";  // 名前を付けてください
inline const std::string kSlotCaption = "\x90\xAE\x8C`\x8E" "d\x97l\x82\xCC\x91I\x91\xF0";  // 整形仕様の選択
inline const std::string kStoreTitle = "\x83^\x83" "C\x83g\x83\x8B\x82\xCC\x8DX\x90V(&T)";  // タイトルの更新(&T)
inline const std::string kEditSlot = "\x8E" "d\x97l\x82\xCC\x95\xD2\x8FW(&E)";  // 仕様の編集(&E)
inline const std::string kClose = "\x8FI\x97\xB9(&X)";  // 終了(&X)
inline const std::string kDefaultNumberCaption = "\x83" "f\x83t\x83H\x83\x8B\x83g\x90\xDD\x92\xE8\x82\xCC\x91I\x91\xF0";  // デフォルト設定の選択
inline const std::string kSelect = "\x91I\x91\xF0(&S)";  // 選択(&S)
inline const std::string kCancelX = "\x92\x86\x8E~(&X)";  // 中止(&X)
inline const std::string kParagraphCaption = "\x82\xB1\x82\xCC\x92i\x97\x8E\x82\xCC\x90\xAE\x8C`\x8E" "d\x97l";  // この段落の整形仕様
inline const std::string kSettingsNotSaved = "\x90\xDD\x92\xE8\x82\xF0\x95\xDB\x91\xB6\x82\xC5\x82\xAB\x82\xDC\x82\xB9\x82\xF1\x82\xC5\x82\xB5\x82\xBD";  // 設定を保存できませんでした
inline const std::string kTitleNotSaved = "\x83^\x83" "C\x83g\x83\x8B\x82\xF0\x95\xDB\x91\xB6\x82\xC5\x82\xAB\x82\xDC\x82\xB9\x82\xF1\x82\xC5\x82\xB5\x82\xBD";  // タイトルを保存できませんでした
inline const std::string kFontFace = "\x82l\x82r \x82o\x83S\x83V\x83" "b\x83N";  // ＭＳ Ｐゴシック

}  // namespace dialog_test
