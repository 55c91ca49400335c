// Tests of the three rules that move a break (word wrap, push-out, hanging)
// and of the character classes they rest on, one table per rule. A break is
// written as the text before it and the text after it; an expected break as
// the text that stays on the current line.
#include "format/line_end_rules.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "support/fold_settings.h"
#include "support/sjis.h"

namespace {

using lumo_fold::Fold;
using lumo_test::ExactText;
using lumo_test::Hex;
using lumo_test::Sjis;

constexpr std::nullopt_t kNone = std::nullopt;

// Checks a rule's answer against the expected text before the new break.
void ExpectBreak(const char *text, const char *result, const std::optional<std::string> &expected,
                 const std::string &whole) {
    if (!expected) {
        EXPECT_EQ(result, nullptr) << "expected no position, got offset " << (result - text);
        return;
    }
    ASSERT_EQ(whole.compare(0, expected->size(), *expected), 0) << "row: expected text is no prefix";
    ASSERT_NE(result, nullptr) << "expected offset " << expected->size() << ", got no position";
    EXPECT_EQ(result - text, static_cast<ptrdiff_t>(expected->size()))
        << "stays on the line: expected " << Hex(*expected) << ", got "
        << Hex(whole.substr(0, static_cast<size_t>(result - text)));
}

// ---- Kinsoku classes ---------------------------------------------------

TEST(KinsokuClass, PresetSetsPerWholeCharacter) {
    struct Row {
        const char *name;
        std::string text;
        int expected;
    };
    const std::vector<Row> rows = {
        {"。 may not begin a line", Sjis("。"), 1},
        {"、 may not begin a line", Sjis("、"), 1},
        {"」 may not begin a line", Sjis("」"), 1},
        {"「 may not end a line", Sjis("「"), 2},
        {"（ may not end a line", Sjis("（"), 2},
        {"あ is free", Sjis("あ"), 0},
        {"full-width space is free", Sjis("　"), 0},
        {"half-width space may not begin a line", " x", 1},
        {"( may not end a line", "(", 2},
        {"$ may not end a line", "$", 2},
        {"0x5C may not end a line", "\\", 2},
        {"half-width opening corner A2 may not end a line", "\xA2", 2},
        {"half-width full stop A1 may not begin a line", "\xA1", 1},
        {"half-width prolonged sound B0 may not begin a line", "\xB0", 1},
        {"letter is free", "a", 0},
        {"A is not the trail byte of 、 (81 41)", "A", 0},
        {"B is not the trail byte of 。 (81 42)", "B", 0},
        {"u is not the trail byte of 「 (81 75)", "u", 0},
        {"i is not the trail byte of （ (81 69)", "i", 0},
        {"81 5D is not the one-byte ] of the head set", "\x81\x5D", 0},
        {"81 7B is not the one-byte { of the tail set", "\x81\x7B", 0},
        {"incomplete lead byte before NUL matches no preset member", "\x81", 0},
    };
    const lumo::CodePage cp;
    const Fold fold(70);
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        ExactText text(row.text);
        EXPECT_EQ(lumo::KinsokuClass(cp, text.c_str(), lumo::FoldTables(cp, fold)), row.expected) << Hex(row.text);
    }
}

TEST(KinsokuClass, CustomSets) {
    struct Row {
        const char *name;
        std::string head;
        std::string tail;
        std::string text;
        int expected;
    };
    const std::vector<Row> rows = {
        {"in both sets: class 1", "x", "x", "x", 1},
        {"empty sets: class 0", "", "", Sjis("。"), 0},
        {"only in the tail set", "", "x", "x", 2},
        // An incomplete lead byte is a one-byte character in the text and in
        // the set alike.
        {"stray lead before NUL matches a stray lead member", "\x81", "", "\x81", 1},
        {"stray lead before CR matches", "\x81", "", "\x81\r\n", 1},
        {"stray lead before LF matches", "\x81", "", "\x81\n", 1},
        {"whole character 81 42 is not the one-byte member 81", "\x81", "", "\x81\x42", 0},
        {"stray lead member behind a two-byte member", Sjis("。") + "\x81", "", "\x81", 1},
        {"two-byte member before a stray lead member", Sjis("。") + "\x81", "", Sjis("。"), 1},
    };
    const lumo::CodePage cp;
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        Fold fold(70);
        fold.NotHead(row.head).NotTail(row.tail);
        ExactText text(row.text);
        EXPECT_EQ(lumo::KinsokuClass(cp, text.c_str(), lumo::FoldTables(cp, fold)), row.expected) << Hex(row.text);
    }
}

