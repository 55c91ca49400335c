// The driver's line loop, shared by both encodings: the header block, then
// every logical line classified and cut into segments, or copied when it is a
// quoted line that the settings keep. An encoding supplies how a line is
// prepared for the rules and how its view (measured text, written bytes,
// prefix) is made.
#pragma once

#include <algorithm>
#include <cstring>
#include <limits>

#include "format/assemble.h"
#include "paragraph/classify.h"
#include "paragraph/header.h"
#include "settings/terminate.h"
#include "text/line_buffer.h"
#include "text/text.h"

namespace lumo {

// The caller's three records as a call works on them: copies whose text
// fields are sure to end inside their fields.
struct CallRecords {
    CallRecords(const IndentSettings &indent_record, const FoldSettings &fold_record,
                const HeaderSettings &header_record)
        : indent(indent_record), fold(fold_record), header(header_record) {
        TerminateFields(&indent);
        TerminateFields(&fold);
        TerminateFields(&header);
    }
    IndentSettings indent;
    FoldSettings fold;
    HeaderSettings header;
};

// The one change classification makes to the indent record (the fixed
// column lowered to 255) goes back to the caller's record when the call ends.
struct FixedColumnWriteBack {
    IndentSettings *record;
    const IndentSettings &copy;
    ~FixedColumnWriteBack() { record->fixed_indent_column = copy.fixed_indent_column; }
};


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
inline const char *LineEnd(const char *p, uint32_t *kind) {
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
inline int32_t FormatLine(const FoldContext &context, const LineView &line, LineBuffer *work, size_t *length) {
    constexpr uint64_t kMaxCapacity = std::numeric_limits<uint32_t>::max();
    uint64_t capacity = EstimateLineOutput(context, line) + 1;
    for (;;) {
        if (capacity > kMaxCapacity) capacity = kMaxCapacity;
        if (!work->Reserve(static_cast<size_t>(capacity))) return FORMAT_NO_MEMORY;
        switch (AssembleLine(context, line, work->data(), static_cast<size_t>(capacity), length)) {
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

// Code page 932 lines: each is copied out with a NUL behind it, and measured
// and written as it is.
class Cp932Lines {
public:
    bool Prepare(const char *line, size_t length, LineJob *job) {
        if (!text_.Reserve(length + 1)) return false;
        std::memcpy(text_.data(), line, length);
        text_.data()[length] = '\0';
        job->text = text_.data();
        length_ = length;
        return true;
    }
    bool View(const LineJob &job, LineView *view) {
        const size_t prefix = std::strlen(job.prefix);
        *view = {job.text, length_, nullptr, nullptr, job.prefix, prefix, prefix, job.newline};
        return true;
    }

private:
    LineBuffer text_;
    size_t length_ = 0;
};

// The header block, then each logical line classified and formatted, or
// copied when it is a quoted line that the settings keep.
struct BodyCall {
    const HeaderSettings &header;
    const FoldContext &context;
    const ClassifyTables &classify;
    IndentSettings *indent;  // classification may lower its fixed column
    OutputSink *output;
};

template <class Lines>
int32_t FormatBody(const BodyCall &call, const char *source, Lines *lines) {
    const FoldContext &context = call.context;
    IndentSettings *indent = call.indent;
    OutputSink *output = call.output;
    const char *body = SkipHeader(source, call.header);
    output->Append(source, static_cast<uint64_t>(body - source));

    LineJob job{};
    job.record_size = LINE_JOB_SIZE;
    job.newline = NEWLINE_NONE;
    LineBuffer work;
    for (const char *line = body; *line != '\0';) {
        const char *end = LineEnd(line, &job.newline);
        const auto line_length = static_cast<size_t>(end - line);
        if (!lines->Prepare(line, line_length, &job)) return FORMAT_NO_MEMORY;

        ClassifyLine(context.cp, &job, indent, &call.classify);
        if ((indent->sub_styles & SUB_KEEP_QUOTED) && (job.flags & LINE_QUOTED)) {
            output->Append(line, line_length);
        } else {
            LineView view;
            if (!lines->View(job, &view)) return FORMAT_NO_MEMORY;
            size_t length = 0;
            const int32_t result = FormatLine(context, view, &work, &length);
            if (result != FORMAT_DONE) return result;
            output->Append(work.data(), length);
        }
        line = end;
    }
    return output->overflow() ? FORMAT_OUTPUT_TOO_SMALL : FORMAT_DONE;
}

}  // namespace lumo
