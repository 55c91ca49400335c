// The three settings records that every formatting and binding call reads,
// as one value: the library's global records, a slot's records, a preset's
// and a call's working copies are all of this type.
#pragma once

#include <cstdint>

#include "lumotext.h"

namespace lumo {

using Records = LumoRecords;

// The records of preset 0..2 with the fold column foldnum; ERR_BAD_NUMBER
// (all zero records) for another preset.
int32_t FillPreset(Records *records, int32_t preset, uint32_t foldnum);

// Ends every text field of the records inside its field (terminate.h).
void TerminateFields(Records *records);

}  // namespace lumo
