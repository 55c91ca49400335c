// The five pages of the settings sheet and the sheet itself. Each page owns
// a fixed, disjoint part of a record and writes it only when the sheet
// commits (PSN_APPLY at OK); a page the user never opened is never created
// and so writes nothing. Bits a page does not own pass through untouched.
#include "ui/settings_sheet.h"

#include <commctrl.h>
#include <prsht.h>

#include <cstddef>

#include "api/ansi_code_page.h"
#include "api/module.h"
#include "settings/slots.h"
#include "ui/controls.h"
#include "ui/dialog_ids.h"
#include "ui/texts.h"

namespace lumo::ui {
namespace {

// The page and sheet descriptions are the platform's second layouts, 48 and
// 52 bytes in the 32-bit library. The sheet is a Unicode one, so that its
// caption and pages read right whatever the ANSI code page.
static_assert(sizeof(void *) != 4 || sizeof(PROPSHEETPAGEW_V2) == 48, "page description layout");
static_assert(sizeof(void *) != 4 || sizeof(PROPSHEETHEADERW) == 52, "sheet description layout");

// A check box for one flag bit of a record's flag word.
template <typename Record>
struct BitBox {
    int id;
    uint32_t Record::*word;
    uint32_t bit;
};

// A 1024- or 256-byte text field shown in an edit.
template <typename Record, size_t size>
struct TextBox {
    int id;
    char (Record::*field)[size];
};

// One button of an option group: what it sets and clears in the flag word
// when it is the one selected.
struct Choice {
    int id;
    uint32_t set;
    uint32_t clear;
};

// At initialisation the first button whose own bit is set is selected, the
// last button being the fallback.
template <size_t count>
void ShowChoice(HWND page, const Choice (&group)[count], uint32_t word) {
    size_t selected = count - 1;
    for (size_t k = 0; k + 1 < count; ++k) {
        if ((word & group[k].set) != 0) {
            selected = k;
            break;
        }
    }
    for (size_t k = 0; k < count; ++k) {
        CheckDlgButton(page, group[k].id, k == selected ? BST_CHECKED : BST_UNCHECKED);
    }
}

// At commit the first selected button decides. With none selected the last
// button's rule applies, unless the group has no fallback at commit.
enum class Fallback { kLast, kNone };

template <size_t count>
void CommitChoice(HWND page, const Choice (&group)[count], uint32_t *word,
                  Fallback fallback = Fallback::kLast) {
    for (const Choice &choice : group) {
        if (IsTicked(page, choice.id)) {
            SetBits(word, choice.set, choice.clear);
            return;
        }
    }
    if (fallback == Fallback::kLast) SetBits(word, group[count - 1].set, group[count - 1].clear);
}

template <typename Record, size_t count>
void ShowBits(HWND page, const BitBox<Record> (&boxes)[count], const Record &record) {
    for (const BitBox<Record> &box : boxes) ShowBit(page, box.id, record.*box.word, box.bit);
}

template <typename Record, size_t count>
void CommitBits(HWND page, const BitBox<Record> (&boxes)[count], Record *record) {
    for (const BitBox<Record> &box : boxes) CommitBit(page, box.id, &(record->*box.word), box.bit);
}

// The record a page edits, from the parameter of its page description.
template <typename Record>
Record *RecordOf(LPARAM init) {
    return reinterpret_cast<Record *>(reinterpret_cast<const PROPSHEETPAGEW *>(init)->lParam);
}

bool IsCommit(LPARAM notify) {
    return reinterpret_cast<const NMHDR *>(notify)->code == static_cast<UINT>(PSN_APPLY);
}

INT_PTR Committed(HWND page) {
    SetWindowLongPtrA(page, DWLP_MSGRESULT, PSNRET_NOERROR);
    return TRUE;
}

// ---- Page 1, IndentDlg: indent, paragraph mode, item marks, quotes ------

const BitBox<IndentSettings> kIndentBoxes[] = {
    {IDC_INDENT, &IndentSettings::styles, STYLE_INDENT},
    {IDC_PARAGRAPH, &IndentSettings::styles, STYLE_PARAGRAPH},
    {IDC_PARAGRAPH_WIDE_SPACE, &IndentSettings::sub_styles, SUB_PARAGRAPH_WIDE_SPACE},
    {IDC_ITEM_END_SPACE, &IndentSettings::sub_styles, SUB_ITEM_END_SPACE},
    {IDC_ITEM_NO_PARAGRAPH, &IndentSettings::sub_styles, SUB_ITEM_NO_PARAGRAPH},
    {IDC_QUOTE, &IndentSettings::styles, STYLE_QUOTE},
    {IDC_EMPHA, &IndentSettings::styles, STYLE_EMPHA},
    {IDC_NAMED_QUOTE, &IndentSettings::sub_styles, SUB_NAMED_QUOTE},
    {IDC_KEEP_QUOTED, &IndentSettings::sub_styles, SUB_KEEP_QUOTED},
};

// Itemize mode wins over scenario mode when a record has both.
const Choice kLineModes[] = {
    {IDC_ITEMIZE, STYLE_ITEMIZE, STYLE_SCENARIO},
    {IDC_SCENARIO, STYLE_SCENARIO, STYLE_ITEMIZE},
    {IDC_NEITHER_MODE, 0, STYLE_ITEMIZE | STYLE_SCENARIO},
};

const TextBox<IndentSettings, LUMO_SET_BYTES> kIndentTexts[] = {
    {IDC_SOLE_ITEMIZE, &IndentSettings::chars_for_sole_itemize},
    {IDC_COMBI_ITEMIZE, &IndentSettings::chars_for_combi_itemize},
    {IDC_ITEMIZE_END, &IndentSettings::chars_for_itemize_end},
    {IDC_QUOTE_CHARS, &IndentSettings::chars_for_quote},
    {IDC_EMPHA_CHARS, &IndentSettings::chars_for_empha},
};

IndentSettings *g_indent_page = nullptr;

INT_PTR CALLBACK IndentDlgProc(HWND page, UINT message, WPARAM, LPARAM lparam) {
    if (message == WM_INITDIALOG) {
        g_indent_page = RecordOf<IndentSettings>(lparam);
        const IndentSettings &record = *g_indent_page;
        for (const auto &text : kIndentTexts) LimitText(page, text.id, LUMO_SET_BYTES);
        ShowBits(page, kIndentBoxes, record);
        ShowChoice(page, kLineModes, record.styles);
        for (const auto &text : kIndentTexts) ShowText(page, text.id, record.*text.field);
        return TRUE;
    }
    if (message == WM_NOTIFY && IsCommit(lparam)) {
        IndentSettings *record = g_indent_page;
        record->record_size = INDENT_SETTINGS_SIZE;  // the only page that writes a size word
        CommitBits(page, kIndentBoxes, record);
        CommitChoice(page, kLineModes, &record->styles);
        for (const auto &text : kIndentTexts) ReadText(page, text.id, record->*text.field);
        return Committed(page);
    }
    return FALSE;
}

// ---- Page 2, ManualIndentDlg: fixed indent column and indent strings ----

const BitBox<IndentSettings> kManualIndentBoxes[] = {
    {IDC_FIXED_COLUMN, &IndentSettings::styles, STYLE_FIXED_COLUMN},
    {IDC_INDENT_STRINGS, &IndentSettings::styles, STYLE_INDENT_STRINGS},
};

const Choice kFill[] = {
    {IDC_FILL_SOURCE, SUB_FILL_SOURCE, SUB_FILL_WIDE_SPACE},
    {IDC_FILL_WIDE_SPACE, SUB_FILL_WIDE_SPACE, SUB_FILL_SOURCE},
    {IDC_FILL_NARROW_SPACE, 0, SUB_FILL_SOURCE | SUB_FILL_WIDE_SPACE},
};

IndentSettings *g_manual_indent_page = nullptr;

INT_PTR CALLBACK ManualIndentDlgProc(HWND page, UINT message, WPARAM, LPARAM lparam) {
    if (message == WM_INITDIALOG) {
        g_manual_indent_page = RecordOf<IndentSettings>(lparam);
        const IndentSettings &record = *g_manual_indent_page;
        ShowBits(page, kManualIndentBoxes, record);
        ShowUnsigned(page, IDC_FIXED_COLUMN_NUMBER, record.fixed_indent_column);
        ShowChoice(page, kFill, record.sub_styles);
        for (int k = 0; k < LUMO_INDENT_STRING_COUNT; ++k) {
            ShowText(page, IDC_INDENT_STRING_0 + k, record.indent_string[k]);
            ShowBit(page, IDC_NEED_BLANK_0 + k, record.indent_string_property[k], INDSTR_NEED_BLANK);
        }
        return TRUE;
    }
    if (message == WM_NOTIFY && IsCommit(lparam)) {
        IndentSettings *record = g_manual_indent_page;
        CommitBits(page, kManualIndentBoxes, record);
        record->fixed_indent_column = ReadUnsigned(page, IDC_FIXED_COLUMN_NUMBER);
        CommitChoice(page, kFill, &record->sub_styles);
        for (int k = 0; k < LUMO_INDENT_STRING_COUNT; ++k) {
            ReadText(page, IDC_INDENT_STRING_0 + k, record->indent_string[k]);
            CommitBit(page, IDC_NEED_BLANK_0 + k, &record->indent_string_property[k], INDSTR_NEED_BLANK);
        }
        return Committed(page);
    }
    return FALSE;
}

// ---- Page 3, FoldposDlg: fold column and line-end rules -----------------
//
// One edit serves both fold-column values. The page keeps a pending value
// for each; the selected mode decides which one the edit shows and takes,
// and both are committed, so the value of the mode not selected survives.

const BitBox<FoldSettings> kFoldBoxes[] = {
    {IDC_KINSOKU, &FoldSettings::tailwrap_flag, TAIL_KINSOKU},
    {IDC_WORDWRAP, &FoldSettings::tailwrap_flag, TAIL_WORDWRAP},
};

// Push-out wins over hanging; with neither selected both bits stay.
const Choice kProhibition[] = {
    {IDC_PUSH_OUT, WRAP_PUSH_OUT, WRAP_HANG},
    {IDC_HANG, WRAP_HANG, WRAP_PUSH_OUT},
};

const Choice kWordCharacters[] = {
    {IDC_WRAP_ALNUM, WRAP_ALNUM, WRAP_ASCII | WRAP_ALNUM_PLUS},
    {IDC_WRAP_ASCII, WRAP_ASCII, WRAP_ALNUM | WRAP_ALNUM_PLUS},
    {IDC_WRAP_ALNUM_PLUS, WRAP_ALNUM_PLUS, WRAP_ALNUM | WRAP_ASCII},
};

const TextBox<FoldSettings, LUMO_SET_BYTES> kFoldTexts[] = {
    {IDC_NOT_FOR_HEAD, &FoldSettings::chars_not_for_head},
    {IDC_NOT_FOR_TAIL, &FoldSettings::chars_not_for_tail},
    {IDC_WORDWRAP_CHARS, &FoldSettings::chars_for_wordwrap},
};

FoldSettings *g_fold_page = nullptr;
uint32_t g_pending_head = 0;
uint32_t g_pending_tail = 0;

// The edit shows its value as a signed decimal.
void ShowFoldMode(HWND page, bool follow_width) {
    SetDlgItemTextW(page, IDC_FOLD_LABEL, follow_width ? kFoldFromWidthLabel : kFoldColumnLabel);
    ShowSigned(page, IDC_FOLD_NUMBER, follow_width ? g_pending_tail : g_pending_head);
}

INT_PTR FoldCommand(HWND page, int id, int code) {
    switch (id) {
        case IDC_FOLLOW_WIDTH:
        case IDC_FIXED_FOLD:
            if (code == BN_CLICKED) ShowFoldMode(page, id == IDC_FOLLOW_WIDTH);
            return TRUE;
        case IDC_FOLD_NUMBER:
            // Every change, typed or set by the page, keeps the pending value of
            // the selected mode equal to what the edit shows.
            if (code == EN_CHANGE) {
                const uint32_t value = ReadUnsigned(page, IDC_FOLD_NUMBER);
                (IsTicked(page, IDC_FOLLOW_WIDTH) ? g_pending_tail : g_pending_head) = value;
            }
            return TRUE;
        default:
            return FALSE;
    }
}

INT_PTR CALLBACK FoldposDlgProc(HWND page, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_INITDIALOG) {
        g_fold_page = RecordOf<FoldSettings>(lparam);
        const FoldSettings &record = *g_fold_page;
        for (const auto &text : kFoldTexts) LimitText(page, text.id, LUMO_SET_BYTES);
        // Showing the value stirs the edit's change notification; the pending
        // values are set from the record afterwards, whatever it stored.
        if ((record.tailwrap_flag & TAIL_FOLLOW_WIDTH) != 0) {
            CheckDlgButton(page, IDC_FOLLOW_WIDTH, BST_CHECKED);
            ShowSigned(page, IDC_FOLD_NUMBER, record.foldnum_from_tail);
        } else {
            CheckDlgButton(page, IDC_FIXED_FOLD, BST_CHECKED);
            SetDlgItemTextW(page, IDC_FOLD_LABEL, kFoldColumnLabel);
            ShowSigned(page, IDC_FOLD_NUMBER, record.foldnum_from_head);
        }
        g_pending_tail = record.foldnum_from_tail;
        g_pending_head = record.foldnum_from_head;
        ShowBits(page, kFoldBoxes, record);
        ShowChoice(page, kProhibition, record.wraptype);
        ShowChoice(page, kWordCharacters, record.wraptype);
        ShowUnsigned(page, IDC_MAXMOVE_LEFT, record.maxmove_leftwise);
        ShowUnsigned(page, IDC_MAXMOVE_RIGHT, record.maxmove_rightwise);
        for (const auto &text : kFoldTexts) ShowText(page, text.id, record.*text.field);
        return TRUE;
    }
    if (message == WM_COMMAND) return FoldCommand(page, LOWORD(wparam), HIWORD(wparam));
    if (message == WM_NOTIFY && IsCommit(lparam)) {
        FoldSettings *record = g_fold_page;
        record->foldnum_from_tail = g_pending_tail;
        record->foldnum_from_head = g_pending_head;
        CommitBit(page, IDC_FOLLOW_WIDTH, &record->tailwrap_flag, TAIL_FOLLOW_WIDTH);
        CommitBits(page, kFoldBoxes, record);
        CommitChoice(page, kProhibition, &record->wraptype, Fallback::kNone);
        CommitChoice(page, kWordCharacters, &record->wraptype);
        record->maxmove_leftwise = ReadUnsigned(page, IDC_MAXMOVE_LEFT);
        record->maxmove_rightwise = ReadUnsigned(page, IDC_MAXMOVE_RIGHT);
        for (const auto &text : kFoldTexts) ReadText(page, text.id, record->*text.field);
        return Committed(page);
    }
    return FALSE;
}

// ---- Page 4, HeaderDlg: the header block --------------------------------

const BitBox<HeaderSettings> kHeaderBoxes[] = {
    {IDC_HEADER_NO_FORMAT, &HeaderSettings::lumoheader, HEADER_NO_FORMAT},
    {IDC_DELIM_EMPTY_LINE, &HeaderSettings::lumoheader, HEADER_DELIM_EMPTY_LINE},
};

const Choice kDelimiterMatch[] = {
    {IDC_DELIM_EXACT, HEADER_DELIM_EXACT, 0},
    {IDC_DELIM_HEAD, 0, HEADER_DELIM_EXACT},
};

HeaderSettings *g_header_page = nullptr;

// The delimiter text means nothing while the header ends at an empty line.
void EnableDelimiter(HWND page) {
    EnableWindow(GetDlgItem(page, IDC_DELIMITER), !IsTicked(page, IDC_DELIM_EMPTY_LINE));
}

INT_PTR CALLBACK HeaderDlgProc(HWND page, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_INITDIALOG) {
        g_header_page = RecordOf<HeaderSettings>(lparam);
        const HeaderSettings &record = *g_header_page;
        ShowBits(page, kHeaderBoxes, record);
        if ((record.lumoheader & HEADER_DELIM_EMPTY_LINE) != 0) EnableDelimiter(page);
        ShowChoice(page, kDelimiterMatch, record.lumoheader);
        ShowText(page, IDC_DELIMITER, record.headerdelimiter);
        return TRUE;
    }
    if (message == WM_COMMAND) {
        if (LOWORD(wparam) != IDC_DELIM_EMPTY_LINE) return FALSE;
        EnableDelimiter(page);
        return TRUE;
    }
    if (message == WM_NOTIFY && IsCommit(lparam)) {
        HeaderSettings *record = g_header_page;
        CommitBits(page, kHeaderBoxes, record);
        CommitChoice(page, kDelimiterMatch, &record->lumoheader);
        ReadText(page, IDC_DELIMITER, record->headerdelimiter);  // also while disabled
        return Committed(page);
    }
    return FALSE;
}

