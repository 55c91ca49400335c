// The settings property sheet: five pages over the three settings records,
// committed only at OK, and the slot editor that loads a slot into it and
// stores the slot back.
#pragma once

#include <windows.h>

#include <cstdint>

#include "lumotext.h"

namespace lumo::ui {

// Runs the sheet modally over the caller's records. 1: closed with OK, the
// pages that were shown have written their fields; 0: cancelled, nothing
// written; -1: the sheet could not be created.
int32_t ShowSettingsSheet(HWND parent, IndentSettings *indent, FoldSettings *fold, HeaderSettings *header);

// Edits setting slot `slot`: loads its records (preset 2 for a record whose
// key is missing, and for each single value that is missing), shows the
// sheet and stores the three records back on OK. A failed store is reported
// in a message box owned by `parent`. Returns the sheet's result.
int32_t EditSlotSettings(HWND parent, int32_t slot, const char *vendor);

}  // namespace lumo::ui
