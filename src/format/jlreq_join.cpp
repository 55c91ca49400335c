// The segment break transformation as a table of the two characters' kinds.
#include "format/jlreq_join.h"

namespace lumo::jlreq {
namespace {

constexpr SegmentJoin R = SegmentJoin::kRemove;
constexpr SegmentJoin S = SegmentJoin::kSpace;

// kJoin[kind before][kind after], kinds in Traits order: other, space, word, wide.
constexpr SegmentJoin kJoin[4][4] = {
    //           other space word wide
    /* other */ {S, R, S, R},
    /* space */ {R, R, R, R},  // the space that ends the line stays
    /* word  */ {S, R, S, R},  // two English words get their space back
    /* wide  */ {R, R, R, R},  // Japanese joins without spaces
};

unsigned KindIndex(Traits traits) { return KindOf(traits) >> 12; }

}  // namespace

SegmentJoin JoinAcross(Traits before, Traits after) { return kJoin[KindIndex(before)][KindIndex(after)]; }

}  // namespace lumo::jlreq
