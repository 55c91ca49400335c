// Test texts for the Japanese line-break rules: UTF-8 turned into break units
// (one per code point; the test texts hold no combining marks), widths as code
// page 932 draws them, and a line folded segment by segment as the engine
// does it. Builds without the character model's table use a stand-in that
// knows the widths and letters of the characters the tests write.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "format/jlreq_break.h"
#include "format/jlreq_classes.h"
#include "text/unicode_data.h"
#include "text/utf8.h"

namespace lumo_test {

inline std::vector<uint32_t> CodePoints(std::string_view utf8) {
    std::vector<uint32_t> out;
    const char *p = utf8.data();
    const char *end = p + utf8.size();
    while (p < end) {
        const lumo::text::Decoded d = lumo::text::DecodeUtf8(p, end);
        out.push_back(d.code_point);
        p += d.length;
    }
    return out;
}

inline std::string Utf8(const std::vector<uint32_t> &cps, size_t begin, size_t end) {
    std::string out;
    char buffer[4];
    for (size_t i = begin; i < end; ++i) out.append(buffer, lumo::text::EncodeUtf8(cps[i], buffer));
    return out;
}

#ifdef LUMOTEXT_UNICODE
inline lumo::text::CodePointInfo InfoOf(uint32_t cp) { return lumo::text::UnicodeData::Get()->Info(cp); }
#else
// Wide (W, F): kana, CJK, Hangul syllables, full-width forms, emoji; drawn two
// columns in code page 932: those and the other non-ASCII characters the
// tests write, but half-width katakana.
inline lumo::text::CodePointInfo InfoOf(uint32_t cp) {
    struct Range {
        uint32_t first, last;
    };
    static const Range kWide[] = {{0x1100, 0x115F}, {0x2E80, 0x303E}, {0x3041, 0x33FF}, {0x3400, 0x4DBF},
                                  {0x4E00, 0x9FFF}, {0xAC00, 0xD7A3}, {0xF900, 0xFAFF}, {0xFF01, 0xFF60},
                                  {0xFFE0, 0xFFE6}, {0x1F300, 0x1F64F}, {0x20000, 0x3FFFD}};
    static const Range kLetters[] = {{'0', '9'}, {'A', 'Z'}, {'a', 'z'}, {0xC0, 0x24F}, {0x391, 0x3C9},
                                     {0x400, 0x4FF}, {0x3041, 0x30FF}, {0x4E00, 0x9FFF}, {0xAC00, 0xD7A3}};
    const auto in = [cp](const auto &ranges) {
        for (const Range &r : ranges) {
            if (cp >= r.first && cp <= r.last) return true;
        }
        return false;
    };
    const unsigned narrow = in(kWide) ? 2 : 1;
    const unsigned cp932 = (cp < 0x80 || (cp >= 0xFF61 && cp <= 0xFF9F)) ? 1 : 2;
    lumo::text::CodePointInfo info;
    info.widths = static_cast<uint8_t>(cp932 | narrow << 2 | narrow << 4);
    if (in(kLetters)) info.flags = lumo::text::CodePointInfo::kLetter;
    return info;
}
#endif

inline lumo::jlreq::BreakUnit UnitOf(uint32_t cp) {
    const lumo::text::CodePointInfo info = InfoOf(cp);
    return {cp, static_cast<uint16_t>(info.Width(lumo::text::Ambiguous::kCp932)), lumo::jlreq::Classify(cp, info)};
}

inline lumo::jlreq::Traits TraitsOf(uint32_t cp) { return UnitOf(cp).traits; }
inline lumo::jlreq::Traits TraitsOf(std::string_view one_character) {
    return TraitsOf(CodePoints(one_character).at(0));
}

inline std::vector<lumo::jlreq::BreakUnit> UnitsOf(const std::vector<uint32_t> &cps) {
    std::vector<lumo::jlreq::BreakUnit> units;
    units.reserve(cps.size());
    for (uint32_t cp : cps) units.push_back(UnitOf(cp));
    return units;
}

// One segment of a folded line.
struct Segment {
    size_t begin;
    size_t end;
    lumo::jlreq::BreakOutcome outcome;
};

// A line folded with the whole line as one window, every segment getting
// the same columns from column 0.
inline std::vector<Segment> FoldLine(const std::vector<lumo::jlreq::BreakUnit> &units,
                                     const lumo::jlreq::BreakRules &rules, uint64_t columns) {
    std::vector<Segment> segments;
    size_t start = 0;
    while (start < units.size()) {
        lumo::jlreq::SegmentSearch search(columns, 0);
        const lumo::jlreq::BreakWindow window{units.data() + start, units.size() - start, 0, false};
        const lumo::jlreq::BreakAnswer answer = search.Search(rules, window);
        const size_t end = start + static_cast<size_t>(answer.next);
        segments.push_back({start, end, answer.outcome});
        if (answer.outcome == lumo::jlreq::BreakOutcome::kLineEnd || end <= start) break;
        start = end;
    }
    return segments;
}

// The segments as UTF-8 strings.
inline std::vector<std::string> SegmentTexts(const std::vector<uint32_t> &cps, const std::vector<Segment> &segments) {
    std::vector<std::string> out;
    for (const Segment &s : segments) out.push_back(Utf8(cps, s.begin, s.end));
    return out;
}

// Folds utf8 and returns its segments as strings.
inline std::vector<std::string> Fold(std::string_view utf8, const lumo::jlreq::BreakRules &rules, uint64_t columns) {
    const std::vector<uint32_t> cps = CodePoints(utf8);
    return SegmentTexts(cps, FoldLine(UnitsOf(cps), rules, columns));
}

}  // namespace lumo_test
