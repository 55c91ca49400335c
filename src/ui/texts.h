// The Japanese texts that the dialogs set at run time or show in message
// boxes, in UTF-16 for the W functions, so that they read right whatever
// the system's ANSI code page.
#pragma once

namespace lumo::ui {

extern const wchar_t kMessageCaption[];        // Lumotext
extern const wchar_t kSheetCaption[];          // Lumotext - 整形仕様の設定
extern const wchar_t kFoldFromWidthLabel[];    // 表示幅からの桁数(&N)
extern const wchar_t kFoldColumnLabel[];       // 折り返し位置桁数(&N)
extern const wchar_t kUnregisteredTitle[];     // (未登録)
extern const wchar_t kConfiguredTitle[];       // 設定済み
extern const wchar_t kSetUpFirst[];            // 先に設定してください
extern const wchar_t kGiveAName[];             // 名前を付けてください
extern const wchar_t kDefaultNumberCaption[];  // デフォルト設定の選択
extern const wchar_t kSelectButton[];          // 選択(&S)
extern const wchar_t kCancelButton[];          // 中止(&X)
extern const wchar_t kSettingsNotSaved[];      // 設定を保存できませんでした
extern const wchar_t kTitleNotSaved[];         // タイトルを保存できませんでした

}  // namespace lumo::ui
