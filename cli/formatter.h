// The formatter as the commands use it: settings records from a preset, and a
// whole code page 932 text formatted into a buffer that grows until the text
// fits. The core's result codes come back as messages for the user.
#pragma once

#include <cstdint>
#include <string>

#include "lumotext.h"
#include "text/unicode_data.h"

namespace lumo::cli {

struct FormatSettings {
    IndentSettings indent;
    FoldSettings fold;
    HeaderSettings header;
    uint32_t tab_width;
    uint32_t display_width;
    // UTF-8 records and text, formatted natively (where the build has ICU),
    // with this width of the ambiguous characters.
    bool utf8 = false;
    text::Ambiguous ambiguous = text::Ambiguous::kCp932;
};

// The three records of preset (0..2) with the fold column fold (>= 1).
FormatSettings SettingsFromPreset(int32_t preset, uint32_t fold, uint32_t tab_width);

// The first output buffer: one and a half times the text and some room,
// which holds any ordinary text at once.
uint64_t FirstCapacity(size_t text_length);

// Formats text (code page 932, no NUL in it) into *output. False, with
// *error set, when the formatter fails or the result would need 4 GiB or
// more. first_capacity is the size of the first buffer tried; 0 picks
// FirstCapacity (tests pass small sizes to exercise the growth). With
// first_capacity 0, a text of kParallelBytes or more is formatted in
// stretches of at most kStretchBytes, two at a time.
bool FormatText(const std::string &text, FormatSettings *settings, std::string *output, std::string *error,
                uint64_t first_capacity = 0);

// Formats the length bytes at source (code page 932, a NUL behind them) on
// the calling thread into *output, growing it until the text fits; returns
// the driver's result, with *output empty unless it is FORMAT_DONE.
int32_t FormatLines(const char *source, size_t length, FormatSettings *settings, std::string *output);

// The message for FORMAT_NO_COLUMN on line (1-based; 0 when unknown).
std::string NoColumnText(size_t line, uint32_t fold);

constexpr size_t kParallelBytes = size_t{256} << 10;
constexpr size_t kStretchBytes = size_t{1} << 20;

// Formats text as FormatText does, with the same output, result and message,
// but cut into stretches of whole lines of about stretch_bytes (>= 1) each,
// formatted two at a time on two threads where the platform has them. Every
// line is formatted on its own, so once the header block is off the
// stretches are independent. Only the stretches' own buffers come on top of
// the text and its output.
bool FormatInStretches(const std::string &text, FormatSettings *settings, std::string *output,
                       std::string *error, size_t stretch_bytes);

}  // namespace lumo::cli
