// Callers may fill a record's text fields to the last byte. The core works on
// copies whose every set and string ends in a NUL inside its field, so that no
// scan can run past a field, whatever the caller's record holds.
#pragma once

#include "lumotext.h"
#include "settings/records.h"

namespace lumo {

void TerminateFields(IndentSettings *record);
void TerminateFields(FoldSettings *record);
void TerminateFields(HeaderSettings *record);

}  // namespace lumo
