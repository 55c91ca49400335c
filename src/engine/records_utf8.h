// Settings for UTF-8 text. Presets and slots keep their texts in code page
// 932 (the store is shared with the Windows library); a UTF-8 stream takes
// its sets, indent strings and header delimiter in UTF-8, so every text
// field is converted before the stream's rules are made.
#pragma once

#include "settings/records.h"

namespace lumo::engine {

// Converts every text field of the records from code page 932 to UTF-8 in
// place. A byte that decodes to nothing (a stray lead byte) stays as it
// is, as the UTF-8 rules read such bytes. A field whose UTF-8 form does not
// fit is cut after its last whole character.
void RecordsToUtf8(Records *records);

}  // namespace lumo::engine
