// The "bind" command: its option table and help; the work is the library's
// stream, which finds where each block of a folded text ends and joins it.
#include "bind_command.h"

#include <new>
#include <string>

#include "text_options.h"
#include "text_pipeline.h"

namespace lumo::cli {
namespace {

const OptionSpec kBindOptions[] = {
    kPresetOption,
    kSlotOption,
    kWidthOption,
    kVendorOption,
    {"fold", 'w', "N",
     "the fold column the text was folded at: a line\n"
     "that stops while the next line's first word or\n"
     "character would still have fitted ends its block"},
    {"rules", '\0', "RULES",
     "the rules the text was folded by: normal\n"
     "(default), strict, loose or classic; with any but\n"
     "classic, a line break between two narrow\n"
     "characters becomes a space"},
    kTabOption,
    {"whole", '\0', nullptr, "bind the whole input as one block"},
    kEncodingOption,
    kForceEncodingOption,
    kAmbiguousOption,
    kOutputOption,
    kInPlaceOption,
    kSplitLinksOption,
    kCheckOption,
};

const char kDescription[] =
    "Joins the lines of each block of a folded text back into one line: the\n"
    "reverse of 'lumotext format'. A block is the lines that folding made of one\n"
    "line. It ends at an empty line (which is a block of its own), before a line\n"
    "that does not begin with the block's continuation prefix, and before a line\n"
    "whose head, behind that prefix, classifies as the start of a line (an item\n"
    "mark, an indent, a quotation or emphasis mark, a scenario name); with --fold\n"
    "N, also before a line whose first word or character would still have fitted\n"
    "on the line before it at fold column N. The block's first line is\n"
    "classified as the formatter classifies a line, which gives that prefix;\n"
    "it is taken off the head of every later line of the block, and then, as\n"
    "the settings ask, the leading half-width spaces, full-width spaces or tabs.\n"
    "Where two lines meet, nothing is put between them when the first ends with\n"
    "a space or a wide character stands on either side; between two narrow\n"
    "characters the line break becomes a space, as tools that fold English drop\n"
    "it (not with --rules classic, whose folding keeps spaces at line ends).\n"
    "A block that ends with a line end keeps one of the same kind.\n"
    "\n"
    "Bind with the settings that folded the text: the same --preset or --slot\n"
    "(without either, the default slot when 'lumotext slot default N' set one),\n"
    "and the same --fold. The text streams in pieces as for 'lumotext format';\n"
    "several FILEs, --output, --in-place and --check work as there. --whole binds\n"
    "the whole input as one block, empty lines included.\n"
    "\n"
    "What cannot come back: two lines of a document become one when the first\n"
    "fills the fold column to its end and the second begins like a folded line\n"
    "(no item mark, indent, quotation or emphasis mark of its own, or the same\n"
    "quotation mark as the first); a folded text does not show whether that\n"
    "line end was the document's or folding's. Without --fold, any two lines of\n"
    "that kind become one. Leading blanks of a line that folding put behind a\n"
    "prefix are taken off as the settings ask, and tabs are counted with --tab.\n";

const char kDetails[] =
    "Settings: all presets take off leading half-width and full-width spaces,\n"
    "but not on an itemised block (STYLE_STRIP_WHEN_INDENT clear), and never\n"
    "tabs (SUB_BLANK_TAB clear). With --slot the slot is loaded as 'lumotext\n"
    "format --slot' loads it, the fold column included: a slot whose fold column\n"
    "follows the display width needs a --width that leaves one.\n"
    "\n"
    "Encodings (--encoding): as for 'lumotext format'. Both are bound byte for\n"
    "byte: UTF-8 input keeps every character, also those that Shift-JIS lacks,\n"
    "and any byte that is not UTF-8; a byte order mark is kept.\n"
    "\n"
    "Exit status: 0 on success, 1 when reading, converting, writing or loading\n"
    "a slot fails, or with --check when some FILE would change, 2 when the\n"
    "command line is wrong.\n";

const char kExamples[] =
    "  lumotext bind --fold 40 folded.txt\n"
    "  lumotext format --fold 40 memo.txt | lumotext bind --fold 40\n"
    "  lumotext bind --whole folded.txt\n"
    "  lumotext bind --slot 3 -o memo.txt folded.txt\n"
    "  lumotext bind --slot 3 --width 100 --vendor Acme folded.txt\n"
    "  lumotext bind --encoding sjis folded-sjis.txt > bound-sjis.txt\n";

int RunBindCommand(const ParsedCommand &command, const Console &console) {
    TextSettings settings;
    std::string error;
    if (!ReadTextSettings(command, &settings, &error)) return UsageError(console, error, &kBindCommand);
    const bool whole = command.Has("whole");
    if (whole && settings.fold_given) {
        return UsageError(console, "--whole and --fold cannot be combined", &kBindCommand);
    }
    try {
        if (!LoadTextSlot(&settings, &error)) return Failure(console, error);
        TextJob job;
        job.mode = LUMO_BIND;
        job.options = settings.options;
        job.options.whole = whole;
        // Without --fold, where a block ends is told by the lines alone.
        if (!settings.fold_given) job.options.fold = 0;
        return TransformText(settings.files, console, job);
    } catch (const std::bad_alloc &) {
        return Failure(console, "out of memory");
    }
}

}  // namespace

const CommandSpec kBindCommand = {
    "bind",
    "[FILE...]",
    kManyFiles,
    "join folded lines back into one line (the reverse of format)",
    kDescription,
    kBindOptions,
    sizeof kBindOptions / sizeof kBindOptions[0],
    kDetails,
    kExamples,
    RunBindCommand,
};

}  // namespace lumo::cli
