// The dialogs' run-time texts, wide literals of a UTF-8 source (UTF-16 in
// the objects).
#include "ui/texts.h"

namespace lumo::ui {

const wchar_t kMessageCaption[] = L"Lumotext";
const wchar_t kSheetCaption[] = L"Lumotext - 整形仕様の設定";
const wchar_t kFoldFromWidthLabel[] = L"表示幅からの桁数(&N)";
const wchar_t kFoldColumnLabel[] = L"折り返し位置桁数(&N)";
const wchar_t kUnregisteredTitle[] = L"(未登録)";
const wchar_t kConfiguredTitle[] = L"設定済み";
const wchar_t kSetUpFirst[] = L"先に設定してください";
const wchar_t kGiveAName[] = L"名前を付けてください";
const wchar_t kDefaultNumberCaption[] = L"デフォルト設定の選択";
const wchar_t kSelectButton[] = L"選択(&S)";
const wchar_t kCancelButton[] = L"中止(&X)";
const wchar_t kSettingsNotSaved[] = L"設定を保存できませんでした";
const wchar_t kTitleNotSaved[] = L"タイトルを保存できませんでした";

}  // namespace lumo::ui
