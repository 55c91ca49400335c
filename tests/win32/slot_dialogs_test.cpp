// The slot dialog (RegSelDlg) and the default-number dialog driven on Wine,
// checked against the registry afterwards: titles shown, refused and
// stored, the up-down control, a slot edited through the sheet (loaded with
// preset 2 for what is missing, saved on OK, titled "設定済み" the first
// time), failed saves reported, and the default slot stored only on "選択(&S)".
#include <gtest/gtest.h>
#include <aclapi.h>

#include <cstring>
#include <string>

#include "dialog_driver.h"
#include "dialog_texts.h"
#include "support/preset_records.h"

namespace {

using namespace dialog_test;

constexpr int kSlotNumberId = 601;
constexpr int kUpDownId = 602;
constexpr int kTitleId = 605;
constexpr int kStoreTitleId = 610;
constexpr int kEditSlotId = 615;
constexpr int kMessageTextId = 0xFFFF;  // the text of a message box

HWND g_dialog = nullptr;  // the slot dialog of the running test

void Key(HWND dialog, int id, UINT key) {
    HWND control = GetDlgItem(dialog, id);
    SendMessageA(control, WM_KEYDOWN, key, 0);
    SendMessageA(control, WM_KEYUP, key, 0xC0000000);
}

void StepTo(HWND dialog, int slot) {
    while (ItemText(dialog, kSlotNumberId) != std::to_string(slot)) {
        const std::string before = ItemText(dialog, kSlotNumberId);
        Key(dialog, kSlotNumberId, std::stoi(before) < slot ? VK_UP : VK_DOWN);
        ASSERT_NE(ItemText(dialog, kSlotNumberId), before) << "the up-down control did not move";
    }
}

// A message box owned by the slot dialog, answered with OK.
Script &ExpectMessage(Script &script, const std::string &text) {
    return script.On(kMessageCaption, "message box", [text](HWND box) {
        EXPECT_EQ(ItemText(box, kMessageTextId), text);
        EXPECT_EQ(GetWindow(box, GW_OWNER), g_dialog);
        PostMessageA(box, WM_COMMAND, IDOK, 0);
    });
}

Script &Close(Script &script, const std::string &caption = kSlotCaption) {
    return script.On(caption, "close", [](HWND dialog) { PostCommand(dialog, IDCANCEL); });
}

Script &OpenOn(Script &script, int slot, const std::string &caption = kSlotCaption) {
    return script.On(caption, "slot " + std::to_string(slot), [slot](HWND dialog) {
        g_dialog = dialog;
        StepTo(dialog, slot);
    });
}

// Opens the sheet on the shown slot; `on_sheet` runs on it, then OK or Cancel.
Script &EditSlot(
    Script &script, bool ok, std::function<void(HWND)> on_sheet = [](HWND) {}) {
    script.On(kSlotCaption, "edit the slot", [](HWND dialog) { PostCommand(dialog, kEditSlotId); });
    script.On(kSheetCaption, "on the sheet", std::move(on_sheet));
    return script.On(kSheetCaption, ok ? "OK" : "Cancel",
                     [ok](HWND sheet) { PropSheet_PressButton(sheet, ok ? PSBTN_OK : PSBTN_CANCEL); });
}

// A slot's records as GetWholeSetting loads them, and its stage code.
struct Slot : LumoRecords {
    int32_t stage;
};

Slot LoadSlot(int slot, const char *vendor = kVendor) {
    Slot s = {};
    FormatRequest request = {};
    request.record_size = FORMAT_REQUEST_SIZE;
    request.display_width = 80;
    int32_t detail = 0;
    s.stage = Lumotext().GetWholeSetting(&request, &s.indent, &s.fold, &s.header, slot, vendor, &detail);
    s.fold.foldnum = 0;
    return s;
}

void ExpectPreset2(const Slot &s) {
    ASSERT_EQ(s.stage, 0);
    const IndentSettings indent = lumo_test::ExpectedIndentPreset(2);
    const FoldSettings fold = lumo_test::ExpectedFoldPreset(2);
    const HeaderSettings header = lumo_test::ExpectedHeaderPreset(2);
    EXPECT_EQ(std::memcmp(&s.indent, &indent, sizeof indent), 0);
    EXPECT_EQ(std::memcmp(&s.fold, &fold, sizeof fold), 0);
    EXPECT_EQ(std::memcmp(&s.header, &header, sizeof header), 0);
}

std::string StoredTitle(int slot, const char *vendor = kVendor) {
    const Value title = ReadValue(SlotPath(vendor, slot), "Title");
    if (!title.found) return "<none>";
    EXPECT_EQ(title.type, static_cast<DWORD>(REG_SZ));
    return title.bytes;
}

int32_t RunSlotDialog(const Script &script, const char *vendor = kVendor) {
    const int32_t result = Drive(script, [vendor] { return Lumotext().RegSelDlg(nullptr, vendor); });
    g_dialog = nullptr;
    return result;
}

class SlotDialog : public ::testing::Test {
protected:
    void SetUp() override { DeleteProduct(kVendor); }
    void TearDown() override { DeleteProduct(kVendor); }
    static void MakeSlot(int slot, int preset, const char *title) {
        int32_t detail = -1;
        ASSERT_EQ(Lumotext().SetDefaultWholeSetting(slot, preset, title, kVendor, &detail), 0);
    }
};

TEST_F(SlotDialog, OpensOnSlotOneOfNeverSavedSlots) {
    Script script;
    script.On(kSlotCaption, "the dialog as it opens", [](HWND dialog) {
        g_dialog = dialog;
        EXPECT_EQ(ItemText(dialog, kSlotNumberId), "1");
        EXPECT_EQ(ItemText(dialog, kTitleId), kUnregistered);
        EXPECT_EQ(ItemText(dialog, kStoreTitleId), dialog_test::kStoreTitle);
        EXPECT_EQ(ItemText(dialog, kEditSlotId), dialog_test::kEditSlot);
        EXPECT_EQ(ItemText(dialog, IDCANCEL), kClose);
        EXPECT_EQ(LOWORD(SendMessageA(dialog, DM_GETDEFID, 0, 0)), IDCANCEL);
        EXPECT_EQ(SendDlgItemMessageA(dialog, kTitleId, EM_GETLIMITTEXT, 0, 0), 43);
        // The up-down control 602 steps the read-only number edit 601 through 1..10.
        HWND updown = GetDlgItem(dialog, kUpDownId);
        ASSERT_NE(updown, nullptr);
        char name[64] = {};
        GetClassNameA(updown, name, sizeof name);
        EXPECT_STREQ(name, UPDOWN_CLASSA);
        EXPECT_EQ(reinterpret_cast<HWND>(SendMessageA(updown, UDM_GETBUDDY, 0, 0)),
                  GetDlgItem(dialog, kSlotNumberId));
        int low = 0, high = 0;
        SendMessageA(updown, UDM_GETRANGE32, reinterpret_cast<WPARAM>(&low), reinterpret_cast<LPARAM>(&high));
        EXPECT_EQ(low, 1);
        EXPECT_EQ(high, 10);
        // Created with the system font's dialog units, then moved beside the edit.
        const Creation created = LastCreated(UPDOWN_CLASSA);
        ASSERT_TRUE(created.found);
        EXPECT_EQ(created.style, 0x50800026u);
        const LONG units = GetDialogBaseUnits();
        EXPECT_EQ(created.x, LOWORD(units) * 22 / 4);
        EXPECT_EQ(created.y, HIWORD(units) * 12 / 8);
        EXPECT_EQ(created.cx, LOWORD(units) * 10 / 4);
        EXPECT_EQ(created.cy, HIWORD(units) * 12 / 8);
        EXPECT_EQ(created.parent, dialog);
        EXPECT_EQ(reinterpret_cast<INT_PTR>(created.id), kUpDownId);
        RECT edit, arrows;
        GetWindowRect(GetDlgItem(dialog, kSlotNumberId), &edit);
        GetWindowRect(updown, &arrows);
        EXPECT_NEAR(arrows.left, edit.right, 2) << "at the right edge of the number, over its border";
        EXPECT_EQ(arrows.top, edit.top);
        EXPECT_TRUE(GetWindowLongPtrA(GetDlgItem(dialog, kSlotNumberId), GWL_STYLE) & ES_READONLY);
        PostCommand(dialog, kStoreTitleId);
    });
    ExpectMessage(script, kSetUpFirst);
    script.On(kSlotCaption, "close box",
              [](HWND dialog) { PostMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0); });
    EXPECT_EQ(RunSlotDialog(script), 2);
    EXPECT_FALSE(KeyExists(std::string("Software\\") + kVendor)) << "nothing stored";
}

