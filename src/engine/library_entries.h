// The Windows-era formatting entries (LumoMultiLines, LumoMultiLinesUtf8)
// on the streaming formatter: the whole text fed at once into the caller's
// buffer, with the results, line ends and record handling those entries
// have always had.
#pragma once

#include <cstdint>

#include "lumotext.h"
#include "text/unicode_data.h"

namespace lumo::engine {

// Result codes are those of LumoMultiLines (FORMAT_*).
int32_t MultiLines(FormatRequest *request, IndentSettings *indent, FoldSettings *fold, HeaderSettings *header);

// The same on UTF-8 text and UTF-8 records; ambiguous chooses the width of
// the East Asian ambiguous characters.
int32_t MultiLinesUtf8(FormatRequest *request, IndentSettings *indent, FoldSettings *fold, HeaderSettings *header,
                       text::Ambiguous ambiguous = text::Ambiguous::kCp932);

}  // namespace lumo::engine
