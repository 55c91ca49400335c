// The settings sheet (SetupDlgDirect) driven on Wine: which page owns which
// fields and bits, that only pages that were shown commit and only at OK,
// the option groups and their fallbacks, the fold page's two pending values,
// the header page's delimiter edit, text limits and number edits.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "dialog_driver.h"
#include "dialog_texts.h"
#include "support/preset_records.h"

namespace {

using namespace dialog_test;

// Every text check below assumes Shift-JIS as the ANSI code page.
TEST(DialogPrefix, AnsiCodePageIs932) {
    EXPECT_EQ(GetACP(), 932u);
    EXPECT_TRUE(IsDBCSLeadByte(0x81));
}

// Pages in tab order, as PSM_SETCURSEL numbers them.
enum Page { kIndent1 = 0, kIndent2, kFolding, kHeader, kReset };

constexpr int kApplyButton = 0x3021;  // the sheet's Apply button

LumoRecords Preset2() {
    return {lumo_test::ExpectedIndentPreset(2), lumo_test::ExpectedFoldPreset(2),
            lumo_test::ExpectedHeaderPreset(2)};
}

int32_t RunSheet(LumoRecords *records, const Script &script) {
    return Drive(script, [&] {
        return Lumotext().SetupDlgDirect(nullptr, &records->indent, &records->fold, &records->header);
    });
}

// A step on one page of the sheet: shows the page, then acts on it.
Script &OnPage(Script &script, Page page, const std::string &what, std::function<void(HWND)> action) {
    return script.On(kSheetCaption, what, [page, action](HWND sheet) {
        ShowPage(sheet, page);
        HWND shown = CurrentPage(sheet);
        ASSERT_NE(shown, nullptr);
        action(shown);
    });
}

Script &PressOk(Script &script) {
    return script.On(kSheetCaption, "OK", [](HWND sheet) { PropSheet_PressButton(sheet, PSBTN_OK); });
}

Script &PressCancel(Script &script) {
    return script.On(kSheetCaption, "Cancel", [](HWND sheet) { PropSheet_PressButton(sheet, PSBTN_CANCEL); });
}

// ---- Which control shows which bit ---------------------------------------

uint32_t &Styles(LumoRecords &r) { return r.indent.styles; }
uint32_t &SubStyles(LumoRecords &r) { return r.indent.sub_styles; }
uint32_t &TailWrap(LumoRecords &r) { return r.fold.tailwrap_flag; }
uint32_t &WrapType(LumoRecords &r) { return r.fold.wraptype; }
uint32_t &HeaderFlags(LumoRecords &r) { return r.header.lumoheader; }
template <int index>
uint32_t &StringProperty(LumoRecords &r) {
    return r.indent.indent_string_property[index];
}

struct BitBox {
    Page page;
    int id;
    uint32_t &(*word)(LumoRecords &);
    uint32_t bit;
};

const BitBox kBitBoxes[] = {
    {kIndent1, 101, Styles, STYLE_INDENT},
    {kIndent1, 102, Styles, STYLE_PARAGRAPH},
    {kIndent1, 103, SubStyles, SUB_PARAGRAPH_WIDE_SPACE},
    {kIndent1, 115, SubStyles, SUB_ITEM_END_SPACE},
    {kIndent1, 116, SubStyles, SUB_ITEM_NO_PARAGRAPH},
    {kIndent1, 120, Styles, STYLE_QUOTE},
    {kIndent1, 125, Styles, STYLE_EMPHA},
    {kIndent1, 130, SubStyles, SUB_NAMED_QUOTE},
    {kIndent1, 131, SubStyles, SUB_KEEP_QUOTED},
    {kIndent2, 200, Styles, STYLE_FIXED_COLUMN},
    {kIndent2, 225, Styles, STYLE_INDENT_STRINGS},
    {kIndent2, 240, StringProperty<0>, INDSTR_NEED_BLANK},
    {kIndent2, 241, StringProperty<1>, INDSTR_NEED_BLANK},
    {kIndent2, 242, StringProperty<2>, INDSTR_NEED_BLANK},
    {kIndent2, 243, StringProperty<3>, INDSTR_NEED_BLANK},
    {kIndent2, 244, StringProperty<4>, INDSTR_NEED_BLANK},
    {kIndent2, 245, StringProperty<5>, INDSTR_NEED_BLANK},
    {kIndent2, 246, StringProperty<6>, INDSTR_NEED_BLANK},
    {kIndent2, 247, StringProperty<7>, INDSTR_NEED_BLANK},
    {kIndent2, 248, StringProperty<8>, INDSTR_NEED_BLANK},
    {kIndent2, 249, StringProperty<9>, INDSTR_NEED_BLANK},
    {kFolding, 310, TailWrap, TAIL_KINSOKU},
    {kFolding, 314, TailWrap, TAIL_WORDWRAP},
    {kHeader, 401, HeaderFlags, HEADER_NO_FORMAT},
    {kHeader, 402, HeaderFlags, HEADER_DELIM_EMPTY_LINE},
    {kReset, 501, Styles, STYLE_STRIP_HEAD_SPACE},
    {kReset, 502, Styles, STYLE_STRIP_WHEN_INDENT},
    {kReset, 505, SubStyles, SUB_BLANK_NARROW},
    {kReset, 506, SubStyles, SUB_BLANK_WIDE},
    {kReset, 507, SubStyles, SUB_BLANK_TAB},
};

// Bits that no control owns; the sheet passes them through.
constexpr uint32_t kFreeStyles = 0x00010100u;
constexpr uint32_t kFreeSubStyles = 0x00200080u;
constexpr uint32_t kFreeProperty = 0x80000002u;
constexpr uint32_t kFreeTailWrap = 0x00000100u;
constexpr uint32_t kFreeWrapType = 0x0000000Cu;
constexpr uint32_t kFreeHeader = 0x00000100u;

void AddFreeBits(LumoRecords *r) {
    r->indent.styles |= kFreeStyles;
    r->indent.sub_styles |= kFreeSubStyles;
    for (uint32_t &property : r->indent.indent_string_property) property |= kFreeProperty;
    r->fold.tailwrap_flag |= kFreeTailWrap;
    r->fold.wraptype |= kFreeWrapType;
    r->header.lumoheader |= kFreeHeader;
}

void ExpectFreeBitsKept(const LumoRecords &r) {
    EXPECT_EQ(r.indent.styles & kFreeStyles, kFreeStyles);
    EXPECT_EQ(r.indent.sub_styles & kFreeSubStyles, kFreeSubStyles);
    for (uint32_t property : r.indent.indent_string_property)
        EXPECT_EQ(property & kFreeProperty, kFreeProperty);
    EXPECT_EQ(r.fold.tailwrap_flag & kFreeTailWrap, kFreeTailWrap);
    EXPECT_EQ(r.fold.wraptype & kFreeWrapType, kFreeWrapType);
    EXPECT_EQ(r.header.lumoheader & kFreeHeader, kFreeHeader);
}

// Each box shows its bit, a click toggles it, and OK commits it; in both
// directions, with the bits nobody owns passing through.
TEST(SettingsSheet, CheckBoxesShowAndCommitTheirBits) {
    for (bool start : {false, true}) {
        SCOPED_TRACE(start ? "boxes start ticked" : "boxes start unticked");
        LumoRecords records = Preset2();
        for (const BitBox &box : kBitBoxes) {
            uint32_t &word = box.word(records);
            word = start ? (word | box.bit) : (word & ~box.bit);
        }
        AddFreeBits(&records);
        Script script;
        for (const BitBox &box : kBitBoxes) {
            OnPage(script, box.page, "box " + std::to_string(box.id), [box, start](HWND page) {
                EXPECT_EQ(Ticked(page, box.id), start) << "box " << box.id;
                Click(page, box.id);
                EXPECT_EQ(Ticked(page, box.id), !start) << "box " << box.id;
            });
        }
        PressOk(script);
        ASSERT_EQ(RunSheet(&records, script), 1);
        for (const BitBox &box : kBitBoxes) {
            EXPECT_EQ((box.word(records) & box.bit) != 0, !start) << "box " << box.id;
        }
        ExpectFreeBitsKept(records);
    }
}

// ---- Text and number fields -------------------------------------------------

using SetField = char *(*)(LumoRecords &);

struct TextField {
    Page page;
    int id;
    SetField field;
    size_t size;
};

const TextField kTextFields[] = {
    {kIndent1, 110, [](LumoRecords &r) { return r.indent.chars_for_sole_itemize; }, LUMO_SET_BYTES},
    {kIndent1, 111, [](LumoRecords &r) { return r.indent.chars_for_combi_itemize; }, LUMO_SET_BYTES},
    {kIndent1, 112, [](LumoRecords &r) { return r.indent.chars_for_itemize_end; }, LUMO_SET_BYTES},
    {kIndent1, 121, [](LumoRecords &r) { return r.indent.chars_for_quote; }, LUMO_SET_BYTES},
    {kIndent1, 126, [](LumoRecords &r) { return r.indent.chars_for_empha; }, LUMO_SET_BYTES},
    {kIndent2, 230, [](LumoRecords &r) { return r.indent.indent_string[0]; }, LUMO_INDENT_STRING_BYTES},
    {kIndent2, 231, [](LumoRecords &r) { return r.indent.indent_string[1]; }, LUMO_INDENT_STRING_BYTES},
    {kIndent2, 232, [](LumoRecords &r) { return r.indent.indent_string[2]; }, LUMO_INDENT_STRING_BYTES},
    {kIndent2, 233, [](LumoRecords &r) { return r.indent.indent_string[3]; }, LUMO_INDENT_STRING_BYTES},
    {kIndent2, 234, [](LumoRecords &r) { return r.indent.indent_string[4]; }, LUMO_INDENT_STRING_BYTES},
    {kIndent2, 235, [](LumoRecords &r) { return r.indent.indent_string[5]; }, LUMO_INDENT_STRING_BYTES},
    {kIndent2, 236, [](LumoRecords &r) { return r.indent.indent_string[6]; }, LUMO_INDENT_STRING_BYTES},
    {kIndent2, 237, [](LumoRecords &r) { return r.indent.indent_string[7]; }, LUMO_INDENT_STRING_BYTES},
    {kIndent2, 238, [](LumoRecords &r) { return r.indent.indent_string[8]; }, LUMO_INDENT_STRING_BYTES},
    {kIndent2, 239, [](LumoRecords &r) { return r.indent.indent_string[9]; }, LUMO_INDENT_STRING_BYTES},
    {kFolding, 315, [](LumoRecords &r) { return r.fold.chars_for_wordwrap; }, LUMO_SET_BYTES},
    {kFolding, 321, [](LumoRecords &r) { return r.fold.chars_not_for_head; }, LUMO_SET_BYTES},
    {kFolding, 322, [](LumoRecords &r) { return r.fold.chars_not_for_tail; }, LUMO_SET_BYTES},
    {kHeader, 410, [](LumoRecords &r) { return r.header.headerdelimiter; }, LUMO_DELIMITER_BYTES},
};

// "ソ表" and the control's number: trail bytes 0x5C, which a program that
// took the text for anything but Shift-JIS would break.
std::string Before(int id) {
    return "\x83\x5C\x95\x5C"
           "b" +
           std::to_string(id);
}  // ソ表b<id>
std::string After(int id) {
    return "\x94\x5C"
           "a" +
           std::to_string(id);
}  // 能a<id>

TEST(SettingsSheet, TextFieldsShowAndCommitTheirTexts) {
    LumoRecords records = Preset2();
    for (const TextField &text : kTextFields) std::strcpy(text.field(records), Before(text.id).c_str());
    Script script;
    for (const TextField &text : kTextFields) {
        OnPage(script, text.page, "text " + std::to_string(text.id), [text](HWND page) {
            EXPECT_EQ(ItemText(page, text.id), Before(text.id));
            SetItemText(page, text.id, After(text.id));
        });
    }
    PressOk(script);
    ASSERT_EQ(RunSheet(&records, script), 1);
    for (const TextField &text : kTextFields) {
        EXPECT_EQ(std::string(text.field(records)), After(text.id)) << "text " << text.id;
    }
}

// A set keeps at most 1023 bytes, a 256-byte string at most 255; the set
// edits also refuse typing beyond 1024 bytes (the indent strings, the
// delimiter and the title-less edits have no limit but their width).
TEST(SettingsSheet, TextsAreCutToTheirFields) {
    LumoRecords records = Preset2();
    const std::string long_text(1500, 'x');
    Script script;
    for (const TextField &text : kTextFields) {
        OnPage(script, text.page, "long text " + std::to_string(text.id), [text, long_text](HWND page) {
            const auto limit = SendDlgItemMessageA(page, text.id, EM_GETLIMITTEXT, 0, 0);
            if (text.size == LUMO_SET_BYTES) {
                EXPECT_EQ(limit, 1024) << "text " << text.id;
            }
            SetItemText(page, text.id, long_text);  // WM_SETTEXT passes any limit
        });
    }
    PressOk(script);
    ASSERT_EQ(RunSheet(&records, script), 1);
    for (const TextField &text : kTextFields) {
        EXPECT_EQ(std::string(text.field(records)), long_text.substr(0, text.size - 1)) << "text " << text.id;
    }
}

struct NumberField {
    Page page;
    int id;
    uint32_t &(*field)(LumoRecords &);
};

const NumberField kNumberFields[] = {
    {kIndent2, 210, [](LumoRecords &r) -> uint32_t & { return r.indent.fixed_indent_column; }},
    {kFolding, 319, [](LumoRecords &r) -> uint32_t & { return r.fold.maxmove_leftwise; }},
    {kFolding, 320, [](LumoRecords &r) -> uint32_t & { return r.fold.maxmove_rightwise; }},
};

// Unsigned decimals both ways; an empty edit or a text that is no number
// commits 0.
TEST(SettingsSheet, NumberFields) {
    struct Row {
        uint32_t shown_value;
        const char *shown;
        const char *typed;
        uint32_t committed;
    };
    const Row rows[] = {
        {7, "7", "12", 12}, {4000000000u, "4000000000", "4294967295", 4294967295u},
        {20, "20", "", 0},  {3, "3", "abc", 0},
        {0, "0", "-5", 0},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(std::string("typed \"") + row.typed + "\"");
        LumoRecords records = Preset2();
        for (const NumberField &number : kNumberFields) number.field(records) = row.shown_value;
        Script script;
        for (const NumberField &number : kNumberFields) {
            OnPage(script, number.page, "number " + std::to_string(number.id), [number, row](HWND page) {
                EXPECT_EQ(ItemText(page, number.id), row.shown);
                SetItemText(page, number.id, row.typed);
            });
        }
        PressOk(script);
        ASSERT_EQ(RunSheet(&records, script), 1);
        for (const NumberField &number : kNumberFields) {
            EXPECT_EQ(number.field(records), row.committed) << "number " << number.id;
        }
    }
}

// ---- Which pages commit ---------------------------------------------------

// A record that pages 2 and 3 would change if they committed: both fill
// bits, both push-out and hang, two word-character bits, and a follow-width
// value that their edit shows as "-1" and reads back as 0.
LumoRecords RecordThatOtherPagesWouldChange() {
    LumoRecords r = Preset2();
    r.indent.record_size = 0;
    r.indent.styles |= STYLE_SCENARIO;  // with STYLE_ITEMIZE of preset 2
    r.indent.sub_styles |= SUB_FILL_SOURCE | SUB_FILL_WIDE_SPACE;
    r.fold.wraptype = WRAP_PUSH_OUT | WRAP_HANG | WRAP_ALNUM | WRAP_ASCII;
    r.fold.tailwrap_flag |= TAIL_FOLLOW_WIDTH;
    r.fold.foldnum_from_tail = 0xFFFFFFFFu;
    r.fold.foldnum = 77;
    r.header.record_size = 0;
    r.header.lumoheader = HEADER_DELIM_EXACT | HEADER_DELIM_EMPTY_LINE | kFreeHeader;
    AddFreeBits(&r);
    return r;
}

TEST(SettingsSheet, OkAtOnceCommitsPageOneOnly) {
    LumoRecords records = RecordThatOtherPagesWouldChange();
    const LumoRecords before = records;
    Script script;
    script.On(kSheetCaption, "the sheet as it opens", [](HWND sheet) {
        EXPECT_EQ(TabCtrl_GetItemCount(PropSheet_GetTabControl(sheet)), 5);
        EXPECT_EQ(TabCaption(sheet, 0), kTabIndent1);
        EXPECT_EQ(TabCaption(sheet, 1), kTabIndent2);
        EXPECT_EQ(TabCaption(sheet, 2), kTabFolding);
        EXPECT_EQ(TabCaption(sheet, 3), kTabHeader);
        EXPECT_EQ(TabCaption(sheet, 4), kTabReset);
        EXPECT_EQ(PropSheet_HwndToIndex(sheet, CurrentPage(sheet)), 0) << "page 1 first";
        EXPECT_FALSE(Enabled(sheet, kApplyButton)) << "nothing reports a change";
        EXPECT_TRUE(IsWindow(GetDlgItem(sheet, kApplyButton))) << "the Apply button exists";
    });
    PressOk(script);
    ASSERT_EQ(RunSheet(&records, script), 1);

    LumoRecords expected = before;
    expected.indent.record_size = INDENT_SETTINGS_SIZE;
    expected.indent.styles &= ~STYLE_SCENARIO;  // itemize mode wins, and the group commits it alone
    EXPECT_EQ(std::memcmp(&records.indent, &expected.indent, sizeof expected.indent), 0);
    EXPECT_EQ(records.indent.styles, expected.indent.styles);
    EXPECT_EQ(records.indent.sub_styles, expected.indent.sub_styles);
    EXPECT_EQ(std::memcmp(&records.fold, &before.fold, sizeof before.fold), 0)
        << "the fold page was never shown";
    EXPECT_EQ(std::memcmp(&records.header, &before.header, sizeof before.header), 0)
        << "the header page was never shown";
}

TEST(SettingsSheet, CancelChangesNothing) {
    for (bool by_close_box : {false, true}) {
        SCOPED_TRACE(by_close_box ? "close box" : "Cancel button");
        LumoRecords records = RecordThatOtherPagesWouldChange();
        const LumoRecords before = records;
        Script script;
        OnPage(script, kIndent1, "change page 1", [](HWND page) {
            Click(page, 101);
            SetItemText(page, 121, "zz");
        });
        OnPage(script, kIndent2, "change page 2", [](HWND page) { Click(page, 222); });
        OnPage(script, kFolding, "change page 3", [](HWND page) {
            Click(page, 302);
            SetItemText(page, 304, "33");
        });
        OnPage(script, kHeader, "change page 4", [](HWND page) { Click(page, 401); });
        OnPage(script, kReset, "change page 5", [](HWND page) { Click(page, 507); });
        if (by_close_box) {
            script.On(kSheetCaption, "close box",
                      [](HWND sheet) { PostMessageA(sheet, WM_SYSCOMMAND, SC_CLOSE, 0); });
        } else {
            PressCancel(script);
        }
        EXPECT_EQ(RunSheet(&records, script), 0);
        EXPECT_EQ(std::memcmp(&records.indent, &before.indent, sizeof before.indent), 0);
        EXPECT_EQ(std::memcmp(&records.fold, &before.fold, sizeof before.fold), 0);
        EXPECT_EQ(std::memcmp(&records.header, &before.header, sizeof before.header), 0);
    }
}

// Pages 1, 2 and 5 share the indent record and write disjoint parts of it.
TEST(SettingsSheet, PagesSharingARecordCommitTheirOwnParts) {
    LumoRecords records = Preset2();
    records.indent.record_size = 0;
    Script script;
    OnPage(script, kReset, "page 5", [](HWND page) { Click(page, 502); });  // STYLE_STRIP_WHEN_INDENT on
    OnPage(script, kIndent2, "page 2", [](HWND page) {
        Click(page, 200);  // STYLE_FIXED_COLUMN on
        SetItemText(page, 210, "8");
    });
    PressOk(script);
    ASSERT_EQ(RunSheet(&records, script), 1);
    EXPECT_EQ(records.indent.record_size, INDENT_SETTINGS_SIZE)
        << "page 1 was created first and committed too";
    EXPECT_EQ(records.indent.styles, 0x800000B7u | STYLE_FIXED_COLUMN | STYLE_STRIP_WHEN_INDENT);
    EXPECT_EQ(records.indent.fixed_indent_column, 8u);
}

// ---- Option groups ----------------------------------------------------------

struct GroupCase {
    const char *what;
    Page page;
    uint32_t &(*word)(LumoRecords &);
    uint32_t owned;      // the bits the group decides
    uint32_t initial;    // the owned bits in the record
    int shown;           // the button selected at opening
    int select;          // the button the user selects, or 0 to clear all
    uint32_t committed;  // the owned bits after OK
};

const int kGroupButtons[][3] = {
    {106, 107, 108}, {221, 222, 223}, {311, 312, 0}, {316, 317, 318}, {411, 412, 0}};

const GroupCase kGroupCases[] = {
    // Itemize or scenario mode.
    {"itemize and scenario", kIndent1, Styles, STYLE_ITEMIZE | STYLE_SCENARIO, STYLE_ITEMIZE | STYLE_SCENARIO,
     106, 106, STYLE_ITEMIZE},
    {"scenario", kIndent1, Styles, STYLE_ITEMIZE | STYLE_SCENARIO, STYLE_SCENARIO, 107, 107, STYLE_SCENARIO},
    {"neither mode", kIndent1, Styles, STYLE_ITEMIZE | STYLE_SCENARIO, 0, 108, 108, 0},
    {"to scenario", kIndent1, Styles, STYLE_ITEMIZE | STYLE_SCENARIO, STYLE_ITEMIZE, 106, 107,
     STYLE_SCENARIO},
    {"no mode selected", kIndent1, Styles, STYLE_ITEMIZE | STYLE_SCENARIO, STYLE_ITEMIZE, 106, 0, 0},
    // Fill of a fixed-column indent.
    {"both fills", kIndent2, SubStyles, SUB_FILL_SOURCE | SUB_FILL_WIDE_SPACE,
     SUB_FILL_SOURCE | SUB_FILL_WIDE_SPACE, 221, 221, SUB_FILL_SOURCE},
    {"wide fill", kIndent2, SubStyles, SUB_FILL_SOURCE | SUB_FILL_WIDE_SPACE, SUB_FILL_WIDE_SPACE, 222, 222,
     SUB_FILL_WIDE_SPACE},
    {"narrow fill", kIndent2, SubStyles, SUB_FILL_SOURCE | SUB_FILL_WIDE_SPACE, 0, 223, 222,
     SUB_FILL_WIDE_SPACE},
    {"no fill selected", kIndent2, SubStyles, SUB_FILL_SOURCE | SUB_FILL_WIDE_SPACE, SUB_FILL_SOURCE, 221, 0,
     0},
    // Push-out or hanging: no fallback at commit.
    {"push-out and hang", kFolding, WrapType, WRAP_PUSH_OUT | WRAP_HANG, WRAP_PUSH_OUT | WRAP_HANG, 311, 311,
     WRAP_PUSH_OUT},
    {"hang", kFolding, WrapType, WRAP_PUSH_OUT | WRAP_HANG, WRAP_HANG, 312, 312, WRAP_HANG},
    {"neither shows hang", kFolding, WrapType, WRAP_PUSH_OUT | WRAP_HANG, 0, 312, 311, WRAP_PUSH_OUT},
    {"none selected keeps both", kFolding, WrapType, WRAP_PUSH_OUT | WRAP_HANG, WRAP_PUSH_OUT | WRAP_HANG,
     311, 0, WRAP_PUSH_OUT | WRAP_HANG},
    {"none selected keeps neither", kFolding, WrapType, WRAP_PUSH_OUT | WRAP_HANG, 0, 312, 0, 0},
    // Word characters.
    {"no word-character bit", kFolding, WrapType, WRAP_ALNUM | WRAP_ASCII | WRAP_ALNUM_PLUS, 0, 318, 318,
     WRAP_ALNUM_PLUS},
    {"alnum wins", kFolding, WrapType, WRAP_ALNUM | WRAP_ASCII | WRAP_ALNUM_PLUS, WRAP_ALNUM | WRAP_ASCII,
     316, 316, WRAP_ALNUM},
    {"ascii", kFolding, WrapType, WRAP_ALNUM | WRAP_ASCII | WRAP_ALNUM_PLUS, WRAP_ASCII | WRAP_ALNUM_PLUS,
     317, 317, WRAP_ASCII},
    {"to ascii", kFolding, WrapType, WRAP_ALNUM | WRAP_ASCII | WRAP_ALNUM_PLUS, WRAP_ALNUM, 316, 317,
     WRAP_ASCII},
    {"no word characters selected", kFolding, WrapType, WRAP_ALNUM | WRAP_ASCII | WRAP_ALNUM_PLUS, WRAP_ASCII,
     317, 0, WRAP_ALNUM_PLUS},
    // The delimiter match.
    {"exact", kHeader, HeaderFlags, HEADER_DELIM_EXACT, HEADER_DELIM_EXACT, 411, 411, HEADER_DELIM_EXACT},
    {"head", kHeader, HeaderFlags, HEADER_DELIM_EXACT, 0, 412, 411, HEADER_DELIM_EXACT},
    {"to head", kHeader, HeaderFlags, HEADER_DELIM_EXACT, HEADER_DELIM_EXACT, 411, 412, 0},
    {"no match selected", kHeader, HeaderFlags, HEADER_DELIM_EXACT, HEADER_DELIM_EXACT, 411, 0, 0},
};

const int *ButtonsOf(int shown) {
    for (const auto &group : kGroupButtons) {
        for (int id : group) {
            if (id == shown) return group;
        }
    }
    return nullptr;
}

TEST(SettingsSheet, OptionGroupsAndTheirFallbacks) {
    for (const GroupCase &c : kGroupCases) {
        SCOPED_TRACE(c.what);
        LumoRecords records = Preset2();
        uint32_t &word = c.word(records);
        word = (word & ~c.owned) | c.initial;
        AddFreeBits(&records);
        const int *buttons = ButtonsOf(c.shown);
        ASSERT_NE(buttons, nullptr);
        Script script;
        OnPage(script, c.page, "the group", [c, buttons](HWND page) {
            for (int k = 0; k < 3 && buttons[k] != 0; ++k) {
                EXPECT_EQ(Ticked(page, buttons[k]), buttons[k] == c.shown) << "button " << buttons[k];
            }
            if (c.select != 0) {
                Click(page, c.select);
            } else {
                for (int k = 0; k < 3 && buttons[k] != 0; ++k) SetCheck(page, buttons[k], false);
            }
        });
        PressOk(script);
        ASSERT_EQ(RunSheet(&records, script), 1);
        EXPECT_EQ(c.word(records) & c.owned, c.committed);
        ExpectFreeBitsKept(records);
    }
}

// ---- The fold page's two pending values ---------------------------------------

TEST(SettingsSheet, FoldColumnModesKeepBothValues) {
    LumoRecords records = Preset2();
    records.fold.tailwrap_flag |= TAIL_FOLLOW_WIDTH;
    records.fold.foldnum_from_tail = 5;
    records.fold.foldnum_from_head = 70;
    Script script;
    OnPage(script, kFolding, "switch modes", [](HWND page) {
        EXPECT_TRUE(Ticked(page, 301));
        EXPECT_EQ(ItemText(page, 304), "5");
        EXPECT_EQ(ItemText(page, 303), kFromWidthLabel);
        Click(page, 302);
        EXPECT_EQ(ItemText(page, 304), "70");
        EXPECT_EQ(ItemText(page, 303), kFoldColumnLabel);
        SetItemText(page, 304, "72");
        Click(page, 301);
        EXPECT_EQ(ItemText(page, 304), "5");
        EXPECT_EQ(ItemText(page, 303), kFromWidthLabel);
    });
    PressOk(script);
    ASSERT_EQ(RunSheet(&records, script), 1);
    EXPECT_EQ(records.fold.foldnum_from_head, 72u);
    EXPECT_EQ(records.fold.foldnum_from_tail, 5u);
    EXPECT_TRUE(records.fold.tailwrap_flag & TAIL_FOLLOW_WIDTH);
    EXPECT_EQ(records.fold.foldnum, 0u) << "the page never writes foldnum";
}

TEST(SettingsSheet, FoldColumnEdgeCases) {
    struct Row {
        const char *what;
        bool follow;
        uint32_t head, tail;
        const char *shown;
        std::function<void(HWND)> act;
        bool follow_after;
        uint32_t head_after, tail_after;
    };
    const Row rows[] = {
        {"fixed column opens with its label", false, 70, 5, "70",
         [](HWND page) {
             EXPECT_TRUE(Ticked(page, 302));
             EXPECT_EQ(ItemText(page, 303), kFoldColumnLabel);
         },
         false, 70, 5},
        {"emptied edit commits 0 for the selected mode", false, 70, 5, "70",
         [](HWND page) { SetItemText(page, 304, ""); }, false, 0, 5},
        {"emptied edit while following the width", true, 70, 5, "5",
         [](HWND page) { SetItemText(page, 304, ""); }, true, 70, 0},
        {"a value above 0x7FFFFFFF shows signed; untouched it is kept", true, 70, 0xFFFFFFFFu, "-1",
         [](HWND) {}, true, 70, 0xFFFFFFFFu},
        {"shown again after a mode switch, \"-1\" reads back as 0", true, 70, 0xFFFFFFFFu, "-1",
         [](HWND page) {
             Click(page, 302);
             Click(page, 301);
             EXPECT_EQ(ItemText(page, 304), "-1");
         },
         true, 70, 0},
        {"switching to fixed", true, 60, 9, "9", [](HWND page) { Click(page, 302); }, false, 60, 9},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.what);
        LumoRecords records = Preset2();
        records.fold.tailwrap_flag = row.follow ? (TAIL_FOLLOW_WIDTH | 3u) : 3u;
        records.fold.foldnum_from_head = row.head;
        records.fold.foldnum_from_tail = row.tail;
        Script script;
        OnPage(script, kFolding, "fold column", [&row](HWND page) {
            EXPECT_EQ(ItemText(page, 304), row.shown);
            row.act(page);
        });
        PressOk(script);
        ASSERT_EQ(RunSheet(&records, script), 1);
        EXPECT_EQ((records.fold.tailwrap_flag & TAIL_FOLLOW_WIDTH) != 0, row.follow_after);
        EXPECT_EQ(records.fold.foldnum_from_head, row.head_after);
        EXPECT_EQ(records.fold.foldnum_from_tail, row.tail_after);
    }
}

