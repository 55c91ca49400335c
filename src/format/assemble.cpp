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

uint64_t EstimateLineOutput(const LineJob &job, size_t text_length, uint32_t tab_width,
                            const FoldSettings &fold) {
    // Tabs are rare: memchr skips from one to the next.
    uint64_t tabs = 0;
    const char *const end = job.text + text_length;
    const char *p = job.text;
    while ((p = static_cast<const char *>(std::memchr(p, '\t', static_cast<size_t>(end - p)))) != nullptr) {
        ++tabs;
        ++p;
    }
    // Tabs are never expanded in the output; a huge tab width would only make
    // the guess (and so the first buffer) absurd, and a short guess is grown.
    constexpr uint32_t kLargestTabAllowance = 255;
    const uint64_t b = text_length + tabs * std::min(tab_width, kLargestTabAllowance);
    const auto prefix = static_cast<uint32_t>(strnlen(job.prefix, sizeof job.prefix));
    // The fewest bytes a segment holds when the break moves back as far as it
    // may and the prefix takes its room.
    const auto w = static_cast<int32_t>(fold.foldnum - fold.maxmove_leftwise - prefix);
    if (w <= 0) return b * (prefix + 3);
    return b + uint64_t{prefix + 2} * (b / static_cast<uint32_t>(w) + 1);
}

AssembleResult AssembleLine(const CodePage &cp, LineJob *job, size_t text_length,
                            uint32_t tab_width, FoldSettings *fold, size_t *length,
                            const FoldTables *tables) {
    const uint32_t saved = fold->foldnum;
    const char *text = job->text;
    const char *line_end = text + text_length;
    const size_t prefix_length = std::strlen(job->prefix);
    const uint32_t kind = job->newline;
    LineSink sink(job->output, job->capacity);

    const char *position = text;
    for (bool first = true; !IsLineEnd(static_cast<unsigned char>(*position)); first = false) {
        if (!first) {
            if (prefix_length >= saved) {  // no column would be left for text
                fold->foldnum = saved;
                return AssembleResult::kNoColumn;
            }
            sink.Append(job->prefix, prefix_length);
            fold->foldnum = saved - static_cast<uint32_t>(prefix_length);
        }
        const char *end = FindBreak(cp, text, line_end, position, tab_width, *fold, tables);
        const auto segment_length = static_cast<size_t>(end - position);
        sink.Append(position, segment_length);
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
        sink.Append(position, static_cast<size_t>(run - position));
    }
    fold->foldnum = saved;
    *length = sink.need();
    if (sink.need() >= job->capacity) {
        if (job->capacity > 0) job->output[0] = '\0';
        return AssembleResult::kTooSmall;
    }
    return AssembleResult::kDone;
}

}  // namespace lumo
