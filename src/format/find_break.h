// Where one output segment of a logical line ends: measure the fold column in
// display columns, then let word wrap and the kinsoku rules move the break.
#pragma once

#include <cstdint>

#include "format/line_end_rules.h"
#include "format/text.h"
#include "lumotext.h"

namespace lumo {

// segment lies inside the line [line_start, line_end) in front of a byte that
// is not NUL, CR or LF; line_end is the line's NUL. Returns the segment end,
// after segment and on a character boundary; line_end when the rest fits.
// tables, when given, are those of fold (see FoldTables).
const char *FindBreak(const CodePage &cp, const char *line_start, const char *line_end,
                      const char *segment, uint32_t tab_width, const FoldSettings &fold,
                      const FoldTables *tables = nullptr);

}  // namespace lumo
