// Formatting and binding the clipboard's text in place.
#pragma once

#include <cstdint>

#include "lumotext.h"

namespace lumo {

int32_t FormatClipboard(FormatRequest *request, IndentSettings *indent, FoldSettings *fold,
                        HeaderSettings *header);
int32_t BindClipboard(IndentSettings *indent);

}  // namespace lumo
