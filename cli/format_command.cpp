// The "format" command: its option table and help, the settings from a
// preset or a slot, and the shared steps read, decode, format, encode, write.
// Each step either succeeds or stops the command with a message; the output
// is written only after the last one.
#include "format_command.h"

#include "utf8_settings.h"

#include <memory>
#include <new>
#include <vector>
#include <string>

#include "formatter.h"
#include "piece_format.h"
#include "text_pipeline.h"

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
    kSlotOption,
    kWidthOption,
    kVendorOption,
    {"fold", '\0', "N",
     "fold column in display columns, 1 to 65535\n"
     "(default 70); a full-width character takes 2;\n"
     "with --slot it replaces the slot's fold column"},
    {"tab", '\0', "N",
     "distance between tab stops, 0 to 255 (default 8);\n"
     "0 counts a tab as one column"},
    {"encoding", '\0', "ENC",
     "auto, utf-8, sjis, euc-jp or iso-2022-jp\n"
     "(default auto); see below"},
    kForceEncodingOption,
    kAmbiguousOption,
    kOutputOption,
    kInPlaceOption,
    kSplitLinksOption,
    kCheckOption,
    {"strict", '\0', nullptr,
     "fail on a line whose continuation prefix fills\n"
     "the fold column instead of folding it without one"},
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
    "The settings come from one of three presets (--preset) or from one of the\n"
    "ten setting slots of the settings store (--slot), which 'lumotext slot'\n"
    "lists, shows and changes.\n"
    "\n"
    "The text is read, folded and written in pieces of whole lines, on two\n"
    "cores, so a text of any size takes little memory and a pipe's lines go out\n"
    "as they come. Without FILE, or with \"-\", standard input is read. The\n"
    "results of several FILEs go to standard output one after the other, or to\n"
    "the file given with --output; --in-place rewrites each FILE instead, and\n"
    "--check only says which FILEs would change.\n";

const char kDetails[] =
    "Encodings (--encoding):\n"
    "  auto    decided from the text: the encoding below that it fits, UTF-8\n"
    "          before Shift-JIS; a text that fits none is refused\n"
#ifdef LUMOTEXT_UNICODE
    "  utf-8   formatted as it is: a character is a grapheme cluster (a kana\n"
    "          with its dakuten, an emoji with its modifiers, a flag), never\n"
    "          broken; every character is kept, and so is a byte that is not\n"
    "          UTF-8 (one column). Widths follow East Asian Width: wide and\n"
    "          full-width characters take 2 columns, marks that combine none\n"
    "  sjis    Shift-JIS (code page 932), formatted and written byte for byte\n"
    "  euc-jp  EUC-JP, formatted as its UTF-8 form and written back\n"
    "  iso-2022-jp  ISO-2022-JP (JIS), the same way\n"
    "Ambiguous characters (--ambiguous), such as ○ ※ α and é:\n"
    "  cp932   2 columns when Shift-JIS holds them as two bytes (○ ※ α, as\n"
    "          Japanese fonts draw them), else 1 (é ü ß); a text that\n"
    "          Shift-JIS holds folds exactly as its Shift-JIS form\n"
    "  wide    always 2;  narrow  always 1\n"
    "The variants that input methods type (〜 and ～, − and －, ¢ and ￠ ...)\n"
    "count as one character for the settings' character sets.\n"
#else
    "  utf-8   converted to Shift-JIS (code page 932) for formatting and back\n"
    "          (this build has no Unicode data); a character that code page 932\n"
    "          cannot hold exactly is an error naming its line and column, and\n"
    "          nothing is written; --ambiguous has no effect\n"
    "  sjis    Shift-JIS (code page 932), formatted and written byte for byte\n"
    "  euc-jp  EUC-JP, formatted as its UTF-8 form and written back\n"
    "  iso-2022-jp  ISO-2022-JP (JIS), the same way\n"