// ---- Word bytes ----------------------------------------------------------

TEST(IsWordByte, ClassChosenByWraptype) {
    struct Row {
        unsigned char byte;
        uint32_t wraptype;
        const char *wordchars;
        bool expected;
    };
    const std::vector<Row> rows = {
        // All printable half-width characters.
        {0x20, WRAP_ASCII, "", false},
        {0x21, WRAP_ASCII, "", true},
        {'.', WRAP_ASCII, "", true},
        {'/', WRAP_ASCII, "", true},
        {0x7E, WRAP_ASCII, "", true},
        {0x7F, WRAP_ASCII, "", false},
        {0x80, WRAP_ASCII, "", false},
        {0xB1, WRAP_ASCII, "", false},
        {0x09, WRAP_ASCII, "", false},
        // Letters and digits only.
        {'0', WRAP_ALNUM, "", true},
        {'9', WRAP_ALNUM, "", true},
        {'A', WRAP_ALNUM, "", true},
        {'Z', WRAP_ALNUM, "", true},
        {'a', WRAP_ALNUM, "", true},
        {'z', WRAP_ALNUM, "", true},
        {'/', WRAP_ALNUM, "", false},
        {':', WRAP_ALNUM, "", false},
        {'@', WRAP_ALNUM, "", false},
        {'[', WRAP_ALNUM, "", false},
        {'`', WRAP_ALNUM, "", false},
        {'{', WRAP_ALNUM, "", false},
        {'.', WRAP_ALNUM, "", false},
        {0xC1, WRAP_ALNUM, "", false},
        {'a', WRAP_ALNUM | WRAP_PUSH_OUT, "", true},
        {'.', WRAP_ALNUM | WRAP_HANG, "", false},
        // Order of precedence: ASCII, then alphanumerics, then the plus rule.
        {'.', WRAP_ASCII | WRAP_ALNUM, "", true},
        {'.', WRAP_ALNUM | WRAP_ALNUM_PLUS, ".", false},
        {'.', WRAP_ASCII | WRAP_ALNUM_PLUS, "", true},
        // Alphanumerics plus the extra set, searched byte by byte.
        {'.', WRAP_ALNUM_PLUS, "._", true},
        {'_', WRAP_ALNUM_PLUS, "._", true},
        {'a', WRAP_ALNUM_PLUS, "._", true},
        {'-', WRAP_ALNUM_PLUS, "._", false},
        {'.', WRAP_ALNUM_PLUS, "", false},
        {0x81, WRAP_ALNUM_PLUS, "\x81\x5B", true},
        {0x5B, WRAP_ALNUM_PLUS, "\x81\x5B", true},
        {0x82, WRAP_ALNUM_PLUS, "\x81\x5B", false},
        {0xC1, WRAP_ALNUM_PLUS, "\xC1", true},
        // No word bit at all: the plus rule.
        {'.', 0, ".", true},
        {'.', WRAP_PUSH_OUT, ".", true},
        {'-', 0, ".", false},
        {'q', 0, "", true},
    };
    for (const Row &row : rows) {
        EXPECT_EQ(lumo::IsWordByte(row.byte, row.wraptype, row.wordchars), row.expected)
            << "byte " << Hex(std::string(1, static_cast<char>(row.byte))) << " wraptype 0x"
            << std::hex << row.wraptype << " set " << Hex(row.wordchars);
    }
}

// ---- Word wrap -----------------------------------------------------------

struct WrapRow {
    const char *name;
    std::string before;  // the line text before the break
    std::string after;   // from the break on
    uint32_t maxmove;
    uint32_t wraptype;
    std::string wordchars;
    std::optional<std::string> expected;
    size_t segment = 0;  // segment start, bytes into the line
};

