// The dialogs' run-time texts. This file is compiled with
// -fexec-charset=CP932, so every literal below is stored as Shift-JIS.
#include "ui/texts.h"

namespace lumo::ui {

const char kMessageCaption[] = "Lumotext";
const char kSheetCaption[] = "Lumotext - 整形仕様の設定";
const char kFoldFromWidthLabel[] = "表示幅からの桁数(&N)";
const char kFoldColumnLabel[] = "折り返し位置桁数(&N)";
const char kUnregisteredTitle[] = "(未登録)";
const char kConfiguredTitle[] = "設定済み";
const char kSetUpFirst[] = "先に設定してください";
const char kGiveAName[] = "名前を付けてください";
const char kDefaultNumberCaption[] = "デフォルト設定の選択";
const char kSelectButton[] = "選択(&S)";
const char kCancelButton[] = "中止(&X)";
const char kSettingsNotSaved[] = "設定を保存できませんでした";
const char kTitleNotSaved[] = "タイトルを保存できませんでした";

}  // namespace lumo::ui
