// Tests of LumoMultiLines with exact output bytes: header copy, logical lines
// and their terminators, continuation prefixes, quoted pass-through, results 2,
// 3 and 8, the untouched bytes at and past the capacity, the fold column given
// back unchanged, and lines that folding cuts into many short segments.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "lumotext.h"
#include "settings/records.h"
#include "support/fold_settings.h"
#include "support/format_reference.h"
#include "support/format_run.h"
#include "support/sjis.h"

namespace {

using lumo_fold::Fold;
using lumo_fold::FixedIndent;
using lumo_fold::HeaderToEmptyLine;
using lumo_fold::NoHeader;
using lumo_fold::NoIndent;
using lumo_test::ExactText;
using lumo_test::Hex;
using lumo_test::Sjis;

// The records of one call and its tab width.
struct Settings {
    lumo::Records records;
    uint32_t tab_width;
};

Settings Plain(const FoldSettings &fold, uint32_t tab_width = 8) {
    return Settings{{NoIndent(), fold, NoHeader()}, tab_width};
}

Settings With(const IndentSettings &indent, const FoldSettings &fold,
              const HeaderSettings &header = NoHeader(), uint32_t tab_width = 8) {
    return Settings{{indent, fold, header}, tab_width};
}

// Quote marks ">" recognised; quoted lines passed through when keep is set.
IndentSettings QuoteIndent(bool keep) {
    IndentSettings s = NoIndent();
    s.styles = STYLE_INDENT | STYLE_QUOTE;
    s.sub_styles = keep ? SUB_KEEP_QUOTED : 0;
    lumo_fold::SetField(s.chars_for_quote, ">");
    return s;
}

std::string Repeat(const std::string &unit, int count) {
    std::string s;
    for (int i = 0; i < count; ++i) s += unit;
    return s;
}

using Outcome = lumo_fold::FormatOutcome;

// Formats source into a guarded buffer and checks what every call must keep:
// the bytes at and past the capacity, the request, the fold and header records.
Outcome Format(const std::string &source, Settings s, uint32_t capacity) {
    lumo::Records &r = s.records;
    const Outcome o = lumo_fold::RunFormat(source, &r.indent, r.fold, r.header, s.tab_width, capacity);
    EXPECT_TRUE(o.guard_intact) << "written at or past capacity " << capacity;
    EXPECT_EQ(o.foldnum_after, s.records.fold.foldnum) << "foldnum not restored";
    EXPECT_TRUE(o.fold_intact) << "FoldSettings changed";
    EXPECT_TRUE(o.header_intact) << "HeaderSettings changed";
    EXPECT_TRUE(o.request_intact) << "FormatRequest changed";
    return o;
}

struct FormatRow {
    const char *name;
    std::string source;
    Settings settings;
    std::string expected;
};

void ExpectFormats(const std::vector<FormatRow> &rows) {
    for (const FormatRow &row : rows) {
        SCOPED_TRACE(row.name);
        const Outcome o = Format(row.source, row.settings, 4096);
        EXPECT_EQ(o.result, FORMAT_DONE);
        ASSERT_TRUE(o.terminated) << "no NUL in the output";
        EXPECT_EQ(o.output, row.expected)
            << "  expected " << Hex(row.expected) << "\n  actual   " << Hex(o.output);
    }
}

// ---- Lines and terminators ---------------------------------------------

TEST(LumoMultiLines, EmptyAndHeaderOnlySources) {
    HeaderSettings delimiter{};
    lumo_fold::SetField(delimiter.headerdelimiter, "--");
    delimiter.lumoheader = HEADER_NO_FORMAT;  // the line must begin with "--"
    ExpectFormats({
        {"empty source", "", Plain(Fold(70)), ""},
        {"all header up to the empty line", "From: a\r\nSubject: b\r\n\r\n",
         With(NoIndent(), Fold(5).Off(), HeaderToEmptyLine()), "From: a\r\nSubject: b\r\n\r\n"},
        {"header lines are not folded, the body is",
         "From: somebody with a long name\r\n\r\nabcdefgh\r\n",
         With(NoIndent(), Fold(5).Off(), HeaderToEmptyLine()),
         "From: somebody with a long name\r\n\r\nabcde\r\nfgh\r\n"},
        {"delimiter as the unterminated last line: all header", "abcdef\r\n---",
         With(NoIndent(), Fold(2).Off(), delimiter), "abcdef\r\n---"},
    });
}

TEST(LumoMultiLines, TerminatorsAndInheritedKinds) {
    ExpectFormats({
        {"unterminated last line inherits CR LF, between and after its segments",
         "ab\r\nabcdefgh", Plain(Fold(5).Off()), "ab\r\nabcde\r\nfgh\r\n"},
        {"short unterminated last line inherits LF", "x\ny", Plain(Fold(70)), "x\ny\n"},
        {"kind inherited from an empty line", "a\r\n\nbcd", Plain(Fold(70)), "a\r\n\nbcd\n"},
        {"mixed terminators: each line keeps its own",
         "abcdef\nghijkl\rmnopqr\r\n", Plain(Fold(4).Off()),
         "abcd\nef\nghij\rkl\rmnop\r\nqr\r\n"},
        {"LF then CR is two terminators", "ab\n\rcd", Plain(Fold(70)), "ab\n\rcd\r"},
        {"CR then CR LF is two empty lines", "\r\r\n", Plain(Fold(70)), "\r\r\n"},
        {"empty lines come out without prefix", "\r\n\n\r\r\n",
         With(FixedIndent(2), Fold(3).Off()), "\r\n\n\r\r\n"},
        {"CR line folded with CR", "abcdef\r", Plain(Fold(3).Off()), "abc\rdef\r"},
    });
}

// A lead byte in front of a terminator or the text's end is a one-byte
// character of one column: it neither swallows the terminator nor reaches
// past the NUL.
TEST(LumoMultiLines, IncompleteTwoByteCharacters) {
    ExpectFormats({
        {"before CR LF, fitting the column", "abcd\x81\r\nxy", Plain(Fold(5)),
         "abcd\x81\r\nxy\r\n"},
        {"before LF, past the column", "abcde\x81\nxy\n", Plain(Fold(5).Off()),
         "abcde\n\x81\nxy\n"},
        {"at the end of the text", "abcde\x81", Plain(Fold(5).Off()), "abcde\r\n\x81"},
        {"alone on a line", "\x81\r\n", Plain(Fold(1)), "\x81\r\n"},
        {"as the last column of a continuation", "abcdefg\x81\r\n",
         With(FixedIndent(1), Fold(4).Off()), "abcd\r\n efg\r\n \x81\r\n"},
    });
}

// A text that is one unterminated line gets CR LF between its segments and
// nothing after the last one.
TEST(LumoMultiLines, SingleUnterminatedLine) {
    ExpectFormats({
        {"three segments", "abcdefgh", Plain(Fold(3).Off()), "abc\r\ndef\r\ngh"},
        {"one segment", "ab", Plain(Fold(3).Off()), "ab"},
        {"with a prefix", "abcdefgh", With(FixedIndent(1), Fold(4).Off()),
         "abcd\r\n efg\r\n h"},
        {"after a header block", "H\r\n\r\nabcdef",
         With(NoIndent(), Fold(3).Off(), HeaderToEmptyLine()), "H\r\n\r\nabc\r\ndef"},
        {"tabs with tab width 0 take one column each", "\t\t\t\t\t",
         Plain(Fold(2).Off(), 0), "\t\t\r\n\t\t\r\n\t"},
    });
}

TEST(LumoMultiLines, PrefixesAndColumns) {
    ExpectFormats({
        {"rules off, foldnum 20, two-space prefix: 30 characters",
         "abcdefghijklmnopqrstuvwxyzABCD\r\n", With(FixedIndent(2), Fold(20).Off()),
         "abcdefghijklmnopqrst\r\n  uvwxyzABCD\r\n"},
        {"rules off, foldnum 20, two-space prefix: 40 characters",
         "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMN\r\n", With(FixedIndent(2), Fold(20).Off()),
         "abcdefghijklmnopqrst\r\n  uvwxyzABCDEFGHIJKL\r\n  MN\r\n"},
        {"a line of tabs", std::string(10, '\t') + "\r\n", Plain(Fold(20).Off()),
         "\t\t\t\r\n\t\t\t\r\n\t\t\t\r\n\t\r\n"},
        {"tab stops of a continuation segment count from the prefix end",
         "abcdefghij\tklmnop\r\n", With(FixedIndent(4), Fold(10).Off()),
         "abcdefghij\r\n    \t\r\n    klmnop\r\n"},
        {"prefix as long as the fold column on a line that fits", "abcde\r\n",
         With(FixedIndent(5), Fold(5).Off()), "abcde\r\n"},
        {"worked example: あいうえおabc「def」かき at foldnum 18",
         Sjis("あいうえおabc「def」かき") + "\r\n", Plain(Fold(18)),
         Sjis("あいうえおabc") + "\r\n" + Sjis("「def」かき") + "\r\n"},
        {"two-byte character at the last column of a continuation",
         "abcd" + Sjis("あいう") + "\r\n", With(FixedIndent(1), Fold(4).Off()),
         "abcd\r\n " + Sjis("あい") + "\r\n " + Sjis("う") + "\r\n"},
    });
}

TEST(LumoMultiLines, QuotedLines) {
    const std::string quoted = "> abcdefghijklmnopqrstuvwxyz\r\n";
    ExpectFormats({
        {"SUB_KEEP_QUOTED: a long quoted line is copied unchanged",
         quoted + "abcdefghijkl\r\n", With(QuoteIndent(true), Fold(10).Off()),
         quoted + "abcdefghij\r\nkl\r\n"},
        {"SUB_KEEP_QUOTED: unterminated quoted last line gets no terminator",
         "ab\r\n> abcdefghijklmnop", With(QuoteIndent(true), Fold(10).Off()),
         "ab\r\n> abcdefghijklmnop"},
        {"without SUB_KEEP_QUOTED the quoted line is folded under its marks", quoted,
         With(QuoteIndent(false), Fold(10).Off()),
         "> abcdefgh\r\n> ijklmnop\r\n> qrstuvwx\r\n> yz\r\n"},
    });
}

// ---- Results 2, 3 and 8 --------------------------------------------------

TEST(LumoMultiLines, PrefixFillingTheFoldColumnGivesResult2) {
    struct Row {
        const char *name;
        Settings settings;
    };
    const std::vector<Row> rows = {
        {"prefix equal to the fold column", With(FixedIndent(5), Fold(5).Off())},
        {"prefix one longer than the fold column", With(FixedIndent(6), Fold(5).Off())},
        {"prefix far longer, rules on", With(FixedIndent(200), Fold(70))},
    };
    const std::string source =
        "ok\r\n" + std::string(80, 'x') + "\r\nzz\r\n";
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        const Outcome o = Format(source, row.settings, 4096);
        EXPECT_EQ(o.result, FORMAT_NO_COLUMN);
        EXPECT_EQ(o.output, "ok\r\n") << "the output holds the lines before the failing one";
        // 2 is returned at once, even when the output has overflowed before.
        const Outcome small = Format(source, row.settings, 2);
        EXPECT_EQ(small.result, FORMAT_NO_COLUMN);
    }
}