TEST_F(SlotDialog, UpDownStepsBetweenOneAndTenShowingEachTitle) {
    for (int slot = 1; slot <= 10; ++slot) {
        if (slot != 6) WriteString(SlotPath(kVendor, slot), "Title", "slot " + std::to_string(slot));
    }
    Script script;
    script.On(kSlotCaption, "step", [](HWND dialog) {
        EXPECT_EQ(ItemText(dialog, kTitleId), "slot 1");
        Key(dialog, kSlotNumberId, VK_DOWN);
        EXPECT_EQ(ItemText(dialog, kSlotNumberId), "1") << "stops at 1";
        for (int slot = 2; slot <= 10; ++slot) {
            Key(dialog, kSlotNumberId, VK_UP);
            EXPECT_EQ(ItemText(dialog, kSlotNumberId), std::to_string(slot));
            EXPECT_EQ(ItemText(dialog, kTitleId), slot == 6 ? kUnregistered : "slot " + std::to_string(slot));
        }
        Key(dialog, kSlotNumberId, VK_UP);
        EXPECT_EQ(ItemText(dialog, kSlotNumberId), "10") << "stops at 10";
        // The number cannot be typed.
        SendMessageA(GetDlgItem(dialog, kSlotNumberId), WM_CHAR, '5', 0);
        EXPECT_EQ(ItemText(dialog, kSlotNumberId), "10");
        PostCommand(dialog, IDCANCEL);
    });
    EXPECT_EQ(RunSlotDialog(script), 2);
}

