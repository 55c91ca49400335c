// The buffer entries. The caller's records are copied (the core only ever
// reads copies whose text fields end inside them), classification's one
// change to them, the fixed column lowered to 255, goes back when the call
// ends, and the output is the caller's buffer, which holds the empty string
// once a part does not fit.
#include "engine/library_entries.h"

#include <cstring>
#include <new>

#include "engine/formatter.h"

namespace lumo::engine {
namespace {

// The caller's output buffer. Once one part does not fit, the output stays
// the empty string and the call ends with FORMAT_OUTPUT_TOO_SMALL.
class BufferOutput final : public StreamOutput {
public:
    BufferOutput(char *buffer, uint32_t capacity) : buffer_(buffer), capacity_(buffer != nullptr ? capacity : 0) {
        Write("", 0);  // an empty text is the empty string too
    }

    bool Write(const char *data, size_t length) override {
        total_ += length;
        if (overflow_) return true;
        if (total_ >= capacity_) {
            overflow_ = true;
            if (capacity_ > 0) buffer_[0] = '\0';
            return true;
        }
        // Below the capacity, a 32-bit number, so it fits a size_t anywhere.
        std::memcpy(buffer_ + used_, data, length);
        used_ += length;
        buffer_[used_] = '\0';
        return true;
    }
    void PrefixDropped(uint64_t) override {}  // these entries refuse such a line
    bool overflow() const { return overflow_; }

private:
    char *buffer_;
    uint64_t capacity_;
    size_t used_ = 0;
    uint64_t total_ = 0;
    bool overflow_ = false;
};

int32_t Run(FormatRequest *request, IndentSettings *indent, FoldSettings *fold, HeaderSettings *header,
            Encoding encoding, text::Ambiguous ambiguous) {
    if (fold->foldnum == 0) return FORMAT_FOLD_ZERO;
    // Large, so on the heap.
    std::unique_ptr<FormatterSetup> setup(new (std::nothrow) FormatterSetup);
    if (setup == nullptr) return FORMAT_NO_MEMORY;
    setup->rules.records = Records{*indent, *fold, *header};
    setup->rules.encoding = encoding;
    setup->rules.ambiguous = ambiguous;
    setup->rules.tab_width = request->tab_width;
    setup->rules.lead_bytes = LeadBytes::kSystem;
    setup->lines.library_line_ends = true;
    setup->lines.drop_full_prefix = false;
    setup->byte_order_mark = false;
    BufferOutput output(request->output, request->capacity);
    std::unique_ptr<Formatter> formatter = Formatter::Make(*setup, &output);
    if (formatter == nullptr) return FORMAT_NO_MEMORY;
    const char *source = request->source != nullptr ? request->source : "";
    Status status = formatter->Feed(source, std::strlen(source));
    if (status == Status::kOk) status = formatter->Finish();
    indent->fixed_indent_column = formatter->fixed_indent_column();
    switch (status) {
    case Status::kOk: return output.overflow() ? FORMAT_OUTPUT_TOO_SMALL : FORMAT_DONE;
    case Status::kNoColumn: return FORMAT_NO_COLUMN;
    default: return FORMAT_NO_MEMORY;
    }
}

int32_t Guarded(FormatRequest *request, IndentSettings *indent, FoldSettings *fold, HeaderSettings *header,
                Encoding encoding, text::Ambiguous ambiguous) {
    try {
        return Run(request, indent, fold, header, encoding, ambiguous);
    } catch (const std::bad_alloc &) {
        return FORMAT_NO_MEMORY;
    }
}

}  // namespace

int32_t MultiLines(FormatRequest *request, IndentSettings *indent, FoldSettings *fold, HeaderSettings *header) {
    return Guarded(request, indent, fold, header, Encoding::kCp932, text::Ambiguous::kCp932);
}

int32_t MultiLinesUtf8(FormatRequest *request, IndentSettings *indent, FoldSettings *fold, HeaderSettings *header,
                       text::Ambiguous ambiguous) {
    return Guarded(request, indent, fold, header, Encoding::kUtf8, ambiguous);
}

}  // namespace lumo::engine
