// The "bind" command: the reverse of "format". It joins the lines of a text
// into one line, taking off the continuation prefixes and leading blanks that
// the settings of a preset or a slot call for.
#pragma once

#include "command_line.h"

namespace lumo::cli {

extern const CommandSpec kBindCommand;

}  // namespace lumo::cli