TEST(WordWrapBreak, Table) {
    const std::string a = Sjis("あ");
    const std::vector<WrapRow> rows = {
        {"space at the break stays at the line end", "abc", " def", 20, 0x11, "", "abc "},
        {"space at the break moves even with maxmove 0", "abc", " def", 0, 0x11, "", "abc "},
        {"only one space moves; the second begins the next line", "abc", "  def", 20, 0x11, "",
         "abc "},
        {"break on the second space", "abc ", " def", 20, 0x11, "", "abc  "},
        {"full-width space is not a blank", "ab", Sjis("　cd"), 20, 0x11, "", kNone},
        {"tab is not a blank", "ab", "\tcd", 20, 0x11, "", kNone},
        {"ten letters, break on the eighth: word moves whole", a + "abcdefg", "hij", 20, 0x11,
         "", a},
        {"ten letters, maxmove 5: back 4 bytes, word split", a + "abcdefg", "hij", 5, 0x11, "",
         a + "abc"},
        {"run exactly maxmove long moves whole", a + "ab", "cde", 3, 0x11, "", a},
        {"run one longer than maxmove is split", a + "ab", "cde", 2, 0x11, "", a + "a"},
        {"run of one byte returns the break itself", "-", "x-", 20, 0x11, "", "-"},
        {"two-byte character at the break", "abc", a, 20, 0x11, "", kNone},
        {"dot under alphanumerics", "abc", ".def", 20, 0x11, "", kNone},
        {"maxmove 0 with a letter at the break", "abc", "def", 0, 0x11, "", kNone},
        {"trail byte taken as a letter: its character stays", "xy" + Sjis("ア") + "b", "c", 20,
         0x11, "", "xy" + Sjis("ア")},
        {"scan stops on a trail byte with a lead-byte value", "\x81\x81" "Ab", "c", 20, 0x11, "",
         "\x81\x81"},
        {"dots and slashes under ASCII move with the word", a + "a.b/c", "d", 20, WRAP_ASCII, "",
         a},
        {"under alphanumerics only the part after the slash", a + "a.b/c", "d", 20, WRAP_ALNUM,
         "", a + "a.b/"},
        {"extra word characters", a + "a.b/c", "d", 20, WRAP_ALNUM_PLUS, "./", a},
        {"no word bit means alphanumerics plus", a + "a.b", "c", 20, WRAP_PUSH_OUT, ".", a},
        // Both bytes of あ become word bytes, so the scan runs to the line start.
        {"extra set searched byte by byte", a + "a", "b", 20, WRAP_ALNUM_PLUS, a, ""},
        // The scan is bounded by the line start, not by the segment start.
        {"word from the line start", "ab", "c", 20, 0x11, "", ""},
        {"word running back over the segment start", "abc", "def", 20, 0x11, "", "", 2},
    };
    const lumo::CodePage cp;
    for (const WrapRow &row : rows) {
        SCOPED_TRACE(row.name);
        const std::string whole = row.before + row.after;
        ExactText text(whole);
        Fold fold(70);
        fold.Left(row.maxmove).Wrap(row.wraptype).WordChars(row.wordchars);
        const char *result = lumo::WordWrapBreak(cp, text.c_str() + row.before.size(), text.c_str() + row.segment,
                                                 text.c_str(), fold, lumo::FoldTables(cp, fold));
        ExpectBreak(text.c_str(), result, row.expected, whole);
    }
}

// ---- Push-out ------------------------------------------------------------

struct PushRow {
    const char *name;
    std::string before;
    std::string after;
    std::string up_to_limit;  // the text before the limit
    std::optional<std::string> expected;
    std::optional<std::string> head = std::nullopt;
};