TEST(LumoMultiLines, FoldColumnZeroGivesResult3AndWritesNothing) {
    for (const std::string &source : {std::string(), std::string("abc\r\n")}) {
        SCOPED_TRACE(Hex(source));
        const Outcome o = Format(source, Plain(Fold(0)), 32);
        EXPECT_EQ(o.result, FORMAT_FOLD_ZERO);
        EXPECT_TRUE(o.untouched) << "output written";
        EXPECT_EQ(o.foldnum_after, 0u);
    }
}

// The whole output needs `capacity` bytes or more: result 8 and the empty
// string; one byte more and it fits exactly.
TEST(LumoMultiLines, CapacityExactlyFittingAndOneShort) {
    struct Row {
        const char *name;
        std::string source;
        Settings settings;
        std::string expected;
    };
    const std::vector<Row> rows = {
        {"folded lines", "abcdefgh\r\nxyz\r\n", Plain(Fold(3).Off()),
         "abc\r\ndef\r\ngh\r\nxyz\r\n"},
        {"header only", "H\r\n\r\n", With(NoIndent(), Fold(3), HeaderToEmptyLine()),
         "H\r\n\r\n"},
        {"header and body", "H\r\n\r\nabcd\r\n",
         With(NoIndent(), Fold(3).Off(), HeaderToEmptyLine()), "H\r\n\r\nabc\r\nd\r\n"},
        {"quoted line passed through", "> abcdefghijklmnop\r\n",
         With(QuoteIndent(true), Fold(5)), "> abcdefghijklmnop\r\n"},
        {"single unterminated line", "abcdefgh", Plain(Fold(3).Off()), "abc\r\ndef\r\ngh"},
        {"Shift-JIS text", Sjis("あいうえおかきくけこ") + "\r\n", Plain(Fold(10)),
         Sjis("あいうえお") + "\r\n" + Sjis("かきくけこ") + "\r\n"},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        const uint32_t total = static_cast<uint32_t>(row.expected.size());
        {
            SCOPED_TRACE("capacity total + 1");
            const Outcome o = Format(row.source, row.settings, total + 1);
            EXPECT_EQ(o.result, FORMAT_DONE);
            EXPECT_EQ(o.output, row.expected) << Hex(o.output);
        }
        for (uint32_t capacity : {total, total - 1, 1u}) {
            SCOPED_TRACE("capacity " + std::to_string(capacity));
            const Outcome o = Format(row.source, row.settings, capacity);
            EXPECT_EQ(o.result, FORMAT_OUTPUT_TOO_SMALL);
            ASSERT_TRUE(o.terminated);
            EXPECT_EQ(o.output, "");
        }
        {
            SCOPED_TRACE("capacity 0");
            const Outcome o = Format(row.source, row.settings, 0);
            EXPECT_EQ(o.result, FORMAT_OUTPUT_TOO_SMALL);
        }
    }
}

