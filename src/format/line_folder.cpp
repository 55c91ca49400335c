// Segments of a logical line. The break search looks at most one fold
// column and the hanging characters ahead of a segment start, and never
// behind it in a way that changes its answer, so a window that begins at a
// segment start and holds that much gives the break that the whole line
// gives.
#include "format/line_folder.h"

#include <cstdint>

namespace lumo {

size_t WindowBytes(const FoldContext &context) {
    const FoldSettings &fold = context.fold;
    // The fold position lies at most a fold column and one character ahead;
    // word wrap may step one byte further over a space, and a character's
    // code reads one byte more.
    uint64_t bytes = uint64_t{fold.foldnum} + 8;
    const bool hangs = (fold.tailwrap_flag & TAIL_KINSOKU) && !(fold.wraptype & WRAP_PUSH_OUT) &&
                       (fold.wraptype & WRAP_HANG);
    if (hangs) bytes += 2 * (uint64_t{fold.maxmove_rightwise} + 2);
    constexpr uint64_t kLargest = uint64_t{1} << 24;
    return bytes > kLargest ? SIZE_MAX : static_cast<size_t>(bytes);
}

FoldResult StartContinuation(LineFold *line, uint32_t fold_column, ByteBuffer *out, uint32_t *columns) {
    if (line->prefix_columns >= fold_column) {  // no column would be left for text
        if (!line->drop_full_prefix) return FoldResult::kNoColumn;
        line->prefix_bytes = line->prefix_columns = 0;
        line->prefix_dropped = true;
    }
    if (!out->Append(line->prefix, line->prefix_bytes)) return FoldResult::kNoMemory;
    *columns = fold_column - static_cast<uint32_t>(line->prefix_columns);
    return FoldResult::kDone;
}

FoldResult FoldSegments(const FoldContext &context, const LineView &view, bool complete, LineFold *line,
                        ByteBuffer *out, size_t *consumed) {
    const char *text = view.text;
    const char *end = text + view.length;
    const size_t window = complete ? 0 : WindowBytes(context);
    // The bytes written for the measured stretch [from, to).
    const auto write = [&](const char *from, const char *to) {
        if (view.offsets == nullptr) return out->Append(from, static_cast<size_t>(to - from));
        const uint32_t a = view.offsets[from - text];
        const uint32_t b = view.offsets[to - text];
        return out->Append(view.bytes + a, b - a);
    };
    const uint32_t saved = context.fold.foldnum;
    const char *position = text;
    while (position < end && !IsLineEnd(static_cast<unsigned char>(*position))) {
        if (!complete && static_cast<size_t>(end - position) < window) break;
        uint32_t foldnum = saved;
        if (!line->first) {
            const FoldResult started = StartContinuation(line, saved, out, &foldnum);
            if (started != FoldResult::kDone) return started;
        }
        const char *brk = FindBreak(context, foldnum, text, end, position);
        if (!write(position, brk)) return FoldResult::kNoMemory;
        line->first = false;
        // The last segment of a line with a line end carries it; others are
        // joined, and a line without one may get something behind its last.
        bool joined = true;
        if (brk != end) {
            joined = out->Append(line->join.between, line->join.between_length);
        } else if (!line->own_line_end) {
            joined = out->Append(line->join.after, line->join.after_length);
        }
        if (!joined) return FoldResult::kNoMemory;
        position = brk;
    }
    if (!complete) {
        *consumed = static_cast<size_t>(position - text);
        return FoldResult::kMore;
    }
    // A line with nothing before its line end comes out as its line end.
    if (line->first && position < end && !write(position, end)) return FoldResult::kNoMemory;
    *consumed = view.length;
    return FoldResult::kDone;
}

}  // namespace lumo