TEST_F(SlotDialog, FirstConfirmedEditSavesTheSlotAndTitlesIt) {
    Script script;
    OpenOn(script, 3);
    EditSlot(script, true, [](HWND sheet) {
        // A never-saved slot opens with preset 2.
        EXPECT_TRUE(Ticked(CurrentPage(sheet), 120));
        ShowPage(sheet, 2);
        EXPECT_EQ(ItemText(CurrentPage(sheet), 304), "70");
    });
    script.On(kSlotCaption, "titled",
              [](HWND dialog) { EXPECT_EQ(ItemText(dialog, kTitleId), kConfigured); });
    script.Idle(4);  // the posted 610 stores the title
    Close(script);
    EXPECT_EQ(RunSlotDialog(script), 2);
    ExpectPreset2(LoadSlot(3));
    EXPECT_EQ(StoredTitle(3), kConfigured + '\0');
    EXPECT_FALSE(KeyExists(SlotPath(kVendor, 1))) << "only the slot shown";
}

TEST_F(SlotDialog, ConfirmedEditOfATitledSlotKeepsItsTitle) {
    MakeSlot(2, 1, "Mine");
    Script script;
    OpenOn(script, 2);
    script.On(kSlotCaption, "title shown",
              [](HWND dialog) { EXPECT_EQ(ItemText(dialog, kTitleId), "Mine"); });
    EditSlot(script, true, [](HWND sheet) {
        HWND page = CurrentPage(sheet);
        EXPECT_TRUE(Ticked(page, 131)) << "preset 1 keeps quoted lines";
        Click(page, 101);  // no longer indent
    });
    script.Idle(4);
    script.On(kSlotCaption, "title kept", [](HWND dialog) { EXPECT_EQ(ItemText(dialog, kTitleId), "Mine"); });
    Close(script);
    EXPECT_EQ(RunSlotDialog(script), 2);
    const Slot slot = LoadSlot(2);
    EXPECT_EQ(slot.indent.styles, 0x800000B7u & ~STYLE_INDENT);
    EXPECT_EQ(slot.indent.sub_styles, 0xC000004Eu);
    EXPECT_EQ(StoredTitle(2), std::string("Mine") + '\0');
}