// ---- Page 5, ResetDlg: blanks deleted when lines are bound again --------

const BitBox<IndentSettings> kResetBoxes[] = {
    {IDC_STRIP_HEAD_SPACE, &IndentSettings::styles, STYLE_STRIP_HEAD_SPACE},
    {IDC_STRIP_WHEN_INDENT, &IndentSettings::styles, STYLE_STRIP_WHEN_INDENT},
    {IDC_BLANK_NARROW, &IndentSettings::sub_styles, SUB_BLANK_NARROW},
    {IDC_BLANK_WIDE, &IndentSettings::sub_styles, SUB_BLANK_WIDE},
    {IDC_BLANK_TAB, &IndentSettings::sub_styles, SUB_BLANK_TAB},
};

IndentSettings *g_reset_page = nullptr;

INT_PTR CALLBACK ResetDlgProc(HWND page, UINT message, WPARAM, LPARAM lparam) {
    if (message == WM_INITDIALOG) {
        g_reset_page = RecordOf<IndentSettings>(lparam);
        ShowBits(page, kResetBoxes, *g_reset_page);
        return TRUE;
    }
    if (message == WM_NOTIFY && IsCommit(lparam)) {
        CommitBits(page, kResetBoxes, g_reset_page);
        return Committed(page);
    }
    return FALSE;
}

