// BindLinesUtf8: binding with the rules and results of BindLines, on a UTF-8
// block and UTF-8 sets.
#pragma once

#include <cstddef>
#include <cstdint>

#include "lumotext.h"
#include "text/unicode_data.h"

namespace lumo {

// As Bind (paragraph/bind.h). job->prefix receives as much of the UTF-8
// prefix as fits in it, whole characters only; the whole prefix is taken off
// the joined lines. Returns 0, or FORMAT_NO_MEMORY.
int32_t BindUtf8(LineJob *job, IndentSettings *indent, text::Ambiguous ambiguous = text::Ambiguous::kCp932);

// The bytes of the blank that binding takes off at p (p < end), 0 when there
// is none: a space, U+3000 or a tab as sub_styles select them, with the
// marks that extend its cluster.
size_t Utf8BlankLength(const text::UnicodeData &data, uint32_t sub_styles, const char *p, const char *end);

}  // namespace lumo