TEST_F(SlotDialog, CancelledEditChangesNothing) {
    MakeSlot(2, 0, "Two");
    const std::string before = Snapshot(std::string("Software\\") + kVendor);
    Script script;
    OpenOn(script, 1);
    EditSlot(script, false, [](HWND sheet) { Click(CurrentPage(sheet), 101); });
    script.On(kSlotCaption, "still unregistered", [](HWND dialog) {
        EXPECT_EQ(ItemText(dialog, kTitleId), kUnregistered);
        StepTo(dialog, 2);
    });
    EditSlot(script, false, [](HWND sheet) { Click(CurrentPage(sheet), 101); });
    script.Idle(4);
    Close(script);
    EXPECT_EQ(RunSlotDialog(script), 2);
    EXPECT_EQ(Snapshot(std::string("Software\\") + kVendor), before);
}

TEST_F(SlotDialog, StoringTitles) {
    MakeSlot(1, 2, nullptr);
    Script script;
    script.On(kSlotCaption, "type a title", [](HWND dialog) {
        g_dialog = dialog;
        EXPECT_EQ(ItemText(dialog, kTitleId), kConfigured) << "the default title of a preset";
        SetItemText(dialog, kTitleId, "\x8F\xAC\x90\xE0");  // 小説
        PostCommand(dialog, kStoreTitleId);
    });
    script.Idle(2);
    script.On(kSlotCaption, "stored", [](HWND dialog) {
        EXPECT_EQ(StoredTitle(1), std::string("\x8F\xAC\x90\xE0") + '\0');
        SetItemText(dialog, kTitleId, kUnregistered);
        SetFocus(GetDlgItem(dialog, kTitleId));
        PostCommand(dialog, kStoreTitleId);
    });
    ExpectMessage(script, kGiveAName);
    script.On(kSlotCaption, "refused", [](HWND dialog) {
        EXPECT_EQ(GetFocus(), GetDlgItem(dialog, kStoreTitleId)) << "focus on the title button";
        EXPECT_EQ(StoredTitle(1), std::string("\x8F\xAC\x90\xE0") + '\0') << "nothing stored";
        SetItemText(dialog, kTitleId, "");
        PostCommand(dialog, kStoreTitleId);
    });
    script.Idle(2);
    script.On(kSlotCaption, "empty title", [](HWND dialog) {
        EXPECT_EQ(StoredTitle(1), std::string(1, '\0'));
        Key(dialog, kSlotNumberId, VK_UP);
        Key(dialog, kSlotNumberId, VK_DOWN);
        EXPECT_EQ(ItemText(dialog, kTitleId), "") << "an empty title shows as an empty edit";
        PostCommand(dialog, IDCANCEL);
    });
    EXPECT_EQ(RunSlotDialog(script), 2);
}

TEST_F(SlotDialog, TitlesLongerThan43BytesShowAsUnregistered) {
    MakeSlot(1, 2, std::string(43, 'a').c_str());
    MakeSlot(2, 2, std::string(44, 'b').c_str());
    Script script;
    script.On(kSlotCaption, "43 and 44 bytes", [](HWND dialog) {
        g_dialog = dialog;
        EXPECT_EQ(ItemText(dialog, kTitleId), std::string(43, 'a'));
        StepTo(dialog, 2);
        EXPECT_EQ(ItemText(dialog, kTitleId), kUnregistered);
        PostCommand(dialog, kStoreTitleId);
    });
    ExpectMessage(script, kGiveAName);  // cannot be stored over without a new title
    Close(script);
    EXPECT_EQ(RunSlotDialog(script), 2);
    EXPECT_EQ(StoredTitle(2), std::string(44, 'b') + '\0');
}

