// The grapheme cluster breaker against Unicode's own test file, line by
// line, and the project's clusters (Unicode's, with CR, LF, bytes that are
// not UTF-8 and the half-width sound marks standing alone) against the same
// file with those boundaries added, and against cases named for what they
// keep.
#include <gtest/gtest.h>

#include <cstdint>
#include <sstream>
#include <string>
#include <vector>

#include "text/grapheme_breaker.h"
#include "text/unicode_data.h"
#include "text/utf8.h"
#include "unicode/unicode_files.h"

namespace {

using lumo::text::ClusterBreaker;
using lumo::text::GraphemeBreaker;
using lumo::text::kInvalidByte;
using lumo::text::UnicodeData;

// The boundaries in the test file's notation: "÷ 0020 × 0308".
std::string Spelt(const std::vector<uint32_t> &code_points, const std::vector<bool> &boundaries) {
    std::ostringstream out;
    out << std::hex << std::uppercase;
    for (size_t i = 0; i < code_points.size(); ++i) {
        out << (boundaries[i] ? "\xC3\xB7 " : "\xC3\x97 ");
        if (code_points[i] == kInvalidByte) {
            out << "(byte) ";
        } else {
            out << code_points[i] << ' ';
        }
    }
    return out.str();
}

std::vector<bool> UnicodeBoundaries(const std::vector<uint32_t> &code_points) {
    GraphemeBreaker breaker;
    std::vector<bool> boundaries;
    for (const uint32_t cp : code_points) boundaries.push_back(breaker.Next(UnicodeData::Info(cp)));
    return boundaries;
}

std::vector<bool> ProjectBoundaries(const std::vector<uint32_t> &code_points) {
    ClusterBreaker breaker;
    std::vector<bool> boundaries;
    for (const uint32_t cp : code_points) boundaries.push_back(breaker.Next(cp));
    return boundaries;
}

TEST(GraphemeBreaker, EveryLineOfGraphemeBreakTest) {
    const auto cases = lumo_unicode::GraphemeBreakCases();
    ASSERT_GT(cases.size(), 600u);
    for (const auto &c : cases) {
        const std::vector<bool> got = UnicodeBoundaries(c.code_points);
        EXPECT_EQ(got, c.boundary_before) << "GraphemeBreakTest.txt line " << c.line_number << ": " << c.line
                                          << "\n  got " << Spelt(c.code_points, got);
    }
}

bool StandsAlone(uint32_t cp) { return cp == '\r' || cp == '\n' || cp == kInvalidByte; }

TEST(ClusterBreaker, UnicodesBoundariesAndTheProjectsOwn) {
    for (const auto &c : lumo_unicode::GraphemeBreakCases()) {
        std::vector<bool> expected = c.boundary_before;
        for (size_t i = 0; i < c.code_points.size(); ++i) {
            const uint32_t cp = c.code_points[i];
            if (StandsAlone(cp) || cp == 0xFF9E || cp == 0xFF9F) expected[i] = true;
            if (i > 0 && StandsAlone(c.code_points[i - 1])) expected[i] = true;
        }
        const std::vector<bool> got = ProjectBoundaries(c.code_points);
        EXPECT_EQ(got, expected) << "GraphemeBreakTest.txt line " << c.line_number << ": " << c.line << "\n  got "
                                 << Spelt(c.code_points, got);
    }
}

struct Row {
    const char *name;
    std::vector<uint32_t> code_points;
    std::vector<bool> boundaries;
};

void CheckRows(const std::vector<Row> &rows) {
    for (const Row &row : rows) {
        const std::vector<bool> got = ProjectBoundaries(row.code_points);
        EXPECT_EQ(got, row.boundaries) << row.name << ": got " << Spelt(row.code_points, got);
    }
}

TEST(ClusterBreaker, TheProjectsOwnCharacters) {
    CheckRows({
        {"a half-width katakana and its sound mark are two characters", {0xFF76, 0xFF9E}, {true, true}},
        {"so are the semi-voiced mark and its kana", {0xFF8A, 0xFF9F}, {true, true}},
        {"a combining mark after the sound mark joins it, as Unicode says", {0xFF76, 0xFF9E, 0x0301}, {true, true, false}},
        {"a byte that is not UTF-8 stands alone, marks after it too", {'a', kInvalidByte, 0x0301}, {true, true, true}},
        {"an emoji sequence through a sound mark keeps Unicode's state",
         {0x1F600, 0xFF9E, 0x200D, 0x1F600},
         {true, true, false, false}},
        {"regional indicators pair from the start of their run", {0x1F1EF, 0x1F1F5, 0x1F1EF}, {true, false, true}},
        {"a control after a prepended mark stands alone", {0x0600, '\t'}, {true, true}},
    });
}

TEST(ClusterBreaker, FormerBugs) {
    CheckRows({
        // The line's terminator became part of one image character and came
        // out twice: Unicode joins CR LF into one cluster.
        {"CR LF after a joining mark are two characters", {'a', 0x0301, '\r', '\n'}, {true, false, true, true}},
        {"CR LF alone are two characters", {'\r', '\n'}, {true, true}},
        {"a mark after LF does not join it", {'\n', 0x0301}, {true, true}},
    });
}

}  // namespace
