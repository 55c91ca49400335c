// One logical line cut into segments: the size estimate of its formatted text,
// and the assembly of segments, continuation prefixes and terminators.
#pragma once

#include <cstddef>
#include <cstdint>

#include "format/line_end_rules.h"
#include "format/text.h"
#include "lumotext.h"

namespace lumo {

// An upper guess of the bytes of the formatted line (not a bound: the driver
// grows the buffer when a line needs more).
uint64_t EstimateLineOutput(const LineJob &job, size_t text_length, uint32_t tab_width,
                            const FoldSettings &fold);

enum class AssembleResult { kDone = 0, kTooSmall = 1, kNoColumn = 2 };

// Writes the formatted line into job->output (job->capacity bytes, NUL
// included) and sets *length to its length. On kTooSmall, *length is the
// length the line needs; the output is the empty string. foldnum is changed
// during the call and restored before it returns. tables, when given, are
// those of fold (see FoldTables).
AssembleResult AssembleLine(const CodePage &cp, LineJob *job, size_t text_length,
                            uint32_t tab_width, FoldSettings *fold, size_t *length,
                            const FoldTables *tables = nullptr);

}  // namespace lumo
