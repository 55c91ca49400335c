// The table of the records' stored fields, checked against the records'
// layout, and the fields as text: flag words by name and back, numbers in
// decimal and hexadecimal, the names behind a mask.
#include "settings/record_fields.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <set>
#include <string>
#include <type_traits>
#include <vector>

#include "settings/field_text.h"

namespace lumo {
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
    {"indent.styles", "STYLE_INDEN", "'STYLE_INDEN' is not one of its flags"},
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
        if (field.kind() != FieldKind::kFlags) continue;
        for (int i = 0; i < 200; ++i) {
            const uint32_t value = static_cast<uint32_t>(random()) & (i % 2 == 0 ? 0xC00000FFu : 0xFFFFFFFFu);
            const std::string text = FlagsToText(value, *field.flags);
            SCOPED_TRACE(std::string(field.name) + " " + text);
            uint32_t parsed = 0;
            std::string error;
            ASSERT_TRUE(ParseFlags(text, *field.flags, &parsed, &error)) << error;
            EXPECT_EQ(parsed, value);
        }
    }
}

// Each group's bits are distinct single bits in ascending order, so that the
// names come out in bit order and no name hides another.
TEST(Flags, GroupsNameSingleBitsInOrder) {
    for (const FieldSpec &field : Fields()) {
        if (field.flags == nullptr) continue;
        SCOPED_TRACE(field.name);
        for (size_t i = 0; i < field.flags->count; ++i) {
            const uint32_t bit = field.flags->names[i].bit;
            EXPECT_EQ(bit & (bit - 1), 0u) << field.flags->names[i].name;
            if (i > 0) {
                EXPECT_GT(bit, field.flags->names[i - 1].bit) << field.flags->names[i].name;
            }
        }
    }
    EXPECT_EQ(FlagNames(GroupOf("fold.tailwrap_flag")), "TAIL_WORDWRAP, TAIL_KINSOKU, TAIL_FOLLOW_WIDTH");
}

// ---- Numbers ---------------------------------------------------------------

TEST(Numbers, Forms) {
    struct Row {
        const char *text;
        bool ok;
        uint32_t value;
    };
    const Row rows[] = {
        {"0", true, 0},
        {"70", true, 70},
        {"007", true, 7},
        {"4294967295", true, 0xFFFFFFFF},
        {"0xffffffff", true, 0xFFFFFFFF},
        {"0x0", true, 0},
        {"0XaB", true, 0xAB},
        {"4294967296", false, 0},
        {"99999999999999999999", false, 0},
        {"0x1ffffffff", false, 0},
        {"", false, 0},
        {"-1", false, 0},
        {"+1", false, 0},
        {" 1", false, 0},
        {"0x", false, 0},
        {"1a", false, 0},
        {"ab", false, 0},
        {"0b1", false, 0},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(std::string("'") + row.text + "'");
        uint32_t value = 12345;
        EXPECT_EQ(ParseNumber(row.text, &value), row.ok);
        EXPECT_EQ(value, row.ok ? row.value : 12345u);
    }
}

TEST(Numbers, HexadecimalReadsBack) {
    EXPECT_EQ(HexNumber(0), "0");
    EXPECT_EQ(HexNumber(0xA, 2), "0A");
    EXPECT_EQ(HexNumber(0x1F600, 4), "1F600");
    std::mt19937 random(5);
    for (int i = 0; i < 1000; ++i) {
        const auto value = static_cast<uint32_t>(random());
        uint32_t back = 0;
        ASSERT_TRUE(ParseNumber("0x" + HexNumber(value), &back));
        ASSERT_EQ(back, value);
    }
}

// ---- The field table -------------------------------------------------------

TEST(FieldTable, CoversEveryStoredField) {
    EXPECT_EQ(Fields().size(), 39u);  // 28 indent, 9 fold, 2 header
    std::set<std::string> names;
    for (const FieldSpec &field : Fields()) {
        SCOPED_TRACE(field.name);
        EXPECT_TRUE(names.insert(field.name).second) << "twice";
        EXPECT_EQ(field.name, std::string(RecordName(field.record)) + "." + field.value_name());
        EXPECT_EQ(FindField(field.name), &field);
        EXPECT_EQ(field.kind() == FieldKind::kFlags, field.flags != nullptr);
        if (field.kind() == FieldKind::kText) {
            EXPECT_TRUE(field.size == LUMO_SET_BYTES || field.size == LUMO_INDENT_STRING_BYTES);
        } else {
            EXPECT_EQ(field.size, 4u);
        }
        EXPECT_NE(field.help[0], '\0');
    }
    EXPECT_EQ(FindField("fold.foldnum"), nullptr);
    EXPECT_EQ(FindField("styles"), nullptr);
    EXPECT_EQ(FindField("indent.styles.x"), nullptr);
}