TEST(PushOutBreak, Table) {
    const std::vector<PushRow> rows = {
        {"。 takes the character before it to the next line", Sjis("あいう"), Sjis("。え"), "",
         Sjis("あい")},
        {"「 before the break moves to the next line", Sjis("あい「"), Sjis("う"), "",
         Sjis("あい")},
        {"「 then 。: both move", Sjis("あい「"), Sjis("。う"), "", Sjis("あい")},
        {"acceptable break: no position", Sjis("あい"), Sjis("う"), "", kNone},
        {"half-width space before the break is harmless", "ab ", "cd", "", kNone},
        {"、 before the break is harmless", Sjis("あ、"), Sjis("い"), "", kNone},
        {"long run of prohibited characters stops at the limit", Sjis("あ「「「「"), Sjis("う"),
         Sjis("あ「"), Sjis("あ「")},
        {"break left at the limit although unacceptable there", Sjis("あ「「"), Sjis("う"),
         Sjis("あ「"), Sjis("あ「")},
        {"candidate at the limit is not examined (maxmove 1)", "ab", "c", "a", "a"},
        {"step back measured from the limit, not by the byte two back",
         "ab\x81\x81" "b", Sjis("。"), "", "ab\x81\x81"},
        {"incomplete lead byte after the break: preset class 0", "xab", "\x81", "", kNone},
        {"incomplete lead byte after the break in the head set", "xab", "\x81", "", "xa",
         std::string("\x81")},
    };
    const lumo::CodePage cp;
    for (const PushRow &row : rows) {
        SCOPED_TRACE(row.name);
        const std::string whole = row.before + row.after;
        ASSERT_EQ(whole.compare(0, row.up_to_limit.size(), row.up_to_limit), 0);
        ExactText text(whole);
        Fold fold(70);
        if (row.head) fold.NotHead(*row.head);
        const char *result = lumo::PushOutBreak(cp, text.c_str() + row.before.size(),
                                                text.c_str() + row.up_to_limit.size(), lumo::FoldTables(cp, fold));
        ExpectBreak(text.c_str(), result, row.expected, whole);
    }
}

// ---- Hanging -------------------------------------------------------------

struct HangRow {
    const char *name;
    std::string before;
    std::string after;
    uint32_t maxmove;
    std::optional<std::string> expected;
    std::optional<std::string> head = std::nullopt;
};

TEST(HangBreak, Table) {
    const std::vector<HangRow> rows = {
        {"。 hangs past the fold column", Sjis("あいう"), Sjis("。え"), 3, Sjis("あいう。")},
        {"character after 「 hangs", Sjis("あい「"), Sjis("うえ"), 3, Sjis("あい「う")},
        {"「 then 。 hangs", Sjis("あ「"), Sjis("。う"), 3, Sjis("あ「。")},
        {"acceptable break: no position", Sjis("あい"), Sjis("う"), 3, kNone},
        {"class 1 before the break does not matter", Sjis("あ。"), Sjis("い"), 3, kNone},
        {"maxmove 3 carries up to four characters", Sjis("あ"), Sjis("。。。。。い"), 3,
         Sjis("あ。。。。")},
        {"three then an acceptable break", Sjis("あ"), Sjis("。。。い"), 3, Sjis("あ。。。")},
        {"maxmove 0 still carries one character", Sjis("あ"), Sjis("。。い"), 0, Sjis("あ。")},
        {"stops in front of CR LF", Sjis("あ"), Sjis("。") + "\r\n", 3, Sjis("あ。")},
        {"stops in front of CR", Sjis("あ"), Sjis("。。") + "\r", 3, Sjis("あ。。")},
        {"stops in front of LF", Sjis("あ"), Sjis("。") + "\n", 3, Sjis("あ。")},
        {"stops at the end of the text", Sjis("あ"), Sjis("。"), 3, Sjis("あ。")},
        {"character before the break measured from the segment start", "\x81\x81(", "a", 3,
         "\x81\x81(a"},
        {"incomplete lead byte at the end: preset class 0", Sjis("あ"), Sjis("。") + "\x81", 3,
         Sjis("あ。")},
        {"incomplete lead byte in the head set is one byte", Sjis("あ"), Sjis("。") + "\x81", 3,
         Sjis("あ。") + "\x81", Sjis("。") + "\x81"},
    };
    const lumo::CodePage cp;
    for (const HangRow &row : rows) {
        SCOPED_TRACE(row.name);
        const std::string whole = row.before + row.after;
        ExactText text(whole);
        Fold fold(70);
        fold.Right(row.maxmove).Wrap(WRAP_HANG | WRAP_ALNUM);
        if (row.head) fold.NotHead(*row.head);
        const char *result =
            lumo::HangBreak(cp, text.c_str() + row.before.size(), text.c_str(), fold, lumo::FoldTables(cp, fold));
        ExpectBreak(text.c_str(), result, row.expected, whole);
    }
}

}  // namespace
