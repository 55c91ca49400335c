// The options that format and bind share: the settings (a preset or a slot
// of the settings store), tab width, encoding and the width of ambiguous
// characters, read into the library's options for every input.
#pragma once

#include <memory>
#include <string>

#include "command_line.h"
#include "lumo.h"
#include "settings/records.h"
#include "slot_settings.h"
#include "text_pipeline.h"

namespace lumo::cli {

extern const OptionSpec kPresetOption;
extern const OptionSpec kRulesOption;
extern const OptionSpec kTabOption;
extern const OptionSpec kEncodingOption;
extern const OptionSpec kAmbiguousOption;

// What format and bind read from their command lines.
struct TextSettings {
    lumo_options options{};  // preset, fold, tab, ambiguous; records when a slot is chosen
    SlotChoice slot;         // slot.slot < 0: the preset
    bool fold_given = false;
    TextFiles files;
    std::unique_ptr<Records> records;  // a slot's, which options.records points at
};

// Reads --preset, --slot (with --width, --vendor), --fold (as fold_name
// writes it in messages), --tab, --encoding, --ambiguous and the files.
// False, with *error set, for a value that is wrong.
bool ReadTextSettings(const ParsedCommand &command, TextSettings *settings, std::string *error);

// Loads the slot's records when a slot was chosen, fold (when given)
// replacing its fold column. False, with *error set to what to do.
bool LoadTextSlot(TextSettings *settings, std::string *error);

}  // namespace lumo::cli
