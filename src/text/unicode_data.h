// What the UTF-8 character model needs to know of a code point: its display
// width, whether it can join a grapheme cluster, whether word wrap counts it
// as a letter, and its code page 932 code. Taken from ICU and iconv, built
// once per process for the Basic Multilingual Plane; other planes ask ICU.
#pragma once

#include <cstdint>

namespace lumo::text {

// How wide the East Asian ambiguous characters are drawn.
enum class Ambiguous : uint8_t {
    kCp932 = 0,   // two columns when code page 932 holds them as two bytes
    kWide = 1,    // always two
    kNarrow = 2,  // always one
};

struct CodePointInfo {
    uint16_t cp932 = 0;   // code page 932 code (lead * 256 + trail, or the byte); 0: none
    uint8_t widths = 0;   // two bits per Ambiguous value: 0, 1 or 2 columns
    uint8_t flags = 0;

    static constexpr uint8_t kJoins = 0x1;     // may be joined to the code point before it
    static constexpr uint8_t kLetter = 0x2;    // a letter, digit or combining mark
    static constexpr uint8_t kEmoji = 0x4;     // drawn as an emoji (two columns) by default
    static constexpr uint8_t kExtends = 0x8;   // extends the cluster before it (Extend, ZWJ, SpacingMark)

    unsigned Width(Ambiguous mode) const { return (widths >> (2 * static_cast<unsigned>(mode))) & 3u; }
    bool Held() const { return cp932 != 0; }
    unsigned Cp932Length() const { return cp932 > 0xFF ? 2 : 1; }
};

class UnicodeData {
public:
    // The process's table, built on first use (thread-safe); nullptr when it
    // could not be built (no memory, or no code page 932 in iconv), in which
    // case a later call tries again.
    static const UnicodeData *Get();

    CodePointInfo Info(uint32_t code_point) const {
        return code_point < 0x10000 ? bmp_[code_point] : Compute(code_point);
    }

    // The code of each BMP code point under one width rule, for the hot
    // path: its code page 932 code when code page 932 holds it at its width
    // (the width is then the code's length) and it joins no cluster; 0 when
    // the call must look closer (Info, and the call's alphabet).
    const uint16_t *Spellings(Ambiguous mode) const { return spellings_[static_cast<unsigned>(mode)]; }

    // "15.0": the Unicode version of ICU's data.
    static const char *Version();

private:
    UnicodeData();
    CodePointInfo Compute(uint32_t code_point) const;

    CodePointInfo bmp_[0x10000];
    uint16_t spellings_[3][0x10000];
};

}  // namespace lumo::text
