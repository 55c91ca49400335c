// The header block at the top of a text, copied to the output unformatted.
#pragma once

#include "lumotext.h"

namespace lumo {

// The position just behind the header block (its delimiter line included), or
// text itself when the text has no header block.
const char *SkipHeader(const char *text, const HeaderSettings &header);

}  // namespace lumo
