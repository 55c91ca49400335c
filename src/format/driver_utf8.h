// The formatting driver behind LumoMultiLinesUtf8: the same rules and results
// as LumoMultiLines, on UTF-8 text and UTF-8 sets.
#pragma once

#include <cstdint>

#include "lumotext.h"
#include "text/unicode_data.h"

namespace lumo {

// Result codes are those of LumoMultiLines (FORMAT_*). ambiguous chooses the
// width of the East Asian ambiguous characters.
int32_t MultiLinesUtf8(FormatRequest *request, IndentSettings *indent, FoldSettings *fold,
                       HeaderSettings *header, text::Ambiguous ambiguous = text::Ambiguous::kCp932);

}  // namespace lumo
