// Binding a code page 932 block: its head classified as formatting classifies
// it, then the lines joined with that prefix and the selected blanks taken off.
#include "paragraph/bind.h"

#include <cstring>

#include "text/text.h"
#include "paragraph/classify.h"
#include "paragraph/join.h"
#include "settings/terminate.h"

namespace lumo {
namespace {

// The blanks to strip, in the order half-width space, full-width space, tab.
void BindingBlankSet(uint32_t sub_styles, char *set) {
    if (sub_styles & SUB_BLANK_NARROW) *set++ = ' ';
    if (sub_styles & SUB_BLANK_WIDE) {
        *set++ = '\x81';
        *set++ = '\x40';
    }
    if (sub_styles & SUB_BLANK_TAB) *set++ = '\t';
    *set = '\0';
}

}  // namespace

int32_t Bind(LineJob *job, IndentSettings *indent_record) {
    IndentSettings indent = *indent_record;
    TerminateFields(&indent);
    // The block's head is classified with the same settings that folded it,
    // which tells the prefix to take off again.
    const char *caller_text = job->text;
    const char *text = caller_text != nullptr ? caller_text : "";
    job->text = text;
    const CodePage cp;
    ClassifyLine(cp, job, &indent);
    indent_record->fixed_indent_column = indent.fixed_indent_column;
    job->text = caller_text;
    if (job->output == nullptr) return 0;

    const char *prefix = job->prefix;
    const size_t prefix_length = std::strlen(prefix);
    const bool strip = (indent.styles & STYLE_STRIP_HEAD_SPACE) &&
                       (!(job->flags & LINE_ITEMISED) || (indent.styles & STYLE_STRIP_WHEN_INDENT));
    char blanks[5];
    BindingBlankSet(indent.sub_styles, blanks);

    JoinLines(text, job->output, prefix, prefix_length, strip, job->newline, [&](const char *p) {
        return cp.InSet(blanks, cp.CharCode(p)) ? p + cp.CharLength(p) : p;
    });
    return 0;
}

}  // namespace lumo