TEST_F(SlotDialog, NullAndEmptyVendorUseTheDefaultRoot) {
    DeleteProduct(nullptr);
    WriteString(SlotPath(nullptr, 1), "Title", "root title");
    for (const char *vendor : {static_cast<const char *>(nullptr), ""}) {
        SCOPED_TRACE(vendor == nullptr ? "null vendor" : "empty vendor");
        Script script;
        script.On(kSlotCaption, "title from the default root", [](HWND dialog) {
            EXPECT_EQ(ItemText(dialog, kTitleId), "root title");
            PostCommand(dialog, IDCANCEL);
        });
        EXPECT_EQ(RunSlotDialog(script, vendor), 2);
    }
    Script script;
    OpenOn(script, 4);
    EditSlot(script, true);
    script.Idle(4);
    Close(script);
    EXPECT_EQ(RunSlotDialog(script, ""), 2);
    EXPECT_EQ(StoredTitle(4, nullptr), kConfigured + '\0');
    ExpectPreset2(LoadSlot(4, nullptr));
    DeleteProduct(nullptr);
}

// A slot whose key exists keeps every value that loads; only the missing
// values come from preset 2.
TEST_F(SlotDialog, MissingValuesComeFromPresetTwo) {
    MakeSlot(4, 0, "Four");  // styles 0x800000B1: neither quotes nor emphasis
    const std::string indent = SlotPath(kVendor, 4) + "\\indent";
    const std::string fold = SlotPath(kVendor, 4) + "\\foldpos";
    DeleteValue(indent, "styles");  // preset 2: 0x800000B7
    WriteDword(indent, "sub_styles", 0x80000002u);
    DeleteValue(indent, "indent_string-3");              // preset 2: empty
    WriteString(indent, "indent_string-4", "\x81\x9C");  // ●
    WriteDword(fold, "foldnum_from_head", 55);
    DeleteValue(fold, "maxmove_leftwise");  // preset 2: 20
    WriteDword(fold, "maxmove_rightwise", 9);
    DeleteValue(fold, "chars_for_wordwrap");  // preset 2: empty
    Script script;
    OpenOn(script, 4);
    EditSlot(script, true, [](HWND sheet) {
        HWND page = CurrentPage(sheet);
        EXPECT_TRUE(Ticked(page, 120)) << "styles from preset 2";
        EXPECT_TRUE(Ticked(page, 115)) << "sub_styles as stored";
        EXPECT_FALSE(Ticked(page, 116)) << "sub_styles as stored";
        ShowPage(sheet, 1);
        EXPECT_EQ(ItemText(CurrentPage(sheet), 234), "\x81\x9C");
        ShowPage(sheet, 2);
        page = CurrentPage(sheet);
        EXPECT_EQ(ItemText(page, 304), "55");
        EXPECT_EQ(ItemText(page, 319), "20");
        EXPECT_EQ(ItemText(page, 320), "9");
    });
    script.Idle(4);
    Close(script);
    EXPECT_EQ(RunSlotDialog(script), 2);
    const Slot slot = LoadSlot(4);
    ASSERT_EQ(slot.stage, 0);
    EXPECT_EQ(slot.indent.styles, 0x800000B7u);
    EXPECT_EQ(slot.indent.sub_styles, 0x80000002u);
    EXPECT_STREQ(slot.indent.indent_string[4], "\x81\x9C");
    EXPECT_EQ(slot.fold.foldnum_from_head, 55u);
    EXPECT_EQ(slot.fold.maxmove_leftwise, 20u);
    EXPECT_EQ(slot.fold.maxmove_rightwise, 9u);
    EXPECT_EQ(StoredTitle(4), std::string("Four") + '\0');
}

// A record whose key is missing comes whole from preset 2; the others load.
TEST_F(SlotDialog, MissingGroupKeyGivesPresetTwoForThatRecord) {
    MakeSlot(5, 1, "Five");
    WriteDword(SlotPath(kVendor, 5) + "\\indent", "fixed_indent_column", 12);
    WriteDword(SlotPath(kVendor, 5) + "\\lumoheader", "lumoheader", HEADER_NO_FORMAT);
    ASSERT_EQ(RegDeleteTreeA(HKEY_CURRENT_USER, (SlotPath(kVendor, 5) + "\\foldpos").c_str()), ERROR_SUCCESS);
    RegDeleteKeyA(HKEY_CURRENT_USER, (SlotPath(kVendor, 5) + "\\foldpos").c_str());
    Script script;
    OpenOn(script, 5);
    EditSlot(script, true, [](HWND sheet) {
        ShowPage(sheet, 1);
        EXPECT_EQ(ItemText(CurrentPage(sheet), 210), "12");
        ShowPage(sheet, 2);
        EXPECT_EQ(ItemText(CurrentPage(sheet), 304), "70");
    });
    script.Idle(4);
    Close(script);
    EXPECT_EQ(RunSlotDialog(script), 2);
    const Slot slot = LoadSlot(5);
    ASSERT_EQ(slot.stage, 0);
    const FoldSettings preset = lumo_test::ExpectedFoldPreset(2);
    EXPECT_EQ(std::memcmp(&slot.fold, &preset, sizeof preset), 0);
    EXPECT_EQ(slot.indent.fixed_indent_column, 12u);
    EXPECT_EQ(slot.indent.sub_styles, 0xC000004Eu) << "preset 1 as stored";
    EXPECT_EQ(slot.header.lumoheader, HEADER_NO_FORMAT);
}

