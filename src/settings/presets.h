// The three built-in presets (0, 1, 2) of the settings records, and the
// library's own global records that the GL exports work on.
#pragma once

#include <cstdint>

#include "lumotext.h"
#include "settings/records.h"

namespace lumo {

// Each clears the whole record, then writes record_size and the preset's
// values. A preset outside 0..2 leaves the record all zero and returns
// ERR_BAD_NUMBER.
int32_t FillIndentPreset(IndentSettings *record, int32_t preset);
int32_t FillFoldPreset(FoldSettings *record, int32_t preset);
int32_t FillHeaderPreset(HeaderSettings *record, int32_t preset);

// The records used by every GL export: all zero until a slot is loaded.
Records &Globals();

}  // namespace lumo