TEST(LumoMultiLines, EmptySourceAndCapacity) {
    const Outcome one = Format("", Plain(Fold(70)), 1);
    EXPECT_EQ(one.result, FORMAT_DONE);
    EXPECT_TRUE(one.terminated);
    EXPECT_EQ(one.output, "");
    // The empty output still needs its NUL.
    const Outcome none = Format("", Plain(Fold(70)), 0);
    EXPECT_EQ(none.result, FORMAT_OUTPUT_TOO_SMALL);
}

TEST(LumoMultiLines, FoldColumnGivenBackWhateverTheResult) {
    struct Row {
        const char *name;
        std::string source;
        Settings settings;
        uint32_t capacity;
        int32_t result;
    };
    const std::vector<Row> rows = {
        {"done", "abcdefgh\r\n", With(FixedIndent(2), Fold(5)), 100, FORMAT_DONE},
        {"no column", "abcdefgh\r\n", With(FixedIndent(5), Fold(5)), 100, FORMAT_NO_COLUMN},
        {"too small", "abcdefgh\r\n", With(FixedIndent(2), Fold(5)), 4, FORMAT_OUTPUT_TOO_SMALL},
        {"line beyond its estimate", "a" + std::string(60, ')') + "\r\n",
         With(FixedIndent(2), Fold(10).Left(0xFFFFFFFFu)), 1000, FORMAT_DONE},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        const Outcome o = Format(row.source, row.settings, row.capacity);
        EXPECT_EQ(o.result, row.result);
        EXPECT_EQ(o.foldnum_after, row.settings.records.fold.foldnum);
    }
}

