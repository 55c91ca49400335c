// Tests of the character model and the terminator primitives: stepping over
// two-byte characters (and incomplete ones in front of a terminator), set
// membership per whole character, terminator kinds, and the slot-number test.
#include "text/text.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <string>
#include <vector>

#include "lumotext.h"
#include "support/sjis.h"

namespace {

using lumo_test::ExactText;
using lumo_test::Hex;
using lumo_test::Sjis;

struct StartsRow {
    const char *name;
    std::string text;
    size_t start;
    size_t pos;  // may lie before start
    bool expected;
};

TEST(StartsDoubleByte, WalksCharacterByCharacterFromStart) {
    const std::vector<StartsRow> rows = {
        {"lead byte at the start", Sjis("あa"), 0, 0, true},
        {"second byte of a two-byte character", Sjis("あa"), 0, 1, false},
        {"one-byte character behind a two-byte one", Sjis("あa"), 0, 2, false},
        {"trail byte with a lead-byte value is not a start", "\x81\x81\x81\x40", 0, 1, false},
        {"character after a trail with a lead-byte value", "\x81\x81\x81\x40", 0, 2, true},
        {"its second byte", "\x81\x81\x81\x40", 0, 3, false},
        {"a later start realigns the walk", "\x81\x81\x81\x40", 1, 1, true},
        {"a later start: the old boundary is now a second byte", "\x81\x81\x81\x40", 1, 2, false},
        {"position before start", "\x81\x40\x81\x40", 2, 0, false},
        {"half-width katakana is one byte", "\xB1\x81\x40", 0, 1, true},
        {"half-width katakana itself", "\xB1\x81\x40", 0, 0, false},
        {"0x80 is not a lead byte", "\x80\x81\x40", 0, 1, true},
        {"0x81 is a lead byte", "\x81\x40", 0, 0, true},
        {"0x9F is a lead byte", "\x9F\x40", 0, 0, true},
        {"0xA0 is not a lead byte", "\xA0\x81\x40", 0, 1, true},
        {"0xDF is not a lead byte", "\xDF\x81\x40", 0, 1, true},
        {"0xE0 is a lead byte", "\xE0\x40", 0, 0, true},
        {"0xFC is a lead byte", "\xFC\x40", 0, 0, true},
        {"0xFD is not a lead byte", "\xFD\x81\x40", 0, 1, true},
        {"0xFF is not a lead byte", "\xFF\x81\x40", 0, 1, true},
        {"ASCII letter", "ab", 0, 1, false},
        // A lead byte in front of NUL, CR or LF is a one-byte character.
        {"lead byte before NUL", "\x81", 0, 0, false},
        {"lead byte before CR", "\x81\r\n", 0, 0, false},
        {"lead byte before LF", "\x81\n", 0, 0, false},
        {"lead byte before CR after a letter", "a\x81\r", 0, 1, false},
        {"lead byte before a tab is a whole character", "\x81\t", 0, 0, true},
        {"character after an incomplete one", "\x81\r\x81\x40", 0, 2, true},
        {"position beyond the text's NUL", std::string("\x81\0\x81\x40", 4), 0, 2, false},
        {"the NUL itself", std::string("\x81\0\x81\x40", 4), 0, 1, false},
    };
    const lumo::CodePage cp;
    for (const StartsRow &row : rows) {
        SCOPED_TRACE(row.name);
        ExactText text(row.text);
        EXPECT_EQ(lumo::StartsDoubleByte(cp, text.c_str() + row.start, text.c_str() + row.pos),
                  row.expected)
            << "text " << Hex(row.text) << " start " << row.start << " pos " << row.pos;
    }
}

TEST(CodePage, CharLengthTreatsALeadByteBeforeATerminatorAsOneByte) {
    struct Row {
        std::string text;
        size_t expected;
    };
    const std::vector<Row> rows = {
        {"\x81\x40", 2}, {"\x81\x81", 2}, {"\x81" "a", 2}, {"\x81\t", 2}, {"\x81", 1},
        {"\x81\r", 1},   {"\x81\n", 1},   {"a", 1},         {"\xB1", 1},   {"\x9F\xFC", 2},
    };
    const lumo::CodePage cp;
    for (const Row &row : rows) {
        ExactText text(row.text);
        EXPECT_EQ(cp.CharLength(text.c_str()), row.expected) << Hex(row.text);
    }
}

TEST(CodePage, SetMembershipComparesWholeCharacters) {
    struct Row {
        const char *name;
        std::string set;
        uint32_t code;
        bool expected;
    };
    const std::vector<Row> rows = {
        {"two-byte member", "\x81\x41", 0x8141, true},
        {"one-byte code never matches a trail byte", "\x81\x41", 0x41, false},
        {"one-byte code never matches a lead byte", "\x81\x41", 0x81, false},
        {"two-byte code never matches a one-byte member", "A", 0x8141, false},
        {"set walked from its start: trail with lead value", "\x81\x81" "A", 0x8141, false},
        {"member after such a character", "\x81\x81" "A", 0x41, true},
        {"empty set", "", 0x20, false},
        {"incomplete last character is a one-byte member", "ab\x81", 0x81, true},
        {"half-width space", " \x81\x41", 0x20, true},
    };
    const lumo::CodePage cp;
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        ExactText set(row.set);
        EXPECT_EQ(cp.InSet(set.c_str(), row.code), row.expected) << Hex(row.set);
    }
}

