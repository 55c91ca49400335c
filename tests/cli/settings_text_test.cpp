// The slot commands' view of the settings: escapes, texts through a UTF-8
// or a Shift-JIS terminal, a field's value shown and set, and the help's
// list of fields. The field table itself is tested in tests/settings.
#include "settings_text.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "settings/field_text.h"
#include "slot_command.h"

namespace lumo::cli {
namespace {

// ---- Escapes ---------------------------------------------------------------

TEST(Escapes, Replaced) {
    struct Row {
        std::string in;
        std::string out;
    };
    const Row rows[] = {
        {"plain", "plain"},
        {"a\\\\b", "a\\b"},
        {"\\t\\n\\r", "\t\n\r"},
        {"\\x01\\x7f\\xFF\\x5C", std::string("\x01\x7f\xff\x5c")},
        // 0x5C as the second byte of a two-byte character is no backslash.
        {"\x83\x5c\x95\x5c", "\x83\x5c\x95\x5c"},      /* ソ表 */
        {"\x83\x5c\\\\t", "\x83\x5c\\t"},              /* ソ\\t: the escape after the character */
        {"\x81\x5c\\x41", "\x81\x5c" "A"},             /* ―\x41 */
        {"", ""},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.in);
        std::string bytes;
        std::string error;
        EXPECT_TRUE(ParseEscapes(row.in, &bytes, &error)) << error;
        EXPECT_EQ(bytes, row.out);
    }
}

TEST(Escapes, Refused) {
    for (const char *text : {"\\", "a\\", "\\q", "\\x", "\\x4", "\\x00", "\\xG0", "\\x+1", "\\X41", "\\0"}) {
        SCOPED_TRACE(text);
        std::string bytes;
        std::string error;
        EXPECT_FALSE(ParseEscapes(text, &bytes, &error));
        EXPECT_FALSE(error.empty());
    }
}

// ---- The terminal ----------------------------------------------------------

TEST(Terminal, Utf8Texts) {
    TerminalText terminal;
    std::string error;
    ASSERT_TRUE(terminal.Open(true, &error)) << error;
    struct Row {
        std::string cp932;
        std::string shown;
    };
    const Row rows[] = {
        {">|\x81\x74\x81\x62", ">|》｜"},
        {"\x81\x40\x82\xa0", "　あ"},
        {"\xb1\xdf", "ｱﾟ"},                     // half-width katakana
        {"a\\b\tc\r\n\x01\x7f", "a\\\\b\\tc\\r\\n\\x01\\x7F"},
        {"\x83\x5c", "ソ"},                      // trail byte 0x5C is no backslash
        {"\x80\xa0\xfd", "\\x80\\xA0\\xFD"},     // bytes that are no character
        {"a\x82", "a\\x82"},                     // a lead byte at the end
        {"\x82\x0a", "\\x82\\n"},                // a lead byte before a line end
        {"\x85\x40", "\\x85\\x40"},              // an unassigned code
        {"\xed\x40", "\\xED\\x40"},              // a character held twice (NEC row)
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.shown);
        EXPECT_EQ(terminal.ToTerminal(row.cp932), row.shown);
    }
}

TEST(Terminal, ShiftJisTexts) {
    TerminalText terminal;
    std::string error;
    ASSERT_TRUE(terminal.Open(false, &error)) << error;
    EXPECT_EQ(terminal.ToTerminal("\x83\x5c\x81\x40"), "\x83\x5c\x81\x40");  // ソ　 as they are
    EXPECT_EQ(terminal.ToTerminal("\\\t\x80"), "\\\\\\t\\x80");
    std::string cp932;
    EXPECT_TRUE(terminal.FromTerminal("\x83\x5c\xb1z", &cp932, &error)) << error;
    EXPECT_EQ(cp932, "\x83\x5c\xb1z");
    for (const char *bad : {"\x83", "a\x83\x20", "\x80", "\xa0", "\xff"}) {
        SCOPED_TRACE(bad);
        EXPECT_FALSE(terminal.FromTerminal(bad, &cp932, &error));
        EXPECT_NE(error.find("is not Shift-JIS"), std::string::npos) << error;
    }
}

TEST(Terminal, Utf8Refusals) {
    TerminalText terminal;
    std::string error;
    ASSERT_TRUE(terminal.Open(true, &error)) << error;
    struct Row {
        const char *text;
        const char *error;
    };
    const Row rows[] = {
        {"caf\xc3\xa9", "character 4, U+00E9"},
        {"\xf0\x9f\x98\x80", "character 1, U+1F600"},
        {"a\xff", "byte 2 (0xFF) is not UTF-8"},
        {"\xe3\x81", "byte 1 (0xE3) is not UTF-8"},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.text);
        std::string cp932 = "stale";
        EXPECT_FALSE(terminal.FromTerminal(row.text, &cp932, &error));
        EXPECT_NE(error.find(row.error), std::string::npos) << error;
    }
}