void ReportFailure(HWND owner, const wchar_t *text) {
    MessageBoxW(owner, text, kMessageCaption, MB_OK | MB_ICONWARNING);
}

}  // namespace

int32_t ShowSettingsSheet(HWND parent, IndentSettings *indent, FoldSettings *fold, HeaderSettings *header) {
    const struct {
        const wchar_t *name;
        DLGPROC procedure;
        void *record;
    } kPages[] = {
        {L"IndentDlg", IndentDlgProc, indent}, {L"ManualIndentDlg", ManualIndentDlgProc, indent},
        {L"FoldposDlg", FoldposDlgProc, fold}, {L"HeaderDlg", HeaderDlgProc, header},
        {L"ResetDlg", ResetDlgProc, indent},
    };
    const auto instance = static_cast<HINSTANCE>(ModuleInstance());
    PROPSHEETPAGEW_V2 pages[5] = {};
    for (size_t k = 0; k < 5; ++k) {
        pages[k].dwSize = sizeof pages[k];
        pages[k].dwFlags = PSP_DEFAULT;  // title from the template, no icon, no callback
        pages[k].hInstance = instance;
        pages[k].pszTemplate = kPages[k].name;
        pages[k].pfnDlgProc = kPages[k].procedure;
        pages[k].lParam = reinterpret_cast<LPARAM>(kPages[k].record);
    }
    PROPSHEETHEADERW sheet = {};
    sheet.dwSize = sizeof sheet;
    sheet.dwFlags = PSH_PROPSHEETPAGE;  // no icon, no callback; the Apply button stays
    sheet.hwndParent = parent;
    sheet.hInstance = instance;
    sheet.pszCaption = kSheetCaption;
    sheet.nPages = 5;
    sheet.nStartPage = 0;
    sheet.ppsp = reinterpret_cast<LPCPROPSHEETPAGEW>(pages);
    return static_cast<int32_t>(PropertySheetW(&sheet));
}

