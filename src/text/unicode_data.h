// What the UTF-8 character model knows of a code point: its display width,
// its grapheme cluster break property, whether word wrap counts it as a
// letter, its East Asian Width and script class for the line-breaking rules,
// and its code page 932 code; and the code point of each code page 932 code.
// All of it is read from constant tables generated from Unicode's data files
// and glibc's CP932 (text/unicode_tables.h): nothing is built at run time.
#pragma once

#include <cstdint>

#include "text/unicode_tables.h"

namespace lumo::text {

// How wide the East Asian ambiguous characters are drawn.
enum class Ambiguous : uint8_t {
    kCp932 = 0,   // two columns when code page 932 holds them as two bytes
    kWide = 1,    // always two
    kNarrow = 2,  // always one
};

// Grapheme_Cluster_Break (UAX #29).
enum class ClusterBreak : uint8_t {
    kOther, kCR, kLF, kControl, kExtend, kZwj, kRegionalIndicator, kPrepend, kSpacingMark, kL, kV, kT, kLV, kLVT,
};
inline constexpr unsigned kClusterBreakCount = 14;

// East_Asian_Width (UAX #11): N, A, H, F, Na, W.
enum class EastAsianWidth : uint8_t { kNeutral, kAmbiguous, kHalfwidth, kFullwidth, kNarrow, kWide };

// The scripts whose letters the line-breaking rules treat as Western.
enum class ScriptClass : uint8_t { kOther, kLatin, kGreek, kCyrillic };

struct CodePointInfo {
    uint16_t cp932 = 0;   // code page 932 code (lead * 256 + trail, or the byte); 0: none
    uint8_t widths = 0;   // two bits per Ambiguous value: 0, 1 or 2 columns
    uint8_t flags = 0;
    ClusterBreak cluster = ClusterBreak::kOther;

    static constexpr uint8_t kJoins = 0x1;          // may be joined to the code point before it
    static constexpr uint8_t kLetter = 0x2;         // a letter, digit or combining mark
    static constexpr uint8_t kEmoji = 0x4;          // drawn as an emoji (two columns) by default
    static constexpr uint8_t kExtends = 0x8;        // extends the cluster before it (Extend, ZWJ, SpacingMark)
    static constexpr uint8_t kDigit = 0x10;         // a decimal digit (Nd)
    static constexpr uint8_t kPictographic = 0x20;  // Extended_Pictographic

    unsigned Width(Ambiguous mode) const { return (widths >> (2 * static_cast<unsigned>(mode))) & 3u; }
    bool Held() const { return cp932 != 0; }
    unsigned Cp932Length() const { return cp932 > 0xFF ? 2 : 1; }
};

// What the line-breaking rules ask of a character.
struct CharacterClass {
    EastAsianWidth east_asian_width;
    ScriptClass script;
    bool digit;  // Nd
};

// Returned by Cp932CodePoint for a code that code page 932 does not decode.
inline constexpr uint32_t kNoCodePoint = 0xFFFFFFFFu;

namespace detail {

inline const tables::Record &RecordOf(uint32_t cp) {
    using namespace tables;
    if (cp > 0x10FFFF) cp = 0x10FFFF;  // past Unicode: as a noncharacter
    const uint32_t middle = (uint32_t{kRecordLevel0[cp >> kRecordHigh]} << (kRecordHigh - kRecordLow)) +
                            ((cp >> kRecordLow) & kRecordMiddleMask);
    return kRecords[kRecordLevel2[(uint32_t{kRecordLevel1[middle]} << kRecordLow) + (cp & kRecordLowMask)]];
}

// x < 0x10000: a code point or a code page 932 code.
inline uint16_t Bmp(tables::BmpStage stage, uint32_t x) {
    return tables::kBmpPool[tables::kBmpStages[stage][x >> tables::kBmpShift] + (x & tables::kBmpLowMask)];
}

}  // namespace detail

// The code of each BMP code point under one width rule, for the hot path:
// its code page 932 code when code page 932 holds it at its width (the
// width is then the code's length) and it joins no cluster; 0 when the call
// must look closer (Info, and the call's alphabet).
class Spelling {
public:
    explicit Spelling(Ambiguous mode)
        : stage_(tables::kBmpStages[tables::kSpellings + static_cast<unsigned>(mode)]) {}
    uint16_t operator[](uint32_t bmp_code_point) const {
        const uint32_t in_window = bmp_code_point - tables::kSpellingWindowFirst;
        if (in_window < tables::kSpellingWindowSize) return tables::kSpellingWindow[in_window];
        return tables::kBmpPool[stage_[bmp_code_point >> tables::kBmpShift] + (bmp_code_point & tables::kBmpLowMask)];
    }

private:
    const uint16_t *stage_;
};

class UnicodeData {
public:
    // The tables; never nullptr (kept a pointer for the callers that once
    // had a table built on first use).
    static const UnicodeData *Get() {
        static const UnicodeData data{};
        return &data;
    }

    static CodePointInfo Info(uint32_t code_point) {
        const tables::Record &r = detail::RecordOf(code_point);
        CodePointInfo info;
        info.cp932 = code_point < 0x10000 ? detail::Bmp(tables::kCodes, code_point) : 0;
        info.widths = r.widths;
        info.flags = r.flags;
        info.cluster = static_cast<ClusterBreak>(r.cluster);
        return info;
    }

    static Spelling Spellings(Ambiguous mode) { return Spelling(mode); }

    // "15.0": the Unicode version of the tables.
    static const char *Version() { return tables::kUnicodeVersion; }
};

// The class of a code point for the line-breaking rules.
inline CharacterClass Classify(uint32_t code_point) {
    const tables::Record &r = detail::RecordOf(code_point);
    return {static_cast<EastAsianWidth>(r.classes & 7u), static_cast<ScriptClass>((r.classes >> 4) & 3u),
            (r.flags & CodePointInfo::kDigit) != 0};
}

// The code point that the code page 932 code (a byte, or lead * 256 + trail)
// decodes to, as glibc's iconv decodes it; kNoCodePoint when it decodes to
// none (a lone lead byte, an unassigned pair).
inline uint32_t Cp932CodePoint(uint16_t code) {
    const uint16_t cp = detail::Bmp(tables::kCodePoints, code);
    return cp == 0xFFFF ? kNoCodePoint : cp;
}

// The code page 932 code that glibc's iconv encodes the code point as; 0
// when it has none (U+0000 is code 0 too). Unlike CodePointInfo::cp932, a
// partner that code page 932 lacks has no code here.
inline uint16_t Cp932Code(uint32_t code_point) {
    if (code_point >= 0x10000) return 0;
    const uint16_t code = detail::Bmp(tables::kCodes, code_point);
    return code != 0 && Cp932CodePoint(code) == code_point ? code : 0;
}

}  // namespace lumo::text
