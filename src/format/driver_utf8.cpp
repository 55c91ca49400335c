// LumoMultiLinesUtf8: the sets are spelt in the call's alphabet once, then
// each line is spelt as its image, classified and folded there, and written
// from its own UTF-8 bytes.
#include "format/driver_utf8.h"

#include <memory>
#include <new>

#include "format/body.h"
#include "paragraph/prefix_utf8.h"
#include "text/line_image.h"
#include "text/spelt_records.h"

namespace lumo {
namespace {

// UTF-8 lines: measured in their image, written from their own bytes.
class Utf8Lines {
public:
    Utf8Lines(const CodePage &cp, const text::Alphabet &alphabet) : cp_(cp), image_(alphabet) {}

    bool Prepare(const char *line, size_t length, LineJob *job) {
        line_ = line;
        if (!image_.Build(line, length)) return false;
        job->text = image_.text();
        return true;
    }
    bool View(const LineJob &job, LineView *view) {
        size_t bytes = 0;
        if (!Utf8Prefix(cp_, job.prefix, image_, line_, &prefix_, &bytes)) return false;
        *view = {image_.text(), image_.length(), line_,  image_.offsets(),
                 prefix_.data(), bytes,          std::strlen(job.prefix), job.newline};
        return true;
    }

private:
    const CodePage &cp_;
    text::LineImage image_;
    LineBuffer prefix_;
    const char *line_ = nullptr;
};

// Everything a UTF-8 call builds before its first line; large, so on the heap.
struct Utf8Call {
    Utf8Call(const CodePage &cp, const text::UnicodeData &data, const IndentSettings &indent_utf8,
             const FoldSettings &fold_utf8, text::Ambiguous ambiguous)
        : alphabet(data, ambiguous),
          sealed(Seal(indent_utf8, fold_utf8)),
          indent(Spelt(indent_utf8)),
          fold(Spelt(fold_utf8)),
          tables(cp, fold, indent) {
        // Word wrap also counts the narrow letters that code page 932 lacks.
        uint16_t letters[64];
        const size_t count = alphabet.LetterCodes(letters, 64);
        for (size_t i = 0; i < count; ++i) tables.fold.word_byte[letters[i]] = true;
    }

    bool Seal(const IndentSettings &indent_utf8, const FoldSettings &fold_utf8) {
        text::CollectSets(indent_utf8, &fold_utf8, &alphabet);
        return true;
    }
    IndentSettings Spelt(const IndentSettings &in) {
        IndentSettings out;
        text::SpellRecord(alphabet, in, &out);
        return out;
    }
    FoldSettings Spelt(const FoldSettings &in) {
        FoldSettings out;
        text::SpellRecord(alphabet, in, &out);
        return out;
    }

    text::Alphabet alphabet;
    bool sealed;
    IndentSettings indent;
    FoldSettings fold;
    CallTables tables;
};

}  // namespace

int32_t MultiLinesUtf8(FormatRequest *request, IndentSettings *indent_record, FoldSettings *fold_record,
                       HeaderSettings *header_record, text::Ambiguous ambiguous) {
    if (fold_record->foldnum == 0) return FORMAT_FOLD_ZERO;
    const CallRecords records(*indent_record, *fold_record, *header_record);
    const text::UnicodeData *data = text::UnicodeData::Get();
    if (data == nullptr) return FORMAT_NO_MEMORY;
    const CodePage cp;
    std::unique_ptr<Utf8Call> call(new (std::nothrow) Utf8Call(cp, *data, records.indent, records.fold, ambiguous));
    if (call == nullptr) return FORMAT_NO_MEMORY;
    const FixedColumnWriteBack write_back{indent_record, call->indent};

    const char *source = request->source != nullptr ? request->source : "";
    OutputSink output(request->output, request->capacity);
    const FoldContext context{cp, request->tab_width, call->fold, &call->tables.fold};
    const BodyCall body{records.header, context, call->tables.classify, &call->indent, &output};
    Utf8Lines lines(cp, call->alphabet);
    return FormatBody(body, source, &lines);
}

}  // namespace lumo
