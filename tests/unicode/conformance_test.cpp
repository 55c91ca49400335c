// Unicode's own data against the UTF-8 model: no fold ever splits a grapheme
// cluster of GraphemeBreakTest.txt, and for every assigned code point of
// EastAsianWidth.txt the fold column falls where its width says (the width
// worked out here from the data files and iconv's code page 932 table).
#include <gtest/gtest.h>

#ifdef LUMOTEXT_TEST_ICONV
#include <iconv.h>
#endif

#include <cstdint>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "lumotext.h"
#include "settings/presets.h"
#include "support/utf8.h"
#include "text/unicode_data.h"
#include "text/utf8.h"
#include "unicode/unicode_files.h"

namespace {

using lumo_unicode::DataFile;
using lumo_unicode::Lines;
using lumo_unicode::Range;
using lumo_unicode::Ranges;
using lumo_unicode::Utf8;

// Plain settings: no classification, no header, the rules off or on.
struct Plain {
    IndentSettings indent{};
    FoldSettings fold{};
    HeaderSettings header{};
    explicit Plain(uint32_t foldnum, bool rules) {
        lumo::FillIndentPreset(&indent, 0);
        lumo::FillFoldPreset(&fold, 2);
        lumo::FillHeaderPreset(&header, 0);
        indent.styles = 0;
        header.lumoheader = 0;
        fold.foldnum = foldnum;
        if (!rules) fold.tailwrap_flag = 0;
    }
};

std::string Format(const std::string &text, Plain s) {
    std::vector<char> out(text.size() * 4 + 64);
    FormatRequest request{24, text.c_str(), out.data(), static_cast<uint32_t>(out.size()), 8, 80};
    EXPECT_EQ(lumo_test::FormatUtf8(&request, &s.indent, &s.fold, &s.header), FORMAT_DONE);
    return out.data();
}

TEST(Utf8Conformance, NoFoldSplitsAGraphemeCluster) {
    int tested = 0;
    for (const std::string &line : Lines(DataFile("auxiliary/GraphemeBreakTest.txt"))) {
        if (line.empty() || line[0] == '#') continue;
        // "÷ 0020 × 0308 ÷ 0020 ÷	# ...": code points and the boundaries between them.
        std::istringstream in(line.substr(0, line.find('#')));
        std::string text;
        std::set<size_t> boundaries;
        bool line_ends = false;
        for (std::string token; in >> token;) {
            if (token == "\xC3\xB7") {  // ÷
                boundaries.insert(text.size());
            } else if (token != "\xC3\x97") {  // not ×: a code point
                const auto cp = static_cast<uint32_t>(std::stoul(token, nullptr, 16));
                line_ends |= cp == 0x0A || cp == 0x0D;
                text += Utf8(cp);
            }
        }
        if (line_ends) continue;  // CR and LF end lines before any cluster is formed
        for (const bool rules : {false, true}) {
            // At fold column 1 every cluster that has a width begins a segment.
            const std::string out = Format(text, Plain(1, rules));
            std::string joined;
            size_t at = 0;
            for (size_t pos = 0;; ) {
                const size_t next = out.find("\r\n", pos);
                const std::string segment = out.substr(pos, next == std::string::npos ? std::string::npos : next - pos);
                if (at != 0) {
                    EXPECT_TRUE(boundaries.count(at)) << line << ": break inside a cluster at byte " << at;
                }
                joined += segment;
                at += segment.size();
                if (next == std::string::npos) break;
                pos = next + 2;
            }
            EXPECT_EQ(joined, text) << line;
        }
        ++tested;
    }
    EXPECT_GT(tested, 400);
}

// Bytes of the code page 932 form of cp: 0 when code page 932 has none that
// converts back to cp (iconv maps some characters to look-alikes one way).
// Without iconv (Windows), the library's own table, which the native tests
// hold against iconv.
class Cp932 {
public:
#ifdef LUMOTEXT_TEST_ICONV
    Cp932() : to_(iconv_open("CP932", "UTF-8")), from_(iconv_open("UTF-8", "CP932")) {}
    ~Cp932() {
        iconv_close(to_);
        iconv_close(from_);
    }
    size_t Length(uint32_t cp) {
        const std::string in = Utf8(cp);
        const std::string there = Convert(to_, in);
        return !there.empty() && Convert(from_, there) == in ? there.size() : 0;
    }

private:
    static std::string Convert(iconv_t cd, std::string in) {
        char out[8];
        char *src = in.data();
        char *dst = out;
        size_t left = in.size();
        size_t room = sizeof out;
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
        if (iconv(cd, &src, &left, &dst, &room) == static_cast<size_t>(-1)) return "";
        return std::string(out, sizeof out - room);
    }
    iconv_t to_;
    iconv_t from_;
#else
    size_t Length(uint32_t cp) {
        const uint16_t code = lumo::text::Cp932Code(cp);
        return code == 0 ? 0 : code > 0xFF ? 2 : 1;
    }
#endif
};

TEST(Utf8Conformance, FoldColumnFallsWhereEastAsianWidthSays) {
    std::set<uint32_t> emoji_presentation;
    for (const Range &r : Ranges(DataFile("emoji/emoji-data.txt"))) {
        if (r.value == "Emoji_Presentation") {
            for (uint32_t cp = r.first; cp <= r.last; ++cp) emoji_presentation.insert(cp);
        }
    }
    std::set<uint32_t> jamo_vowels_and_finals;
    for (const Range &r : Ranges(DataFile("HangulSyllableType.txt"))) {
        if (r.value == "V" || r.value == "T") {
            for (uint32_t cp = r.first; cp <= r.last; ++cp) jamo_vowels_and_finals.insert(cp);
        }
    }
    // Partners of two-byte characters that code page 932 holds are as wide
    // as they when they are drawn wide or ambiguous.
    const std::set<uint32_t> partners = {0x301C, 0x2016, 0x2212, 0x2014};
    Cp932 cp932;

    // One line per code point: (U+0001 cp) twelve times. U+0001 is a
    // control, so each code point begins a cluster of its own.
    std::string text;
    std::string expected;
    size_t count = 0;
    constexpr uint32_t kFold = 10;
    for (const Range &r : Ranges(DataFile("EastAsianWidth.txt"))) {
        std::istringstream comment(r.comment);
        std::string category;
        comment >> category;
        if (category == "Cn" || category == "Cs" || category == "Cc") continue;  // unassigned, surrogates, controls
        for (uint32_t cp = r.first; cp <= r.last; ++cp) {
            unsigned width;
            const size_t held = cp932.Length(cp);
            if (held != 0) {
                width = static_cast<unsigned>(held);
            } else if (partners.count(cp) && (r.value == "W" || r.value == "F" || r.value == "A")) {
                width = 2;
            } else if (category == "Mn" || category == "Me" || category == "Cf" || jamo_vowels_and_finals.count(cp)) {
                width = 0;
            } else if (r.value == "W" || r.value == "F" || emoji_presentation.count(cp)) {
                width = 2;
            } else {
                width = 1;  // H, Na, N, and A when code page 932 lacks it
            }
            const std::string c = Utf8(cp);
            std::string line;
            for (int i = 0; i < 12; ++i) line += "\x01" + c;
            text += line + "\n";
            // The segments: a character is taken while the column is below
            // the fold column.
            unsigned column = 0;
            std::string segment;
            for (int i = 0; i < 24; ++i) {
                const std::string piece = i % 2 == 0 ? "\x01" : c;
                const unsigned w = i % 2 == 0 ? 1 : width;
                if (w != 0 && column >= kFold) {
                    expected += segment + "\n";
                    segment.clear();
                    column = 0;
                }
                segment += piece;
                column += w;
            }
            expected += segment + "\n";
            ++count;
        }
    }
    EXPECT_GT(count, 100000u);
    const std::string out = Format(text, Plain(kFold, false));
    if (out != expected) {
        // Name the first code point whose line differs.
        size_t line_start = 0;
        size_t i = 0;
        while (i < out.size() && i < expected.size() && out[i] == expected[i]) {
            if (out[i] == '\n') line_start = i + 1;
            ++i;
        }
        ADD_FAILURE() << "first difference in the line of U+" << std::hex
                      << lumo::text::DecodeUtf8(expected.data() + line_start + 1, expected.data() + expected.size()).code_point;
    }
}

}  // namespace
