// The shortcuts of classification and binding against the plain walks they
// replace: a line classifies the same with the indent settings' tables as
// without them, and binding joins a block as the byte-by-byte walk does.
// Seeded random lines and settings, heavy in the characters the sets hold.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "text/text.h"
#include "lumotext.h"
#include "paragraph/bind.h"
#include "paragraph/classify.h"
#include "settings/presets.h"
#include "support/sjis.h"

namespace {

using lumo_test::Hex;

class Random {
public:
    explicit Random(uint32_t seed) : engine_(seed) {}
    uint32_t Below(uint32_t n) { return static_cast<uint32_t>(engine_() % n); }
    bool Chance(uint32_t percent) { return Below(100) < percent; }

private:
    std::mt19937 engine_;
};

// Pieces of line heads: blanks, quote, emphasis and item marks, names, text,
// stray lead bytes and line ends.
const std::vector<std::string> kPieces = {
    " ", "  ", "\x81\x40", "\t", ">", "|", "\x81\x74", "\x81\x62", "#", "\x81\x45", "*", "-", "1", "2",
    "a", "Z", "\x82\x4F", "\x87\x40", "\x87\x54", ".", ")", "\x81\x44", "\x81\x6A", "(", "\x81\x69",
    "\x8E\x52\x93\x63", "\x82\xA0\x82\xA2", "Taro", "\x81", "\xE0", "\r\n", "\n", "\r", "\x81\r\n",
};

std::string RandomLine(Random &r) {
    std::string line;
    const uint32_t n = r.Below(14);
    for (uint32_t i = 0; i < n; ++i) line += kPieces[r.Below(static_cast<uint32_t>(kPieces.size()))];
    return line;
}

template <size_t N>
void RandomSet(Random &r, char (&field)[N]) {
    std::string set;
    const uint32_t n = r.Below(6);
    for (uint32_t i = 0; i < n; ++i) set += kPieces[r.Below(static_cast<uint32_t>(kPieces.size()))];
    std::memset(field, 0, N);
    std::memcpy(field, set.data(), set.size());
}

IndentSettings RandomIndent(Random &r) {
    IndentSettings indent{};
    lumo::FillIndentPreset(&indent, static_cast<int32_t>(r.Below(3)));
    if (r.Chance(60)) indent.styles = STYLE_INDENT | r.Below(256) | (r.Below(4) << 30);
    indent.styles &= ~(r.Chance(80) ? STYLE_FIXED_COLUMN : 0u);
    if (r.Chance(60)) indent.sub_styles = r.Below(128) | (r.Below(8) << 29);
    indent.fixed_indent_column = r.Below(20);
    if (r.Chance(30)) RandomSet(r, indent.chars_for_quote);
    if (r.Chance(30)) RandomSet(r, indent.chars_for_empha);
    if (r.Chance(30)) RandomSet(r, indent.chars_for_sole_itemize);
    if (r.Chance(30)) RandomSet(r, indent.chars_for_combi_itemize);
    if (r.Chance(30)) RandomSet(r, indent.chars_for_itemize_end);
    for (size_t k = 0; k < LUMO_INDENT_STRING_COUNT; ++k) {
        if (r.Chance(15)) RandomSet(r, indent.indent_string[k]);
        indent.indent_string_property[k] = r.Below(2);
    }
    return indent;
}

TEST(ClassifyTables, EveryLineClassifiesAsWithoutThem) {
    const lumo::CodePage cp;
    Random r(21);
    for (int round = 0; round < 400; ++round) {
        IndentSettings indent = RandomIndent(r);
        const auto tables = std::make_unique<lumo::ClassifyTables>(cp, indent);
        for (int line_number = 0; line_number < 50; ++line_number) {
            const std::string line = RandomLine(r);
            SCOPED_TRACE(Hex(line));
            LineJob walked{};
            walked.text = line.c_str();
            LineJob tabled = walked;
            IndentSettings walked_indent = indent;
            const char *walked_result = lumo::ClassifyLine(cp, &walked, &walked_indent);
            const char *tabled_result = lumo::ClassifyLine(cp, &tabled, &indent, tables.get());
            ASSERT_EQ(walked_result == nullptr, tabled_result == nullptr);
            ASSERT_EQ(walked.flags, tabled.flags);
            ASSERT_STREQ(walked.prefix, tabled.prefix);
            ASSERT_EQ(walked_indent.fixed_indent_column, indent.fixed_indent_column);
        }
    }
}

// The binding loop as it was first written, one byte at a time, with the
// prefix and flags that classification gives.
std::string WalkBind(const lumo::CodePage &cp, const std::string &block, uint32_t newline,
                     IndentSettings indent) {
    LineJob job{};
    job.text = block.c_str();
    lumo::ClassifyLine(cp, &job, &indent);
    const size_t prefix_length = std::strlen(job.prefix);
    const bool strip = (indent.styles & STYLE_STRIP_HEAD_SPACE) &&
                       (!(job.flags & LINE_ITEMISED) || (indent.styles & STYLE_STRIP_WHEN_INDENT));
    std::string blanks;
    if (indent.sub_styles & SUB_BLANK_NARROW) blanks += ' ';
    if (indent.sub_styles & SUB_BLANK_WIDE) blanks += "\x81\x40";
    if (indent.sub_styles & SUB_BLANK_TAB) blanks += '\t';
    std::string out;
    const char *read = block.c_str();
    while (*read != '\0') {
        if (*read != '\r' && *read != '\n') {
            out += *read++;
            continue;
        }
        while (*read == '\r' || *read == '\n') ++read;
        if (std::strncmp(read, job.prefix, prefix_length) == 0) read += prefix_length;
        if (strip) {
            while (*read != '\0' && cp.InSet(blanks.c_str(), cp.CharCode(read))) read += cp.CharLength(read);
        }
    }
    if (lumo::EndsWithNewline(block.c_str(), newline)) {
        if (newline & 0x2) out += '\r';
        if (newline & 0x1) out += '\n';
    }
    return out;
}

TEST(Bind, JoinsAsTheByteWalkDoes) {
    const lumo::CodePage cp;
    Random r(22);
    for (int round = 0; round < 20000; ++round) {
        IndentSettings indent = RandomIndent(r);
        std::string block;
        const uint32_t lines = r.Below(5);
        for (uint32_t i = 0; i < lines; ++i) block += RandomLine(r) + (r.Chance(80) ? "\r\n" : "\n");
        if (r.Chance(50)) block += RandomLine(r);
        const uint32_t newline = r.Below(4);
        const std::string want = WalkBind(cp, block, newline, indent);
        SCOPED_TRACE(Hex(block));
        std::vector<char> output(block.size() + 2, '\xBD');
        LineJob job{};
        job.text = block.c_str();
        job.output = output.data();
        job.newline = newline;
        ASSERT_EQ(lumo::Bind(&job, &indent), 0);
        ASSERT_EQ(std::string(output.data()), want);
        ASSERT_EQ(output.back(), '\xBD');
    }
}

// Binding in place: the write position never overtakes the read position,
// and the block's end is read before the output reaches it.
TEST(Bind, InPlaceGivesTheSameText) {
    const lumo::CodePage cp;
    Random r(23);
    for (int round = 0; round < 5000; ++round) {
        IndentSettings indent = RandomIndent(r);
        std::string block;
        const uint32_t lines = 1 + r.Below(5);
        for (uint32_t i = 0; i < lines; ++i) block += RandomLine(r) + (r.Chance(80) ? "\r\n" : "\n");
        if (r.Chance(30)) block += RandomLine(r);
        const uint32_t newline = r.Below(4);
        const std::string want = WalkBind(cp, block, newline, indent);
        std::string buffer = block;
        LineJob job{};
        job.text = buffer.c_str();
        job.output = buffer.data();
        job.newline = newline;
        lumo::Bind(&job, &indent);
        ASSERT_EQ(std::string(buffer.c_str()), want) << Hex(block);
    }
}

}  // namespace
