// Reading the shared options of format and bind. Each value is checked
// against the range the library takes, so that a wrong one is a usage
// error naming the option, not a failure of the library.
#include "text_options.h"

#include "settings/slots.h"

namespace lumo::cli {
namespace {

constexpr uint32_t kMaxFold = 65535;
constexpr uint32_t kMaxTab = 255;

template <class T>
struct NamedValue {
    const char *name;
    T value;
};

// The value of --option among the names of table, if the option is given.
template <class T, size_t N>
bool ReadNamed(const ParsedCommand &command, const char *option, const NamedValue<T> (&table)[N], T *value,
               std::string *error) {
    const std::string *given = command.Value(option);
    if (given == nullptr) return true;
    std::string names;
    for (const NamedValue<T> &row : table) {
        if (*given == row.name) {
            *value = row.value;
            return true;
        }
        names += std::string(names.empty() ? "" : ", ") + row.name;
    }
    *error = std::string("--") + option + ": '" + *given + "' is not one of " + names;
    return false;
}

}  // namespace

const OptionSpec kPresetOption = {"preset", '\0', "N",
                                  "formatting preset (default 2, or the default\n"
                                  "slot when 'lumotext slot default N' set one):\n"
                                  "  0  items and paragraphs; quotes and emphasis\n"
                                  "     are ordinary text\n"
                                  "  1  as 2, but quoted lines and the header block\n"
                                  "     (the lines up to the first empty line) are\n"
                                  "     copied unchanged\n"
                                  "  2  items, paragraphs, quotes and emphasis"};
const OptionSpec kRulesOption = {"rules", '\0', "RULES",
                                 "line-break rules: normal (default), strict,\n"
                                 "loose or classic; see below"};
const OptionSpec kTabOption = {"tab", '\0', "N",
                               "distance between tab stops, 0 to 255 (default 8);\n"
                               "0 counts a tab as one column"};
const OptionSpec kEncodingOption = {"encoding", '\0', "ENC",
                                    "auto, utf-8, sjis, euc-jp or iso-2022-jp\n"
                                    "(default auto); see below"};
const OptionSpec kAmbiguousOption = {"ambiguous", '\0', "WIDTH",
                                     "width of the ambiguous characters (○ ※ α é) in\n"
                                     "UTF-8: cp932 (default), wide or narrow"};

bool ReadTextSettings(const ParsedCommand &command, TextSettings *settings, std::string *error) {
    lumo_options &o = settings->options;
    lumo_options_init(&o);
    o.threads = 2;  // pieces of the text are folded on two cores
#ifdef _WIN32
    o.newline = "\r\n";  // a text without any line end is folded with the platform's
#endif
    uint32_t number = 0;
    if (const std::string *value = command.Value("preset")) {
        if (!ParseNumberOption(*value, "preset", 0, LUMO_PRESET_COUNT - 1, &number, error)) return false;
        o.preset = static_cast<int>(number);
    }
    if (const std::string *value = command.Value("fold")) {
        if (!ParseNumberOption(*value, "fold", 1, kMaxFold, &number, error)) return false;
        o.fold = number;
        settings->fold_given = true;
    }
    settings->slot.fold_option = true;
    if (!ReadSlotChoice(command, &settings->slot, error)) return false;
    // Without --preset or --slot, the slot that 'lumotext slot default N'
    // chose, if any; reading the store never creates it.
    if (settings->slot.slot < 0 && !command.Has("preset")) {
        const int32_t slot = ReadDefaultNumber(nullptr);
        if (slot >= 1 && slot <= LUMO_SLOT_COUNT) settings->slot.slot = slot;
    }
    if (const std::string *value = command.Value("tab")) {
        if (!ParseNumberOption(*value, "tab", 0, kMaxTab, &number, error)) return false;
        o.tab = number;
    }
    if (const std::string *value = command.Value("encoding")) {
        if (!ParseEncoding(*value, &settings->files.encoding)) {
            *error = "--encoding: '" + *value + "' is not one of " + kEncodingChoices;
            return false;
        }
    }
    static const NamedValue<lumo_rules> kRules[] = {{"normal", LUMO_RULES_NORMAL},
                                                    {"strict", LUMO_RULES_STRICT},
                                                    {"loose", LUMO_RULES_LOOSE},
                                                    {"classic", LUMO_RULES_CLASSIC}};
    static const NamedValue<lumo_ambiguous> kWidths[] = {
        {"cp932", LUMO_AMBIGUOUS_CP932}, {"wide", LUMO_AMBIGUOUS_WIDE}, {"narrow", LUMO_AMBIGUOUS_NARROW}};
    if (!ReadNamed(command, "rules", kRules, &o.rules, error) ||
        !ReadNamed(command, "ambiguous", kWidths, &o.ambiguous, error)) {
        return false;
    }
    return ReadTextFiles(command, &settings->files, error);
}

bool LoadTextSlot(TextSettings *settings, std::string *error) {
    if (settings->slot.slot < 0) return true;
    settings->records = std::make_unique<Records>();
    const uint32_t fold = settings->options.fold;
    if (!SettingsFromSlot(settings->slot, settings->fold_given ? &fold : nullptr, settings->options.tab,
                          settings->records.get(), error)) {
        return false;
    }
    settings->options.records = settings->records.get();
    settings->options.slot = -1;  // the records are the slot's
    if (!settings->fold_given) settings->options.fold = settings->records->fold.foldnum;
    return true;
}

}  // namespace lumo::cli
