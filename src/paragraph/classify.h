// Classification of the head of a line: which kind of line it is (quoted,
// emphasised, itemised) and the continuation prefix that lines folded text up
// under the body of its first line.
#pragma once

#include <cstddef>
#include <cstdint>

#include "text/text.h"
#include "lumotext.h"

namespace lumo {

constexpr uint32_t SPAN_BLANK_FILL = 0x1;  // write blanks of the run's width
constexpr uint32_t SPAN_COPY = 0x2;        // write the run's own bytes
constexpr uint32_t SPAN_EXCLUDE = 0x4;     // run of characters NOT in the set

// Takes the run of characters at source that belong to set (or, with
// SPAN_EXCLUDE, do not), at most budget bytes; a two-byte character that does
// not fit ends the run. Writes its rendering and a NUL at dest and returns
// the run's length in bytes.
size_t SpanChars(const CodePage &cp, char *dest, const char *source, CharSet set, uint32_t mode,
                 size_t budget);

// The character sets of the indent settings, and the blanks, as tables built
// once per formatting call, so that classifying a line walks no set.
struct ClassifyTables {
    ClassifyTables(const CodePage &cp, const IndentSettings &indent);

    CharTable quote;
    CharTable empha;
    CharTable sole_itemize;
    CharTable combi_itemize;
    CharTable itemize_end;
    CharTable blanks;  // half-width and full-width space
};

// Writes job->flags and job->prefix from the head of job->text. Lowers
// indent->fixed_indent_column to 255 when it is larger. Returns job->prefix,
// or nullptr when STYLE_INDENT is clear. tables, when given, are those of
// indent; without them the sets are walked, with the same answers.
const char *ClassifyLine(const CodePage &cp, LineJob *job, IndentSettings *indent,
                         const ClassifyTables *tables = nullptr);

}  // namespace lumo
