// Header block detection: where SkipHeader says the unformatted block at the
// top of a text ends, for each delimiter rule and mix of line breaks. Each
// vector gives the flags, the delimiter, the text and the expected offset.
#include "paragraph/header.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "support/sjis.h"

namespace {

using lumo_test::ExactText;
using lumo_test::Hex;
using lumo_test::Sjis;

constexpr uint32_t kNoFormat = HEADER_NO_FORMAT;
constexpr uint32_t kEmpty = HEADER_NO_FORMAT | HEADER_DELIM_EMPTY_LINE;
constexpr uint32_t kHead = HEADER_NO_FORMAT;  // line must begin with the delimiter
constexpr uint32_t kExact = HEADER_NO_FORMAT | HEADER_DELIM_EXACT;

struct HeaderRow {
    std::string label;
    uint32_t flags;
    std::string delimiter;
    std::string text;
    size_t offset;
};

void RunRows(const std::vector<HeaderRow> &rows) {
    for (const HeaderRow &row : rows) {
        SCOPED_TRACE(row.label + ": flags " + std::to_string(row.flags) + ", delimiter " +
                     Hex(row.delimiter) + ", text " + Hex(row.text));
        ASSERT_LT(row.delimiter.size(), size_t{LUMO_DELIMITER_BYTES}) << "vector error";
        HeaderSettings header;
        // record_size is never read, and nothing behind the delimiter's NUL is
        std::memset(&header, 0xBD, sizeof header);
        header.lumoheader = row.flags;
        std::memcpy(header.headerdelimiter, row.delimiter.data(), row.delimiter.size());
        header.headerdelimiter[row.delimiter.size()] = '\0';
        HeaderSettings before = header;

        ExactText text(row.text);
        const char *end = lumo::SkipHeader(text.c_str(), header);

        ASSERT_GE(end, text.c_str());
        ASSERT_LE(end, text.c_str() + text.size());
        EXPECT_EQ(static_cast<size_t>(end - text.c_str()), row.offset);
        EXPECT_EQ(std::memcmp(&header, &before, sizeof header), 0) << "settings changed";
        EXPECT_EQ(std::string(text.c_str(), text.size()), row.text) << "text changed";
    }
}

TEST(SkipHeader, NoHeaderHandling) {
    RunRows({
        {"flags clear, first line is the delimiter", HEADER_DELIM_EXACT, "--", "--\r\nbody\r\n",
         0},
        {"flags clear, line-head delimiter", 0, "--", "--\r\nbody\r\n", 0},
        {"flags clear, empty delimiter", 0, "", "head\r\nbody\r\n", 0},
        {"empty-line rule without HEADER_NO_FORMAT", HEADER_DELIM_EMPTY_LINE, "",
         "\r\nbody\r\n", 0},
        {"presets 0 and 2", 0x10002, "", "head\r\n\r\nbody\r\n", 0},
        {"empty text", kExact, "--", "", 0},
    });
}

TEST(SkipHeader, EmptyLineEndsTheHeader) {
    RunRows({
        {"preset 1: three lines, an empty line, a body", 0x10003, "",
         "h1\r\nh2\r\nh3\r\n\r\nbody\r\n", 14},
        {"blank-only line is not empty", kEmpty, "", "  \r\n\r\nbody\r\n", 6},
        {"full-width blank line is not empty", kEmpty, "",
         Sjis("\u3000") + "\r\n\r\nbody\r\n", 6},
        {"tab-only line is not empty", kEmpty, "", "\t\n\nbody\n", 3},
        {"first line empty", kEmpty, "", "\r\nbody\r\n", 2},
        {"first line empty, LF", kEmpty, "", "\nbody\n", 1},
        {"first line empty, CR", kEmpty, "", "\rbody\r", 1},
        {"no empty line", kEmpty, "", "a\r\nb\r\nc\r\n", 0},
        {"no empty line, last line unterminated", kEmpty, "", "a\r\nb", 0},
        {"LF lines", kEmpty, "", "a\nb\n\nc", 5},
        {"delimiter text is not consulted", kEmpty, "--", "--\r\n\r\nbody", 6},
        {"delimiter text is not consulted, exact", kEmpty | HEADER_DELIM_EXACT, "--",
         "--\r\nx\r\n\r\nbody", 9},
        {"empty line is the last line", kEmpty, "", "a\r\n\r\n", 5},
        {"only a line break", kEmpty, "", "\r\n", 2},
        {"first empty line wins", kEmpty, "", "a\n\n\nb", 3},
    });
}

// CR LF is one break; a CR alone, or an LF, is one; LF then CR is two.
TEST(SkipHeader, MixedLineBreaks) {
    RunRows({
        {"LF then CR: the CR is an empty line", kEmpty, "", "a\n\rb", 3},
        {"CR then CR", kEmpty, "", "a\r\rb", 3},
        {"CR LF then LF", kEmpty, "", "a\r\n\nb", 4},
        {"LF then CR LF", kEmpty, "", "a\n\r\nb", 4},
        {"CR LF then CR LF", kEmpty, "", "a\r\n\r\nb", 5},
        {"CR LF is not an empty line after a CR", kEmpty, "", "a\r\r\nb", 4},
        {"exact delimiter ended by CR alone", kExact, "--", "a\r--\rbody", 5},
        {"exact delimiter ended by LF", kExact, "--", "a\n--\nbody", 5},
        {"exact delimiter ended by CR LF", kExact, "--", "a\n--\r\nbody", 6},
    });
}

TEST(SkipHeader, LineHeadDelimiter) {
    RunRows({
        {"three hyphens begin with two", kHead, "--", "a\r\n---\r\nbody\r\n", 8},
        {"exactly the delimiter", kHead, "--", "a\r\n--\r\nbody\r\n", 7},
        {"delimiter with more behind it", kHead, "--", "title\n-- end\nbody\n", 13},
        {"delimiter not at the line head", kHead, "--", "a--\r\n b--\r\n", 0},
        {"line shorter than the delimiter", kHead, "----", "--\r\n--\r\n", 0},
        {"last line shorter than the delimiter", kHead, "---", "a\r\n--", 0},
        {"first match wins", kHead, "--", "--\r\n--\r\nx", 4},
        {"empty delimiter matches the first line", kHead, "", "abc\r\ndef\r\n", 5},
        {"empty delimiter, empty first line", kHead, "", "\r\nabc", 2},
        {"delimiter is the last line, unterminated", kHead, "--", "a\r\n--", 5},
        {"delimiter is the last line, terminated", kHead, "--", "a\r\n--\r\n", 7},
        {"no delimiter line", kHead, "--", "a\r\nb\r\n- -\r\n", 0},
        {"Shift-JIS delimiter", kHead, Sjis("■"), Sjis("題名\r\n■以上\r\n本文\r\n"), 14},
    });
}

TEST(SkipHeader, ExactDelimiter) {
    RunRows({
        {"three hyphens are not two", kExact, "--", "a\r\n---\r\nbody\r\n", 0},
        {"three hyphens, then two", kExact, "--", "a\r\n---\r\n--\r\nbody\r\n", 12},
        {"trailing blank is not equal", kExact, "--", "a\r\n-- \r\nbody\r\n", 0},
        {"delimiter is the last line, unterminated", kExact, "--", "a\r\n--", 5},
        {"delimiter is the last line, terminated", kExact, "--", "a\r\n--\r\n", 7},
        {"delimiter on the first line", kExact, "--", "--\nbody\n", 3},
        {"empty delimiter equals the first empty line", kExact, "", "a\r\n\r\nb", 5},
        {"empty delimiter, no empty line", kExact, "", "a\r\nb", 0},
        {"delimiter longer than every line", kExact, "-----", "--\r\n---\r\n", 0},
        {"Shift-JIS delimiter", kExact, Sjis("＝＝"),
         Sjis("題名\r\n＝＝＝\r\n＝＝\r\n本文"), 20},
        {"a CR within the delimiter's length ends the line", kExact, "ab",
         "a\rb\r\nab\r\nx", 9},
    });
}

}  // namespace
