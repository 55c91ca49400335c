// Binding walks the block once with a write position that never overtakes the
// read position, so the output may be the block itself: line breaks are
// dropped, and at the head of each joined line the prefix and the selected
// blanks are skipped.
#include "paragraph/bind.h"

#include <cstring>

#include "format/text.h"
#include "paragraph/classify.h"
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

    const char *read = text;
    char *write = job->output;
    for (;;) {
        const size_t run = std::strcspn(read, "\r\n");
        std::memmove(write, read, run);  // write never passes read, but may meet it
        write += run;
        read += run;
        if (*read == '\0') break;
        while (*read == '\r' || *read == '\n') ++read;
        if (std::strncmp(read, prefix, prefix_length) == 0) read += prefix_length;
        if (strip) {
            while (*read != '\0' && cp.InSet(blanks, cp.CharCode(read))) read += cp.CharLength(read);
        }
    }
    // read stands on the block's NUL, so the block's length comes free. Its
    // last bytes are as they were, also when the output is the block itself:
    // a terminator there was skipped, never copied over, and text copied over
    // text is never CR or LF.
    const bool restore = EndsWithNewline(text, static_cast<size_t>(read - text), job->newline);
    *write = '\0';
    if (restore) AppendNewline(write, job->newline);
    return 0;
}

}  // namespace lumo
