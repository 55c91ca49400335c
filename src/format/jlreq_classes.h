// What the Japanese line-break rules (after W3C's JLREQ and CSS Text 3's
// line-break levels) know of a character: its kind (space, letter of a script
// that separates words with spaces, character of a script written without
// spaces, other) and, for the members of JLREQ's line-break classes, what it
// forbids at each level. Classify answers both in one 16-bit word, once per
// character, so that the break search only tests bits.
#pragma once

#include <array>
#include <cstdint>

#include "text/unicode_data.h"

namespace lumo::jlreq {

// CSS Text 3's line-break levels, strictest first.
enum class Level : uint8_t { kStrict = 0, kNormal = 1, kLoose = 2 };

using Traits = uint16_t;

// The bits of Traits. Each level has three bits of its own, at 3 * level.
namespace trait {
constexpr Traits kNoHead = 0x1;     // may not begin a line
constexpr Traits kNoTail = 0x2;     // may not end a line
constexpr Traits kKeepPairs = 0x4;  // no break between two inseparable characters
constexpr unsigned kLevelBits = 3;
constexpr Traits kLevelMask = 0x7;

constexpr Traits kInseparable = 0x200;   // a member of JLREQ's inseparable characters (cl-08)
constexpr Traits kHangs = 0x400;         // may hang past the fold column (、。，．｡､)
constexpr Traits kAdjacentOnly = 0x800;  // forbids only where it touches its neighbour (ASCII marks)

// The kind of character, two bits.
constexpr Traits kKindMask = 0x3000;
constexpr Traits kOther = 0x0000;  // neither of the below: breaks only beside a wide one or a space
constexpr Traits kSpace = 0x1000;  // a space, a tab, U+3000: stays at the end of a line
constexpr Traits kWord = 0x2000;   // ASCII letter, digit or symbol; Latin, Greek or Cyrillic letter
constexpr Traits kWide = 0x3000;   // East Asian Width F, W or H, not Hangul: a line may break beside it

// Set by the caller from the settings' kinsoku sets, at every level.
constexpr Traits kUserNoHead = 0x4000;
constexpr Traits kUserNoTail = 0x8000;
}  // namespace trait

constexpr Traits KindOf(Traits traits) { return traits & trait::kKindMask; }

namespace detail {
// Direct tables made from the class table (jlreq_classes.cpp) for ASCII and
// for U+3000..U+33FF (CJK symbols and punctuation, kana, the squared units).
extern const std::array<Traits, 0x80> kAsciiTraits;
extern const std::array<Traits, 0x400> kKanaAndSymbolTraits;
// Classify for any code point; Classify answers the commonest itself.
Traits ClassifyAny(uint32_t code_point, text::CodePointInfo info);
}  // namespace detail

// The traits of a code point (text::kInvalidByte for a byte that is not
// UTF-8), without the user's bits. info is the character model's entry for
// it; only its narrow width and its letter flag are read, and only for code
// points outside ASCII, the kana and CJK symbol blocks, the ideographs and
// the full-width forms, which are answered from tables. Inline for the
// commonest characters of Japanese text.
inline Traits Classify(uint32_t code_point, text::CodePointInfo info) {
    if (code_point < 0x80) return detail::kAsciiTraits[code_point];
    if (code_point - 0x3000 < 0x400) return detail::kKanaAndSymbolTraits[code_point - 0x3000];
    if (code_point - 0x4E00 < 0xA000 - 0x4E00) return trait::kWide;  // CJK unified ideographs
    return detail::ClassifyAny(code_point, info);
}

// The traits of a character drawn width columns wide: one that is drawn
// wide (an ambiguous ○ ※ α where code page 932 holds it, or as the width
// of ambiguous characters is chosen) stands among the characters of scripts
// written without spaces, as UAX #14 resolves ambiguous characters in East
// Asian text; Hangul, drawn wide, separates words with spaces all the same.
Traits Drawn(Traits traits, uint32_t code_point, unsigned width);

}  // namespace lumo::jlreq
