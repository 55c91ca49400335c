// The "format" command: its option table and help; the work is the
// library's stream, fed one input after the other.
#include "format_command.h"

#include <new>
#include <string>

#include "text_options.h"
#include "text_pipeline.h"

namespace lumo::cli {
namespace {

const OptionSpec kFormatOptions[] = {
    kPresetOption,
    kSlotOption,
    kWidthOption,
    kVendorOption,
    {"fold", 'w', "N",
     "fold column in display columns, 1 to 65535\n"
     "(default 70); a full-width character takes 2;\n"
     "with --slot it replaces the slot's fold column"},
    kRulesOption,
    {"hang", '\0', nullptr,
     "let one of 、。，．｡､ hang past the fold column\n"
     "instead of moving to the next line (not with\n"
     "the classic rules: their settings say it)"},
    {"reflow", '\0', nullptr,
     "join each paragraph's lines first, so that a\n"
     "folded or edited text is folded anew"},
    kTabOption,
    kEncodingOption,
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
    "Japanese line-breaking rules (--rules): closing brackets and punctuation\n"
    "such as 」。、, small kana and ー never begin a line, opening brackets never\n"
    "end one (the break moves back as far as it must), no line is wider than\n"
    "the fold column, and a word, a number, a URL or a path is never split: it\n"
    "goes to the next line whole, or stands alone when it is longer than a line.\n"
    "Spaces at a break stay at the end of the line. Each continuation line\n"
    "begins with a prefix that lines it up under\n"
    "the text of its first line: after an item mark (・ * - ① 1. a) ...), inside\n"
    "a quotation (> | 》 ｜), after an emphasis mark (#), or under a paragraph's\n"
    "text without repeating its first-line indent (a full-width space).\n"
    "\n"
    "The settings come from one of three presets (--preset) or from one of the\n"
    "ten setting slots of the settings store (--slot), which 'lumotext slot'\n"
    "lists, shows and changes.\n"
    "\n"
    "The text is read, folded and written as it streams, pieces of whole lines\n"
    "on two cores, so a text of any size takes little memory and a pipe's lines\n"
    "go out as they come. Without FILE, or with \"-\", standard input is read. The\n"
    "results of several FILEs go to standard output one after the other, or to\n"
    "the file given with --output; --in-place rewrites each FILE instead, and\n"
    "--check only says which FILEs would change.\n";

const char kDetails[] =
    "Line-break rules (--rules), after W3C's Requirements for Japanese Text\n"
    "Layout and the levels of CSS Text 3:\n"
    "  normal  the default: as strict, but a line may begin with 〜 or ゠\n"
    "  strict  never at a line head closing brackets, 、。，．, hyphens, ！？,\n"
    "          ・：；, iteration marks (々 ゝ), ー, small kana (ぁ っ ャ ㇰ), units\n"
    "          (％ ℃ ㎝); never at a line end opening brackets or ￥＄＃; runs of\n"
    "          the same inseparable character (―― …… ‥‥) never split\n"
    "  loose   only closing brackets, 、。，． and opening brackets are kept\n"
    "          from the line's ends, and inseparable runs may be split\n"
    "  classic the rules of the settings alone (their kinsoku sets, push-out or\n"
    "          hanging, word wrap of up to maxmove_leftwise letters), as the\n"
    "          Windows library folds\n"
    "The settings' kinsoku sets count at every level. A line breaks only at a\n"
    "space or beside a character of a script written without spaces (kana,\n"
    "kanji, full-width and half-width forms); where no place up to the fold\n"
    "column may end a line, the line is cut at the fold column.\n"
    "\n"
    "Encodings (--encoding):\n"
    "  auto    decided from the text: the encoding below that it fits, UTF-8\n"
    "          before Shift-JIS; a text that fits none is refused\n"
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
    "The output is in the encoding of the input. A UTF-8 byte order mark at the\n"
    "start of the input is kept at the start of the output. Every line keeps its\n"
    "own line end (LF, CR LF or CR) on each of its folded lines, and a last line\n"
    "without one stays without one; a text without any line end is folded with\n"
    "the platform's (LF; CR LF on Windows). The encoding is decided by the\n"
    "first part of the text that is not ASCII, and the rest is checked against\n"
    "it. A few stray bytes that fit no character (a text cut in the middle of\n"
    "one) are kept as they are; a text with more, or one that plainly is in\n"
    "another encoding than --encoding names, is refused before anything of it\n"
    "is written, naming the line and column and the --encoding to use.\n"
    "--force-encoding goes on all the same. A line longer than a megabyte is\n"
    "folded as it streams in, so its length costs no more memory than its\n"
    "folded form.\n"
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
    "  cannot be combined; without either, the default slot is used when\n"
    "  'lumotext slot default N' set one, else preset 2. A slot without\n"
    "  settings, or with values missing, is an error that names them and the\n"
    "  command that stores them. The store is the file $LUMOTEXT_REGISTRY, or\n"
    "  ~/.config/lumotext/registry.sqlite3.\n"
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
    TextSettings settings;
    std::string error;
    if (!ReadTextSettings(command, &settings, &error)) return UsageError(console, error, &kFormatCommand);
    settings.options.strict = command.Has("strict");
    settings.options.hang = command.Has("hang");
    if (settings.options.hang && settings.options.rules == LUMO_RULES_CLASSIC) {
        return UsageError(console, "--hang and --rules classic cannot be combined: the settings say what hangs",
                          &kFormatCommand);
    }
    try {
        // A slot that cannot be used stops the command before any input is read.
        if (!LoadTextSlot(&settings, &error)) return Failure(console, error);
        TextJob job;
        job.mode = command.Has("reflow") ? LUMO_REFLOW : LUMO_FORMAT;
        job.options = settings.options;
        return TransformText(settings.files, console, job);
    } catch (const std::bad_alloc &) {
        return Failure(console, "out of memory");
    }
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

}  // namespace lumo::cli
