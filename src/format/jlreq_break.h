// Where a segment of a line ends under the Japanese line-break rules: the
// longest run of the line's units from the segment start that fits in the
// columns available and ends where the rules allow, with push-out as far back
// as it must go, hanging of 、 and 。, spaces left at the end of the earlier
// line, and runs of letters that are never split. The search knows nothing
// of encodings: it sees grapheme clusters as units with a width and traits.
// It works on a window of the line and says when it needs more units, so
// that a line of any length can be folded in bounded memory.
#pragma once

#include <cstddef>
#include <cstdint>

#include "format/jlreq_classes.h"

namespace lumo::jlreq {

// One grapheme cluster of the line.
struct BreakUnit {
    uint32_t code_point;  // the cluster's first code point; text::kInvalidByte for a byte that is not UTF-8
    uint16_t width;       // its columns; a tab's width is worked out from its column instead
    Traits traits;        // Classify's answer, with kUserNoHead / kUserNoTail from the settings' sets
};

// What every search of one formatting call shares.
struct BreakRules {
    Level level = Level::kNormal;
    bool hang = false;       // one of 、。，．｡､ may hang past the fold column
    uint32_t tab_width = 8;  // tab stops every tab_width columns from the line's start; 0: a tab is one column
};

// The units of the segment that the caller holds.
struct BreakWindow {
    const BreakUnit *units;  // units[k] is unit first + k of the segment
    size_t count;
    uint64_t first;     // counted from the segment's first unit, which is 0
    bool line_goes_on;  // the line has units after units[count - 1]
};

enum class BreakOutcome : uint8_t {
    kNeedMore,  // the answer depends on units after the window
    kLineEnd,   // the rest of the line belongs to this segment; next is the line's end
    kAllowed,   // next is a place where the rules let the line break
    kHang,      // next follows a 、 or 。 that hangs past the fold column
    kGiveWay,   // no place up to the fold column may end the segment, so a rule gives way at next
};

struct BreakAnswer {
    BreakOutcome outcome;
    uint64_t next;  // the first unit of the next segment; any spaces before it end this one
    uint64_t keep;  // kNeedMore: every unit before keep belongs to this segment whatever follows
};

// Whether a line may break between a character with traits before and one
// with traits after (neither a space; spaces_between: spaces separate them)
// at level: a break needs a space or a wide character on one side (or, in
// loose, two inseparable characters), and no class or kinsoku set of the two
// may forbid it.
inline bool MayBreakBetween(Level level, Traits before, Traits after, bool spaces_between) {
    using namespace trait;
    const unsigned shift = kLevelBits * static_cast<unsigned>(level);
    const unsigned b = before >> shift;
    const unsigned a = after >> shift;
    if (!spaces_between) {
        // Only a space or a character of a script written without spaces
        // separates; letters, digits and symbols of the others stay together.
        const bool opening = KindOf(before) == kWide || KindOf(after) == kWide || (before & after & kInseparable) != 0;
        if (!opening) return false;
        if (b & a & kKeepPairs) return false;
        if ((a & kNoHead) || (b & kNoTail)) return false;
    } else {
        // An ASCII mark with a space between it and its neighbour is not
        // glued to that neighbour, by the classes or by the settings' sets
        // (whose ASCII members are meant for the marks that touch).
        if ((after & kAdjacentOnly) == 0 && ((a & kNoHead) || (after & kUserNoHead))) return false;
        if ((before & kAdjacentOnly) == 0 && ((b & kNoTail) || (before & kUserNoTail))) return false;
        return true;
    }
    return !(after & kUserNoHead) && !(before & kUserNoTail);
}

// The search for one segment, carried from one window to the next.
//
// Call Search with a window of the segment's units. On kNeedMore give a
// window that holds more of them (set line_goes_on false when the line has
// no more) and call again; the new window must begin at or before the answer's
// keep and run on from where the last one ended, with the same units; units
// before keep may be written out and dropped. Any other answer ends the
// search: the segment is units [0, next), and the next segment, if next is
// not the line's end, begins at next with a search of its own. Every unit is
// looked at once going forward, and at the fold column the search steps back
// only as far as the break moves; it allocates nothing.
class SegmentSearch {
public:
    // columns: those available to the segment (the fold column less the
    // continuation prefix); start_column: the display column where the
    // segment begins, for tab stops.
    // label: the columns at the segment's start that belong to its indent
    // whatever they hold (a line's item mark or quotation mark, which its
    // continuation prefix stands for on the lines after it).
    SegmentSearch(uint64_t columns, uint64_t start_column, uint64_t label = 0)
        : columns_(columns), start_column_(start_column), label_(label) {}

    BreakAnswer Search(const BreakRules &rules, const BreakWindow &window);

private:
    enum class Mode : uint8_t {
        kMeasure,         // adding up columns toward the fold column
        kHangPending,     // a 、 or 。 hangs; waiting for what follows it
        kOverlong,        // inside a run that begins the segment and is longer than it may be
        kOverlongSpaces,  // after that run, in the spaces that end it
    };
    static constexpr uint64_t kNone = ~uint64_t{0};

    uint64_t SpaceWidth(const BreakRules &rules, const BreakUnit &unit, uint64_t column) const;
    uint64_t BestBefore(const BreakRules &rules, const BreakWindow &window, uint64_t fold) const;
    void AfterIndent(const BreakWindow &window);
    bool Decide(const BreakRules &rules, const BreakWindow &window, uint64_t fold, BreakAnswer *answer);
    bool Measure(const BreakRules &rules, const BreakWindow &window, BreakAnswer *answer);
    bool AfterHang(const BreakRules &rules, const BreakWindow &window, BreakAnswer *answer);
    bool Overlong(const BreakRules &rules, const BreakWindow &window, BreakAnswer *answer);

    uint64_t columns_;
    uint64_t start_column_;
    uint64_t label_;
    Mode mode_ = Mode::kMeasure;
    uint64_t pos_ = 0;      // the next unit to look at
    uint64_t col_ = 0;      // kMeasure: the columns of the units before pos_, spaces included
    uint64_t lead_ = kNone; // the first unit that is neither a space nor in the label
    uint64_t fold_ = 0;     // kHangPending: the hanging unit
    Traits last_ = 0;       // kHangPending, kOverlong*: the last unit that is not a space
    bool spaced_ = false;   // spaces follow last_
    bool hung_ = false;     // last_ hangs after an overlong run
};

}  // namespace lumo::jlreq
