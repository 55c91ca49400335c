// Binding: the worked examples as vectors, and the round trip that defines
// it: a line folded and then bound with the same settings comes back whole.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "lumotext.h"
#include "paragraph/bind.h"
#include "settings/presets.h"
#include "support/sjis.h"

namespace {

using lumo_test::Hex;
using lumo_test::SjisMarked;

IndentSettings Preset2() {
    IndentSettings indent;
    lumo::FillIndentPreset(&indent, 2);
    return indent;
}

struct BindResult {
    std::string output;
    uint32_t flags;
    std::string prefix;
};

BindResult RunBind(const std::string &text, uint32_t newline, IndentSettings indent) {
    // Exactly the room the caller must give, behind it a guard byte.
    std::vector<char> output(text.size() + 2, '\xBD');
    LineJob job{};
    job.record_size = 280;
    job.text = text.c_str();
    job.output = output.data();
    job.newline = newline;
    EXPECT_EQ(BindLines(&job, &indent), 0);
    EXPECT_EQ(output.back(), '\xBD') << "wrote past the text's length plus one";
    return {output.data(), job.flags, job.prefix};
}

struct BindVector {
    const char *name;
    const char *text;  // UTF-8 with ␣ and □ for the blanks
    uint32_t newline;
    uint32_t styles_on, styles_off, sub_on, sub_off;  // changes to preset 2
    const char *expected;
};

const BindVector kVectors[] = {
    // Paragraphs: the prefix is empty after the paragraph rule.
    {"paragraph, CR LF restored", "□AAA\r\nBBB\r\n", NEWLINE_CRLF, 0, 0, 0, 0, "□AAABBB\r\n"},
    {"paragraph, no final break", "□AAA\r\nBBB\r\n", NEWLINE_NONE, 0, 0, 0, 0, "□AAABBB"},
    {"two-space prefix removed", "␣␣abc\n␣␣def\n", NEWLINE_LF, 0, 0, 0, 0, "␣␣abcdef\n"},
    // Itemised head: blanks beyond the prefix stay unless asked for.
    {"item continuation", "・項目の説明が\r\n□続きます", NEWLINE_NONE, 0, 0, 0, 0, "・項目の説明が続きます"},
    {"item keeps extra blank", "・項目の説明が\r\n□□続きます", NEWLINE_NONE, 0, 0, 0, 0,
     "・項目の説明が□続きます"},
    {"item strips with STRIP_WHEN_INDENT", "・項目の説明が\r\n□□続きます", NEWLINE_NONE,
     STYLE_STRIP_WHEN_INDENT, 0, 0, 0, "・項目の説明が続きます"},
    {"quote", ">␣引用文\n>␣の続き", NEWLINE_NONE, 0, 0, 0, 0, ">␣引用文の続き"},
    // The blank set.
    {"tab stays", "abc\n\tdef", NEWLINE_NONE, 0, 0, 0, 0, "abc\tdef"},
    {"tab stripped with SUB_BLANK_TAB", "abc\n\tdef", NEWLINE_NONE, 0, 0, SUB_BLANK_TAB, 0, "abcdef"},
    {"no stripping: only the prefix goes", "␣␣abc\n␣␣␣def", NEWLINE_NONE, 0, STYLE_STRIP_HEAD_SPACE, 0, 0,
     "␣␣abc␣def"},
    {"no indent: only blanks go", "␣␣abc\n␣␣␣def", NEWLINE_NONE, 0, STYLE_INDENT, 0, 0, "␣␣abcdef"},
    {"empty blank set", "abc\n␣□def", NEWLINE_NONE, 0, 0, 0, SUB_BLANK_NARROW | SUB_BLANK_WIDE, "abc␣□def"},
    // Line breaks.
    {"empty line in the middle", "abc\r\n\r\ndef\r\n", NEWLINE_CRLF, 0, 0, 0, 0, "abcdef\r\n"},
    {"only line breaks", "\r\n\r\n\r\n", NEWLINE_CRLF, 0, 0, 0, 0, "\r\n"},
    {"empty text", "", NEWLINE_CRLF, 0, 0, 0, 0, ""},
    {"mixed breaks, LF restored", "a\rb\r\nc\nd\n", NEWLINE_LF, 0, 0, 0, 0, "abcd\n"},
    {"kind the text does not end with", "a\nb\n", NEWLINE_CRLF, 0, 0, 0, 0, "ab"},
    {"no space inserted between words", "abc\r\ndef", NEWLINE_NONE, 0, 0, 0, 0, "abcdef"},
    {"part of the prefix stays", "␣␣␣abc\n␣def", NEWLINE_NONE, 0, STYLE_STRIP_HEAD_SPACE, 0, 0,
     "␣␣␣abc␣def"},
};

TEST(BindLines, Vectors) {
    for (const BindVector &v : kVectors) {
        SCOPED_TRACE(v.name);
        IndentSettings indent = Preset2();
        indent.styles = (indent.styles | v.styles_on) & ~v.styles_off;
        indent.sub_styles = (indent.sub_styles | v.sub_on) & ~v.sub_off;
        const BindResult result = RunBind(SjisMarked(v.text), v.newline, indent);
        EXPECT_EQ(Hex(result.output), Hex(SjisMarked(v.expected)));
    }
}

TEST(BindLines, ReportsTheHeadsClassification) {
    const BindResult item = RunBind(SjisMarked("・項目\r\n□続き"), NEWLINE_NONE, Preset2());
    EXPECT_EQ(item.flags, LINE_ITEMISED);
    EXPECT_EQ(Hex(item.prefix), Hex(SjisMarked("□")));
    const BindResult quote = RunBind(SjisMarked(">␣#␣強調\n>␣続き"), NEWLINE_NONE, Preset2());
    EXPECT_EQ(quote.flags, LINE_QUOTED | LINE_EMPHASISED);
}

TEST(BindLines, LowersFixedColumnInTheCallersRecord) {
    IndentSettings indent = Preset2();
    indent.styles |= STYLE_FIXED_COLUMN;
    indent.fixed_indent_column = 300;
    std::string out(16, '\0');
    LineJob job{};
    job.text = "abc\ndef";
    job.output = out.data();
    BindLines(&job, &indent);
    EXPECT_EQ(indent.fixed_indent_column, 255u);
    EXPECT_EQ(job.prefix, std::string(255, ' '));
}

// Folding with the rules off and binding with the same settings gives back
// the line, whatever its head, as long as no blank stands at a join.
TEST(BindLines, RoundTripOfFold) {
    const std::vector<std::string> heads = {
        "", SjisMarked("□"), SjisMarked("・"), SjisMarked("・␣"), "1. ", "(12) ", "> ", "> # ", "# ",
        SjisMarked("␣␣□"), SjisMarked("①")};
    const std::vector<std::string> body = {SjisMarked("日"), SjisMarked("本"), SjisMarked("語"),
                                           SjisMarked("の"), SjisMarked("。"), SjisMarked("「"),
                                           "a", "Z", "7", ".", "-"};
    const std::vector<std::string> terminators = {"\r\n", "\n", "\r"};
    std::mt19937 random(20261207);
    for (int round = 0; round < 3000; ++round) {
        std::string line = heads[random() % heads.size()];
        line += SjisMarked("本");  // the body never starts with a blank or mark
        const size_t length = random() % 120;
        for (size_t i = 0; i < length; ++i) line += body[random() % body.size()];
        const std::string terminator = terminators[random() % terminators.size()];
        const uint32_t kind = terminator == "\r\n" ? NEWLINE_CRLF : terminator == "\n" ? NEWLINE_LF : NEWLINE_CR;
        const std::string text = line + terminator;

        IndentSettings indent = Preset2();
        FoldSettings fold;
        HeaderSettings header;
        lumo::FillFoldPreset(&fold, 2);
        lumo::FillHeaderPreset(&header, 2);
        fold.tailwrap_flag = 0;
        fold.foldnum = 12 + static_cast<uint32_t>(random() % 40);
        std::vector<char> folded(text.size() * 8 + 64);
        FormatRequest request{24, text.c_str(), folded.data(), static_cast<uint32_t>(folded.size()), 8, 80};
        ASSERT_EQ(LumoMultiLines(&request, &indent, &fold, &header), 0);

        const BindResult bound = RunBind(folded.data(), kind, indent);
        ASSERT_EQ(Hex(bound.output), Hex(text)) << "folded at " << fold.foldnum << ": " << Hex(folded.data());
    }
}

}  // namespace