// The variants that input methods type are stored as the partner code page
// 932 holds, in either direction of the pair.
TEST(Terminal, InputMethodVariantsBecomeTheirPartners) {
    TerminalText terminal;
    std::string error;
    ASSERT_TRUE(terminal.Open(true, &error)) << error;
    struct Row {
        const char *typed;
        const char *stored;
    };
    const Row rows[] = {
        {u8"〜", "\x81\x60"}, {u8"～", "\x81\x60"}, {u8"‖", "\x81\x61"}, {u8"−", "\x81\x7c"},
        {u8"¢", "\x81\x91"}, {u8"£", "\x81\x92"}, {u8"¬", "\x81\xca"}, {u8"—", "\x81\x5c"},
        {u8"a〜b", "a\x81\x60" "b"},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.typed);
        std::string cp932;
        ASSERT_TRUE(terminal.FromTerminal(row.typed, &cp932, &error)) << error;
        EXPECT_EQ(cp932, row.stored);
    }
}

// Whatever bytes a field holds, what show prints reads back through set as
// the same bytes, on either terminal.
TEST(Terminal, PrintedTextsReadBack) {
    std::mt19937 random(11);
    for (const bool utf8 : {true, false}) {
        TerminalText terminal;
        std::string error;
        ASSERT_TRUE(terminal.Open(utf8, &error)) << error;
        for (int i = 0; i < 3000; ++i) {
            std::string bytes;
            const size_t length = random() % 12;
            for (size_t k = 0; k < length; ++k) {
                // Mostly lead and trail bytes, so that two-byte characters form.
                const uint32_t pick = random() % 4;
                unsigned char byte = static_cast<unsigned char>(random() % 255 + 1);
                if (pick == 0) byte = static_cast<unsigned char>(0x81 + random() % 31);
                if (pick == 1) byte = static_cast<unsigned char>(0xE0 + random() % 29);
                bytes += static_cast<char>(byte);
            }
            const std::string shown = terminal.ToTerminal(bytes);
            std::string raw;
            std::string back;
            SCOPED_TRACE(std::string(utf8 ? "UTF-8: " : "Shift-JIS: ") + shown);
            ASSERT_TRUE(terminal.FromTerminal(shown, &raw, &error)) << error;
            ASSERT_TRUE(ParseEscapes(raw, &back, &error)) << error;
            ASSERT_EQ(back, bytes);
        }
    }
}

// ---- The field table -------------------------------------------------------

TEST(FieldTable, SetChangesOnlyItsField) {
    TerminalText terminal;
    std::string error;
    ASSERT_TRUE(terminal.Open(true, &error)) << error;
    for (const FieldSpec &field : Fields()) {
        SCOPED_TRACE(field.name);
        Records records;
        std::memset(&records, 0xBD, sizeof records);
        Records before = records;
        const char *value = field.kind() == FieldKind::kText ? "ab" : "0x3";
        ASSERT_TRUE(SetFieldValue(&records, field, value, terminal, &error)) << error;
        const auto *now = reinterpret_cast<const unsigned char *>(&records);
        const auto *old = reinterpret_cast<const unsigned char *>(&before);
        const unsigned char *record = now + (field.record == Record::kIndent ? offsetof(Records, indent)
                                             : field.record == Record::kFold ? offsetof(Records, fold)
                                                                              : offsetof(Records, header));
        const size_t start = static_cast<size_t>(record - now) + field.offset;
        for (size_t i = 0; i < sizeof records; ++i) {
            if (i < start || i >= start + field.size) {
                ASSERT_EQ(now[i], old[i]) << "byte " << i << " changed";
            }
        }
        EXPECT_EQ(FieldValueText(records, field, terminal),
                  field.kind() == FieldKind::kText    ? "\"ab\""
                  : field.kind() == FieldKind::kFlags ? FlagsToText(3, *field.flags)
                                                     : "3");
        if (field.kind() == FieldKind::kText) {
            // The whole field is cleared behind the text.
            for (size_t i = start + 2; i < start + field.size; ++i) {
                ASSERT_EQ(now[i], 0) << "byte " << i;
            }
        }
    }
}

TEST(FieldTable, TextLimits) {
    TerminalText terminal;
    std::string error;
    ASSERT_TRUE(terminal.Open(true, &error)) << error;
    for (const FieldSpec &field : Fields()) {
        if (field.kind() != FieldKind::kText) continue;
        SCOPED_TRACE(field.name);
        Records records{};
        const size_t limit = field.size - 1;
        EXPECT_EQ(limit, field.size == LUMO_SET_BYTES ? 1023u : 255u);
        // limit bytes in Shift-JIS: あ takes 2 of them (3 in UTF-8).
        std::string wide;
        for (size_t i = 0; i < limit / 2; ++i) wide += "\xe3\x81\x82";
        if (limit % 2 == 1) wide += "a";
        EXPECT_TRUE(SetFieldValue(&records, field, wide, terminal, &error)) << error;
        EXPECT_EQ(std::strlen(FieldValueText(records, field, terminal).c_str()), wide.size() + 2);
        EXPECT_FALSE(SetFieldValue(&records, field, wide + "b", terminal, &error));
        EXPECT_NE(error.find("holds at most " + std::to_string(limit) + " bytes"), std::string::npos) << error;
        // An escape counts as the one byte it stands for.
        EXPECT_TRUE(SetFieldValue(&records, field, std::string(limit - 1, 'x') + "\\t", terminal, &error));
    }
}

