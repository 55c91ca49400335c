// The "slot" command: list, show, preset, set, title and default. Changes go
// through the library's own save of a record, so a slot written here reads
// back in any program that uses the library; a change writes only the record
// it concerns and says what else it had to fill in.
#include "slot_command.h"

#include <algorithm>
#include <cstdio>
#include <new>
#include <string>
#include <vector>

#include "file_io.h"
#include "settings/field_text.h"
#include "settings/presets.h"
#include "settings/slots.h"
#include "settings_text.h"
#include "slot_settings.h"

namespace lumo::cli {
namespace {

// A title longer than this cannot be read back whole.
constexpr size_t kMaxTitleBytes = 65534;
// The library's dialogs show this many bytes of a title.
constexpr size_t kShownTitleBytes = 43;

const OptionSpec kSlotOptions[] = {
    {"vendor", '\0', "V",
     "the slots of vendor V (default: the slots that\n"
     "every program shares); for every action"},
    {"title", '\0', "T",
     "with 'preset': the slot's title (default, and\n"
     "for an empty T: 設定済み)"},
};

const char kDescription[] =
    "Lists, shows and changes the ten setting slots of the settings store. A\n"
    "slot holds indent, fold and header settings and a title; 'lumotext format\n"
    "--slot N' and 'lumotext bind --slot N' use them, and so does any program\n"
    "that loads slot N through the library. One slot may be the default.\n"
    "\n"
    "Actions:\n"
    "  list               the ten slots: number, title or \"(no title)\",\n"
    "                     \"(empty)\" when the slot has no indent settings, and\n"
    "                     \"(default)\" for the default slot\n"
    "  show N             every value of slot N (0 shows preset 2), and which\n"
    "                     values are missing\n"
    "  preset N P         store preset P (0, 1 or 2) in slot N, all three\n"
    "                     records, and title it with --title (default 設定済み)\n"
    "  set N FIELD VALUE  change one value of slot N; the other values of its\n"
    "                     record are stored again as they were, and a record\n"
    "                     or value that is missing starts from preset 2 (a\n"
    "                     note says so)\n"
    "  title N TITLE      set the title of slot N\n"
    "  default [N]        print the default slot number (\"none\" when there is\n"
    "                     none), or make slot N the default\n"
    "N is a slot number from 1 to 10.\n";

// The help after the fields (FieldsHelp).
const char kValuesHelp[] =
    "\n"
    "Values:\n"
    "  flags   flag names (any case) and numbers joined with '|', or 0 for none,\n"
    "          as in STYLE_INDENT|STYLE_QUOTE|0x100\n"
    "  number  decimal, or hexadecimal after 0x, from 0 to 4294967295\n"
    "  set     its characters as one text, at most 1023 bytes in Shift-JIS\n"
    "  string  a text of at most 255 bytes in Shift-JIS\n"
    "Texts (sets, strings, titles and --vendor) are read and printed in the\n"
    "terminal's character set: UTF-8 when the locale says so (LC_ALL, LC_CTYPE,\n"
    "LANG), else Shift-JIS byte for byte. They are stored in Shift-JIS (code\n"
    "page 932); a character it cannot hold is an error. A backslash begins an\n"
    "escape: \\\\ (a backslash), \\t, \\n, \\r, or \\xHH (the byte HH); 'show'\n"
    "prints texts in double quotes, with escapes for backslashes, control\n"
    "characters and bytes that are no character, so that they can be given\n"
    "back to 'set' as printed. A value or title that begins with '-' goes\n"
    "after '--', as in: lumotext slot set -- 3 header.headerdelimiter '-- x'\n"
    "\n"
    "The store is the SQLite file $LUMOTEXT_REGISTRY, else\n"
    "$XDG_CONFIG_HOME/lumotext/registry.sqlite3, else\n"
    "~/.config/lumotext/registry.sqlite3 (on Windows the registry of the user).\n"
    "Only 'preset', 'set', 'title' and 'default N' write to it.\n"
    "\n"
    "Exit status: 0 on success, 1 when the settings store cannot be read or\n"
    "written, 2 when the command line is wrong (a bad slot number, field or\n"
    "value included).\n";

const char kExamples[] =
    "  lumotext slot list\n"
    "  lumotext slot preset 3 2 --title メモ用\n"
    "  lumotext slot show 3\n"
    "  lumotext slot set 3 fold.foldnum_from_head 60\n"
    "  lumotext slot set 3 indent.styles 'STYLE_INDENT|STYLE_QUOTE|STYLE_ITEMIZE'\n"
    "  lumotext slot set 3 fold.tailwrap_flag 0x7\n"
    "  lumotext slot set 3 indent.chars_for_quote '>|》｜'\n"
    "  lumotext slot title 3 'Mail replies'\n"
    "  lumotext slot default 3\n"
    "  lumotext slot list --vendor Acme\n";

// The help's list of fields, from the library's table: each name in a
// column of its own, its help words and flag names wrapped at column 78; the
// ten indexed fields of a kind are one range.
std::string FieldsHelp() {
    constexpr size_t kColumn = 34;
    constexpr size_t kWidth = 78;
    std::string text = "Fields (FIELD of 'set', named as 'show' prints them):\n";
    for (const FieldSpec &field : Fields()) {
        std::string line = std::string("  ") + field.name;
        const size_t dash = line.find('-');
        if (dash != std::string::npos) {
            if (line.substr(dash) != "-0") continue;
            line += " ... " + line.substr(2, dash - 1) + std::to_string(LUMO_INDENT_STRING_COUNT - 1);
        }
        if (line.size() + 2 > kColumn) {
            text += line + "\n";
            line.clear();
        }
        line.resize(kColumn, ' ');
        std::string words = field.help;
        if (field.flags != nullptr) words += " " + FlagNames(*field.flags);
        for (size_t start = 0; start < words.size();) {
            const size_t end = std::min(words.find(' ', start), words.size());
            const std::string word = words.substr(start, end - start);
            if (line.size() > kColumn && line.size() + 1 + word.size() > kWidth) {
                text += line + "\n";
                line.assign(kColumn, ' ');
            }
            line += (line.size() > kColumn ? " " : "") + word;
            start = end + 1;
        }
        text += line + "\n";
    }
    return text;
}

const std::string kDetails = FieldsHelp() + kValuesHelp;

int RunSlotCommand(const ParsedCommand &command, const Console &console);

}  // namespace

const CommandSpec kSlotCommand = {
    "slot",
    "ACTION [ARGUMENTS]",
    4,
    "list, show and change the setting slots of the settings store",
    kDescription,
    kSlotOptions,
    sizeof kSlotOptions / sizeof kSlotOptions[0],
    kDetails.c_str(),
    kExamples,
    RunSlotCommand,
};

namespace {

// What every action needs: the streams, the terminal's encoding and the
// vendor in code page 932.
struct Context {
    const ParsedCommand &command;
    const Console &console;
    TerminalText terminal;
    std::string vendor;

