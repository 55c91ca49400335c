// The "bind" command: its option table and help, and binding the whole input
// as one block with the core's binding. The block's prefix is found by
// classifying its first line, so a text folded with given settings is bound
// with the same settings.
#include "bind_command.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <new>
#include <string>

#include "encoding.h"
#include "text/text.h"
#include "formatter.h"
#include "paragraph/bind.h"
#include "slot_settings.h"
#include "text_pipeline.h"

namespace lumo::cli {
namespace {

const OptionSpec kBindOptions[] = {
    {"preset", '\0', "N", "settings preset, 0 to 2 (default 2); all three\nstrip the same blanks"},
    kSlotOption,
    kWidthOption,
    kVendorOption,
    {"encoding", '\0', "ENC", "auto, utf-8 or sjis (default auto), as for\n'lumotext format'"},
    {"output", 'o', "FILE",
     "write to FILE instead of standard output; FILE is\n"
     "replaced only when everything succeeded"},
};

const char kDescription[] =
    "Joins the lines of a text into one line: the reverse of 'lumotext format'.\n"
    "The whole input is one block. Its first line is classified as the\n"
    "formatter classifies a line, which gives the continuation prefix that\n"
    "folding put before each later line (an item's indent, a quotation's mark);\n"
    "that prefix is taken off the head of every later line, and then, as the\n"
    "settings ask, the leading half-width spaces, full-width spaces or tabs.\n"
    "Nothing is put where two lines meet, not even a space between letters, and\n"
    "empty lines go with the line ends around them. When the input ends with a\n"
    "line end, the output ends with one of the same kind.\n"
    "\n"
    "Bind with the settings that folded the text: the same --preset or --slot.\n"
    "FILE is read whole; without FILE, or with \"-\", standard input is read.\n";

const char kDetails[] =
    "Settings: all presets take off leading half-width and full-width spaces,\n"
    "but not on an itemised block (STYLE_STRIP_WHEN_INDENT clear), and never\n"
    "tabs (SUB_BLANK_TAB clear). With --slot the slot is loaded as 'lumotext\n"
    "format --slot' loads it, the fold column included: a slot whose fold column\n"
    "follows the display width needs a --width that leaves one.\n"
    "\n"
    "Encodings (--encoding): as for 'lumotext format'. UTF-8 input is converted\n"
    "to Shift-JIS (code page 932) for binding and back, and a byte order mark\n"
    "is kept; Shift-JIS input is bound byte for byte.\n"
    "\n"
    "Exit status: 0 on success, 1 when reading, converting, writing or loading\n"
    "a slot fails, 2 when the command line is wrong.\n";

const char kExamples[] =
    "  lumotext bind folded.txt\n"
    "  lumotext format --fold 40 memo.txt | lumotext bind\n"
    "  lumotext bind --slot 3 -o memo.txt folded.txt\n"
    "  lumotext bind --slot 3 --width 100 --vendor Acme folded.txt\n"
    "  lumotext bind --encoding sjis folded-sjis.txt > bound-sjis.txt\n";

struct BindOptions {
    int32_t preset = 2;
    SlotChoice slot;
    TextFiles files;
};

bool ReadBindOptions(const ParsedCommand &command, BindOptions *options, std::string *error) {
    uint32_t number = 0;
    if (const std::string *value = command.Value("preset")) {
        if (!ParseNumberOption(*value, "preset", 0, LUMO_PRESET_COUNT - 1, &number, error)) return false;
        options->preset = static_cast<int32_t>(number);
    }
    if (!ReadSlotChoice(command, &options->slot, error)) return false;
    if (const std::string *value = command.Value("encoding")) {
        if (!ParseEncoding(*value, &options->files.encoding)) {
            *error = "--encoding: '" + *value + "' is not one of auto, utf-8, sjis";
            return false;
        }
    }
    if (const std::string *value = command.Value("output")) {
        if (value->empty()) {
            *error = "--output: the file name is empty";
            return false;
        }
        options->files.output = *value;
    }
    options->files.input = command.operands.empty() ? "-" : command.operands[0];
    if (options->files.input.empty()) {
        *error = "the input file name is empty";
        return false;
    }
    return true;
}

bool BindText(const std::string &text, IndentSettings *indent, std::string *result) {
    LineJob job{};
    job.record_size = LINE_JOB_SIZE;
    job.text = text.c_str();
    // Binding never writes more than it reads, and one byte for the NUL.
    result->assign(text.size() + 1, '\0');
    job.output = result->data();
    job.capacity = static_cast<uint32_t>(
        std::min<size_t>(result->size(), std::numeric_limits<uint32_t>::max()));
    job.newline = NewlineKindOf(text.c_str());
    Bind(&job, indent);
    result->resize(std::strlen(result->c_str()));
    return true;
}

int Steps(const BindOptions &options, const Console &console) {
    FormatSettings settings;
    if (options.slot.slot < 0) {
        // Only the indent settings matter here; the fold column is a stand-in.
        settings = SettingsFromPreset(options.preset, 70, 8);
    } else {
        std::string error;
        if (!SettingsFromSlot(options.slot, nullptr, 8, &settings, &error)) return Failure(console, error);
    }
    return TransformText(options.files, console, [&](std::string *text, std::string *result, std::string *) {
        return BindText(*text, &settings.indent, result);
    });
}

int RunBindCommand(const ParsedCommand &command, const Console &console) {
    BindOptions options;
    std::string error;
    if (!ReadBindOptions(command, &options, &error)) return UsageError(console, error, &kBindCommand);
    try {
        return Steps(options, console);
    } catch (const std::bad_alloc &) {
        return Failure(console, "out of memory");
    }
}

}  // namespace

const CommandSpec kBindCommand = {
    "bind",
    "[FILE]",
    1,
    "join folded lines back into one line (the reverse of format)",
    kDescription,
    kBindOptions,
    sizeof kBindOptions / sizeof kBindOptions[0],
    kDetails,
    kExamples,
    RunBindCommand,
};

}  // namespace lumo::cli
