// A logical line cut into segments by the Japanese line-break rules (the
// rules of jlreq_break.h): the same line views, prefixes, joins and windows
// as the classic rules' FoldSegments, with the line's characters turned
// into units (first code point, width, traits) for the segment search.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "format/find_break.h"
#include "format/jlreq_break.h"
#include "format/line_folder.h"
#include "text/byte_buffer.h"

namespace lumo {

// What every line of a call folded by these rules shares.
struct JlreqContext {
    const FoldContext &fold;  // the fold column, tab width, and the settings' kinsoku sets as tables
    jlreq::BreakRules rules;
    bool utf8;                // the measured text is the image of UTF-8 bytes
};

// Where a segment's search stands from window to window, and the units of
// the window being folded (kept to spare an allocation per line).
struct JlreqLine {
    std::optional<jlreq::SegmentSearch> search;  // the open segment's, if any
    uint64_t taken = 0;                          // units of the open segment written already
    std::vector<jlreq::BreakUnit> units;
    std::vector<uint32_t> at;  // where each unit begins in the measured text
};

// The traits of the character with code point cp (text::kInvalidByte for a
// byte that is not UTF-8) for the segment search, the user's bits aside.
jlreq::Traits TraitsOf(uint32_t code_point);

// The code point of the measured character at p of view (its first code
// point, for a UTF-8 cluster), or text::kInvalidByte.
uint32_t CodePointAt(const JlreqContext &context, const LineView &view, const char *p);

// As FoldSegments (line_folder.h), by these rules.
FoldResult FoldSegmentsJlreq(const JlreqContext &context, const LineView &view, bool complete, LineFold *line,
                             JlreqLine *state, ByteBuffer *out, size_t *consumed);

}  // namespace lumo