    const char *vendor_c() const { return vendor.c_str(); }
    int Usage(const std::string &message) const { return UsageError(console, message, &kSlotCommand); }
    int Fail(const std::string &message) const { return Failure(console, message); }
    void Note(const std::string &message) const {
        std::fprintf(console.err, "%s: note: %s\n", kProgramName, message.c_str());
    }
    int Print(const std::string &text) const {
        std::string error;
        return WriteToStream(console.out, text, kStandardOutputName, &error) ? kExitOk : Fail(error);
    }
};

// "; did you mean 'x'?" for the closest field name, or for the field whose
// value name was given without its record.
std::string FieldSuggestion(const std::string &given) {
    std::vector<std::string> names;
    for (const FieldSpec &field : Fields()) {
        if (given == field.value_name()) return "; did you mean '" + std::string(field.name) + "'?";
        names.push_back(field.name);
    }
    return Suggestion(given, names);
}

bool ParseSlot(const std::string &text, int32_t low, int32_t *slot, std::string *error) {
    uint32_t number = 0;
    if (text.empty() || text.size() > 2 || text.find_first_not_of("0123456789") != std::string::npos ||
        !ParseNumber(text, &number) || number < static_cast<uint32_t>(low) || number > LUMO_SLOT_COUNT) {
        *error = "'" + text + "' is not a slot number from " + std::to_string(low) + " to " +
                 std::to_string(LUMO_SLOT_COUNT);
        return false;
    }
    *slot = static_cast<int32_t>(number);
    return true;
}

// A text from the command line in code page 932, escapes replaced.
bool TextArgument(const Context &context, const std::string &text, std::string *cp932, std::string *error) {
    std::string raw;
    return context.terminal.FromTerminal(text, &raw, error) && ParseEscapes(raw, cp932, error);
}

std::string Quoted(const Context &context, const std::string &cp932) {
    return "\"" + context.terminal.ToTerminal(cp932) + "\"";
}

void NoteLongTitle(const Context &context, const std::string &title) {
    if (title.size() <= kShownTitleBytes) return;
    context.Note("the library's dialogs show only the first " + std::to_string(kShownTitleBytes) +
                 " bytes of a title");
}

// The store must be readable before an empty answer can be trusted.
bool CheckStore(const Context &context, int *status) {
    std::string reason;
    if (StoreReadable(&reason)) return true;
    *status = context.Fail("cannot read the settings store: " + reason);
    return false;
}

// ---- list ---------------------------------------------------------------

int List(const Context &context) {
    int status = kExitOk;
    if (!CheckStore(context, &status)) return status;
    const int32_t default_number = ReadDefaultNumber(context.vendor_c());
    std::string text;
    for (int32_t slot = 1; slot <= LUMO_SLOT_COUNT; ++slot) {
        std::string title;
        const bool titled = ReadSlotTitle(slot, context.vendor_c(), &title) && !title.empty();
        IndentSettings indent;
        const bool empty = LoadIndentSettings(&indent, slot, context.vendor_c()) == MASK_KEY;
        text += (slot < 10 ? " " : "") + std::to_string(slot) + "  ";
        text += titled ? context.terminal.ToTerminal(title) : "(no title)";
        if (empty) text += "  (empty)";
        if (slot == default_number) text += "  (default)";
        text += "\n";
    }
    text += "default slot: ";
    if (default_number == 0) {
        text += "none\n";
    } else {
        text += std::to_string(default_number);
        if (default_number < 1 || default_number > LUMO_SLOT_COUNT) text += " (not a slot number from 1 to 10)";
        text += "\n";
    }
    return context.Print(text);
}

// ---- show ---------------------------------------------------------------

int Show(const Context &context) {
    int32_t slot = 0;
    std::string error;
    if (!ParseSlot(context.command.operands[1], 0, &slot, &error)) return context.Usage(error);
    int status = kExitOk;
    if (slot != 0 && !CheckStore(context, &status)) return status;

    Records records;
    std::string text;
    if (slot == 0) {
        text += "slot 0 is preset 2; it is not stored\n";
    } else {
        text += "slot " + std::to_string(slot);
        if (ReadDefaultNumber(context.vendor_c()) == slot) text += " (the default slot)";
        text += "\n";
        std::string title;
        text += ReadSlotTitle(slot, context.vendor_c(), &title) ? "title = " + Quoted(context, title) + "\n"
                                                                : "title: none\n";
    }
    std::vector<std::string> missing;
    for (const Record record : kAllRecords) {
        const uint32_t mask = LoadRecord(record, &records, slot, context.vendor_c());
        const std::string group = RecordName(record);
        if (mask == MASK_KEY) {
            text += group + ".*: missing (the slot has no " + group + " settings)\n";
            missing.push_back(group + ".*");
            continue;
        }
        std::vector<std::string> failed;
        if (mask != 0) failed = FailedValueNames(record, mask, slot, context.vendor_c());
        for (const FieldSpec &field : FieldsOf(record)) {
            const std::string name = field.name;
            if (IsFailedValue(field, failed)) {
                text += name + ": missing\n";
                missing.push_back(name);
            } else {
                text += name + " = " + FieldValueText(records, field, context.terminal) + "\n";
            }
        }
    }
    if (!missing.empty()) {
        text += "missing: " + JoinWords(missing) + "\n";
        if (missing.size() == 3 && missing[0] == "indent.*" && missing[1] == "fold.*") {
            text += "store a preset with: lumotext slot preset " + std::to_string(slot) + " 2\n";
        }
    }
    return context.Print(text);
}

// ---- preset -------------------------------------------------------------

int Preset(const Context &context) {
    const std::vector<std::string> &operands = context.command.operands;
    int32_t slot = 0;
    std::string error;
    if (!ParseSlot(operands[1], 1, &slot, &error)) return context.Usage(error);
    uint32_t preset = 0;
    if (operands[2].size() != 1 || !ParseNumber(operands[2], &preset) || preset >= LUMO_PRESET_COUNT) {
        return context.Usage("'" + operands[2] + "' is not a preset number from 0 to 2");
    }
    std::string title;
    const std::string *title_argument = context.command.Value("title");
    if (title_argument != nullptr) {
        if (!TextArgument(context, *title_argument, &title, &error)) return context.Usage("--title: " + error);
        if (title.size() > kMaxTitleBytes) {
            return context.Usage("--title: a title holds at most " + std::to_string(kMaxTitleBytes) + " bytes");
        }
    }
    int32_t detail = 0;
    const int32_t stage = DefaultWholeSetting(slot, static_cast<int32_t>(preset), title.c_str(),
                                              context.vendor_c(), &detail);
    const std::string where = "slot " + std::to_string(slot);
    if (stage >= 1 && stage <= 3) {
        const Record record = kAllRecords[stage - 1];
        std::string message = "cannot store preset " + std::to_string(preset) + "'s " + RecordName(record) +
                              " settings in " + where + ": " + StoreFailureReason();
        const auto mask = static_cast<uint32_t>(detail);
        if (mask != MASK_KEY && (mask & MASK_KEY) == 0) {
            message += " (not written: " + JoinWords(ValuesOfMask(record, mask)) + ")";
        }
        return context.Fail(message);
    }
    if (stage != 0) return context.Fail("cannot open " + where + " to write its title: " + StoreFailureReason());
    // The library does not report the title's write: read it back.
    std::string stored;
    const std::string expected = title.empty() ? std::string(kDefaultSlotTitle) : title;
    if (!ReadSlotTitle(slot, context.vendor_c(), &stored) || stored != expected) {
        return context.Fail("preset " + std::to_string(preset) + " is stored in " + where +
                            ", but its title could not be written: " + StoreFailureReason());
    }
    NoteLongTitle(context, expected);
    return context.Print(where + ": preset " + std::to_string(preset) + " stored, title " +
                         Quoted(context, expected) + "\n");
}

// ---- set ----------------------------------------------------------------

int Set(const Context &context) {
    const std::vector<std::string> &operands = context.command.operands;
    int32_t slot = 0;
    std::string error;
    if (!ParseSlot(operands[1], 1, &slot, &error)) return context.Usage(error);
    const FieldSpec *field = FindField(operands[2]);
    if (field == nullptr) {
        return context.Usage("'" + operands[2] + "' is not a field" + FieldSuggestion(operands[2]));
    }
    // The value is checked before the store is touched.
    Records records;
    if (!SetFieldValue(&records, *field, operands[3], context.terminal, &error)) return context.Usage(error);

    const std::string where = "slot " + std::to_string(slot);
    const std::string group = RecordName(field->record);
    // Values that cannot be loaded would be saved as zero: they keep preset
    // 2's instead, and a note says which.
    FillPreset(&records, 2, 0);
    const uint32_t mask = LoadRecord(field->record, &records, slot, context.vendor_c(), OnMissing::kKeep);
    if (mask != 0) {
        std::string reason;
        if (!StoreReadable(&reason)) return context.Fail("cannot read " + where + ": " + reason);
        if (mask == MASK_KEY) {
            context.Note(where + " had no " + group + " settings; its other " + group +
                         " values are stored from preset 2");
        } else {
            const std::vector<std::string> failed =
                FailedValueNames(field->record, mask, slot, context.vendor_c());
            std::vector<std::string> filled;
            for (const FieldSpec &other : FieldsOf(field->record)) {
                if (IsFailedValue(other, failed) && &other != field) filled.push_back(other.value_name());
            }
            if (!filled.empty()) {
                context.Note(where + "'s " + group + " settings lacked " + JoinWords(filled) +
                             "; stored from preset 2");
            }
        }
    }
    const std::string old_value = FieldValueText(records, *field, context.terminal);
    SetFieldValue(&records, *field, operands[3], context.terminal, &error);
    const std::string new_value = FieldValueText(records, *field, context.terminal);

    const uint32_t saved = SaveRecord(field->record, records, slot, context.vendor_c());
    if (saved != 0) {
        std::string message = "cannot store " + where + "'s " + group + " settings: " + StoreFailureReason();
        if ((saved & MASK_KEY) == 0) {
            message += " (not written: " + JoinWords(ValuesOfMask(field->record, saved)) + ")";
        }
        return context.Fail(message);
    }
    return context.Print(where + ": " + field->name + " = " + new_value + " (was " + old_value + ")\n");
}

// ---- title --------------------------------------------------------------

int Title(const Context &context) {
    const std::vector<std::string> &operands = context.command.operands;
    int32_t slot = 0;
    std::string error;
    if (!ParseSlot(operands[1], 1, &slot, &error)) return context.Usage(error);
    std::string title;
    if (!TextArgument(context, operands[2], &title, &error)) return context.Usage("the title: " + error);
    if (title.size() > kMaxTitleBytes) {
        return context.Usage("a title holds at most " + std::to_string(kMaxTitleBytes) + " bytes");
    }
    const std::string where = "slot " + std::to_string(slot);
    if (!WriteSlotTitle(slot, context.vendor_c(), title)) {
        return context.Fail("cannot write the title of " + where + ": " + StoreFailureReason());
    }
    NoteLongTitle(context, title);
    return context.Print(where + ": title " + Quoted(context, title) + "\n");
}

// ---- default ------------------------------------------------------------

int Default(const Context &context) {
    const std::vector<std::string> &operands = context.command.operands;
    if (operands.size() == 1) {
        int status = kExitOk;
        if (!CheckStore(context, &status)) return status;
        const int32_t number = ReadDefaultNumber(context.vendor_c());
        return context.Print((number == 0 ? std::string("none") : std::to_string(number)) + "\n");
    }
    int32_t slot = 0;
    std::string error;
    if (!ParseSlot(operands[1], 1, &slot, &error)) return context.Usage(error);
    if (WriteDefaultNumber(slot, context.vendor_c()) != 0) {
        return context.Fail("cannot store the default slot number: " + StoreFailureReason());
    }
    return context.Print("default slot: " + std::to_string(slot) + "\n");
}

struct Action {
    const char *name;
    const char *operands;  // for messages
    size_t min_operands;   // after the action's name
    size_t max_operands;
    int (*run)(const Context &context);
};

const Action kActions[] = {
    {"list", "", 0, 0, List},
    {"show", "N", 1, 1, Show},
    {"preset", "N P", 2, 2, Preset},
    {"set", "N FIELD VALUE", 3, 3, Set},
    {"title", "N TITLE", 2, 2, Title},
    {"default", "[N]", 0, 1, Default},
};

int RunSlotCommand(const ParsedCommand &command, const Console &console) {
    const std::string names = "list, show, preset, set, title, default";
    if (command.operands.empty()) {
        return UsageError(console, "no action given; the actions are " + names, &kSlotCommand);
    }
    const std::string &name = command.operands[0];
    const Action *action = nullptr;
    for (const Action &candidate : kActions) {
        if (name == candidate.name) action = &candidate;
    }
    if (action == nullptr) {
        return UsageError(console, "unknown action '" + name + "'; the actions are " + names, &kSlotCommand);
    }
    const size_t count = command.operands.size() - 1;
    if (count < action->min_operands || count > action->max_operands) {
        std::string usage = std::string("lumotext slot ") + action->name;
        if (*action->operands != '\0') usage += std::string(" ") + action->operands;
        return UsageError(console, "usage: " + usage, &kSlotCommand);
    }
    if (command.Has("title") && name != "preset") {
        return UsageError(console, "--title belongs to 'lumotext slot preset'; use 'lumotext slot title N TITLE'",
                          &kSlotCommand);
    }
    try {
        Context context{command, console, TerminalText(), std::string()};
        std::string error;
        if (!context.terminal.Open(&error)) return Failure(console, error);
        if (const std::string *vendor = command.Value("vendor")) {
            if (!VendorFromArgument(*vendor, context.terminal, &context.vendor, &error)) {
                return UsageError(console, "--vendor: " + error, &kSlotCommand);
            }
        }
        return action->run(context);
    } catch (const std::bad_alloc &) {
        return Failure(console, "out of memory");
    }
}

}  // namespace
}  // namespace lumo::cli
