// The dialogs on a Windows whose ANSI code page is UTF-8 (utf8_system.h),
// read with the W functions: their own captions, labels, buttons and
// messages are the right Japanese; the records' sets (UTF-8 there) show as
// Japanese and go back into the records as UTF-8; the presets they fall back
// on are UTF-8; and a slot title typed or given by default is stored as
// UTF-8. These tests run after the other dialog tests (the paragraph dialog
// remembers its values for the life of the library).
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

#include "dialog_driver.h"
#include "dialog_texts.h"
#include "support/preset_records.h"
#include "utf8_system.h"

namespace {

using namespace dialog_test;

std::wstring WideText(HWND window) {
    std::wstring text(static_cast<size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(static_cast<size_t>(GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
    return text;
}

std::wstring WideItem(HWND dialog, int id) { return WideText(GetDlgItem(dialog, id)); }

// Code page 932 bytes in UTF-16 and UTF-8, by the system's own tables.
std::wstring WideOf932(const std::string &cp932) {
    const int units = MultiByteToWideChar(932, 0, cp932.data(), static_cast<int>(cp932.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(units), L'\0');
    MultiByteToWideChar(932, 0, cp932.data(), static_cast<int>(cp932.size()), wide.data(), units);
    return wide;
}

std::string Utf8Of(const std::wstring &wide) {
    return lumo_test::utf8_system::Utf8(wide.data(), static_cast<int>(wide.size()));
}

template <size_t N>
void ToUtf8(char (&field)[N]) {
    const std::string utf8 = Utf8Of(WideOf932(field));
    ASSERT_LT(utf8.size(), N);
    std::memset(field, 0, N);
    std::memcpy(field, utf8.data(), utf8.size());
}

struct Records {
    IndentSettings indent;
    FoldSettings fold;
    HeaderSettings header;
};

// Preset 2 written out by hand, its sets in UTF-8.
Records Utf8Preset2() {
    Records r{lumo_test::ExpectedIndentPreset(2), lumo_test::ExpectedFoldPreset(2), lumo_test::ExpectedHeaderPreset(2)};
    ToUtf8(r.indent.chars_for_quote);
    ToUtf8(r.indent.chars_for_empha);
    ToUtf8(r.indent.chars_for_sole_itemize);
    ToUtf8(r.indent.chars_for_combi_itemize);
    ToUtf8(r.indent.chars_for_itemize_end);
    ToUtf8(r.fold.chars_not_for_tail);
    ToUtf8(r.fold.chars_not_for_head);
    return r;
}

constexpr int kMessageTextId = 0xFFFF;

class Utf8Dialogs : public ::testing::Test {
protected:
    void SetUp() override {
        DeleteProduct(kVendor);
        system_ = std::make_unique<lumo_test::Utf8System>(Lumotext().module);
        ASSERT_TRUE(system_->patched());
    }
    void TearDown() override {
        system_.reset();
        DeleteProduct(kVendor);
    }
    std::unique_ptr<lumo_test::Utf8System> system_;
};

// A message box of the library, read and answered.
Script &ExpectMessage(Script &script, const wchar_t *text) {
    return script.On(kMessageCaption, "message box", [text](HWND box) {
        EXPECT_EQ(WideText(box), L"Lumotext");
        EXPECT_EQ(WideItem(box, kMessageTextId), text);
        PostMessageA(box, WM_COMMAND, IDOK, 0);
    });
}

TEST_F(Utf8Dialogs, SheetShowsItsTextsAndTheRecordsInJapanese) {
    Records r = Utf8Preset2();
    const Records before = r;
    Script script;
    script.On(kSheetCaption, "page 1", [](HWND sheet) {
        EXPECT_EQ(WideText(sheet), L"Lumotext - 整形仕様の設定");
        HWND page = CurrentPage(sheet);
        const IndentSettings preset = lumo_test::ExpectedIndentPreset(2);
        EXPECT_EQ(WideItem(page, 110), WideOf932(preset.chars_for_sole_itemize));
        EXPECT_EQ(WideItem(page, 111), WideOf932(preset.chars_for_combi_itemize));
        EXPECT_EQ(WideItem(page, 112), L".)．）");
        EXPECT_EQ(WideItem(page, 121), L">|》｜");
        EXPECT_EQ(WideItem(page, 101), L"インデントする(&I)") << "the template's own text";
        SetDlgItemTextW(page, 121, L"》｜＞🙂");
    });
    script.On(kSheetCaption, "page 2", [](HWND sheet) {
        ShowPage(sheet, 1);
        SetDlgItemTextW(CurrentPage(sheet), 230, L"※　");
    });
    script.On(kSheetCaption, "page 3", [](HWND sheet) {
        ShowPage(sheet, 2);
        HWND page = CurrentPage(sheet);
        EXPECT_EQ(WideItem(page, 303), L"折り返し位置桁数(&N)");
        Click(page, 301);
        EXPECT_EQ(WideItem(page, 303), L"表示幅からの桁数(&N)");
        Click(page, 302);
        EXPECT_EQ(WideItem(page, 303), L"折り返し位置桁数(&N)");
        const FoldSettings preset = lumo_test::ExpectedFoldPreset(2);
        EXPECT_EQ(WideItem(page, 321), WideOf932(preset.chars_not_for_head));
        EXPECT_EQ(WideItem(page, 322), WideOf932(preset.chars_not_for_tail));
    });
    script.On(kSheetCaption, "page 4", [](HWND sheet) {
        ShowPage(sheet, 3);
        SetDlgItemTextW(CurrentPage(sheet), 410, L"－－ここまで－－");
    });
    script.On(kSheetCaption, "OK", [](HWND sheet) { PropSheet_PressButton(sheet, PSBTN_OK); });
    ASSERT_EQ(Drive(script, [&r] { return Lumotext().SetupDlgDirect(nullptr, &r.indent, &r.fold, &r.header); }), 1);
    EXPECT_STREQ(r.indent.chars_for_quote, "》｜＞🙂");
    EXPECT_STREQ(r.indent.indent_string[0], "※　");
    EXPECT_STREQ(r.header.headerdelimiter, "－－ここまで－－");
    // What was only shown comes back byte for byte.
    EXPECT_STREQ(r.indent.chars_for_combi_itemize, before.indent.chars_for_combi_itemize);
    EXPECT_EQ(std::memcmp(&r.fold, &before.fold, sizeof r.fold), 0);
}

TEST_F(Utf8Dialogs, SlotDialogStoresTitlesInUtf8) {
    Script script;
    script.On(kSlotCaption, "as it opens", [](HWND dialog) {
        EXPECT_EQ(WideText(dialog), L"整形仕様の選択");
        EXPECT_EQ(WideItem(dialog, 605), L"(未登録)");
        EXPECT_EQ(WideItem(dialog, 610), L"タイトルの更新(&T)");
        PostCommand(dialog, 610);
    });
    ExpectMessage(script, L"先に設定してください");
    script.On(kSlotCaption, "edit the slot", [](HWND dialog) { PostCommand(dialog, 615); });
    script.On(kSheetCaption, "preset 2 in UTF-8", [](HWND sheet) {
        EXPECT_EQ(WideItem(CurrentPage(sheet), 121), L">|》｜");
        PropSheet_PressButton(sheet, PSBTN_OK);
    });
    script.Idle(4);  // the posted 610 stores 設定済み
    script.On(kSlotCaption, "titled", [](HWND dialog) {
        EXPECT_EQ(WideItem(dialog, 605), L"設定済み");
        std::string stored;
        EXPECT_TRUE(lumo_test::ReadStoredUtf8(SlotPath(kVendor, 1), "Title", &stored));
        EXPECT_EQ(stored, std::string("設定済み") + '\0');
        EXPECT_TRUE(lumo_test::ReadStoredUtf8(SlotPath(kVendor, 1) + "\\indent", "chars_for_quote", &stored));
        EXPECT_EQ(stored, std::string(">|》｜") + '\0');
        SetDlgItemTextW(dialog, 605, L"小説用📚");
        PostCommand(dialog, 610);
    });
    script.Idle(2);
    script.On(kSlotCaption, "own title", [](HWND dialog) {
        std::string stored;
        EXPECT_TRUE(lumo_test::ReadStoredUtf8(SlotPath(kVendor, 1), "Title", &stored));
        EXPECT_EQ(stored, std::string("小説用📚") + '\0');
        SetDlgItemTextW(dialog, 605, L"(未登録)");
        PostCommand(dialog, 610);
    });
    ExpectMessage(script, L"名前を付けてください");
    script.On(kSlotCaption, "shown again", [](HWND dialog) {
        HWND number = GetDlgItem(dialog, 601);
        SendMessageA(number, WM_KEYDOWN, VK_UP, 0);
        SendMessageA(number, WM_KEYUP, VK_UP, 0xC0000000);
        EXPECT_EQ(WideItem(dialog, 605), L"(未登録)");
        SendMessageA(number, WM_KEYDOWN, VK_DOWN, 0);
        SendMessageA(number, WM_KEYUP, VK_DOWN, 0xC0000000);
        EXPECT_EQ(WideItem(dialog, 605), L"小説用📚");
        PostCommand(dialog, IDCANCEL);
    });
    EXPECT_EQ(Drive(script, [] { return Lumotext().RegSelDlg(nullptr, kVendor); }), 2);
}

TEST_F(Utf8Dialogs, DefaultNumberDialogTexts) {
    int32_t detail = -1;
    ASSERT_EQ(Lumotext().SetDefaultWholeSetting(1, 2, "メール引用", kVendor, &detail), 0);
    Script script;
    script.On(kDefaultNumberCaption, "texts", [](HWND dialog) {
        EXPECT_EQ(WideText(dialog), L"デフォルト設定の選択");
        EXPECT_EQ(WideItem(dialog, 615), L"選択(&S)");
        EXPECT_EQ(WideItem(dialog, IDCANCEL), L"中止(&X)");
        EXPECT_EQ(WideItem(dialog, 605), L"メール引用");
        PostCommand(dialog, IDCANCEL);
    });
    EXPECT_EQ(Drive(script, [] { return Lumotext().DefaultNumberDlg(nullptr, kVendor); }), 2);
}

TEST_F(Utf8Dialogs, ParagraphDialogFallsBackOnPresetTwoInUtf8) {
    Records r;
    std::memset(&r, 0xBD, sizeof r);
    Script script;
    script.On(kParagraphCaption, "cancel", [](HWND dialog) {
        EXPECT_EQ(WideText(dialog), L"この段落の整形仕様");
        EXPECT_EQ(WideItem(dialog, 710), L"詳細(&D)");
        PostCommand(dialog, IDCANCEL);
    });
    EXPECT_EQ(Drive(script, [&r] { return Lumotext().IndPropDlg(nullptr, &r.indent, &r.fold, &r.header); }), 2);
    const Records preset = Utf8Preset2();
    EXPECT_EQ(std::memcmp(&r.indent, &preset.indent, sizeof r.indent), 0);
    EXPECT_EQ(std::memcmp(&r.fold, &preset.fold, sizeof r.fold), 0);
    EXPECT_EQ(std::memcmp(&r.header, &preset.header, sizeof r.header), 0);
}

// ---- Former bugs ------------------------------------------------------------

// The dialogs handed their own texts to the ANSI functions as code page 932
// bytes, which a UTF-8 system shows as mojibake.
TEST_F(Utf8Dialogs, FormerBugOwnTextsAreNotCodePage932BytesOnAUtf8System) {
    Script script;
    script.On(kSlotCaption, "nothing to store", [](HWND dialog) { PostCommand(dialog, 610); });
    ExpectMessage(script, L"先に設定してください");
    script.On(kSlotCaption, "close", [](HWND dialog) { PostCommand(dialog, IDCANCEL); });
    EXPECT_EQ(Drive(script, [] { return Lumotext().RegSelDlg(nullptr, kVendor); }), 2);

    Records r = Utf8Preset2();
    Script sheet;
    sheet.On(kSheetCaption, "fold label", [](HWND window) {
        ShowPage(window, 2);
        EXPECT_EQ(WideItem(CurrentPage(window), 303), L"折り返し位置桁数(&N)");
        PropSheet_PressButton(window, PSBTN_CANCEL);
    });
    EXPECT_EQ(Drive(sheet, [&r] { return Lumotext().SetupDlgDirect(nullptr, &r.indent, &r.fold, &r.header); }), 0);
}

}  // namespace
