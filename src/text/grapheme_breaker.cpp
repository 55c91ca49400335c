// The rules of UAX #29 between two code points, as rows in the order the
// standard applies them, folded at compile time into one decision per pair
// of Grapheme_Cluster_Break values; GB11 and GB12/13 also look further back,
// through the breaker's state. The project's own characters are a table too.
#include "text/grapheme_breaker.h"

namespace lumo::text {
namespace {

using CB = ClusterBreak;

constexpr uint16_t Bit(CB c) { return static_cast<uint16_t>(1u << static_cast<unsigned>(c)); }
constexpr uint16_t kAny = 0x3FFF;
constexpr uint16_t kControls = Bit(CB::kControl) | Bit(CB::kCR) | Bit(CB::kLF);

enum class Decision : uint8_t {
    kNone,             // no row applies: GB999 breaks
    kBreak,
    kJoin,
    kPictographic,     // GB11: join when ExtPict Extend* ZWJ comes before an ExtPict
    kRegional,         // GB12/13: join when an odd run of regional indicators comes before
};

struct PairRule {
    const char *rule;
    uint16_t before;  // Bit() of the values before the boundary
    uint16_t after;   // and after it
    Decision decision;
};

constexpr PairRule kPairRules[] = {
    {"GB3 CR x LF", Bit(CB::kCR), Bit(CB::kLF), Decision::kJoin},
    {"GB4 (Control|CR|LF) /", kControls, kAny, Decision::kBreak},
    {"GB5 / (Control|CR|LF)", kAny, kControls, Decision::kBreak},
    {"GB6 L x (L|V|LV|LVT)", Bit(CB::kL), Bit(CB::kL) | Bit(CB::kV) | Bit(CB::kLV) | Bit(CB::kLVT), Decision::kJoin},
    {"GB7 (LV|V) x (V|T)", Bit(CB::kLV) | Bit(CB::kV), Bit(CB::kV) | Bit(CB::kT), Decision::kJoin},
    {"GB8 (LVT|T) x T", Bit(CB::kLVT) | Bit(CB::kT), Bit(CB::kT), Decision::kJoin},
    {"GB9 x (Extend|ZWJ)", kAny, Bit(CB::kExtend) | Bit(CB::kZwj), Decision::kJoin},
    {"GB9a x SpacingMark", kAny, Bit(CB::kSpacingMark), Decision::kJoin},
    {"GB9b Prepend x", Bit(CB::kPrepend), kAny, Decision::kJoin},
    {"GB11 ExtPict Extend* ZWJ x ExtPict", Bit(CB::kZwj), kAny, Decision::kPictographic},
    {"GB12/13 RI x RI in pairs", Bit(CB::kRegionalIndicator), Bit(CB::kRegionalIndicator), Decision::kRegional},
};

struct DecisionTable {
    Decision at[kClusterBreakCount][kClusterBreakCount];
};

// The first row that applies to each pair.
constexpr DecisionTable Fold() {
    DecisionTable table{};
    for (unsigned before = 0; before < kClusterBreakCount; ++before) {
        for (unsigned after = 0; after < kClusterBreakCount; ++after) {
            for (const PairRule &row : kPairRules) {
                if ((row.before >> before & 1u) && (row.after >> after & 1u)) {
                    table.at[before][after] = row.decision;
                    break;
                }
            }
        }
    }
    return table;
}

constexpr DecisionTable kDecisions = Fold();

// Characters that stand alone in the project's clusters.
struct OwnCharacter {
    uint32_t code_point;
    bool boundary_after;  // also a boundary after it
};

constexpr OwnCharacter kOwnCharacters[] = {
    {'\r', true},          // line ends are bytes of their own for the rules
    {'\n', true},
    {kInvalidByte, true},  // a byte that is not UTF-8 is a character of its own
    {0xFF9E, false},       // ﾞ and ﾟ: Extend to Unicode, characters of code page 932
    {0xFF9F, false},
};

}  // namespace

bool GraphemeBreaker::Next(const CodePointInfo &info) {
    const auto now = static_cast<unsigned>(info.cluster);
    const bool pictographic = (info.flags & CodePointInfo::kPictographic) != 0;
    bool boundary = true;  // GB1, and GB999
    if (before_ != kStart) {
        switch (kDecisions.at[before_][now]) {
        case Decision::kNone:
        case Decision::kBreak: boundary = true; break;
        case Decision::kJoin: boundary = false; break;
        case Decision::kPictographic: boundary = !(zwj_after_pictographic_ && pictographic); break;
        case Decision::kRegional: boundary = !odd_regional_run_; break;
        }
    }
    zwj_after_pictographic_ = info.cluster == CB::kZwj && pictographic_run_;
    pictographic_run_ = pictographic || (info.cluster == CB::kExtend && pictographic_run_);
    odd_regional_run_ = info.cluster == CB::kRegionalIndicator && !odd_regional_run_;
    before_ = static_cast<uint8_t>(now);
    return boundary;
}

bool ClusterBreaker::Next(uint32_t code_point) {
    // A byte that is not UTF-8 is U+FFFD to Unicode's rules.
    const uint32_t unicode = code_point == kInvalidByte ? 0xFFFD : code_point;
    bool boundary = unicode_.Next(UnicodeData::Info(unicode)) || boundary_after_;
    boundary_after_ = false;
    for (const OwnCharacter &own : kOwnCharacters) {
        if (own.code_point == code_point) {
            boundary = true;
            boundary_after_ = own.boundary_after;
            break;
        }
    }
    return boundary;
}

}  // namespace lumo::text
