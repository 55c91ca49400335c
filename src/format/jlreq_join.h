// Binding lines folded by the Japanese line-break rules: what becomes of the
// line break between two lines (CSS Text 3's segment break transformation).
#pragma once

#include <cstdint>

#include "format/jlreq_classes.h"

namespace lumo::jlreq {

enum class SegmentJoin : uint8_t {
    kRemove,  // the lines join with nothing between them
    kSpace,   // the line break becomes one space
};

// The join across a line break, from the traits (Classify's) of the last
// character before it and the first after it: removed when a space ends the
// earlier line or begins the later one (the space stays) or when either
// character is wide (East Asian Width F, W or H, not Hangul); otherwise one
// space, as between two English words.
SegmentJoin JoinAcross(Traits before, Traits after);

}  // namespace lumo::jlreq
