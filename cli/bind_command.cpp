// The "bind" command: its option table and help, and binding the input
// block by block as it streams. A block's prefix is found by classifying its
// first line, so a text folded with given settings is bound with the same
// settings.
#include "bind_command.h"

#include <memory>
#include <new>
#include <string>
#include <vector>

#include "bind_blocks.h"
#include "encoding.h"
#include "formatter.h"
#include "piece_format.h"
#include "slot_settings.h"
#include "text/unicode_data.h"
#include "text_pipeline.h"
#include "utf8_settings.h"

namespace lumo::cli {
namespace {

const OptionSpec kBindOptions[] = {
    {"preset", '\0', "N", "settings preset, 0 to 2 (default 2); all three\nstrip the same blanks"},
    kSlotOption,
    kWidthOption,
    kVendorOption,
    {"fold", '\0', "N",
     "the fold column the text was folded at: a line\n"
     "that stops while the next line's first word or\n"
     "character would still have fitted ends its block"},
    {"tab", '\0', "N", "distance between tab stops for --fold (default 8)"},
    {"whole", '\0', nullptr, "bind the whole input as one block"},
    {"encoding", '\0', "ENC",
     "auto, utf-8, sjis, euc-jp or iso-2022-jp\n"
     "(default auto), as for 'lumotext format'"},
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
    "Nothing is put where two lines meet, not even a space between letters.\n"
    "A block that ends with a line end keeps one of the same kind.\n"
    "\n"
    "Bind with the settings that folded the text: the same --preset or --slot,\n"
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
#ifdef LUMOTEXT_UNICODE
    "Encodings (--encoding): as for 'lumotext format'. Both are bound byte for\n"
    "byte: UTF-8 input keeps every character, also those that Shift-JIS lacks,\n"
    "and any byte that is not UTF-8; a byte order mark is kept.\n"
#else
    "Encodings (--encoding): as for 'lumotext format'. UTF-8 input is converted\n"
    "to Shift-JIS (code page 932) for binding and back, and a byte order mark\n"
    "is kept; Shift-JIS input is bound byte for byte.\n"
#endif
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

struct BindOptions {
    int32_t preset = 2;
    uint32_t fold = 0;  // 0: not given
    uint32_t tab_width = 8;
    bool whole = false;
    SlotChoice slot;
    TextFiles files;
    text::Ambiguous ambiguous = text::Ambiguous::kCp932;  // in UTF-8 text
};

bool ReadBindOptions(const ParsedCommand &command, BindOptions *options, std::string *error) {
    uint32_t number = 0;
    if (const std::string *value = command.Value("preset")) {
        if (!ParseNumberOption(*value, "preset", 0, LUMO_PRESET_COUNT - 1, &number, error)) return false;
        options->preset = static_cast<int32_t>(number);
    }
    if (!ReadSlotChoice(command, &options->slot, error)) return false;
    if (const std::string *value = command.Value("fold")) {
        if (!ParseNumberOption(*value, "fold", 1, 65535, &options->fold, error)) return false;
    }
    if (const std::string *value = command.Value("tab")) {
        if (!ParseNumberOption(*value, "tab", 0, 255, &options->tab_width, error)) return false;
    }
    options->whole = command.Has("whole");
    if (!ReadAmbiguous(command, &options->ambiguous, error)) return false;
    if (options->whole && options->fold != 0) {
        *error = "--whole and --fold cannot be combined";
        return false;
    }
    if (const std::string *value = command.Value("encoding")) {
        if (!ParseEncoding(*value, &options->files.encoding)) {
            *error = "--encoding: '" + *value + "' is not one of " + kEncodingChoices;
            return false;
        }
    }
    return ReadTextFiles(command, &options->files, error);
}

// A worker's binder and converter. With --whole there is one worker, whose
// binder sees every piece; otherwise each piece starts a binder afresh or,
// when it continues the piece before, from where that one stopped.
struct BindState {
    explicit BindState(const BindRules &rules) : binder(rules) {}
    PieceContext context;
    BlockBinder binder;
#ifdef LUMOTEXT_UNICODE
    std::unique_ptr<BlockBinder> utf8;  // for UTF-8 text, made with its first piece
#endif
};

// Binds text, a piece or what is left of it, into *bound; the state carried
// from the piece before is taken, the one at the end handed on.
void BindText(BlockBinder *binder, std::string_view text, const Piece &piece, std::string *bound,
              PieceOutput *out) {
    const bool whole = binder->rules().whole;
    if (!whole) {
        binder->Restart(piece.continues && piece.carried != nullptr
                            ? *static_cast<const BinderState *>(piece.carried.get())
                            : BinderState());
    }
    binder->Add(text, bound);
    if (piece.last || (!whole && !piece.runs_on)) {
        binder->Finish(bound);
    } else if (!whole) {
        out->carry = std::make_shared<BinderState>(binder->state());
    }
}

#ifdef LUMOTEXT_UNICODE
constexpr std::string_view kBom = "\xEF\xBB\xBF";

// The binder of UTF-8 text: its rules are those of the others with their
// texts in UTF-8, so that the sets name the characters the text holds.
BlockBinder *Utf8Binder(BindState *state, std::string *error) {
    if (state->utf8 != nullptr) return state->utf8.get();
    if (text::UnicodeData::Get() == nullptr) {
        *error = "the Unicode character tables cannot be built (out of memory, or no code page 932 in iconv)";
        return nullptr;
    }
    Cp932Codec *codec = state->context.Codec(error);
    if (codec == nullptr) return nullptr;
    BindRules rules = state->binder.rules();
    FoldSettings fold{};
    HeaderSettings header{};
    std::vector<std::string> cut;  // no set of a preset or slot is too long for it
    ConvertRecordsToUtf8(&rules.indent, &fold, &header, codec, &cut);
    rules.utf8 = true;
    state->utf8 = std::make_unique<BlockBinder>(rules);
    return state->utf8.get();
}

// Auto takes a text for Shift-JIS until a byte above 0x7F shows, so a block
// begun in ASCII by the code page 932 binder may go on in UTF-8: the state
// is the same but for the UTF-8 form of the prefix.
std::shared_ptr<const void> InUtf8(BinderState state, Cp932Codec *codec) {
    if (state.prefix_utf8.empty() && !state.prefix.empty() && !codec->ToUtf8(state.prefix, &state.prefix_utf8)) {
        state.prefix_utf8 = state.prefix;
    }
    return std::make_shared<BinderState>(std::move(state));
}

// UTF-8 text is bound as it is: no character is refused and every byte,
// UTF-8 or not, is kept; only a NUL fails, as it does for Shift-JIS.
bool BindUtf8Piece(BindState *state, const Piece &piece, PieceOutput *out) {
    std::string_view text = piece.bytes;
    const bool bom = piece.text_start && text.substr(0, kBom.size()) == kBom;
    if (bom) text.remove_prefix(kBom.size());  // positions count from behind it
    const size_t nul = text.find('\0');
    if (nul != std::string_view::npos) {
        const TextPosition at = PositionOf(text, nul, Encoding::kUtf8);
        out->error = "line " + std::to_string(at.line + piece.first_line - 1) + ", column " +
                     std::to_string(at.column) + ": the input contains a NUL byte, so it is not text";
        return false;
    }
    BlockBinder *binder = Utf8Binder(state, &out->error);
    if (binder == nullptr) return false;
    Cp932Codec *codec = state->context.Codec(&out->error);
    if (codec == nullptr) return false;
    Piece carried;
    const Piece *in = &piece;
    if (binder->rules().whole && !state->binder.state().block.empty()) {
        binder->Restart(*static_cast<const BinderState *>(InUtf8(state->binder.state(), codec).get()));
        state->binder.Restart();
    } else if (piece.continues && piece.carried != nullptr) {
        carried.continues = true;
        carried.carried = InUtf8(*static_cast<const BinderState *>(piece.carried.get()), codec);
        carried.runs_on = piece.runs_on;
        carried.last = piece.last;
        in = &carried;
    }
    std::string bound = bom ? std::string(kBom) : std::string();
    BindText(binder, text, *in, &bound, out);
    out->bytes = std::move(bound);
    return true;
}
#endif

// The one place where a piece of text in a given encoding is bound.
bool BindPiece(BindState *state, Encoding encoding, const Piece &piece, PieceOutput *out) {
#ifdef LUMOTEXT_UNICODE
    if (encoding == Encoding::kUtf8) return BindUtf8Piece(state, piece, out);
#endif
    std::string storage;
    const std::string *cp932 = nullptr;
    bool bom = false;
    if (!DecodePiece(&state->context, encoding, piece, &storage, &cp932, &bom, &out->error)) return false;
    std::string bound;
    BindText(&state->binder, *cp932, piece, &bound, out);
    return EncodePiece(&state->context, encoding, bom, &bound, &out->bytes, &out->error);
}

int Steps(const BindOptions &options, const Console &console) {
    FormatSettings settings;
    if (options.slot.slot < 0) {
        // Only the indent settings matter here; the fold column is a stand-in.
        settings = SettingsFromPreset(options.preset, 70, options.tab_width);
    } else {
        std::string error;
        if (!SettingsFromSlot(options.slot, nullptr, options.tab_width, &settings, &error)) {
            return Failure(console, error);
        }
    }
    BindRules rules;
    rules.indent = settings.indent;
    rules.fold = options.fold;
    rules.tab_width = options.tab_width;
    rules.whole = options.whole;
    rules.ambiguous = options.ambiguous;
    // Binders of their own for each file: one for --whole, else one per core.
    const auto make = [&] {
        std::vector<PieceTransform> transforms;
        for (int worker = 0; worker < (rules.whole ? 1 : 2); ++worker) {
            auto state = std::make_shared<BindState>(rules);
            transforms.push_back([state](const Piece &piece, PieceOutput *out) {
                return BindPiece(state.get(), piece.encoding, piece, out);
            });
        }
        return transforms;
    };
    return TransformText(options.files, console, HeaderSettings{}, make, !rules.whole);
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
