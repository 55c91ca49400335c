// One logical line cut into segments: each continuation segment begins with
// the continuation prefix and is measured against the fold column less the
// prefix, and the segments are joined with a line end. A line can be folded
// in one go or window by window as its bytes arrive, with the same segments,
// so that a line of any length is folded in a bounded window.
#pragma once

#include <cstddef>
#include <cstdint>

#include "format/find_break.h"
#include "text/byte_buffer.h"

namespace lumo {

// A stretch of a logical line as the rules measure it and as it is written.
// For code page 932 both are the same bytes; a UTF-8 line is measured in its
// image and written from its own bytes.
struct LineView {
    const char *text;          // measured; it begins where a segment begins
    size_t length;             // text[length] is readable, and NUL when the line has no line end there
    const char *bytes;         // written; nullptr: text itself
    const uint32_t *offsets;   // offsets[i]: where the bytes of the character at text + i begin
};

// What the segments of one line are joined with.
struct SegmentJoin {
    const char *between = "\n";  // between two segments
    size_t between_length = 1;
    const char *after = "";      // behind the last segment of a line without a line end of its own
    size_t after_length = 0;
};

// Where the folding of one line stands, from window to window.
struct LineFold {
    const char *prefix = "";      // the continuation prefix as written
    size_t prefix_bytes = 0;
    size_t prefix_columns = 0;    // as measured; it comes off the fold column
    SegmentJoin join;
    bool own_line_end = true;     // the line ends with a line end of its own
    bool drop_full_prefix = false;  // a prefix that fills the fold column is dropped, not refused
    bool first = true;            // the next segment is the line's first
    bool prefix_dropped = false;  // set when the prefix was dropped
};

enum class FoldResult { kDone, kMore, kNoColumn, kNoMemory };

// Starts a continuation segment: writes the prefix into out, or drops a
// prefix that would leave the fold column no column for text (when the
// line may), and returns the columns left for text (in *columns). Both
// rules' folders start their continuation segments here.
FoldResult StartContinuation(LineFold *line, uint32_t fold_column, ByteBuffer *out, uint32_t *columns);

// Writes the segments of view into out. complete: view holds the rest of the
// line, its line end included, and every segment is written (kDone). Else
// only the segments that more bytes of the line cannot change are written
// (kMore), and *consumed tells how many bytes of view.text they took.
// kNoColumn: a continuation segment would have no column left for text and
// the prefix may not be dropped. kNoMemory: out could not grow.
FoldResult FoldSegments(const FoldContext &context, const LineView &view, bool complete, LineFold *line,
                        ByteBuffer *out, size_t *consumed);

// How many measured bytes behind a segment start a window must hold for
// FoldSegments to place that segment's end without seeing the line's end;
// SIZE_MAX when the settings look so far ahead that only the whole line will do.
size_t WindowBytes(const FoldContext &context);

}  // namespace lumo
