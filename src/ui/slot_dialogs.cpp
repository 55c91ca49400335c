// The slot dialog (RegSelDlg: browse the ten slots, retitle them, open the
// settings sheet on one) and the default-number dialog, which relabels the
// same template to choose the default slot. The slot number lives only in
// its edit, stepped by an up-down control between 1 and 10.
#include <windows.h>
#include <commctrl.h>

#include <cstring>

#include "api/module.h"
#include "lumotext.h"
#include "platform/registry.h"
#include "settings/slots.h"
#include "ui/controls.h"
#include "ui/dialog_ids.h"
#include "ui/settings_sheet.h"
#include "ui/texts.h"

namespace lumo::ui {
namespace {

using platform::Access;
using platform::RegistryKey;

// A title is at most 43 bytes and its NUL.
constexpr uint32_t kTitleBytes = 44;

// Each dialog keeps the vendor string it was started with; the caller keeps
// it valid while the dialog is open.
const char *g_slot_dialog_vendor = nullptr;
const char *g_default_number_vendor = nullptr;

// Up-down 602 on the slot number edit: 1..10 without wrap-around, placed by
// the system font's dialog units and then moved to the edit's right edge.
void CreateSlotUpDown(HWND dialog) {
    const LONG units = GetDialogBaseUnits();
    const int bx = LOWORD(units);
    const int by = HIWORD(units);
    CreateUpDownControl(WS_CHILD | WS_VISIBLE | WS_BORDER | UDS_SETBUDDYINT | UDS_ALIGNRIGHT | UDS_ARROWKEYS,
                        bx * 22 / 4, by * 12 / 8, bx * 10 / 4, by * 12 / 8, dialog, IDC_SLOT_UPDOWN,
                        static_cast<HINSTANCE>(ModuleInstance()), GetDlgItem(dialog, IDC_SLOT_NUMBER), 10, 1,
                        1);
}

int32_t ShownSlot(HWND dialog) { return static_cast<int32_t>(ReadUnsigned(dialog, IDC_SLOT_NUMBER)); }

// The slot's title (in the ANSI code page, as the store keeps it), or
// "(未登録)" when the slot has no key or no readable title of at most 43
// bytes. The value's type is not examined; a value that fills the whole
// buffer without a NUL is cut to 43 bytes.
void ShowSlotTitle(HWND dialog, int32_t slot, const char *vendor) {
    char title[kTitleBytes] = {};
    const RegistryKey key = RegistryKey::Open(SlotKey(vendor, slot), Access::kRead);
    uint32_t size = kTitleBytes;
    if (key.valid() && key.Read("Title", title, &size)) {
        title[kTitleBytes - 1] = '\0';
        ShowText(dialog, IDC_SLOT_TITLE, title);
    } else {
        SetDlgItemTextW(dialog, IDC_SLOT_TITLE, kUnregisteredTitle);
    }
}

bool ShowsUnregistered(HWND dialog) { return HasText(dialog, IDC_SLOT_TITLE, kUnregisteredTitle); }

// "タイトルの更新(&T)": the slot must exist already (its key is opened, never
// created), and "(未登録)" is refused as a title. An empty title is stored.
void StoreTitle(HWND dialog, const char *vendor) {
    RegistryKey key = RegistryKey::Open(SlotKey(vendor, ShownSlot(dialog)), Access::kAll);
    if (!key.valid()) {
        MessageBoxW(dialog, kSetUpFirst, kMessageCaption, MB_OK);
        return;
    }
    if (ShowsUnregistered(dialog)) {
        MessageBoxW(dialog, kGiveAName, kMessageCaption, MB_OK);
        SendMessageA(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(GetDlgItem(dialog, IDC_STORE_TITLE)),
                     TRUE);
        return;
    }
    // The title crosses to the store, so in the ANSI code page.
    char title[kTitleBytes] = {};
    ReadText(dialog, IDC_SLOT_TITLE, title);
    if (!key.Write("Title", platform::kRegSz, title, static_cast<uint32_t>(std::strlen(title) + 1))) {
        MessageBoxW(dialog, kTitleNotSaved, kMessageCaption, MB_OK | MB_ICONWARNING);
    }
}

// "仕様の編集(&E)": the sheet on the shown slot. A slot confirmed for the
// first time is called "設定済み"; the title is stored by a posted 610, which
// runs after the sheet's saves have created the slot's key.
void EditShownSlot(HWND dialog, const char *vendor) {
    if (EditSlotSettings(dialog, ShownSlot(dialog), vendor) != 1) return;
    if (!ShowsUnregistered(dialog)) return;
    SetDlgItemTextW(dialog, IDC_SLOT_TITLE, kConfiguredTitle);
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDC_STORE_TITLE, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDC_STORE_TITLE)));
}

