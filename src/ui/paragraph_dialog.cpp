// The paragraph dialog: prepares the three records for formatting one
// stretch of text from preset 2 with an indent column, a fold column and the
// word-wrap and kinsoku bits chosen on the spot. The values are remembered
// for the next call; "詳細(&D)" opens the full settings sheet on the records.
#include <windows.h>

#include "api/ansi_code_page.h"
#include "api/module.h"
#include "lumotext.h"
#include "settings/presets.h"
#include "ui/controls.h"
#include "ui/dialog_ids.h"
#include "ui/settings_sheet.h"

namespace lumo::ui {
namespace {

// What the dialog remembers between calls, for as long as the library is
// loaded. A remembered 0 fold column or flag word becomes 70 or 3 again at
// the start of the next call; an indent column of 0 is a real choice.
struct ParagraphOverrides {
    uint32_t indent_column = 0;
    uint32_t fold_column = 0;
    uint32_t fold_flags = 0;
};
ParagraphOverrides g_overrides;

constexpr uint32_t kDefaultFoldColumn = 70;
constexpr uint32_t kDefaultFoldFlags = TAIL_WORDWRAP | TAIL_KINSOKU;

struct Records {
    IndentSettings *indent;
    FoldSettings *fold;
    HeaderSettings *header;
};
// The records of the current call, for "詳細(&D)".
Records g_records = {};

void ShowOverrides(HWND dialog) {
    ShowUnsigned(dialog, IDC_PARAGRAPH_INDENT, g_overrides.indent_column);
    ShowUnsigned(dialog, IDC_PARAGRAPH_FOLD, g_overrides.fold_column);
    ShowBit(dialog, IDC_PARAGRAPH_WORDWRAP, g_overrides.fold_flags, TAIL_WORDWRAP);
    ShowBit(dialog, IDC_PARAGRAPH_KINSOKU, g_overrides.fold_flags, TAIL_KINSOKU);
}

// The sheet shows the records as they are, not what is typed here; when it
// is confirmed, its values replace the dialog's, the whole fold flag word
// included (so a follow-the-width choice stays in the flags).
void ShowDetails(HWND dialog) {
    if (ShowSettingsSheet(dialog, g_records.indent, g_records.fold, g_records.header) != 1) return;
    g_overrides.indent_column = g_records.indent->fixed_indent_column;
    g_overrides.fold_column = g_records.fold->foldnum_from_head;
    g_overrides.fold_flags = g_records.fold->tailwrap_flag;
    ShowOverrides(dialog);
}

INT_PTR CALLBACK IndPropDlgProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_INITDIALOG) {
        g_records = *reinterpret_cast<const Records *>(lparam);
        ShowOverrides(dialog);
        return TRUE;
    }
    if (message != WM_COMMAND) return FALSE;
    switch (LOWORD(wparam)) {
        case IDOK:  // "実行(&E)"
            g_overrides.indent_column = ReadUnsigned(dialog, IDC_PARAGRAPH_INDENT);
            g_overrides.fold_column = ReadUnsigned(dialog, IDC_PARAGRAPH_FOLD);
            CommitBit(dialog, IDC_PARAGRAPH_WORDWRAP, &g_overrides.fold_flags, TAIL_WORDWRAP);
            CommitBit(dialog, IDC_PARAGRAPH_KINSOKU, &g_overrides.fold_flags, TAIL_KINSOKU);
            EndDialog(dialog, IDOK);
            return TRUE;
        case IDCANCEL:  // "中止(&X)", Esc and the close box; nothing is remembered
            EndDialog(dialog, IDCANCEL);
            return TRUE;
        case IDC_DETAILS:
            ShowDetails(dialog);
            return TRUE;
        default:
            return FALSE;
    }
}

// 1 when accepted with "実行(&E)", else 2 (cancelled, or the dialog did not
// open). The records hold preset 2 whatever happens, changed further by an
// accepted sheet and, on 1, by the four values of the dialog.
int32_t ShowParagraphDialog(HWND parent, IndentSettings *indent, FoldSettings *fold, HeaderSettings *header) {
    if (g_overrides.fold_column == 0) g_overrides.fold_column = kDefaultFoldColumn;
    if (g_overrides.fold_flags == 0) g_overrides.fold_flags = kDefaultFoldFlags;
    FillAnsiPreset(indent, fold, header, 2);
    Records records = {indent, fold, header};
    const INT_PTR result = DialogBoxParamW(static_cast<HINSTANCE>(ModuleInstance()), L"IndPropDlg", parent,
                                           IndPropDlgProc, reinterpret_cast<LPARAM>(&records));
    if (result != IDOK) return 2;
    indent->styles |= STYLE_INDENT | STYLE_FIXED_COLUMN;
    fold->tailwrap_flag = (fold->tailwrap_flag & ~(TAIL_WORDWRAP | TAIL_KINSOKU)) | g_overrides.fold_flags;
    indent->fixed_indent_column = g_overrides.indent_column;
    fold->foldnum = g_overrides.fold_column;
    return 1;
}

}  // namespace
}  // namespace lumo::ui

extern "C" {

int32_t LUMOTEXT_STDCALL IndPropDlg(LumoWindow parent, IndentSettings *indent, FoldSettings *fold,
                                    HeaderSettings *header) {
    return lumo::ui::ShowParagraphDialog(reinterpret_cast<HWND>(parent), indent, fold, header);
}

int32_t LUMOTEXT_STDCALL IndPropDlgGL(LumoWindow parent) {
    lumo::Records &global = lumo::Globals();
    return lumo::ui::ShowParagraphDialog(reinterpret_cast<HWND>(parent), &global.indent, &global.fold,
                                         &global.header);
}

}  // extern "C"
