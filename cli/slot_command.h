// The "slot" command: lists, shows and changes the ten setting slots of the
// settings store, their titles and the default slot number.
#pragma once

#include "command_line.h"

namespace lumo::cli {

extern const CommandSpec kSlotCommand;

}  // namespace lumo::cli
