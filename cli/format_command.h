// The "format" command: reads a text, folds it with the settings of a preset
// or of a slot in the settings store and writes the result in the input's
// own encoding.
#pragma once

#include <cstdint>
#include <string>

#include "command_line.h"
#include "encoding.h"
#include "slot_settings.h"
#include "text/unicode_data.h"
#include "text_pipeline.h"

namespace lumo::cli {

extern const CommandSpec kFormatCommand;

struct FormatOptions {
    int32_t preset = 2;
    uint32_t fold = 70;
    uint32_t tab_width = 8;
    TextFiles files;     // inputs, output, encoding
    SlotChoice slot;     // slot.slot < 0: the preset
    bool fold_given = false;
    bool strict = false;  // a prefix that fills the fold column fails the command
    text::Ambiguous ambiguous = text::Ambiguous::kCp932;  // in UTF-8 text
};

// Reads the command's options; false, with *error set, when one is invalid.
bool ReadFormatOptions(const ParsedCommand &command, FormatOptions *options, std::string *error);

// Does the work; returns the exit status. Nothing reaches the output unless
// every step succeeded.
int RunFormat(const FormatOptions &options, const Console &console);

}  // namespace lumo::cli
