// The Japanese texts that the dialogs set at run time or show in message
// boxes. They are handed to the ANSI functions, so they are Shift-JIS bytes:
// texts.cpp is UTF-8 source compiled with -fexec-charset=CP932.
#pragma once

namespace lumo::ui {

extern const char kMessageCaption[];        // Lumotext
extern const char kSheetCaption[];          // Lumotext - 整形仕様の設定
extern const char kFoldFromWidthLabel[];    // 表示幅からの桁数(&N)
extern const char kFoldColumnLabel[];       // 折り返し位置桁数(&N)
extern const char kUnregisteredTitle[];     // (未登録)
extern const char kConfiguredTitle[];       // 設定済み
extern const char kSetUpFirst[];            // 先に設定してください
extern const char kGiveAName[];             // 名前を付けてください
extern const char kDefaultNumberCaption[];  // デフォルト設定の選択
extern const char kSelectButton[];          // 選択(&S)
extern const char kCancelButton[];          // 中止(&X)
extern const char kSettingsNotSaved[];      // 設定を保存できませんでした
extern const char kTitleNotSaved[];         // タイトルを保存できませんでした

}  // namespace lumo::ui