// ---- Failed saves ---------------------------------------------------------------

void SetDacl(const std::string &path, bool deny_all) {
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, WRITE_DAC, &key), ERROR_SUCCESS);
    SECURITY_DESCRIPTOR descriptor;
    InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION);
    ACL empty;
    InitializeAcl(&empty, sizeof empty, ACL_REVISION);
    SetSecurityDescriptorDacl(&descriptor, TRUE, deny_all ? &empty : nullptr, FALSE);
    EXPECT_EQ(RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, &descriptor), ERROR_SUCCESS);
    RegCloseKey(key);
}

TEST_F(SlotDialog, FailedSaveOfOneRecordIsReported) {
    MakeSlot(6, 2, "Six");
    const std::string header = SlotPath(kVendor, 6) + "\\lumoheader";
    SetDacl(header, true);
    Script script;
    OpenOn(script, 6);
    EditSlot(script, true, [](HWND sheet) { Click(CurrentPage(sheet), 101); });
    ExpectMessage(script, kSettingsNotSaved);
    script.Idle(4);
    Close(script);
    EXPECT_EQ(RunSlotDialog(script), 2);
    SetDacl(header, false);
    EXPECT_EQ(LoadSlot(6).indent.styles, 0x800000B7u & ~STYLE_INDENT) << "the other records were saved";
    EXPECT_EQ(StoredTitle(6), std::string("Six") + '\0');
}

// A vendor string too long for a key name: nothing loads (the sheet shows
// preset 2), nothing saves, and the title cannot be stored either.
TEST_F(SlotDialog, SlotThatCannotBeSavedAtAll) {
    const std::string vendor(300, 'v');
    Script script;
    OpenOn(script, 1);
    EditSlot(script, true, [](HWND sheet) { EXPECT_TRUE(Ticked(CurrentPage(sheet), 120)); });
    ExpectMessage(script, kSettingsNotSaved);
    ExpectMessage(script, kSetUpFirst);  // the posted 610 finds no slot key
    Close(script);
    EXPECT_EQ(RunSlotDialog(script, vendor.c_str()), 2);
}

// ---- The default-number dialog --------------------------------------------------

int32_t RunDefaultNumberDialog(const Script &script, bool twin = false) {
    return Drive(script, [twin] {
        return twin ? Lumotext().DefaultNumberDlgHM(nullptr, kVendor)
                    : Lumotext().DefaultNumberDlg(nullptr, kVendor);
    });
}