// A line that folding cuts into many short segments (push-out and word wrap
// moving the break far back) comes out exactly as the model cuts it, alone,
// between other lines, and with a buffer one byte too small.
TEST(LumoMultiLines, LineOfManyShortSegmentsComesOutWhole) {
    struct Row {
        const char *name;
        std::string line;
        Settings settings;
    };
    // Push-out runs back over the parentheses to the last letter of a word,
    // word wrap then takes the word back by up to maxmove - 1 bytes more.
    const std::string words = Repeat(std::string(23, 'a') + std::string(21, ')'), 8) + "\r\n";
    const std::vector<Row> rows = {
        {"huge maxmove: push-out leaves one byte per segment",
         "a" + std::string(60, ')') + "\r\n", Plain(Fold(10).Left(0xFFFFFFFFu))},
        {"word wrap after push-out", words, Plain(Fold(40).Left(20))},
        {"word wrap after push-out under a long prefix", words,
         With(FixedIndent(20), Fold(60).Left(20))},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        const lumo::Records &r = row.settings.records;
        IndentSettings indent = r.indent;
        const lumo_fold::ReferenceResult ref =
            lumo_fold::ReferenceFormat(row.line, &indent, r.fold, r.header, row.settings.tab_width);
        ASSERT_EQ(ref.result, FORMAT_DONE);

        // The driver, alone and between other lines, with the exact capacity.
        const Outcome alone = Format(row.line, row.settings, static_cast<uint32_t>(ref.output.size() + 1));
        EXPECT_EQ(alone.result, FORMAT_DONE);
        EXPECT_EQ(alone.output, ref.output);
        const std::string between = "x\r\n" + row.line + "y\r\n";
        const std::string expected = "x\r\n" + ref.output + "y\r\n";
        const Outcome middle = Format(between, row.settings, static_cast<uint32_t>(expected.size() + 1));
        EXPECT_EQ(middle.result, FORMAT_DONE);
        EXPECT_EQ(middle.output, expected);
        const Outcome short_by_one = Format(between, row.settings, static_cast<uint32_t>(expected.size()));
        EXPECT_EQ(short_by_one.result, FORMAT_OUTPUT_TOO_SMALL);
        EXPECT_EQ(short_by_one.output, "");
    }
}

}  // namespace
