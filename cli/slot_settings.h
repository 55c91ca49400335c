// Settings taken from a slot of the settings store for the commands that
// format or bind: the options that choose the slot, the load with the stage
// checks of the library's whole-slot load, and messages that say what to do.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "command_line.h"
#include "settings/records.h"
#include "settings_text.h"

namespace lumo::cli {

struct SlotChoice {
    int32_t slot = -1;            // -1: none (the preset is used); else 0..10
    uint32_t display_width = 80;  // the width that a fold column may follow
    std::string vendor;           // code page 932; empty: the default key
    std::string vendor_argument;  // as given, for messages
    bool fold_option = false;     // the command has --fold to offer in messages
};

// The rows of --slot, --width and --vendor, for a command's option table.
extern const OptionSpec kSlotOption;
extern const OptionSpec kWidthOption;
extern const OptionSpec kVendorOption;

// Reads --slot (0..10), --width (1..65535) and --vendor. --slot together
// with --preset, and --width or --vendor without --slot, are refused.
bool ReadSlotChoice(const ParsedCommand &command, SlotChoice *choice, std::string *error);

// The vendor name of --vendor in code page 932. A backslash would add a
// level to the store's key paths, so it is refused.
bool VendorFromArgument(const std::string &argument, const TerminalText &terminal, std::string *vendor,
                        std::string *error);

// Whether the field is among the names that FailedValueNames gave.
bool IsFailedValue(const FieldSpec &field, const std::vector<std::string> &failed);

// Loads the slot's three records as the library's whole-slot load does (slot
// 0 is preset 2; indent, then fold with the fold column derived from the
// display width, then header) into *settings. fold, when given, replaces the
// derived fold column, so a slot whose own column is unusable still serves.
// False, with *error set to a sentence that says what to do.
bool SettingsFromSlot(const SlotChoice &choice, const uint32_t *fold, uint32_t tab_width,
                      Records *records, std::string *error);

// Whether the store can be read. A store that does not exist yet holds no
// keys and counts as readable; *reason says why another one cannot be read.
bool StoreReadable(std::string *reason);

// Why the last store operation failed, for a message.
std::string StoreFailureReason();

}  // namespace lumo::cli
