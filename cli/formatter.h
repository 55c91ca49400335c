// The formatter as the commands use it: settings records from a preset, and a
// whole code page 932 text formatted into a buffer that grows until the text
// fits. The core's result codes come back as messages for the user.
#pragma once

#include <cstdint>
#include <string>

#include "lumotext.h"

namespace lumo::cli {

struct FormatSettings {
    IndentSettings indent;
    FoldSettings fold;
    HeaderSettings header;
    uint32_t tab_width;
    uint32_t display_width;
};

// The three records of preset (0..2) with the fold column fold (>= 1).
FormatSettings SettingsFromPreset(int32_t preset, uint32_t fold, uint32_t tab_width);

// The first output buffer: one and a half times the text and some room,
// which holds any ordinary text at once.
uint64_t FirstCapacity(size_t text_length);

// Formats text (code page 932, no NUL in it) into *output. False, with
// *error set, when the formatter fails or the result would need 4 GiB or
// more. first_capacity is the size of the first buffer tried; 0 picks
// FirstCapacity (tests pass small sizes to exercise the growth).
bool FormatText(const std::string &text, FormatSettings *settings, std::string *output, std::string *error,
                uint64_t first_capacity = 0);

}  // namespace lumo::cli
