// The "format" command: its option table and help, and the steps read,
// decode, format, encode, write. Each step either succeeds or stops the
// command with a message; the output is written only after the last one.
#include "format_command.h"

#include <memory>
#include <new>
#include <string>

#include "file_io.h"
#include "formatter.h"

namespace lumo::cli {
namespace {

constexpr uint32_t kMaxFold = 65535;
constexpr uint32_t kMaxTab = 255;

const OptionSpec kFormatOptions[] = {
    {"preset", '\0', "N",
     "formatting preset (default 2):\n"
     "  0  items and paragraphs; quotes and emphasis\n"
     "     are ordinary text\n"
     "  1  as 2, but quoted lines and the header block\n"
     "     (the lines up to the first empty line) are\n"
     "     copied unchanged\n"
     "  2  items, paragraphs, quotes and emphasis"},
    {"fold", '\0', "N",
     "fold column in display columns, 1 to 65535\n"
     "(default 70); a full-width character takes 2"},
    {"tab", '\0', "N",
     "distance between tab stops, 0 to 255 (default 8);\n"
     "0 counts a tab as one column"},
    {"encoding", '\0', "ENC", "auto, utf-8 or sjis (default auto); see below"},
    {"output", 'o', "FILE",
     "write to FILE instead of standard output; FILE is\n"
     "replaced only when everything succeeded"},
};

const char kDescription[] =
    "Folds every line of a Japanese text at the fold column. Breaks follow the\n"
    "Japanese line-breaking rules: punctuation and closing brackets such as\n"
    "。、」 never begin a line and opening brackets never end one (the break\n"
    "moves back instead), and a run of up to 20 letters and digits is kept\n"
    "whole. Each continuation line begins with a prefix that lines it up under\n"
    "the text of its first line: after an item mark (・ * - ① 1. a) ...), inside\n"
    "a quotation (> | 》 ｜), after an emphasis mark (#), or under a paragraph's\n"
    "text without repeating its first-line indent (a full-width space).\n"
    "\n"
    "FILE is read whole; without FILE, or with \"-\", standard input is read.\n"
    "The result goes to standard output, or to the file given with --output.\n";

const char kDetails[] =
    "Encodings (--encoding):\n"
    "  auto    UTF-8 when the input is valid UTF-8, else Shift-JIS\n"
    "  utf-8   converted to Shift-JIS (code page 932) for formatting and back;\n"
    "          a character that code page 932 cannot hold exactly is an error\n"
    "          naming its line and column, and nothing is written\n"
    "  sjis    Shift-JIS (code page 932), formatted and written byte for byte\n"
    "The output is in the encoding of the input. A UTF-8 byte order mark at the\n"
    "start of the input is kept at the start of the output. Every line keeps its\n"
    "own line end (LF, CR LF or CR) on each of its folded lines; a last line\n"
    "without one takes that of the line before it, and a text that is a single\n"
    "line without a line end is folded with CR LF.\n"
    "\n"
    "Exit status: 0 on success, 1 when reading, converting, formatting or\n"
    "writing fails, 2 when the command line is wrong.\n";

const char kExamples[] =
    "  lumotext format memo.txt\n"
    "  lumotext format --preset 1 --fold 50 examples/sample.txt\n"
    "  lumotext format --fold 60 --tab 4 -o memo-folded.txt memo.txt\n"
    "  cat memo.txt | lumotext format --encoding utf-8 > folded.txt\n"
    "  lumotext format --encoding sjis memo-sjis.txt > folded-sjis.txt\n";

int RunFormatCommand(const ParsedCommand &command, const Console &console) {
    FormatOptions options;
    std::string error;
    if (!ReadFormatOptions(command, &options, &error)) return UsageError(console, error, &kFormatCommand);
    return RunFormat(options, console);
}

int Steps(const FormatOptions &options, const Console &console) {
    const std::string name = options.input == "-" ? std::string(kStandardInputName) : options.input;
    std::string error;
    std::string input;
    if (!ReadWholeFile(options.input, console.in, &input, &error)) return Failure(console, error);

    // The converter is needed only for UTF-8, so Shift-JIS text can be
    // formatted even where the system lacks a code page 932 table.
    Encoding encoding = options.encoding;
    if (encoding == Encoding::kAuto) {
        encoding = FindInvalidUtf8(input) == std::string::npos ? Encoding::kUtf8 : Encoding::kShiftJis;
    }
    std::unique_ptr<Cp932Codec> codec;
    if (encoding == Encoding::kUtf8) {
        codec = Cp932Codec::Open(&error);
        if (codec == nullptr) return Failure(console, error);
    }
    DecodedText decoded;
    if (!DecodeInput(input, encoding, codec.get(), &decoded, &error)) {
        return Failure(console, name + ": " + error);
    }
    input.clear();
    input.shrink_to_fit();

    FormatSettings settings = SettingsFromPreset(options.preset, options.fold, options.tab_width);
    std::string formatted;
    if (!FormatText(decoded.cp932, &settings, &formatted, &error))
        return Failure(console, name + ": " + error);
    decoded.cp932.clear();
    decoded.cp932.shrink_to_fit();

    std::string encoded;
    const std::string *result = &formatted;
    if (decoded.encoding == Encoding::kUtf8) {
        if (!EncodeOutput(formatted, decoded, codec.get(), &encoded, &error)) {
            return Failure(console, name + ": " + error);
        }
        result = &encoded;
    }

    const bool to_stdout = options.output.empty() || options.output == "-";
    const bool written = to_stdout ? WriteToStream(console.out, *result, kStandardOutputName, &error)
                                   : ReplaceFileContents(options.output, *result, &error);
    return written ? kExitOk : Failure(console, error);
}

}  // namespace

const CommandSpec kFormatCommand = {
    "format",
    "[FILE]",
    1,
    "fold the lines of a text (UTF-8 or Shift-JIS)",
    kDescription,
    kFormatOptions,
    sizeof kFormatOptions / sizeof kFormatOptions[0],
    kDetails,
    kExamples,
    RunFormatCommand,
};

bool ReadFormatOptions(const ParsedCommand &command, FormatOptions *options, std::string *error) {
    uint32_t number = 0;
    if (const std::string *value = command.Value("preset")) {
        if (!ParseNumberOption(*value, "preset", 0, LUMO_PRESET_COUNT - 1, &number, error)) return false;
        options->preset = static_cast<int32_t>(number);
    }
    if (const std::string *value = command.Value("fold")) {
        if (!ParseNumberOption(*value, "fold", 1, kMaxFold, &options->fold, error)) return false;
    }
    if (const std::string *value = command.Value("tab")) {
        if (!ParseNumberOption(*value, "tab", 0, kMaxTab, &options->tab_width, error)) return false;
    }
    if (const std::string *value = command.Value("encoding")) {
        if (!ParseEncoding(*value, &options->encoding)) {
            *error = "--encoding: '" + *value + "' is not one of auto, utf-8, sjis";
            return false;
        }
    }
    if (const std::string *value = command.Value("output")) {
        if (value->empty()) {
            *error = "--output: the file name is empty";
            return false;
        }
        options->output = *value;
    }
    options->input = command.operands.empty() ? "-" : command.operands[0];
    if (options->input.empty()) {
        *error = "the input file name is empty";
        return false;
    }
    return true;
}

int RunFormat(const FormatOptions &options, const Console &console) {
    try {
        return Steps(options, console);
    } catch (const std::bad_alloc &) {
        return Failure(console, "out of memory");
    }
}

}  // namespace lumo::cli
