// One logical line cut into segments: the size estimate of its formatted text,
// and the assembly of segments, continuation prefixes and terminators.
#pragma once

#include <cstddef>
#include <cstdint>

#include "format/find_break.h"
#include "format/line_end_rules.h"
#include "text/text.h"
#include "lumotext.h"

namespace lumo {

// One logical line as assembly sees it: the text that the rules measure and
// break (code page 932), and the bytes written for it. For a code page 932
// call they are the same; a UTF-8 line is measured in its image and written
// from its own bytes.
struct LineView {
    const char *text;          // measured, NUL-terminated at text + length
    size_t length;
    const char *bytes;         // written; nullptr: text itself
    const uint32_t *offsets;   // offsets[i]: where the bytes of text's character at i begin
    const char *prefix;        // the continuation prefix as written
    size_t prefix_bytes;
    size_t prefix_columns;     // its length as measured, which comes off the fold column
    uint32_t newline;          // the line's terminator kind (NEWLINE_*)
};

// An upper guess of the bytes of the formatted line (not a bound: the driver
// grows the buffer when a line needs more).
uint64_t EstimateLineOutput(const FoldContext &context, const LineView &line);
uint64_t EstimateLineOutput(const LineJob &job, size_t text_length, uint32_t tab_width,
                            const FoldSettings &fold);

enum class AssembleResult { kDone = 0, kTooSmall = 1, kNoColumn = 2 };

// Writes the formatted line into output (capacity bytes, NUL included) and
// sets *length to its length. On kTooSmall, *length is the length the line
// needs; the output is the empty string.
AssembleResult AssembleLine(const FoldContext &context, const LineView &line, char *output, size_t capacity,
                            size_t *length);

// The same for a code page 932 line in job->text with job->prefix, into
// job->output. fold->foldnum is as it was when this returns.
AssembleResult AssembleLine(const CodePage &cp, LineJob *job, size_t text_length,
                            uint32_t tab_width, FoldSettings *fold, size_t *length,
                            const FoldTables *tables = nullptr);

}  // namespace lumo
