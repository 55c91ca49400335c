// The slot commands' view of the settings: flag words by name and back,
// numbers, escapes, texts through a UTF-8 or a Shift-JIS terminal, and the
// field table checked against the records, the store and the help text.
#include "settings_text.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "platform/registry.h"
#include "settings/presets.h"
#include "settings/slots.h"
#include "slot_command.h"
#include "support/temp_store.h"

namespace lumo::cli {
namespace {

const FlagGroup &GroupOf(const char *field) {
    const FieldSpec *entry = FindField(field);
    EXPECT_NE(entry, nullptr) << field;
    EXPECT_NE(entry->flags, nullptr) << field;
    return *entry->flags;
}

// ---- Flag words ------------------------------------------------------------

struct FlagsRow {
    const char *field;
    uint32_t value;
    const char *text;
};

const FlagsRow kFlagsToText[] = {
    // Known bits by name in bit order; the rest as one hexadecimal number.
    {"indent.styles", 0, "0"},
    {"indent.styles", 0x800000B7,
     "STYLE_INDENT|STYLE_QUOTE|STYLE_EMPHA|STYLE_ITEMIZE|STYLE_PARAGRAPH|STYLE_INDENT_STRINGS|"
     "STYLE_STRIP_HEAD_SPACE"},
    {"indent.styles", 0x103, "STYLE_INDENT|STYLE_QUOTE|0x100"},
    {"indent.styles", 0x3FFFFF00, "0x3FFFFF00"},
    {"indent.styles", 0xFFFFFFFF,
     "STYLE_INDENT|STYLE_QUOTE|STYLE_EMPHA|STYLE_SCENARIO|STYLE_ITEMIZE|STYLE_PARAGRAPH|STYLE_FIXED_COLUMN|"
     "STYLE_INDENT_STRINGS|STYLE_STRIP_WHEN_INDENT|STYLE_STRIP_HEAD_SPACE|0x3FFFFF00"},
    {"indent.sub_styles", 0xC000004E,
     "SUB_ITEM_END_SPACE|SUB_ITEM_NO_PARAGRAPH|SUB_PARAGRAPH_WIDE_SPACE|SUB_KEEP_QUOTED|SUB_BLANK_WIDE|"
     "SUB_BLANK_NARROW"},
    {"indent.sub_styles", 0x20000030, "SUB_FILL_SOURCE|SUB_FILL_WIDE_SPACE|SUB_BLANK_TAB"},
    {"indent.indent_string_property-3", 1, "INDSTR_NEED_BLANK"},
    {"indent.indent_string_property-3", 2, "0x2"},
    {"fold.tailwrap_flag", 7, "TAIL_WORDWRAP|TAIL_KINSOKU|TAIL_FOLLOW_WIDTH"},
    {"fold.wraptype", 0x11, "WRAP_PUSH_OUT|WRAP_ALNUM"},
    {"fold.wraptype", 0x62, "WRAP_HANG|WRAP_ASCII|WRAP_ALNUM_PLUS"},
    {"fold.wraptype", 0x0C, "0xC"},
    {"header.lumoheader", 0x10003, "HEADER_NO_FORMAT|HEADER_DELIM_EMPTY_LINE|HEADER_DELIM_EXACT"},
    {"header.lumoheader", 0x10000, "HEADER_DELIM_EXACT"},
};

TEST(Flags, ToText) {
    for (const FlagsRow &row : kFlagsToText) {
        SCOPED_TRACE(std::string(row.field) + " " + row.text);
        EXPECT_EQ(FlagsToText(row.value, GroupOf(row.field)), row.text);
        uint32_t parsed = 0xDEADBEEF;
        std::string error;
        EXPECT_TRUE(ParseFlags(row.text, GroupOf(row.field), &parsed, &error)) << error;
        EXPECT_EQ(parsed, row.value);
    }
}

const FlagsRow kFlagsParsed[] = {
    // Any case, blanks around each word, numbers among names, repeated bits.
    {"indent.styles", 0x3, "style_indent|Style_Quote"},
    {"indent.styles", 0x3, "  STYLE_INDENT |\tSTYLE_QUOTE  "},
    {"indent.styles", 0x80000101, "STYLE_INDENT|0x100|2147483648"},
    {"indent.styles", 0x1, "STYLE_INDENT|STYLE_INDENT|1"},
    {"fold.wraptype", 0x22, "34"},
    {"fold.wraptype", 0x22, "0X22"},
    {"fold.wraptype", 0, "0"},
    {"fold.wraptype", 0xFFFFFFFF, "0xFFFFFFFF"},
};

TEST(Flags, ParsedForms) {
    for (const FlagsRow &row : kFlagsParsed) {
        SCOPED_TRACE(std::string(row.field) + " '" + row.text + "'");
        uint32_t parsed = 0xDEADBEEF;
        std::string error;
        EXPECT_TRUE(ParseFlags(row.text, GroupOf(row.field), &parsed, &error)) << error;
        EXPECT_EQ(parsed, row.value);
    }
}

struct BadFlagsRow {
    const char *field;
    const char *text;
    const char *error;
};

const BadFlagsRow kBadFlags[] = {
    {"indent.styles", "", "missing"},
    {"indent.styles", "STYLE_INDENT|", "missing"},
    {"indent.styles", "|STYLE_INDENT", "missing"},
    {"indent.styles", "STYLE_INDENT||STYLE_QUOTE", "missing"},
    {"indent.styles", "WRAP_HANG", "'WRAP_HANG' is not one of its flags"},  // another field's flag
    {"indent.styles", "STYLE_INDENTS", "'STYLE_INDENTS' is not one of its flags"},
    {"indent.styles", "INDENT", "'INDENT' is not one of its flags"},
    {"fold.wraptype", "0x", "'0x' is not a number"},
    {"fold.wraptype", "0x1G", "'0x1G' is not a number"},
    {"fold.wraptype", "4294967296", "'4294967296' is not a number"},
    {"fold.wraptype", "0x100000000", "is not a number"},
    {"fold.wraptype", "1e3", "is not a number"},
    {"fold.wraptype", "12 3", "is not a number"},
};

TEST(Flags, Refused) {
    for (const BadFlagsRow &row : kBadFlags) {
        SCOPED_TRACE(std::string(row.field) + " '" + row.text + "'");
        uint32_t parsed = 0x5A5A;
        std::string error;
        EXPECT_FALSE(ParseFlags(row.text, GroupOf(row.field), &parsed, &error));
        EXPECT_EQ(parsed, 0x5A5Au) << "the value changed on failure";
        EXPECT_NE(error.find(row.error), std::string::npos) << error;
    }
}

TEST(Flags, EveryValueReadsBack) {
    std::mt19937 random(7);
    for (const FieldSpec &field : Fields()) {
        if (field.kind != FieldKind::kFlags) continue;
        for (int i = 0; i < 200; ++i) {
            const uint32_t value = static_cast<uint32_t>(random()) & (i % 2 == 0 ? 0xC00000FFu : 0xFFFFFFFFu);
            const std::string text = FlagsToText(value, *field.flags);
            SCOPED_TRACE(field.name + " " + text);
            uint32_t parsed = 0;
            std::string error;
            ASSERT_TRUE(ParseFlags(text, *field.flags, &parsed, &error)) << error;
            EXPECT_EQ(parsed, value);
        }
    }
}

// ---- Numbers ---------------------------------------------------------------

TEST(Numbers, Forms) {
    struct Row {
        const char *text;
        bool ok;
        uint32_t value;
    };
    const Row rows[] = {
        {"0", true, 0},           {"70", true, 70},           {"007", true, 7},
        {"4294967295", true, 0xFFFFFFFF},                     {"0xffffffff", true, 0xFFFFFFFF},
        {"0x0", true, 0},         {"0XaB", true, 0xAB},       {"4294967296", false, 0},
        {"99999999999999999999", false, 0},                   {"0x1ffffffff", false, 0},
        {"", false, 0},           {"-1", false, 0},           {"+1", false, 0},
        {" 1", false, 0},         {"0x", false, 0},           {"1a", false, 0},
        {"ab", false, 0},         {"0b1", false, 0},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(std::string("'") + row.text + "'");
        uint32_t value = 12345;
        EXPECT_EQ(ParseNumber(row.text, &value), row.ok);
        EXPECT_EQ(value, row.ok ? row.value : 12345u);
    }
}

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

TEST(FieldTable, CoversEveryStoredField) {
    const std::vector<FieldSpec> &fields = Fields();
    EXPECT_EQ(fields.size(), 39u);  // 28 indent, 9 fold, 2 header
    std::set<std::string> names;
    size_t bytes[3] = {0, 0, 0};
    for (const FieldSpec &field : fields) {
        SCOPED_TRACE(field.name);
        EXPECT_TRUE(names.insert(field.name).second) << "twice";
        EXPECT_EQ(field.name, std::string(RecordName(field.record)) + "." + field.value_name);
        EXPECT_EQ(FindField(field.name), &field);
        EXPECT_EQ(field.kind == FieldKind::kFlags, field.flags != nullptr);
        if (field.kind == FieldKind::kText) {
            EXPECT_TRUE(field.size == LUMO_SET_BYTES || field.size == LUMO_INDENT_STRING_BYTES);
        } else {
            EXPECT_EQ(field.size, 4u);
        }
        bytes[static_cast<int>(field.record)] += field.size;
    }
    // Every byte of each record but record_size (and the derived foldnum).
    EXPECT_EQ(bytes[0], INDENT_SETTINGS_SIZE - 4);
    EXPECT_EQ(bytes[1], FOLD_SETTINGS_SIZE - 8);
    EXPECT_EQ(bytes[2], HEADER_SETTINGS_SIZE - 4);
    EXPECT_EQ(FindField("fold.foldnum"), nullptr);
    EXPECT_EQ(FindField("styles"), nullptr);
}

TEST(FieldTable, SetChangesOnlyItsField) {
    TerminalText terminal;
    std::string error;
    ASSERT_TRUE(terminal.Open(true, &error)) << error;
    for (const FieldSpec &field : Fields()) {
        SCOPED_TRACE(field.name);
        SlotRecords records;
        std::memset(&records, 0xBD, sizeof records);
        SlotRecords before = records;
        const char *value = field.kind == FieldKind::kText ? "ab" : "0x3";
        ASSERT_TRUE(SetFieldValue(&records, field, value, terminal, &error)) << error;
        const auto *now = reinterpret_cast<const unsigned char *>(&records);
        const auto *old = reinterpret_cast<const unsigned char *>(&before);
        const unsigned char *record = now + (field.record == Record::kIndent ? offsetof(SlotRecords, indent)
                                             : field.record == Record::kFold ? offsetof(SlotRecords, fold)
                                                                              : offsetof(SlotRecords, header));
        const size_t start = static_cast<size_t>(record - now) + field.offset;
        for (size_t i = 0; i < sizeof records; ++i) {
            if (i < start || i >= start + field.size) {
                ASSERT_EQ(now[i], old[i]) << "byte " << i << " changed";
            }
        }
        EXPECT_EQ(FieldValueText(records, field, terminal),
                  field.kind == FieldKind::kText    ? "\"ab\""
                  : field.kind == FieldKind::kFlags ? FlagsToText(3, *field.flags)
                                                     : "3");
        if (field.kind == FieldKind::kText) {
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
        if (field.kind != FieldKind::kText) continue;
        SCOPED_TRACE(field.name);
        SlotRecords records{};
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

// ---- The field table against the store --------------------------------------

class FieldStore : public lumo_test::TempStore {};

// The value names and mask bits of the table are those the slots use: a value
// deleted by name from the store shows in the load mask at the table's bit.
TEST_F(FieldStore, ValueNamesAndMaskBitsMatchTheSlots) {
    ASSERT_EQ(SavePresetIndent(3, 2, nullptr), 0u);
    ASSERT_EQ(SavePresetFold(3, 2, nullptr), 0u);
    ASSERT_EQ(SavePresetHeader(3, 2, nullptr), 0u);
    for (const FieldSpec &field : Fields()) {
        SCOPED_TRACE(field.name);
        const std::string path = SlotKey(nullptr, 3) + "\\" + RecordGroupKey(field.record);
        platform::RegistryKey key = platform::RegistryKey::Open(path, platform::Access::kAll);
        ASSERT_TRUE(key.valid());
        uint32_t size = 0;
        ASSERT_TRUE(key.Read(field.value_name.c_str(), nullptr, &size)) << "no such value in the store";
        // A value too long for its field fails to load as a missing one does.
        const std::string too_long(field.size + 1, 'x');
        ASSERT_TRUE(key.Write(field.value_name.c_str(), platform::kRegSz, too_long.data(),
                              static_cast<uint32_t>(too_long.size())));
        SlotRecords records;
        uint32_t mask = 0;
        if (field.record == Record::kIndent) mask = LoadIndentSettings(&records.indent, 3, nullptr);
        if (field.record == Record::kFold) mask = LoadFoldSettings(&records.fold, 3, nullptr);
        if (field.record == Record::kHeader) mask = LoadHeaderSettings(&records.header, 3, nullptr);
        EXPECT_EQ(mask, field.mask);
        ASSERT_EQ(SavePresetIndent(3, 2, nullptr), 0u);
        ASSERT_EQ(SavePresetFold(3, 2, nullptr), 0u);
        ASSERT_EQ(SavePresetHeader(3, 2, nullptr), 0u);
    }
}

}  // namespace
}  // namespace lumo::cli
