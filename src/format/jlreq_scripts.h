// Script and East Asian Width facts that the line-break rules need and the
// character model does not give yet: which letters belong to the scripts
// that separate words with spaces, which code points are half-width (H),
// which wide ones are Hangul, and the few code points of the kana and CJK
// symbol blocks that are not wide. Taken from ICU's Unicode 15.0 data; a gap
// in a letter range holds no letter, so the ranges stay few. These tables go
// once the character model gives Script and East Asian Width itself.
#pragma once

#include <cstddef>
#include <cstdint>

namespace lumo::jlreq {

struct CodeRange {
    uint32_t first;
    uint32_t last;
};

// Letters, digits and marks of the Latin, Greek and Cyrillic scripts beyond
// ASCII (the full-width Latin letters in here are wide, and wide wins).
inline constexpr CodeRange kSpacedScriptLetters[] = {
    {0x00AA, 0x00AA},   {0x00BA, 0x02B8},   {0x02E0, 0x02E4},   {0x0370, 0x0373},   {0x0376, 0x03E1},
    {0x03F0, 0x0484},   {0x0487, 0x052F},   {0x1C80, 0x1C88},   {0x1D00, 0x1DBF},   {0x1E00, 0x209C},
    {0x2126, 0x2126},   {0x212A, 0x212B},   {0x2132, 0x2132},   {0x214E, 0x2184},   {0x2C60, 0x2C7F},
    {0x2DE0, 0x2DFF},   {0xA640, 0xA69F},   {0xA722, 0xA787},   {0xA78B, 0xA7FF},   {0xAB30, 0xAB69},
    {0xFB00, 0xFB06},   {0xFE2E, 0xFE2F},   {0xFF21, 0xFF5A},   {0x10780, 0x107BA}, {0x1D242, 0x1D244},
    {0x1DF00, 0x1DF2A}, {0x1E030, 0x1E08F},
};

// East Asian Width H: the half-width katakana, Hangul and symbols.
inline constexpr CodeRange kHalfwidth[] = {
    {0x20A9, 0x20A9}, {0xFF61, 0xFFBE}, {0xFFC2, 0xFFC7}, {0xFFCA, 0xFFCF},
    {0xFFD2, 0xFFD7}, {0xFFDA, 0xFFDC}, {0xFFE8, 0xFFEE},
};

// Wide (F, W or H) code points of the Hangul script: Korean separates words
// with spaces, so these do not count as wide for the rules.
inline constexpr CodeRange kWideHangul[] = {
    {0x1100, 0x115F}, {0x302E, 0x302F}, {0x3131, 0x318E}, {0x3200, 0x321E},
    {0x3260, 0x327E}, {0xA960, 0xD7A3}, {0xFFA0, 0xFFDC},
};

// Code points of U+3000..U+33FF and U+FF00..U+FFEF whose East Asian Width is
// not F, W or H (the rest of those blocks is).
inline constexpr CodeRange kNotWideInCjkBlocks[] = {
    {0x303F, 0x3040}, {0x3097, 0x3098}, {0x3100, 0x3104}, {0x3130, 0x3130}, {0x318F, 0x318F},
    {0x31E4, 0x31EF}, {0x321F, 0x321F}, {0x3248, 0x324F}, {0xFF00, 0xFF00}, {0xFFBF, 0xFFC1},
    {0xFFC8, 0xFFC9}, {0xFFD0, 0xFFD1}, {0xFFD8, 0xFFD9}, {0xFFDD, 0xFFDF}, {0xFFE7, 0xFFE7},
    {0xFFEF, 0xFFEF},
};

// The CJK unified ideographs of the Basic Multilingual Plane, all wide.
inline constexpr CodeRange kBmpIdeographs[] = {{0x3400, 0x4DBF}, {0x4E00, 0x9FFF}};

// Whether cp lies in one of the sorted, disjoint ranges.
template <size_t N>
constexpr bool InRanges(const CodeRange (&ranges)[N], uint32_t cp) {
    size_t lo = 0;
    size_t hi = N;
    while (lo < hi) {
        const size_t mid = lo + (hi - lo) / 2;
        if (cp < ranges[mid].first) {
            hi = mid;
        } else if (cp > ranges[mid].last) {
            lo = mid + 1;
        } else {
            return true;
        }
    }
    return false;
}

}  // namespace lumo::jlreq
