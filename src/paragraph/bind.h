// Binding: the lines of a block joined back into one line, with the
// continuation prefix of the block's head and, if asked, leading blanks taken
// off every joined line.
#pragma once

#include <cstdint>

#include <cstddef>

#include "lumotext.h"
#include "text/text.h"

namespace lumo {

// job->text is the block, job->output receives the bound text and must hold
// the block's length plus one byte; it may be the block's own buffer.
// job->newline is the terminator restored at the end when the block ends
// with it. Writes job->flags and job->prefix. Returns 0.
int32_t Bind(LineJob *job, IndentSettings *indent);
// The same with the lead bytes of cp (Bind takes the ANSI code page's).
int32_t BindWith(const CodePage &cp, LineJob *job, IndentSettings *indent);

// The bytes of the blank that binding takes off at p, 0 when there is none:
// a half-width space, a full-width space or a tab, as sub_styles select
// them (SUB_BLANK_*).
size_t Cp932BlankLength(const CodePage &cp, uint32_t sub_styles, const char *p);

// Whether binding takes blanks off the joined lines of a block classified
// with flags.
inline bool StripsBlanks(const IndentSettings &indent, uint32_t flags) {
    return (indent.styles & STYLE_STRIP_HEAD_SPACE) &&
           (!(flags & LINE_ITEMISED) || (indent.styles & STYLE_STRIP_WHEN_INDENT));
}

}  // namespace lumo