TEST_F(SlotDialog, DefaultNumberDialogStoresOnlyOnSelect) {
    MakeSlot(4, 2, "Four");
    ASSERT_EQ(Lumotext().SetDefaultNumber(7, kVendor), 0);
    Script script;
    script.On(kDefaultNumberCaption, "the dialog as it opens", [](HWND dialog) {
        EXPECT_EQ(ItemText(dialog, kSlotNumberId), "1") << "the stored default is not consulted";
        EXPECT_EQ(ItemText(dialog, kTitleId), kUnregistered);
        EXPECT_FALSE(Visible(dialog, kStoreTitleId));
        EXPECT_EQ(ItemText(dialog, kEditSlotId), kSelect);
        EXPECT_EQ(ItemText(dialog, IDCANCEL), kCancelX);
        EXPECT_FALSE(Enabled(dialog, kTitleId));
        EXPECT_EQ(LOWORD(SendMessageA(dialog, DM_GETDEFID, 0, 0)), IDCANCEL);
        ASSERT_NE(GetDlgItem(dialog, kUpDownId), nullptr);
        StepTo(dialog, 4);
        EXPECT_EQ(ItemText(dialog, kTitleId), "Four");
        // Enter ends the dialog through the default button, "中止(&X)".
        PostMessageA(GetDlgItem(dialog, kSlotNumberId), WM_KEYDOWN, VK_RETURN, 0);
    });
    EXPECT_EQ(RunDefaultNumberDialog(script), 2);
    EXPECT_EQ(Lumotext().GetDefaultNumber(kVendor), 7);

    Script cancel;
    cancel.On(kDefaultNumberCaption, "cancel", [](HWND dialog) {
        StepTo(dialog, 2);
        PostCommand(dialog, IDCANCEL);
    });
    EXPECT_EQ(RunDefaultNumberDialog(cancel, true), 2);
    EXPECT_EQ(Lumotext().GetDefaultNumber(kVendor), 7);

    Script select;
    select.On(kDefaultNumberCaption, "select", [](HWND dialog) {
        StepTo(dialog, 4);
        PostCommand(dialog, kEditSlotId);
    });
    EXPECT_EQ(RunDefaultNumberDialog(select), 1);
    EXPECT_EQ(Lumotext().GetDefaultNumber(kVendor), 4);
}

TEST_F(SlotDialog, TwinAndPicturesOfBothDialogs) {
    MakeSlot(1, 2, "\x8F\xAC\x90\xE0\x97\x70");                  // 小説用
    MakeSlot(2, 1, "\x83\x81\x81\x5B\x83\x8B\x88\xF8\x97\x70");  // メール引用
    Script script;
    script.On(kSlotCaption, "picture", [](HWND dialog) {
        g_dialog = dialog;
        SendMessageA(dialog, WM_NCACTIVATE, TRUE, 0);
    });
    script.Screenshot("slot-dialog");
    script.On(kSlotCaption, "slot 3", [](HWND dialog) {
        StepTo(dialog, 3);
        PostCommand(dialog, kStoreTitleId);
    });
    script.On(kMessageCaption, "picture of the message",
              [](HWND box) { SendMessageA(box, WM_NCACTIVATE, TRUE, 0); });
    script.Screenshot("slot-dialog-set-up-first");
    script.On(kMessageCaption, "answer", [](HWND box) { PostMessageA(box, WM_COMMAND, IDOK, 0); });
    Close(script);
    EXPECT_EQ(Drive(script, [] { return Lumotext().RegSelDlgHM(nullptr, kVendor); }), 2);

    Script numbers;
    numbers.On(kDefaultNumberCaption, "picture", [](HWND dialog) {
        StepTo(dialog, 2);
        SendMessageA(dialog, WM_NCACTIVATE, TRUE, 0);
    });
    numbers.Screenshot("default-number-dialog");
    numbers.On(kDefaultNumberCaption, "cancel", [](HWND dialog) { PostCommand(dialog, IDCANCEL); });
    EXPECT_EQ(RunDefaultNumberDialog(numbers), 2);
}

}  // namespace

namespace {

// A parent window that does not exist: the dialogs are not created, and the
// exports pass on the platform's failure value, 0; nothing is stored.
TEST(SlotDialogFailure, InvalidParentWindow) {
    const auto invalid = reinterpret_cast<LumoWindow>(static_cast<INT_PTR>(0x7FFF0001));
    ASSERT_FALSE(IsWindow(reinterpret_cast<HWND>(invalid)));
    dialog_test::DeleteProduct(dialog_test::kVendor);
    EXPECT_EQ(dialog_test::Lumotext().RegSelDlg(invalid, dialog_test::kVendor), 0);
    EXPECT_EQ(dialog_test::Lumotext().DefaultNumberDlg(invalid, dialog_test::kVendor), 0);
    EXPECT_EQ(dialog_test::Lumotext().GetDefaultNumber(dialog_test::kVendor), 0);
}

}  // namespace
