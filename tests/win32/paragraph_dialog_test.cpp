// The paragraph dialog (IndPropDlg, IndPropDlgGL and its twin) driven on
// Wine. The values it remembers live as long as the library, so the calls
// run in one test, in order, from the first call in the process on.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "dialog_driver.h"
#include "dialog_texts.h"
#include "support/preset_records.h"

namespace {

using namespace dialog_test;

constexpr int kIndentColumn = 701;
constexpr int kFoldColumn = 705;
constexpr int kWordWrap = 706;
constexpr int kKinsoku = 707;
constexpr int kDetails = 710;

int32_t RunParagraph(LumoRecords *r, const Script &script) {
    return Drive(script, [r] { return Lumotext().IndPropDlg(nullptr, &r->indent, &r->fold, &r->header); });
}

// What the dialog shows: indent column, fold column, the two boxes.
void ExpectShown(HWND dialog, const char *indent, const char *fold, bool wordwrap, bool kinsoku) {
    EXPECT_EQ(ItemText(dialog, kIndentColumn), indent);
    EXPECT_EQ(ItemText(dialog, kFoldColumn), fold);
    EXPECT_EQ(Ticked(dialog, kWordWrap), wordwrap);
    EXPECT_EQ(Ticked(dialog, kKinsoku), kinsoku);
}

// Preset 2 with the four values of an accepted dialog applied.
void ExpectAccepted(const LumoRecords &r, uint32_t indent_column, uint32_t fold_column, uint32_t tailwrap) {
    IndentSettings indent = lumo_test::ExpectedIndentPreset(2);
    indent.styles |= STYLE_INDENT | STYLE_FIXED_COLUMN;
    indent.fixed_indent_column = indent_column;
    FoldSettings fold = lumo_test::ExpectedFoldPreset(2);
    fold.tailwrap_flag = tailwrap;
    fold.foldnum = fold_column;
    const HeaderSettings header = lumo_test::ExpectedHeaderPreset(2);
    EXPECT_EQ(r.indent.styles, indent.styles);
    EXPECT_EQ(r.indent.fixed_indent_column, indent_column);
    EXPECT_EQ(r.fold.tailwrap_flag, tailwrap);
    EXPECT_EQ(r.fold.foldnum, fold_column);
    EXPECT_EQ(std::memcmp(&r.indent, &indent, sizeof indent), 0);
    EXPECT_EQ(std::memcmp(&r.fold, &fold, sizeof fold), 0);
    EXPECT_EQ(std::memcmp(&r.header, &header, sizeof header), 0);
}

void PutClipboardText(const std::string &text) {
    ASSERT_TRUE(OpenClipboard(nullptr));
    EmptyClipboard();
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, text.size() + 1);
    std::memcpy(GlobalLock(block), text.c_str(), text.size() + 1);
    GlobalUnlock(block);
    SetClipboardData(CF_TEXT, block);
    CloseClipboard();
}

std::string ClipboardText() {
    if (!OpenClipboard(nullptr)) return "<clipboard busy>";
    std::string text;
    if (HANDLE block = GetClipboardData(CF_TEXT)) {
        text = static_cast<const char *>(GlobalLock(block));
        GlobalUnlock(block);
    }
    CloseClipboard();
    return text;
}

