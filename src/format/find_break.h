// Where one output segment of a logical line ends: measure the fold column in
// display columns, then let word wrap and the kinsoku rules move the break.
#pragma once

#include <cstdint>

#include "format/line_end_rules.h"
#include "text/text.h"
#include "lumotext.h"

namespace lumo {

// What every break search of one formatting call shares.
struct FoldContext {
    const CodePage &cp;
    uint32_t tab_width;
    const FoldSettings &fold;   // foldnum is the call's fold column
    const FoldTables &tables;   // those of fold
};

// segment lies inside the line [line_start, line_end) in front of a byte that
// is not NUL, CR or LF; line_end is the line's NUL. Returns the segment end,
// after segment and on a character boundary; line_end when the rest fits
// within foldnum columns.
const char *FindBreak(const FoldContext &context, uint32_t foldnum, const char *line_start,
                      const char *line_end, const char *segment);

}  // namespace lumo
