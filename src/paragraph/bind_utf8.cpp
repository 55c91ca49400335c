// Binding a UTF-8 block: its head is classified in the block's image, the
// prefix is turned back into the block's own bytes, and the lines are joined
// as in code page 932, a blank being a cluster that begins with a space,
// U+3000 or a tab.
#include "paragraph/bind_utf8.h"

#include <cstring>
#include <memory>
#include <new>

#include "paragraph/bind.h"
#include "paragraph/classify.h"
#include "paragraph/join.h"
#include "paragraph/prefix_utf8.h"
#include "paragraph/utf8_indent.h"
#include "settings/terminate.h"
#include "text/utf8.h"

namespace lumo {
namespace {

// The longest start of prefix that fits a LineJob's prefix field and ends
// between characters.
size_t FittingLength(const char *prefix, size_t length) {
    size_t fits = 0;
    for (size_t i = 0; i < length;) {
        const text::Decoded d = text::DecodeUtf8(prefix + i, prefix + length);
        if (i + d.length > LUMO_PREFIX_BYTES - 1) break;
        i += d.length;
        fits = i;
    }
    return fits;
}

}  // namespace

size_t Utf8BlankLength(const text::UnicodeData &data, uint32_t sub_styles, const char *p, const char *end) {
    const text::Decoded d = text::DecodeUtf8(p, end);
    const bool blank = (d.code_point == ' ' && (sub_styles & SUB_BLANK_NARROW)) ||
                       (d.code_point == 0x3000 && (sub_styles & SUB_BLANK_WIDE)) ||
                       (d.code_point == '\t' && (sub_styles & SUB_BLANK_TAB));
    if (!blank) return 0;
    const char *next = p + d.length;
    while (next < end) {
        const text::Decoded mark = text::DecodeUtf8(next, end);
        if (mark.code_point == text::kInvalidByte ||
            !(data.Info(mark.code_point).flags & text::CodePointInfo::kExtends)) {
            break;
        }
        next += mark.length;
    }
    return static_cast<size_t>(next - p);
}

int32_t BindUtf8(LineJob *job, IndentSettings *indent_record, text::Ambiguous ambiguous) {
    IndentSettings indent = *indent_record;
    TerminateFields(&indent);
    const text::UnicodeData *data = text::UnicodeData::Get();
    if (data == nullptr) return FORMAT_NO_MEMORY;
    const std::unique_ptr<Utf8Indent> call(new (std::nothrow) Utf8Indent(*data, indent, ambiguous));
    if (call == nullptr) return FORMAT_NO_MEMORY;

    const char *text = job->text != nullptr ? job->text : "";
    if (!call->image.Build(text, std::strlen(text))) return FORMAT_NO_MEMORY;
    // The head is classified in the image, with the spelt settings.
    const char *caller_text = job->text;
    job->text = call->image.text();
    const CodePage cp = CodePage::Cp932();  // the image is spelt in code page 932
    ClassifyLine(cp, job, &call->spelt);
    job->text = caller_text;
    indent_record->fixed_indent_column = call->spelt.fixed_indent_column;
    size_t prefix_length = 0;
    if (!Utf8Prefix(cp, job->prefix, call->image, text, &call->prefix, &prefix_length)) return FORMAT_NO_MEMORY;
    const char *prefix = call->prefix.data();
    const size_t shown = FittingLength(prefix, prefix_length);
    std::memcpy(job->prefix, prefix, shown);
    job->prefix[shown] = '\0';
    if (job->output == nullptr) return 0;

    const bool strip = StripsBlanks(indent, job->flags);
    const uint32_t sub = indent.sub_styles;
    const char *text_end = text + std::strlen(text);
    JoinLines(text, job->output, prefix, prefix_length, strip, job->newline,
              [&](const char *p) { return p + Utf8BlankLength(*data, sub, p, text_end); });
    return 0;
}

}  // namespace lumo