INT_PTR CALLBACK RegSelDlgProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_INITDIALOG) {
        g_slot_dialog_vendor = reinterpret_cast<const char *>(lparam);
        CreateSlotUpDown(dialog);
        LimitText(dialog, IDC_SLOT_TITLE, kTitleBytes - 1);
        ShowSlotTitle(dialog, 1, g_slot_dialog_vendor);
        return TRUE;
    }
    if (message != WM_COMMAND) return FALSE;
    switch (LOWORD(wparam)) {
        case IDC_SLOT_NUMBER:
            if (HIWORD(wparam) != EN_CHANGE) return FALSE;
            ShowSlotTitle(dialog, ShownSlot(dialog), g_slot_dialog_vendor);
            return TRUE;
        case IDC_STORE_TITLE:
            StoreTitle(dialog, g_slot_dialog_vendor);
            return TRUE;
        case IDC_EDIT_SLOT:
            EditShownSlot(dialog, g_slot_dialog_vendor);
            return TRUE;
        case IDCANCEL:  // "終了(&X)", Enter, Esc and the close box
            EndDialog(dialog, IDCANCEL);
            return TRUE;
        default:
            return FALSE;
    }
}

// The same template as the slot dialog: the title is shown but cannot be
// edited or stored, and the cancel button stays the default, so that only
// "選択(&S)" stores a number. The stored default is not consulted: slot 1
// is shown first.
INT_PTR CALLBACK DefaultNumberDlgProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_INITDIALOG) {
        g_default_number_vendor = reinterpret_cast<const char *>(lparam);
        SetWindowTextW(dialog, kDefaultNumberCaption);
        ShowWindow(GetDlgItem(dialog, IDC_STORE_TITLE), SW_HIDE);
        SetDlgItemTextW(dialog, IDC_EDIT_SLOT, kSelectButton);
        SetDlgItemTextW(dialog, IDCANCEL, kCancelButton);
        EnableWindow(GetDlgItem(dialog, IDC_SLOT_TITLE), FALSE);
        CreateSlotUpDown(dialog);
        ShowSlotTitle(dialog, 1, g_default_number_vendor);
        return TRUE;
    }
    if (message != WM_COMMAND) return FALSE;
    switch (LOWORD(wparam)) {
        case IDCANCEL:
            EndDialog(dialog, IDCANCEL);
            return TRUE;
        case IDC_SLOT_NUMBER:
            if (HIWORD(wparam) != EN_CHANGE) return FALSE;
            ShowSlotTitle(dialog, ShownSlot(dialog), g_default_number_vendor);
            return TRUE;
        case IDC_EDIT_SLOT:
            WriteDefaultNumber(ShownSlot(dialog), g_default_number_vendor);  // a failure is not reported
            EndDialog(dialog, IDOK);
            return TRUE;
        default:
            return FALSE;
    }
}

}  // namespace
}  // namespace lumo::ui

extern "C" {

int32_t LUMOTEXT_STDCALL RegSelDlg(LumoWindow parent, const char *vendor) {
    return static_cast<int32_t>(DialogBoxParamW(static_cast<HINSTANCE>(lumo::ModuleInstance()), L"RegSelDlg",
                                                reinterpret_cast<HWND>(parent), lumo::ui::RegSelDlgProc,
                                                reinterpret_cast<LPARAM>(vendor)));
}

int32_t LUMOTEXT_STDCALL DefaultNumberDlg(LumoWindow parent, const char *vendor) {
    return static_cast<int32_t>(DialogBoxParamW(
        static_cast<HINSTANCE>(lumo::ModuleInstance()), L"RegSelDlg", reinterpret_cast<HWND>(parent),
        lumo::ui::DefaultNumberDlgProc, reinterpret_cast<LPARAM>(vendor)));
}

}  // extern "C"
