// Binding a code page 932 block: its head classified as formatting classifies
// it, then the lines joined with that prefix and the selected blanks taken off.
#include "paragraph/bind.h"

#include <cstring>

#include "text/text.h"
#include "paragraph/classify.h"
#include "paragraph/join.h"
#include "settings/terminate.h"

namespace lumo {

size_t Cp932BlankLength(const CodePage &cp, uint32_t sub_styles, const char *p) {
    const auto byte = static_cast<unsigned char>(*p);
    if ((byte == kSpace && (sub_styles & SUB_BLANK_NARROW)) || (byte == kTab && (sub_styles & SUB_BLANK_TAB))) {
        return 1;
    }
    const bool wide = cp.CharLength(p) == 2 && cp.CharCode(p) == kWideSpace;
    return wide && (sub_styles & SUB_BLANK_WIDE) ? 2 : 0;
}

int32_t Bind(LineJob *job, IndentSettings *indent_record) { return BindWith(CodePage(), job, indent_record); }

int32_t BindWith(const CodePage &cp, LineJob *job, IndentSettings *indent_record) {
    IndentSettings indent = *indent_record;
    TerminateFields(&indent);
    // The block's head is classified with the same settings that folded it,
    // which tells the prefix to take off again.
    const char *caller_text = job->text;
    const char *text = caller_text != nullptr ? caller_text : "";
    job->text = text;
    ClassifyLine(cp, job, &indent);
    indent_record->fixed_indent_column = indent.fixed_indent_column;
    job->text = caller_text;
    if (job->output == nullptr) return 0;

    const char *prefix = job->prefix;
    const size_t prefix_length = std::strlen(prefix);
    const uint32_t sub = indent.sub_styles;
    JoinLines(text, job->output, prefix, prefix_length, StripsBlanks(indent, job->flags), job->newline,
              [&](const char *p) { return p + Cp932BlankLength(cp, sub, p); });
    return 0;
}

}  // namespace lumo
