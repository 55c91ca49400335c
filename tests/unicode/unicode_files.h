// Reading Unicode's data files (Debian's unicode-data) for the tests: lines,
// ranges with their values, the cases of GraphemeBreakTest.txt, and the
// UTF-8 form of a code point.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "text/utf8.h"

namespace lumo_unicode {

// LUMOTEXT_UNICODE_DATA_DIR ends with a slash.
inline std::string DataFile(const std::string &name) { return LUMOTEXT_UNICODE_DATA_DIR + name; }

inline std::vector<std::string> Lines(const std::string &path) {
    std::ifstream file(path);
    EXPECT_TRUE(file.good()) << "missing " << path << " (Debian's unicode-data)";
    std::vector<std::string> lines;
    for (std::string line; std::getline(file, line);) lines.push_back(line);
    return lines;
}

inline std::string Utf8(uint32_t cp) {
    char bytes[4];
    return std::string(bytes, lumo::text::EncodeUtf8(cp, bytes));
}

// Ranges "XXXX..YYYY;V" or "XXXX;V" of a data file, with the comment after.
struct Range {
    uint32_t first;
    uint32_t last;
    std::string value;
    std::string comment;
};

inline std::vector<Range> Ranges(const std::string &path) {
    std::vector<Range> ranges;
    for (const std::string &line : Lines(path)) {
        if (line.empty() || line[0] == '#') continue;
        const size_t semi = line.find(';');
        const size_t hash = line.find('#');
        Range r;
        const std::string span = line.substr(0, semi);
        r.first = static_cast<uint32_t>(std::stoul(span, nullptr, 16));
        const size_t dots = span.find("..");
        r.last = dots == std::string::npos
                     ? r.first
                     : static_cast<uint32_t>(std::stoul(span.substr(dots + 2), nullptr, 16));
        std::istringstream value(
            line.substr(semi + 1, hash == std::string::npos ? std::string::npos : hash - semi - 1));
        value >> r.value;
        if (hash != std::string::npos) r.comment = line.substr(hash + 1);
        ranges.push_back(r);
    }
    return ranges;
}

// One line of GraphemeBreakTest.txt: "÷ 0020 × 0308 ÷ 0020 ÷	# ...".
struct BreakCase {
    size_t line_number;
    std::string line;
    std::vector<uint32_t> code_points;
    std::vector<bool> boundary_before;  // one per code point
};

inline std::vector<BreakCase> GraphemeBreakCases() {
    std::vector<BreakCase> cases;
    size_t number = 0;
    for (const std::string &line : Lines(DataFile("auxiliary/GraphemeBreakTest.txt"))) {
        ++number;
        if (line.empty() || line[0] == '#') continue;
        BreakCase c{number, line, {}, {}};
        std::istringstream in(line.substr(0, line.find('#')));
        bool boundary = false;
        for (std::string token; in >> token;) {
            if (token == "\xC3\xB7") {  // ÷
                boundary = true;
            } else if (token == "\xC3\x97") {  // ×
                boundary = false;
            } else {
                c.code_points.push_back(static_cast<uint32_t>(std::stoul(token, nullptr, 16)));
                c.boundary_before.push_back(boundary);
            }
        }
        cases.push_back(c);
    }
    return cases;
}

}  // namespace lumo_unicode