// ---- The header page's delimiter edit ------------------------------------------

TEST(SettingsSheet, HeaderDelimiterEditFollowsTheEmptyLineBox) {
    for (bool empty_line : {false, true}) {
        SCOPED_TRACE(empty_line ? "empty line ends the header" : "a delimiter line ends the header");
        LumoRecords records = Preset2();
        records.header.lumoheader = empty_line ? HEADER_DELIM_EMPTY_LINE : 0u;
        std::strcpy(records.header.headerdelimiter, "----");
        Script script;
        OnPage(script, kHeader, "delimiter edit", [empty_line](HWND page) {
            EXPECT_EQ(Ticked(page, 402), empty_line);
            EXPECT_EQ(Enabled(page, 410), !empty_line);
            EXPECT_TRUE(Ticked(page, 412)) << "head match";
            EXPECT_EQ(ItemText(page, 410), "----");
            Click(page, 402);
            EXPECT_EQ(Enabled(page, 410), empty_line) << "at once";
            Click(page, 402);
            EXPECT_EQ(Enabled(page, 410), !empty_line);
            SetItemText(page, 410, "==END==");
            Click(page, 402);
        });
        PressOk(script);
        ASSERT_EQ(RunSheet(&records, script), 1);
        EXPECT_EQ((records.header.lumoheader & HEADER_DELIM_EMPTY_LINE) != 0, !empty_line);
        EXPECT_STREQ(records.header.headerdelimiter, "==END==") << "committed also while disabled";
    }
}

// ---- Pictures ----------------------------------------------------------------

TEST(SettingsSheet, Screenshots) {
    LumoRecords records = Preset2();
    std::strcpy(records.indent.indent_string[0], "\x81\x9C");  // ●
    std::strcpy(records.indent.indent_string[1], "\x81\xA6");  // ※
    records.indent.indent_string_property[1] = INDSTR_NEED_BLANK;
    const char *names[] = {"sheet-1-indent", "sheet-2-indent-strings", "sheet-3-folding", "sheet-4-header",
                           "sheet-5-unformatting"};
    Script script;
    for (int page = 0; page < 5; ++page) {
        script.On(kSheetCaption, "page " + std::to_string(page + 1), [page](HWND sheet) {
            ShowPage(sheet, page);
            SendMessageA(sheet, WM_NCACTIVATE, TRUE, 0);
        });
        script.Screenshot(names[page]);
    }
    PressCancel(script);
    EXPECT_EQ(RunSheet(&records, script), 0);
}

}  // namespace