TEST(AppendNewline, AppendsCrForBit2ThenLfForBit1) {
    struct Row {
        std::string initial;
        uint32_t kind;
        std::string expected;
    };
    const std::vector<Row> rows = {
        {"ab", NEWLINE_NONE, "ab"},  {"ab", NEWLINE_LF, "ab\n"}, {"ab", NEWLINE_CR, "ab\r"},
        {"ab", NEWLINE_CRLF, "ab\r\n"}, {"", NEWLINE_CRLF, "\r\n"}, {"", NEWLINE_LF, "\n"},
        {"ab\r", NEWLINE_LF, "ab\r\n"}, {"ab", 4, "ab"},            {"ab", 7, "ab\r\n"},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(Hex(row.initial) + " kind " + std::to_string(row.kind));
        std::vector<char> buffer(16, '\xBD');
        std::memcpy(buffer.data(), row.initial.c_str(), row.initial.size() + 1);
        lumo::AppendNewline(buffer.data(), row.kind);
        EXPECT_EQ(std::string(buffer.data()), row.expected);
        for (size_t i = row.expected.size() + 1; i < buffer.size(); ++i) {
            EXPECT_EQ(buffer[i], '\xBD') << "byte " << i << " written behind the NUL";
        }
    }
}

TEST(NewlineKindOf, LooksAtTheLastOneOrTwoBytes) {
    struct Row {
        std::string text;
        uint32_t expected;
    };
    const std::vector<Row> rows = {
        {"", NEWLINE_NONE},      {"a", NEWLINE_NONE},      {"a\n", NEWLINE_LF},
        {"a\r", NEWLINE_CR},     {"a\r\n", NEWLINE_CRLF},  {"\r\n", NEWLINE_CRLF},
        {"\n", NEWLINE_LF},      {"\r", NEWLINE_CR},       {"a\n\r", NEWLINE_CR},
        {"\n\n", NEWLINE_LF},    {"a\r\r", NEWLINE_CR},    {"\r\n\n", NEWLINE_LF},
        {"\x81\r\n", NEWLINE_CRLF},
    };
    for (const Row &row : rows) {
        ExactText text(row.text);
        EXPECT_EQ(lumo::NewlineKindOf(text.c_str()), row.expected) << Hex(row.text);
    }
}

TEST(EndsWithNewline, TestsTheTerminatorOfTheGivenKind) {
    struct Row {
        std::string text;
        uint32_t kind;
        bool expected;
    };
    const std::vector<Row> rows = {
        {"a\r\n", NEWLINE_CRLF, true}, {"\r\n", NEWLINE_CRLF, true},  {"a\n", NEWLINE_CRLF, false},
        {"\n", NEWLINE_CRLF, false},   {"a\r", NEWLINE_CRLF, false},  {"a\r\n", NEWLINE_LF, true},
        {"a\n", NEWLINE_LF, true},     {"a\r", NEWLINE_LF, false},    {"a\r", NEWLINE_CR, true},
        {"a\r\n", NEWLINE_CR, false},  {"a\n", NEWLINE_NONE, false},  {"", NEWLINE_NONE, false},
        {"", NEWLINE_LF, false},       {"", NEWLINE_CRLF, false},     {"a\n", 4, false},
        {"a\r\n", 7, false},           {"a", NEWLINE_LF, false},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(Hex(row.text) + " kind " + std::to_string(row.kind));
        ExactText text(row.text);
        EXPECT_EQ(lumo::EndsWithNewline(text.c_str(), row.kind), row.expected);
        EXPECT_EQ(lumo::EndsWithNewline(text.c_str(), row.text.size(), row.kind), row.expected);
    }
}

TEST(EndsWithNewline, LengthFormLooksOnlyAtTheGivenBytes) {
    const std::string text = "a\r\nb";
    EXPECT_TRUE(lumo::EndsWithNewline(text.c_str(), 3, NEWLINE_CRLF));
    EXPECT_TRUE(lumo::EndsWithNewline(text.c_str(), 2, NEWLINE_CR));
    EXPECT_FALSE(lumo::EndsWithNewline(text.c_str(), 4, NEWLINE_CRLF));
    EXPECT_FALSE(lumo::EndsWithNewline(text.c_str(), 0, NEWLINE_LF));
}

TEST(IsValidSlot, AcceptsOneToTen) {
    struct Row {
        int32_t number;
        bool expected;
    };
    const std::vector<Row> rows = {
        {INT32_MIN, false}, {-1, false}, {0, false},  {1, true},
        {5, true},          {10, true},  {11, false}, {INT32_MAX, false},
    };
    for (const Row &row : rows) {
        EXPECT_EQ(lumo::IsValidSlot(row.number), row.expected) << row.number;
    }
}

}  // namespace