TEST(ParagraphDialog, CallsInOrderFromTheFirst) {
    LumoRecords records;
    std::memset(&records, 0xBD, sizeof records);

    SCOPED_TRACE("first call: 0, 70, both boxes; the records are preset 2 whatever they held");
    Script first;
    first.On(kParagraphCaption, "the dialog as it opens", [](HWND dialog) {
        ExpectShown(dialog, "0", "70", true, true);
        EXPECT_EQ(LOWORD(SendMessageA(dialog, DM_GETDEFID, 0, 0)), IDOK);
        SendMessageA(dialog, WM_NCACTIVATE, TRUE, 0);
    });
    first.Screenshot("paragraph-dialog");
    first.On(kParagraphCaption, "execute", [](HWND dialog) { PostCommand(dialog, IDOK); });
    ASSERT_EQ(RunParagraph(&records, first), 1);
    EXPECT_EQ(records.indent.styles, 0x800000F7u);
    ExpectAccepted(records, 0, 70, 3);

    SCOPED_TRACE("4 and 60 without word wrap");
    Script second;
    second.On(kParagraphCaption, "type", [](HWND dialog) {
        SetItemText(dialog, kIndentColumn, "4");
        SetItemText(dialog, kFoldColumn, "60");
        Click(dialog, kWordWrap);
        PostCommand(dialog, IDOK);
    });
    ASSERT_EQ(RunParagraph(&records, second), 1);
    ExpectAccepted(records, 4, 60, TAIL_KINSOKU);

    SCOPED_TRACE("remembered; then both boxes unticked");
    Script third;
    third.On(kParagraphCaption, "untick", [](HWND dialog) {
        ExpectShown(dialog, "4", "60", false, true);
        Click(dialog, kKinsoku);
        PostCommand(dialog, IDOK);
    });
    ASSERT_EQ(RunParagraph(&records, third), 1);
    ExpectAccepted(records, 4, 60, 0);

    SCOPED_TRACE("a remembered 0 flag word shows both boxes again; cancelled");
    Script fourth;
    fourth.On(kParagraphCaption, "cancel", [](HWND dialog) {
        ExpectShown(dialog, "4", "60", true, true);
        SetItemText(dialog, kIndentColumn, "99");
        PostCommand(dialog, IDCANCEL);
    });
    EXPECT_EQ(RunParagraph(&records, fourth), 2);
    {
        const IndentSettings indent = lumo_test::ExpectedIndentPreset(2);
        const FoldSettings fold = lumo_test::ExpectedFoldPreset(2);
        EXPECT_EQ(std::memcmp(&records.indent, &indent, sizeof indent), 0);
        EXPECT_EQ(std::memcmp(&records.fold, &fold, sizeof fold), 0);
        char source[] = "text";
        char output[64];
        FormatRequest request = {FORMAT_REQUEST_SIZE, source, output, sizeof output, 8, 80};
        EXPECT_EQ(Lumotext().LumoMultiLines(&request, &records.indent, &records.fold, &records.header), 3)
            << "fold column 0 after a cancel";
    }

    SCOPED_TRACE("details: the sheet shows the records, and its OK replaces the dialog's values");
    Script fifth;
    fifth.On(kParagraphCaption, "details", [](HWND dialog) {
        ExpectShown(dialog, "4", "60", true, true);
        SetItemText(dialog, kIndentColumn, "9");
        SetItemText(dialog, kFoldColumn, "33");
        PostCommand(dialog, kDetails);
    });
    fifth.On(kSheetCaption, "the sheet over preset 2", [](HWND sheet) {
        EXPECT_EQ(GetWindow(sheet, GW_OWNER) != nullptr, true);
        ShowPage(sheet, 1);
        EXPECT_EQ(ItemText(CurrentPage(sheet), 210), "0") << "not what was typed";
        SetItemText(CurrentPage(sheet), 210, "6");
        ShowPage(sheet, 2);
        HWND page = CurrentPage(sheet);
        EXPECT_EQ(ItemText(page, 304), "70");
        Click(page, 301);  // follow the display width
        EXPECT_EQ(ItemText(page, 304), "5");
        PropSheet_PressButton(sheet, PSBTN_OK);
    });
    fifth.On(kParagraphCaption, "values from the sheet", [](HWND dialog) {
        ExpectShown(dialog, "6", "70", true, true);
        PostCommand(dialog, IDOK);
    });
    ASSERT_EQ(RunParagraph(&records, fifth), 1);
    EXPECT_EQ(records.indent.fixed_indent_column, 6u);
    EXPECT_EQ(records.fold.foldnum, 70u);
    EXPECT_EQ(records.fold.tailwrap_flag, TAIL_FOLLOW_WIDTH | TAIL_WORDWRAP | TAIL_KINSOKU);
    EXPECT_EQ(records.indent.styles & (STYLE_INDENT | STYLE_FIXED_COLUMN), STYLE_INDENT | STYLE_FIXED_COLUMN);

    SCOPED_TRACE("a cancelled sheet leaves the edits; the follow-width bit stays in the remembered flags");
    Script sixth;
    sixth.On(kParagraphCaption, "details again", [](HWND dialog) {
        ExpectShown(dialog, "6", "70", true, true);
        SetItemText(dialog, kIndentColumn, "12");
        PostCommand(dialog, kDetails);
    });
    sixth.On(kSheetCaption, "cancel the sheet", [](HWND sheet) {
        ShowPage(sheet, 2);
        EXPECT_TRUE(Ticked(CurrentPage(sheet), 302)) << "the records are preset 2 again";
        PropSheet_PressButton(sheet, PSBTN_CANCEL);
    });
    sixth.On(kParagraphCaption, "edits as typed", [](HWND dialog) {
        ExpectShown(dialog, "12", "70", true, true);
        PostCommand(dialog, IDOK);
    });
    ASSERT_EQ(RunParagraph(&records, sixth), 1);
    EXPECT_EQ(records.indent.fixed_indent_column, 12u);
    EXPECT_EQ(records.fold.tailwrap_flag, TAIL_FOLLOW_WIDTH | TAIL_WORDWRAP | TAIL_KINSOKU);
    EXPECT_EQ(records.fold.foldnum, 70u);

    SCOPED_TRACE("the GL form works on the global records");
    Script cancel;
    cancel.On(kParagraphCaption, "cancel", [](HWND dialog) { PostCommand(dialog, IDCANCEL); });
    EXPECT_EQ(Drive(cancel, [] { return Lumotext().IndPropDlgGL(nullptr); }), 2);
    FormatRequest request = {FORMAT_REQUEST_SIZE, nullptr, nullptr, 0, 8, 80};
    PutClipboardText("0123456789012345678901234");
    EXPECT_EQ(Lumotext().LumoClipBoardGL(&request), 3)
        << "the global records hold preset 2 with fold column 0";

    Script accept;
    accept.On(kParagraphCaption, "fold at 10", [](HWND dialog) {
        ExpectShown(dialog, "12", "70", true, true);
        SetItemText(dialog, kIndentColumn, "0");
        SetItemText(dialog, kFoldColumn, "10");
        PostCommand(dialog, IDOK);
    });
    EXPECT_EQ(Drive(accept, [] { return Lumotext().IndPropDlgGLHM(nullptr); }), 1);
    request = {FORMAT_REQUEST_SIZE, nullptr, nullptr, 0, 8, 80};
    EXPECT_EQ(Lumotext().LumoClipBoardGL(&request), 0);
    EXPECT_EQ(ClipboardText(), "0123456789\r\n0123456789\r\n01234");
}

}  // namespace

namespace {

// The dialog cannot be created: result 2, and the records hold preset 2.
TEST(ParagraphDialogFailure, InvalidParentWindow) {
    const auto invalid = reinterpret_cast<LumoWindow>(static_cast<INT_PTR>(0x7FFF0001));
    LumoRecords records;
    std::memset(&records, 0xBD, sizeof records);
    EXPECT_EQ(Lumotext().IndPropDlg(invalid, &records.indent, &records.fold, &records.header), 2);
    const IndentSettings indent = lumo_test::ExpectedIndentPreset(2);
    const FoldSettings fold = lumo_test::ExpectedFoldPreset(2);
    const HeaderSettings header = lumo_test::ExpectedHeaderPreset(2);
    EXPECT_EQ(std::memcmp(&records.indent, &indent, sizeof indent), 0);
    EXPECT_EQ(std::memcmp(&records.fold, &fold, sizeof fold), 0);
    EXPECT_EQ(std::memcmp(&records.header, &header, sizeof header), 0);
}

}  // namespace
