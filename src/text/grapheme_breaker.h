// Extended grapheme clusters (UAX #29, Unicode 15.0: GB3 to GB13) as a state
// machine fed one code point at a time, so that a line may be fed in parts;
// and the project's clusters on top of it, in which some characters stand
// on their own whatever Unicode's rules say. A new breaker begins a new text.
#pragma once

#include <cstdint>

#include "text/unicode_data.h"
#include "text/utf8.h"

namespace lumo::text {

class GraphemeBreaker {
public:
    // Whether a cluster boundary falls before a code point with this
    // information (the first code point fed always begins one).
    bool Next(const CodePointInfo &info);

private:
    static constexpr uint8_t kStart = 0xFF;
    uint8_t before_ = kStart;              // ClusterBreak of the code point before
    bool pictographic_run_ = false;        // what was fed ends with ExtPict Extend*
    bool zwj_after_pictographic_ = false;  // ... ExtPict Extend* ZWJ
    bool odd_regional_run_ = false;        // it ends with an odd number of regional indicators
};

// The project's clusters: Unicode's boundaries, and also a boundary before
// and after CR and LF (the rules see each line end byte by byte, never CR LF
// as one character) and around each byte that is not UTF-8 (fed as
// kInvalidByte, and to Unicode's rules as U+FFFD), and before the half-width
// sound marks ﾞ ﾟ, which code page 932 holds as characters of their own.
class ClusterBreaker {
public:
    // Whether a cluster of the project begins at code_point.
    bool Next(uint32_t code_point);

private:
    GraphemeBreaker unicode_;
    bool boundary_after_ = false;  // the code point before stands alone
};

}  // namespace lumo::text