// Each record's rows lie end to end in the order of the record, from behind
// its size word (and the derived foldnum) to its last byte.
TEST(FieldTable, RowsFillEachRecordInOrder) {
    struct Row {
        Record record;
        size_t first;
        size_t size;
    };
    const Row rows[] = {{Record::kIndent, offsetof(IndentSettings, styles), INDENT_SETTINGS_SIZE},
                        {Record::kFold, offsetof(FoldSettings, foldnum_from_head), FOLD_SETTINGS_SIZE},
                        {Record::kHeader, offsetof(HeaderSettings, lumoheader), HEADER_SETTINGS_SIZE}};
    size_t rows_seen = 0;
    for (const Row &row : rows) {
        SCOPED_TRACE(RecordName(row.record));
        size_t next = row.first;
        for (const FieldSpec &field : FieldsOf(row.record)) {
            EXPECT_EQ(field.record, row.record) << field.name;
            EXPECT_EQ(field.offset, next) << field.name;
            next = field.offset + field.size;
        }
        EXPECT_EQ(next, row.size);
        rows_seen += FieldsOf(row.record).size();
    }
    EXPECT_EQ(rows_seen, Fields().size()) << "a record's rows are not together";
}

TEST(FieldTable, FieldBytesAddressTheRecords) {
    Records records{};
    for (const FieldSpec &field : Fields()) {
        std::memset(FieldBytes(&records, field), 0x5A, field.size);
    }
    EXPECT_EQ(static_cast<unsigned char>(records.fold.chars_for_wordwrap[LUMO_SET_BYTES - 1]), 0x5A);
    EXPECT_EQ(records.indent.indent_string_property[9], 0x5A5A5A5Au);
    EXPECT_EQ(static_cast<unsigned char>(records.header.headerdelimiter[LUMO_DELIMITER_BYTES - 1]), 0x5A);
    // Only the size words and the derived foldnum are no field of the table.
    EXPECT_EQ(records.indent.record_size | records.fold.record_size | records.fold.foldnum |
                  records.header.record_size,
              0u);
}

TEST(FieldTable, StoreOrderVisitsEachFieldOnce) {
    for (const Record record : kAllRecords) {
        for (const bool reading : {true, false}) {
            SCOPED_TRACE(std::string(RecordName(record)) + (reading ? " read" : " written"));
            const std::vector<const FieldSpec *> order = StoreOrder(record, reading);
            ASSERT_EQ(order.size(), FieldsOf(record).size());
            std::set<const FieldSpec *> seen(order.begin(), order.end());
            EXPECT_EQ(seen.size(), order.size());
            EXPECT_EQ(seen.count(nullptr), 0u);
        }
    }
}

TEST(FieldTable, ValuesOfMask) {
    EXPECT_EQ(ValuesOfMask(Record::kIndent, 0x7FE),
              (std::vector<std::string>{"styles", "sub_styles", "fixed_indent_column", "chars_for_quote",
                                        "chars_for_empha", "chars_for_sole_itemize",
                                        "chars_for_combi_itemize", "chars_for_itemize_end",
                                        "indent_string-0..9", "indent_string_property-0..9"}));
    EXPECT_EQ(ValuesOfMask(Record::kFold, 0x300),
              (std::vector<std::string>{"chars_not_for_tail", "chars_not_for_head"}));
    EXPECT_EQ(ValuesOfMask(Record::kHeader, MASK_KEY | 0x004), std::vector<std::string>{"headerdelimiter"});
    EXPECT_TRUE(ValuesOfMask(Record::kFold, MASK_KEY | 0x002).empty()) << "foldnum is no stored value";
}

// ---- Former bugs -----------------------------------------------------------

// The tool kept a struct of its own for the three records of a slot, beside
// the library's. There is one type, the public header's, and a field of the
// table addresses the same bytes as the record's member.
TEST(FormerBugs, TheToolHadASecondBundleOfTheThreeRecords) {
    static_assert(std::is_same_v<Records, LumoRecords>);
    Records records{};
    EXPECT_EQ(FieldBytes(&records, *FindField("fold.wraptype")),
              reinterpret_cast<unsigned char *>(&records.fold.wraptype));
    EXPECT_EQ(FieldBytes(&records, *FindField("header.headerdelimiter")),
              reinterpret_cast<unsigned char *>(records.header.headerdelimiter));
}

}  // namespace
}  // namespace lumo
