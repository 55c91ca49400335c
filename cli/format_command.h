// The "format" command: reads texts, folds them with the settings of a
// preset or of a slot in the settings store and writes the results in their
// own encodings.
#pragma once

#include "command_line.h"

namespace lumo::cli {

extern const CommandSpec kFormatCommand;

}  // namespace lumo::cli
