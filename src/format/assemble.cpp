// One logical line into segments: each continuation segment gets the prefix
// and is measured against the fold column less the prefix; segments are
// joined with the line's own terminator.
#include "format/assemble.h"

#include <algorithm>
#include <cstring>

#include "format/find_break.h"

namespace lumo {
namespace {

// Appends parts while the running count, NUL included, stays within the
// buffer; counts every part, written or not.
class LineSink {
public:
    LineSink(char *buffer, size_t capacity) : buffer_(buffer), capacity_(capacity) {
        if (capacity_ > 0) buffer_[0] = '\0';
    }
    void Append(const char *data, size_t length) {
        need_ += length;
        if (need_ < capacity_ && length > 0) {
            std::memcpy(buffer_ + written_, data, length);
            written_ += length;
            buffer_[written_] = '\0';
        }
    }
    size_t need() const { return need_; }

private:
    char *buffer_;
    size_t capacity_;
    size_t written_ = 0;
    size_t need_ = 0;
};

constexpr char kCrLf[] = "\r\n";

}  // namespace

uint64_t EstimateLineOutput(const FoldContext &context, const LineView &line) {
    // Tabs are rare: memchr skips from one to the next.
    uint64_t tabs = 0;
    const char *const end = line.text + line.length;
    const char *p = line.text;
    while ((p = static_cast<const char *>(std::memchr(p, '\t', static_cast<size_t>(end - p)))) != nullptr) {
        ++tabs;
        ++p;
    }
    // Tabs are never expanded in the output; a huge tab width would only make
    // the guess (and so the first buffer) absurd, and a short guess is grown.
    constexpr uint32_t kLargestTabAllowance = 255;
    const size_t bytes = line.offsets != nullptr ? line.offsets[line.length] : line.length;
    const uint64_t b = bytes + tabs * std::min(context.tab_width, kLargestTabAllowance);
    const auto prefix = static_cast<uint32_t>(line.prefix_bytes);
    // The fewest bytes a segment holds when the break moves back as far as it
    // may and the prefix takes its room.
    const FoldSettings &fold = context.fold;
    const auto w = static_cast<int32_t>(fold.foldnum - fold.maxmove_leftwise - static_cast<uint32_t>(line.prefix_columns));
    if (w <= 0) return b * (prefix + 3);
    return b + uint64_t{prefix + 2} * (b / static_cast<uint32_t>(w) + 1);
}

uint64_t EstimateLineOutput(const LineJob &job, size_t text_length, uint32_t tab_width,
                            const FoldSettings &fold) {
    const CodePage cp;
    const size_t prefix = strnlen(job.prefix, sizeof job.prefix);
    const LineView line{job.text, text_length, nullptr, nullptr, job.prefix, prefix, prefix, job.newline};
    return EstimateLineOutput(FoldContext{cp, tab_width, fold, nullptr}, line);
}

AssembleResult AssembleLine(const FoldContext &context, const LineView &line, char *output, size_t capacity,
                            size_t *length) {
    const uint32_t saved = context.fold.foldnum;
    const char *text = line.text;
    const char *line_end = text + line.length;
    const uint32_t kind = line.newline;
    LineSink sink(output, capacity);
    // The bytes written for the measured stretch [from, to).
    const auto write = [&](const char *from, const char *to) {
        if (line.offsets == nullptr) {
            sink.Append(from, static_cast<size_t>(to - from));
        } else {
            const uint32_t a = line.offsets[from - text];
            const uint32_t b = line.offsets[to - text];
            sink.Append(line.bytes + a, b - a);
        }
    };

    const char *position = text;
    for (bool first = true; !IsLineEnd(static_cast<unsigned char>(*position)); first = false) {
        uint32_t foldnum = saved;
        if (!first) {
            if (line.prefix_columns >= saved) return AssembleResult::kNoColumn;  // no column would be left for text
            sink.Append(line.prefix, line.prefix_bytes);
            foldnum = saved - static_cast<uint32_t>(line.prefix_columns);
        }
        const char *end = FindBreak(context, foldnum, text, line_end, position);
        const auto segment_length = static_cast<size_t>(end - position);
        write(position, end);
        // The last segment of a terminated line carries its own terminator.
        if (!EndsWithNewline(position, segment_length, kind)) {
            if (kind == NEWLINE_NONE) {
                // A line without terminator of its own or before it: segments
                // are joined with CR LF, and nothing follows the last one.
                if (!IsLineEnd(static_cast<unsigned char>(*end))) sink.Append(kCrLf, 2);
            } else {
                const char *terminator = kind == NEWLINE_CRLF ? kCrLf : kind == NEWLINE_CR ? "\r" : "\n";
                sink.Append(terminator, std::strlen(terminator));
            }
        }
        position = end;
    }
    // A line with nothing before its terminator comes out as its terminator.
    if (sink.need() == 0) {
        const char *run = position;
        while (*run == '\r' || *run == '\n') ++run;
        write(position, run);
    }
    *length = sink.need();
    if (sink.need() >= capacity) {
        if (capacity > 0) output[0] = '\0';
        return AssembleResult::kTooSmall;
    }
    return AssembleResult::kDone;
}

AssembleResult AssembleLine(const CodePage &cp, LineJob *job, size_t text_length,
                            uint32_t tab_width, FoldSettings *fold, size_t *length,
                            const FoldTables *tables) {
    const size_t prefix = std::strlen(job->prefix);
    const LineView line{job->text, text_length, nullptr, nullptr, job->prefix, prefix, prefix, job->newline};
    return AssembleLine(FoldContext{cp, tab_width, *fold, tables}, line, job->output, job->capacity, length);
}

}  // namespace lumo
