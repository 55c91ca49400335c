// Tests of the break search for one output segment: measuring the fold column
// (two-byte characters, tabs, incomplete characters), the limit, the passes of
// word wrap and push-out or hanging, and the guarantees that the search ends
// and that every segment holds at least one character.
#include "format/find_break.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "support/break_search.h"
#include "support/fold_settings.h"
#include "support/sjis.h"

namespace {

using lumo_fold::Fold;
using lumo_test::ExactText;
using lumo_test::Hex;
using lumo_test::Sjis;

struct BreakRow {
    const char *name;
    std::string line;        // the logical line, terminator included
    std::string before;      // the text before the segment start
    FoldSettings fold;
    uint32_t tab_width;
    std::string segment;     // the expected segment
};

// A search that alternates for ever hangs; CTest's time limit on the
// program turns that into a failure.
const char *FindBreakAt(const lumo::CodePage &cp, const ExactText &text, size_t line_size, size_t segment,
                        uint32_t tab_width, const FoldSettings &fold) {
    const lumo_fold::BreakSearch search(cp, fold, tab_width);
    return search.Find(text.c_str(), text.c_str() + line_size, text.c_str() + segment);
}

void RunRows(const std::vector<BreakRow> &rows) {
    const lumo::CodePage cp;
    for (const BreakRow &row : rows) {
        SCOPED_TRACE(row.name);
        ASSERT_EQ(row.line.compare(0, row.before.size(), row.before), 0) << "row: bad segment start";
        ASSERT_EQ(row.line.compare(row.before.size(), row.segment.size(), row.segment), 0)
            << "row: expected segment is not in the line";
        ExactText text(row.line);
        const char *end = FindBreakAt(cp, text, row.line.size(), row.before.size(), row.tab_width, row.fold);
        const ptrdiff_t got = end - text.c_str();
        const ptrdiff_t want = static_cast<ptrdiff_t>(row.before.size() + row.segment.size());
        if (got < static_cast<ptrdiff_t>(row.before.size()) ||
            got > static_cast<ptrdiff_t>(row.line.size())) {
            ADD_FAILURE() << "segment end outside the line: offset " << got;
            continue;
        }
        EXPECT_EQ(got, want) << "expected segment " << Hex(row.segment) << ", got "
                             << Hex(row.line.substr(row.before.size(),
                                                    static_cast<size_t>(got) - row.before.size()));
    }
}

TEST(FindBreak, Measuring) {
    RunRows({
        {"rules off: six letters at foldnum 3, first segment", "abcdef\r\n", "", Fold(3).Off(), 8,
         "abc"},
        {"rules off: the second segment carries the CR LF", "abcdef\r\n", "abc", Fold(3).Off(), 8,
         "def\r\n"},
        {"exactly foldnum columns is one segment, 「 at its end", Sjis("あいう「") + "\r\n", "",
         Fold(8), 8, Sjis("あいう「") + "\r\n"},
        {"exactly foldnum columns, 。 at its end", Sjis("あいう。") + "\r\n", "", Fold(8), 8,
         Sjis("あいう。") + "\r\n"},
        {"exactly foldnum columns without terminator", Sjis("あいう「"), "", Fold(8), 8,
         Sjis("あいう「")},
        {"fewer columns than foldnum", "ab\r\n", "", Fold(70), 8, "ab\r\n"},
        {"rest fits: no rule applied to 「 before the terminator", "abc" + Sjis("「") + "\n",
         "", Fold(5), 8, "abc" + Sjis("「") + "\n"},
        {"two-byte character starting at foldnum - 1 is taken whole",
         "abcd" + Sjis("あ") + "ef\r\n", "", Fold(5).Off(), 8, "abcd" + Sjis("あ")},
        {"two-byte character at column 0 with foldnum 1", Sjis("あい") + "\r\n", "",
         Fold(1).Off(), 8, Sjis("あ")},
        {"tab starting before the fold column is taken whole", "abc\tdefgh\r\n", "",
         Fold(6).Off(), 8, "abc\t"},
        {"tab stops count from the segment start", "abcdef\tghijklmn\r\n", "abcdef",
         Fold(10).Off(), 8, "\tgh"},
        {"tab at the segment start with foldnum 6", "abcdef\tghijklmn\r\n", "abcdef",
         Fold(6).Off(), 8, "\t"},
        {"tab width 4", "a\tbcdef\r\n", "", Fold(5).Off(), 4, "a\tb"},
        {"tab width 0 advances one column", "\t\t\t\t\tab\r\n", "", Fold(3).Off(), 0, "\t\t\t"},
        {"tab width 0 between letters", "a\tb\tc\r\n", "", Fold(4).Off(), 0, "a\tb\t"},
        {"huge fold column", "abcdef\r\n", "", Fold(0xFFFFFFFFu), 8, "abcdef\r\n"},
        // An incomplete lead byte is one column and never swallows the terminator.
        {"incomplete lead byte before NUL fits", "abcd\x81", "", Fold(5), 8, "abcd\x81"},
        {"incomplete lead byte before CR LF fits", "abcd\x81\r\n", "", Fold(5), 8,
         "abcd\x81\r\n"},
        {"incomplete lead byte before LF fits", "abc\x81\n", "", Fold(4), 8, "abc\x81\n"},
        {"incomplete lead byte after the fold column", "abcd\x81\r\n", "", Fold(4).Off(), 8,
         "abcd"},
        {"incomplete lead byte begins the last segment", "abcd\x81\r\n", "abcd", Fold(4).Off(), 8,
         "\x81\r\n"},
    });
}

TEST(FindBreak, LimitAndRuleSelection) {
    RunRows({
        {"maxmove 0: the break stays at the fold position", "abcdefghij\r\n", "",
         Fold(5).Left(0), 8, "abcde"},
        {"kinsoku only, maxmove 1 in front of a two-byte character",
         Sjis("あい。う") + "\r\n", "", Fold(4).Tail(TAIL_KINSOKU).Left(1), 8, Sjis("あい")},
        {"kinsoku only, maxmove 2: push-out to the limit", Sjis("あい。う") + "\r\n", "",
         Fold(4).Tail(TAIL_KINSOKU).Left(2), 8, Sjis("あ")},
        {"limit moved past the two-byte character it would split", Sjis("あいうえ。お") + "\r\n",
         "", Fold(8).Left(3), 8, Sjis("あいう")},
        {"segment of one two-byte character: no rule applies", Sjis("あ。") + "\r\n", "",
         Fold(1), 8, Sjis("あ")},
        {"segment of one one-byte character: no rule applies", "a" + Sjis("。") + "\r\n", "",
         Fold(1), 8, "a"},
        {"kinsoku without push-out or hanging: 。 begins the next line",
         Sjis("あいう。え") + "\r\n", "", Fold(6).Wrap(WRAP_ALNUM), 8, Sjis("あいう")},
        {"kinsoku without push-out or hanging: word wrap still moves",
         Sjis("あ") + "abcdef\r\n", "", Fold(5).Wrap(WRAP_ALNUM), 8, Sjis("あ")},
        {"push-out and hanging both set: push-out", Sjis("あいうえ。お") + "\r\n", "",
         Fold(8).Wrap(WRAP_PUSH_OUT | WRAP_HANG | WRAP_ALNUM), 8, Sjis("あいう")},
        {"hanging alone", Sjis("あいう。え") + "\r\n", "", Fold(6).Wrap(WRAP_HANG | WRAP_ALNUM), 8,
         Sjis("あいう。")},
        {"push-out with word wrap off", Sjis("あいうえ。お") + "\r\n", "",
         Fold(8).Tail(TAIL_KINSOKU), 8, Sjis("あいう")},
        // The candidate at the end of the limit's own character is not
        // examined: with the limit behind あ the break lands on the limit.
        {"push-out one character short of an acceptable break", Sjis("あいう。え") + "\r\n", "",
         Fold(6), 8, Sjis("あ")},
        {"word wrap alone ignores kinsoku", Sjis("あいう。え") + "\r\n", "",
         Fold(6).Tail(TAIL_WORDWRAP), 8, Sjis("あいう")},
        {"rules off ignore everything", "hello world\r\n", "", Fold(8).Off(), 8, "hello wo"},
    });
}

TEST(FindBreak, Passes) {
    RunRows({
        {"a word moves to the next line", "hello world\r\n", "", Fold(8), 8, "hello "},
        {"a break on a space moves behind it", "abcd efg\r\n", "", Fold(4), 8, "abcd "},
        // Pass 1 pushes out in front of f, pass 2 takes def back to its start
        // and pushes out in front of 「, pass 3 finds no word at 「.
        {"worked example", Sjis("あいうえおabc「def」かき") + "\r\n", "", Fold(18), 8,
         Sjis("あいうえおabc")},
        {"push-out, word wrap, push-out again", "xxx(abc)yy\r\n", "", Fold(7), 8, "xxx"},
        {"push-out over a long run stops at the limit", "ab((((((((cd\r\n", "", Fold(10).Left(4),
         8, "ab(((("},
        {"word wrap splitting a long word: push-out then sits on the limit", "x.abcdefghij\r\n",
         "", Fold(6).Left(5), 8, "x"},
        {"word wrap alone splitting a long word", "abcdefghij\r\n", "",
         Fold(5).Tail(TAIL_WORDWRAP).Left(3), 8, "abc"},
        {"hanging after word wrap found nothing", Sjis("あいうa。え") + "\r\n", "",
         Fold(7).Wrap(WRAP_HANG | WRAP_ALNUM), 8, Sjis("あいうa。")},
        {"word wrap over a space, then hanging carries past the column",
         Sjis("あいう") + " " + Sjis("、えお") + "\r\n", "", Fold(6).Wrap(WRAP_HANG | WRAP_ALNUM), 8,
         Sjis("あいう") + " " + Sjis("、")},
        {"push-out where the word wrap left one byte run", Sjis("あいうa。え") + "\r\n", "",
         Fold(7), 8, Sjis("あいう")},
        {"preset sets: a space before 、 pushes out to the limit",
         Sjis("あいう") + " " + Sjis("、えお") + "\r\n", "", Fold(6), 8, Sjis("あ")},
    });
}

// Without the half-width space among the characters that may not begin a
// line, word wrap moves a break on a space one byte forward and push-out moves
// it back before the space, for ever unless the search remembers where the
// break has been.
TEST(FindBreak, AlternationEndsWhereTheBreakWasBefore) {
    const std::string head = lumo_fold::PresetHeadWithoutSpace();
    RunRows({
        // The fold position is the space: word wrap moves the break behind
        // it, and push-out would move it back to the fold position, where it
        // already was, so the break stays behind the space.
        {"push-out refused: one space before 、", Sjis("あいう") + " " + Sjis("、えお") + "\r\n",
         "", Fold(6).NotHead(head), 8, Sjis("あいう") + " "},
        {"push-out refused: two spaces before 、", Sjis("あいう") + "  " + Sjis("、え") + "\r\n",
         "", Fold(7).NotHead(head), 8, Sjis("あいう") + "  "},
        {"push-out refused in a continuation segment",
         "xx" + Sjis("あいう") + " " + Sjis("、えお") + "\r\n", "xx", Fold(6).NotHead(head), 8,
         Sjis("あいう") + " "},
        // The fold position is ; behind a space: push-out moves the break in
        // front of the space, and word wrap would move it back to ;.
        {"word wrap refused: space before ;", "abc def ;ghi\r\n", "", Fold(8).NotHead(head), 8,
         "abc def"},
        {"word wrap refused: space before 。", Sjis("あいう") + " " + Sjis("。えお") + "\r\n", "",
         Fold(7).NotHead(head), 8, Sjis("あいう")},
    });
}

// Word wrap may return a position at or before the segment start: the segment
// then ends at the fold position, and the backward scan stays inside the line.
TEST(FindBreak, WordWrapAtOrBeforeTheSegmentStartKeepsTheFoldPosition) {
    RunRows({
        {"word from the line start", "abcdefghij\r\n", "", Fold(5), 8, "abcde"},
        {"word running back over the segment start", "abcdefghij\r\n", "abcde", Fold(3), 8,
         "fgh"},
        {"word starting exactly at the segment start", "xy abcdefgh\r\n", "xy ", Fold(4), 8,
         "abcd"},
        {"scan through the trail byte of a character before the segment",
         Sjis("ア") + "bcdefg\r\n", Sjis("ア"), Fold(3), 8, "bcd"},
        {"word of ASCII under WRAP_ASCII", "a.b/c:d-e\r\n", "", Fold(4).Wrap(WRAP_ASCII | 1), 8,
         "a.b/"},
        {"word wrap alone", "abcdefghij\r\n", "abc", Fold(4).Tail(TAIL_WORDWRAP), 8, "defg"},
        {"huge maxmove", "abcdefghij\r\n", "", Fold(5).Left(0xFFFFFFFFu), 8, "abcde"},
    });
}

TEST(FindBreak, HugeMaxmoveKeepsTheLimitAfterTheSegmentStart) {
    RunRows({
        {"push-out to one character after the segment start", "a))))))))\r\n", "",
         Fold(5).Left(0xFFFFFFFFu), 8, "a"},
        {"two-byte first character", Sjis("あ") + "))))))))\r\n", "", Fold(5).Left(0xFFFFFFFFu), 8,
         Sjis("あ")},
        {"continuation segment", "xyz))))))))\r\n", "xyz", Fold(5).Left(0x80000000u), 8, ")"},
    });
}

}  // namespace
