// The formatting driver behind LumoMultiLines: header block, then every
// logical line classified, cut into segments and appended to the output.
#pragma once

#include <cstdint>

#include "lumotext.h"

namespace lumo {

// Result codes are those of LumoMultiLines (FORMAT_*).
int32_t MultiLines(FormatRequest *request, IndentSettings *indent, FoldSettings *fold,
                   HeaderSettings *header);

}  // namespace lumo
