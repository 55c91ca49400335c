// The table of lumotext's commands. A new command is one more row here and a
// CommandSpec of its own beside format_command.cpp.
#include "bind_command.h"
#include "command_line.h"
#include "format_command.h"
#include "slot_command.h"

namespace lumo::cli {

const std::vector<const CommandSpec *> &Commands() {
    static const std::vector<const CommandSpec *> commands = {
        &kFormatCommand,
        &kBindCommand,
        &kSlotCommand,
    };
    return commands;
}

}  // namespace lumo::cli