#endif
    "The output is in the encoding of the input. A UTF-8 byte order mark at the\n"
    "start of the input is kept at the start of the output. Every line keeps its\n"
    "own line end (LF, CR LF or CR) on each of its folded lines; a last line\n"
    "without one takes that of the line before it, and a text without any line\n"
    "end is folded with the platform's (LF; CR LF on Windows). The encoding is\n"
    "decided by the first part of the text that is not ASCII, and the rest is\n"
    "checked against it. A few stray bytes that fit no character (a text cut\n"
    "in the middle of one) are kept as they are; a text with more, or one that\n"
    "plainly is in another encoding than --encoding names, is refused before\n"
    "anything of it is written, naming the line and column and the --encoding\n"
    "to use. --force-encoding goes on all the same.\n"
    "\n"
    "A line whose continuation prefix (an item's or a quotation's) would fill\n"
    "the whole fold column is folded without it, with a warning naming the line\n"
    "(at most ten, then their number); --strict makes that an error.\n"
    "\n"
    "Settings from a slot (--slot):\n"
    "  The slot's indent, fold and header settings are loaded as a program using\n"
    "  the library loads them. Slot 0 is preset 2 and needs no store. A slot\n"
    "  whose fold column follows the display width (TAIL_FOLLOW_WIDTH) folds at\n"
    "  --width less its fold.foldnum_from_tail columns, any other slot at its\n"
    "  fold.foldnum_from_head; --fold replaces either. --slot and --preset\n"
    "  cannot be combined. A slot without settings, or with values missing, is\n"
    "  an error that names them and the command that stores them. The store is\n"
    "  the file $LUMOTEXT_REGISTRY, or ~/.config/lumotext/registry.sqlite3.\n"
    "\n"
    "Output: on standard output each piece is written as soon as it is done, so\n"
    "when a later part fails, what came before it has been written. A file\n"
    "(--output, --in-place) is written beside its place and renamed over it only\n"
    "when everything succeeded; with --in-place a FILE that fails is named and\n"
    "left as it was, and the others are still done. A closed pipe ends the tool\n"
    "quietly, as it ends any filter.\n"
    "\n"
    "Exit status: 0 on success, 1 when reading, converting, formatting or\n"
    "writing fails or a slot cannot be loaded, or with --check when some FILE\n"
    "would change, 2 when the command line is wrong.\n";

const char kExamples[] =
    "  lumotext format memo.txt\n"
    "  lumotext format --preset 1 --fold 50 examples/sample.txt\n"
    "  lumotext format --fold 60 --tab 4 -o memo-folded.txt memo.txt\n"
    "  cat memo.txt | lumotext format --encoding utf-8 > folded.txt\n"
    "  lumotext format --encoding sjis memo-sjis.txt > folded-sjis.txt\n"
    "  lumotext format --slot 3 memo.txt\n"
    "  lumotext format --slot 3 --width 100 --vendor Acme memo.txt\n"
    "  lumotext format --slot 0 --fold 40 memo.txt\n"
    "  lumotext format --fold 60 --in-place notes/*.txt\n"
    "  lumotext format --fold 60 --check notes/*.txt\n";

int RunFormatCommand(const ParsedCommand &command, const Console &console) {
    FormatOptions options;
    std::string error;
    if (!ReadFormatOptions(command, &options, &error)) return UsageError(console, error, &kFormatCommand);
    return RunFormat(options, console);
}

int Steps(const FormatOptions &options, const Console &console) {
    // The settings come first: a slot that cannot be used stops the command
    // before any input is read.
    FormatSettings settings;
    if (options.slot.slot < 0) {
        settings = SettingsFromPreset(options.preset, options.fold, options.tab_width);
    } else {
        std::string error;
        if (!SettingsFromSlot(options.slot, options.fold_given ? &options.fold : nullptr, options.tab_width,
                              &settings, &error)) {
            return Failure(console, error);
        }
    }
    // One context per core, each with its own converter.
    const auto make = [&] {
        std::vector<PieceTransform> transforms;
        for (int worker = 0; worker < 2; ++worker) {
            auto context = std::make_shared<PieceContext>();
            context->settings = settings;
            context->strict = options.strict;
            context->settings.ambiguous = options.ambiguous;
            transforms.push_back([context](const Piece &piece, PieceOutput *out) {
                return FormatPiece(context.get(), piece.encoding, piece, out);
            });
        }
        return transforms;
    };
    return TransformText(options.files, console, settings.header, make);
}

}  // namespace

const CommandSpec kFormatCommand = {
    "format",
    "[FILE...]",
    kManyFiles,
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
        options->fold_given = true;
    }
    options->slot.fold_option = true;
    if (!ReadSlotChoice(command, &options->slot, error)) return false;
    if (const std::string *value = command.Value("tab")) {
        if (!ParseNumberOption(*value, "tab", 0, kMaxTab, &options->tab_width, error)) return false;
    }
    if (const std::string *value = command.Value("encoding")) {
        if (!ParseEncoding(*value, &options->files.encoding)) {
            *error = "--encoding: '" + *value + "' is not one of " + kEncodingChoices;
            return false;
        }
    }
    options->strict = command.Has("strict");
    if (!ReadAmbiguous(command, &options->ambiguous, error)) return false;
    return ReadTextFiles(command, &options->files, error);
}

int RunFormat(const FormatOptions &options, const Console &console) {
    try {
        return Steps(options, console);
    } catch (const std::bad_alloc &) {
        return Failure(console, "out of memory");
    }
}

}  // namespace lumo::cli