int32_t EditSlotSettings(HWND parent, int32_t slot, const char *vendor) {
    // Preset 2 first, its texts in the ANSI code page as the store's are; the
    // loads then replace each value that they find.
    IndentSettings indent;
    FoldSettings fold;
    HeaderSettings header;
    FillAnsiPreset(&indent, &fold, &header, 2);
    LoadIndentSettingsOver(&indent, slot, vendor);
    LoadFoldSettingsOver(&fold, slot, vendor);
    LoadHeaderSettingsOver(&header, slot, vendor);

    const int32_t result = ShowSettingsSheet(parent, &indent, &fold, &header);
    if (result == 1) {
        uint32_t failed = SaveIndentSettings(indent, slot, vendor);
        failed |= SaveFoldSettings(fold, slot, vendor);
        failed |= SaveHeaderSettings(header, slot, vendor);
        if (failed != 0) ReportFailure(parent, kSettingsNotSaved);
    }
    return result;
}

}  // namespace lumo::ui

extern "C" int32_t LUMOTEXT_STDCALL SetupDlgDirect(LumoWindow parent, IndentSettings *indent,
                                                   FoldSettings *fold, HeaderSettings *header) {
    return lumo::ui::ShowSettingsSheet(reinterpret_cast<HWND>(parent), indent, fold, header);
}