// The help's list of fields is made from the table; it reads as the list
// written by hand before it, every line within 78 bytes.
TEST(FieldTable, HelpListsTheFieldsAsWrittenByHand) {
    const char kFieldsHelp[] =
    "Fields (FIELD of 'set', named as 'show' prints them):\n"
    "  indent.styles                   flags: STYLE_INDENT, STYLE_QUOTE,\n"
    "                                  STYLE_EMPHA, STYLE_SCENARIO, STYLE_ITEMIZE,\n"
    "                                  STYLE_PARAGRAPH, STYLE_FIXED_COLUMN,\n"
    "                                  STYLE_INDENT_STRINGS,\n"
    "                                  STYLE_STRIP_WHEN_INDENT,\n"
    "                                  STYLE_STRIP_HEAD_SPACE\n"
    "  indent.sub_styles               flags: SUB_NAMED_QUOTE, SUB_ITEM_END_SPACE,\n"
    "                                  SUB_ITEM_NO_PARAGRAPH,\n"
    "                                  SUB_PARAGRAPH_WIDE_SPACE, SUB_FILL_SOURCE,\n"
    "                                  SUB_FILL_WIDE_SPACE, SUB_KEEP_QUOTED,\n"
    "                                  SUB_BLANK_TAB, SUB_BLANK_WIDE,\n"
    "                                  SUB_BLANK_NARROW\n"
    "  indent.fixed_indent_column      number: the indent width with\n"
    "                                  STYLE_FIXED_COLUMN\n"
    "  indent.chars_for_quote          set: quote marks\n"
    "  indent.chars_for_empha          set: emphasis marks\n"
    "  indent.chars_for_sole_itemize   set: item marks by themselves\n"
    "  indent.chars_for_combi_itemize  set: item marks before an item-end\n"
    "  indent.chars_for_itemize_end    set: item-end characters\n"
    "  indent.indent_string-0 ... indent.indent_string-9\n"
    "                                  string: the ten indent strings\n"
    "  indent.indent_string_property-0 ... indent.indent_string_property-9\n"
    "                                  flags of each indent string:\n"
    "                                  INDSTR_NEED_BLANK\n"
    "  fold.foldnum_from_head          number: the fold column when it is fixed\n"
    "  fold.foldnum_from_tail          number: columns left free of the display\n"
    "                                  width when the fold column follows it\n"
    "  fold.tailwrap_flag              flags: TAIL_WORDWRAP, TAIL_KINSOKU,\n"
    "                                  TAIL_FOLLOW_WIDTH\n"
    "  fold.wraptype                   flags: WRAP_PUSH_OUT, WRAP_HANG, WRAP_ALNUM,\n"
    "                                  WRAP_ASCII, WRAP_ALNUM_PLUS\n"
    "  fold.maxmove_leftwise           number: bytes a break may move back\n"
    "  fold.maxmove_rightwise          number: characters that may hang\n"
    "  fold.chars_not_for_tail         set: characters that may not end a line\n"
    "  fold.chars_not_for_head         set: characters that may not begin a line\n"
    "  fold.chars_for_wordwrap         set: more word characters (WRAP_ALNUM_PLUS)\n"
    "  header.lumoheader               flags: HEADER_NO_FORMAT,\n"
    "                                  HEADER_DELIM_EMPTY_LINE, HEADER_DELIM_EXACT\n"
    "  header.headerdelimiter          string: the line that ends the header\n";
    const std::string help = CommandHelp(kSlotCommand);
    EXPECT_NE(help.find(kFieldsHelp), std::string::npos) << help;
    for (size_t start = 0, end; start < help.size(); start = end + 1) {
        end = help.find('\n', start);
        ASSERT_NE(end, std::string::npos);
        EXPECT_LE(end - start, 78u) << help.substr(start, end - start);
    }
}

TEST(FieldTable, HelpNamesEveryFieldAndFlag) {
    const std::string help = CommandHelp(kSlotCommand);
    for (const FieldSpec &field : Fields()) {
        std::string name = field.name;
        // The ten indent strings and their words are named as a range.
        const size_t dash = name.find('-');
        if (dash != std::string::npos) name = name.substr(0, dash + 1) + "0";
        EXPECT_NE(help.find(name), std::string::npos) << name;
        if (field.flags == nullptr) continue;
        for (size_t i = 0; i < field.flags->count; ++i) {
            EXPECT_NE(help.find(field.flags->names[i].name), std::string::npos) << field.flags->names[i].name;
        }
    }
}

}  // namespace
}  // namespace lumo::cli
