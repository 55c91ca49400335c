// LumoMultiLines: copies the header, then formats the text one logical line at
// a time. Output is appended at a tracked end, so the cost stays linear in the
// size of the text.
#include "format/driver.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <memory>
#include <new>

#include "format/assemble.h"
#include "format/line_buffer.h"
#include "format/text.h"
#include "paragraph/classify.h"
#include "paragraph/header.h"
#include "settings/terminate.h"

namespace lumo {
namespace {

// The caller's output buffer. Once one part does not fit, the output stays
// the empty string and the call ends with FORMAT_OUTPUT_TOO_SMALL.
class OutputSink {
public:
    OutputSink(char *buffer, uint32_t capacity)
        : buffer_(buffer), capacity_(buffer != nullptr ? capacity : 0) {}

    void Append(const char *data, uint64_t length) {
        total_ += length;
        if (overflow_) return;
        if (total_ >= capacity_) {
            overflow_ = true;
            if (capacity_ > 0) buffer_[0] = '\0';
            return;
        }
        // Below the capacity, a 32-bit number, so it fits a size_t anywhere.
        std::memcpy(buffer_ + used_, data, static_cast<size_t>(length));
        used_ += static_cast<size_t>(length);
        buffer_[used_] = '\0';
    }
    bool overflow() const { return overflow_; }

private:
    char *buffer_;
    uint64_t capacity_;
    size_t used_ = 0;
    uint64_t total_ = 0;
    bool overflow_ = false;
};

// The character sets of the call as tables, built once from the records'
// terminated copies; 64 KiB, so they live on the heap.
struct CallTables {
    CallTables(const CodePage &cp, const FoldSettings &fold_settings, const IndentSettings &indent)
        : fold(cp, fold_settings), classify(cp, indent) {}

    FoldTables fold;
    ClassifyTables classify;
};

// The end of the logical line at p and its terminator kind; a line without
// terminator leaves the kind as it was.
const char *LineEnd(const char *p, uint32_t *kind) {
    p += std::strcspn(p, "\r\n");  // stops at the NUL too
    if (p[0] == '\r' && p[1] == '\n') {
        *kind = NEWLINE_CRLF;
        return p + 2;
    }
    if (p[0] == '\r') {
        *kind = NEWLINE_CR;
        return p + 1;
    }
    if (p[0] == '\n') {
        *kind = NEWLINE_LF;
        return p + 1;
    }
    return p;
}

// Formats one line into work, growing it until the line fits. Returns
// FORMAT_DONE with *length set, FORMAT_NO_COLUMN or FORMAT_NO_MEMORY.
int32_t FormatLine(const CodePage &cp, LineJob *job, size_t text_length, uint32_t tab_width,
                   FoldSettings *fold, const FoldTables &tables, LineBuffer *work, size_t *length) {
    constexpr uint64_t kMaxCapacity = std::numeric_limits<uint32_t>::max();
    uint64_t capacity = EstimateLineOutput(*job, text_length, tab_width, *fold) + 1;
    for (;;) {
        if (capacity > kMaxCapacity) capacity = kMaxCapacity;
        if (!work->Reserve(static_cast<size_t>(capacity))) return FORMAT_NO_MEMORY;
        job->output = work->data();
        job->capacity = static_cast<uint32_t>(capacity);
        switch (AssembleLine(cp, job, text_length, tab_width, fold, length, &tables)) {
        case AssembleResult::kDone: return FORMAT_DONE;
        case AssembleResult::kNoColumn: return FORMAT_NO_COLUMN;
        case AssembleResult::kTooSmall: break;
        }
        // The estimate is a guess; the reported length is exact because the
        // segmentation does not depend on the buffer.
        if (capacity == kMaxCapacity) return FORMAT_NO_MEMORY;
        capacity = std::max<uint64_t>(*length + 1, capacity + capacity / 2);
    }
}

}  // namespace

int32_t MultiLines(FormatRequest *request, IndentSettings *indent_record,
                   FoldSettings *fold_record, HeaderSettings *header_record) {
    if (fold_record->foldnum == 0) return FORMAT_FOLD_ZERO;

    // Work on copies whose text fields are sure to end inside their fields;
    // the one change classification makes to the record is written back.
    IndentSettings indent = *indent_record;
    FoldSettings fold = *fold_record;
    HeaderSettings header = *header_record;
    TerminateFields(&indent);
    TerminateFields(&fold);
    TerminateFields(&header);
    struct WriteBack {
        IndentSettings *record;
        const IndentSettings &copy;
        ~WriteBack() { record->fixed_indent_column = copy.fixed_indent_column; }
    } write_back{indent_record, indent};

    const CodePage cp;
    const std::unique_ptr<const CallTables> tables(new (std::nothrow) CallTables(cp, fold, indent));
    if (tables == nullptr) return FORMAT_NO_MEMORY;
    const char *source = request->source != nullptr ? request->source : "";
    OutputSink output(request->output, request->capacity);
    const char *body = SkipHeader(source, header);
    output.Append(source, static_cast<uint64_t>(body - source));

    LineJob job{};
    job.record_size = LINE_JOB_SIZE;
    job.newline = NEWLINE_NONE;
    LineBuffer text;
    LineBuffer work;
    for (const char *line = body; *line != '\0';) {
        const char *end = LineEnd(line, &job.newline);
        const auto line_length = static_cast<size_t>(end - line);
        if (!text.Reserve(line_length + 1)) return FORMAT_NO_MEMORY;
        std::memcpy(text.data(), line, line_length);
        text.data()[line_length] = '\0';
        job.text = text.data();

        ClassifyLine(cp, &job, &indent, &tables->classify);
        if ((indent.sub_styles & SUB_KEEP_QUOTED) && (job.flags & LINE_QUOTED)) {
            output.Append(line, line_length);
            job.output = nullptr;
        } else {
            size_t length = 0;
            const int32_t result =
                FormatLine(cp, &job, line_length, request->tab_width, &fold, tables->fold, &work, &length);
            if (result != FORMAT_DONE) return result;
            output.Append(job.output, length);
        }
        line = end;
    }
    return output.overflow() ? FORMAT_OUTPUT_TOO_SMALL : FORMAT_DONE;
}

}  // namespace lumo
