// The one parser behind every command: "--name value", "--name=value",
// "-x value", "-xvalue", "--" and "-" for standard input. Long names must be
// written in full, so that a later option cannot make an old spelling
// ambiguous. --help and --version are understood by every command.
#include "command_line.h"

#ifdef LUMOTEXT_UNICODE
#include "text/unicode_data.h"
#endif

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "encoding.h"
#include "legacy_codec.h"

namespace lumo::cli {
namespace {

constexpr size_t kHelpColumn = 24;  // where option help texts start

const CommandSpec *FindCommand(const std::string &name) {
    for (const CommandSpec *command : Commands()) {
        if (name == command->name) return command;
    }
    return nullptr;
}

const OptionSpec *FindLong(const CommandSpec &command, const std::string &name) {
    for (size_t i = 0; i < command.option_count; ++i) {
        if (name == command.options[i].name) return &command.options[i];
    }
    return nullptr;
}

const OptionSpec *FindShort(const CommandSpec &command, char name) {
    for (size_t i = 0; i < command.option_count; ++i) {
        if (command.options[i].short_name != '\0' && command.options[i].short_name == name) {
            return &command.options[i];
        }
    }
    return nullptr;
}

// Single-character edits that turn a into b.
size_t EditDistance(const std::string &a, const std::string &b) {
    std::vector<size_t> row(b.size() + 1);
    for (size_t j = 0; j <= b.size(); ++j) row[j] = j;
    for (size_t i = 1; i <= a.size(); ++i) {
        size_t diagonal = row[0];
        row[0] = i;
        for (size_t j = 1; j <= b.size(); ++j) {
            const size_t above = row[j];
            row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] == b[j - 1] ? 0 : 1)});
            diagonal = above;
        }
    }
    return row[b.size()];
}

std::string OptionSuggestion(const CommandSpec &command, const std::string &given) {
    std::vector<std::string> names = {"--help", "--version"};
    for (size_t i = 0; i < command.option_count; ++i)
        names.push_back(std::string("--") + command.options[i].name);
    return Suggestion(given, names);
}

void AppendOption(std::string *text, char short_name, const std::string &name, const char *value_name,
                  const char *help) {
    std::string label = "  ";
    label += short_name != '\0' ? std::string("-") + short_name + ", " : "    ";
    label += "--" + name;
    if (value_name != nullptr) label += std::string(" ") + value_name;
    *text += label;
    if (label.size() + 2 > kHelpColumn) {
        *text += '\n';
        label.clear();
    }
    *text += std::string(kHelpColumn - label.size(), ' ');
    for (const char *p = help; *p != '\0'; ++p) {
        *text += *p;
        if (*p == '\n') *text += std::string(kHelpColumn, ' ');
    }
    *text += '\n';
}

void PrintVersion(const Console &console) {
    std::fprintf(console.out, "%s %s\n", kProgramName, kVersion);
#ifdef LUMOTEXT_UNICODE
    std::fprintf(console.out, "Unicode %s\n", text::UnicodeData::Version());
#else
    std::fprintf(console.out, "UTF-8 is converted through Shift-JIS (code page 932) in this build\n");
#endif
}

// Help texts are UTF-8. A Windows console shows the ANSI code page, so there
// they go out in code page 932 when every character converts.
void PrintText(std::FILE *stream, const std::string &text) {
#ifdef _WIN32
    std::string error;
    std::string converted;
    const std::unique_ptr<LegacyCodec> codec = LegacyCodec::Open(LegacyTable::kCp932, &error);
    if (codec != nullptr && codec->FromUtf8(text, &converted)) {
        std::fwrite(converted.data(), 1, converted.size(), stream);
        return;
    }
#endif
    std::fwrite(text.data(), 1, text.size(), stream);
}

int RunHelpCommand(const std::vector<std::string> &args, const Console &console) {
    if (args.size() == 1) {
        PrintText(console.out, ProgramHelp());
        return kExitOk;
    }
    if (args.size() > 2) return UsageError(console, "'help' takes one command name", nullptr);
    const CommandSpec *command = FindCommand(args[1]);
    if (command == nullptr) {
        std::vector<std::string> names;
        for (const CommandSpec *c : Commands()) names.push_back(c->name);
        return UsageError(console, "unknown command '" + args[1] + "'" + Suggestion(args[1], names), nullptr);
    }
    PrintText(console.out, CommandHelp(*command));
    return kExitOk;
}

int RunCommand(const CommandSpec &command, const std::vector<std::string> &args, const Console &console) {
    // --help wins over everything else on the line, mistakes included.
    for (size_t i = 1; i < args.size() && args[i] != "--"; ++i) {
        if (args[i] == "--help" || args[i] == "-h") {
            PrintText(console.out, CommandHelp(command));
            return kExitOk;
        }
    }
    ParsedCommand parsed;
    parsed.command = &command;
    bool only_operands = false;
    for (size_t i = 1; i < args.size(); ++i) {
        const std::string &arg = args[i];
        if (only_operands || arg == "-" || arg.empty() || arg[0] != '-') {
            parsed.operands.push_back(arg);
        } else if (arg == "--") {
            only_operands = true;
        } else if (arg.compare(0, 2, "--") == 0) {
            const size_t equals = arg.find('=');
            const std::string name =
                arg.substr(2, equals == std::string::npos ? std::string::npos : equals - 2);
            const OptionSpec *entry = FindLong(command, name);
            if (entry == nullptr) {
                if (name == "version" && equals == std::string::npos) {
                    PrintVersion(console);
                    return kExitOk;
                }
                const std::string written = arg.substr(0, equals);
                return UsageError(console,
                                  "unknown option '" + written + "' for '" + command.name + "'" +
                                      OptionSuggestion(command, written),
                                  &command);
            }
            ParsedOption option{entry, std::string()};
            if (entry->value_name == nullptr) {
                if (equals != std::string::npos) {
                    return UsageError(console, "option '--" + name + "' takes no value", &command);
                }
            } else if (equals != std::string::npos) {
                option.value = arg.substr(equals + 1);
            } else if (i + 1 < args.size()) {
                option.value = args[++i];
            } else {
                return UsageError(console, "option '--" + name + "' needs a value (" + entry->value_name + ")",
                                  &command);
            }
            parsed.options.push_back(option);
        } else {
            const OptionSpec *entry = FindShort(command, arg[1]);
            if (entry == nullptr || (entry->value_name == nullptr && arg.size() > 2)) {
                return UsageError(console, "unknown option '" + arg + "' for '" + command.name + "'",
                                  &command);
            }
            ParsedOption option{entry, std::string()};
            if (entry->value_name != nullptr) {
                if (arg.size() > 2) {
                    option.value = arg.substr(2);
                } else if (i + 1 < args.size()) {
                    option.value = args[++i];
                } else {
                    return UsageError(
                        console,
                        "option '-" + std::string(1, arg[1]) + "' needs a value (" + entry->value_name + ")",
                        &command);
                }
            }
            parsed.options.push_back(option);
        }
    }
    if (parsed.operands.size() > command.max_operands) {
        return UsageError(console,
                          "unexpected argument '" + parsed.operands[command.max_operands] + "' ('" +
                              command.name + "' takes " + command.operands + ")",
                          &command);
    }
    return command.run(parsed, console);
}

}  // namespace

std::string Suggestion(const std::string &given, const std::vector<std::string> &candidates) {
    const std::string *best = nullptr;
    size_t best_distance = 3;
    for (const std::string &candidate : candidates) {
        const size_t distance = EditDistance(given, candidate);
        if (distance < best_distance) {
            best = &candidate;
            best_distance = distance;
        }
    }
    return best == nullptr ? std::string() : "; did you mean '" + *best + "'?";
}

const std::string *ParsedCommand::Value(const char *name) const {
    for (auto it = options.rbegin(); it != options.rend(); ++it) {
        if (std::strcmp(it->entry->name, name) == 0) return &it->value;
    }
    return nullptr;
}

int UsageError(const Console &console, const std::string &message, const CommandSpec *command) {
    std::fprintf(console.err, "%s: %s\n", kProgramName, message.c_str());
    if (command != nullptr) {
        std::fprintf(console.err, "Try '%s %s --help' for more information.\n", kProgramName, command->name);
    } else {
        std::fprintf(console.err, "Try '%s --help' for more information.\n", kProgramName);
    }
    return kExitUsage;
}

int Failure(const Console &console, const std::string &message) {
    std::fprintf(console.err, "%s: %s\n", kProgramName, message.c_str());
    return kExitFailure;
}

bool ParseNumberOption(const std::string &text, const char *name, uint32_t low, uint32_t high,
                       uint32_t *value, std::string *error) {
    uint64_t number = 0;
    bool ok = !text.empty() && text.size() <= 10;
    for (const char c : text) {
        if (c < '0' || c > '9') ok = false;
        if (ok) number = number * 10 + static_cast<uint64_t>(c - '0');
    }
    if (!ok || number < low || number > high) {
        *error = std::string("--") + name + ": '" + text + "' is not a number from " + std::to_string(low) +
                 " to " + std::to_string(high);
        return false;
    }
    *value = static_cast<uint32_t>(number);
    return true;
}

std::string CommandHelp(const CommandSpec &command) {
    std::string text = std::string("Usage: ") + kProgramName + " " + command.name + " [OPTIONS]";
    if (*command.operands != '\0') text += std::string(" ") + command.operands;
    text += "\n\n";
    text += command.description;
    text += "\nOptions:\n";
    for (size_t i = 0; i < command.option_count; ++i) {
        const OptionSpec &option = command.options[i];
        AppendOption(&text, option.short_name, option.name, option.value_name, option.help);
    }
    AppendOption(&text, 'h', "help", nullptr, "show this help and exit");
    AppendOption(&text, '\0', "version", nullptr, "show the version and exit");
    if (command.details != nullptr) {
        text += '\n';
        text += command.details;
    }
    if (command.examples != nullptr) {
        text += "\nExamples:\n";
        text += command.examples;
    }
    return text;
}

std::string ProgramHelp() {
    std::string text = std::string(kProgramName) + " " + kVersion +
                       ": reformats Japanese plain text. Every line is folded at a fold\n"
                       "column with Japanese line-breaking rules (kinsoku) and word wrap, and\n"
                       "continuation lines stay lined up under their paragraph, item, quotation\n"
                       "or speaker.\n"
                       "\n"
                       "Usage: " +
                       kProgramName + " COMMAND [OPTIONS] [ARGUMENTS]\n" + "       " + kProgramName +
                       " help [COMMAND]\n" + "       " + kProgramName + " --help | --version\n" +
                       "\n"
                       "Commands:\n";
    for (const CommandSpec *command : Commands()) {
        std::string name = std::string("  ") + command->name;
        name.resize(std::max<size_t>(name.size() + 2, 12), ' ');
        text += name + command->summary + "\n";
    }
    std::string help = "  help";
    help.resize(12, ' ');
    text += help + "show the help of a command\n";
    text += std::string("\nRun '") + kProgramName + " help COMMAND' or '" + kProgramName +
            " COMMAND --help'\n"
            "for the options of a command.\n"
            "\n"
            "Exit status: 0 on success, 1 when reading, converting, formatting or\n"
            "writing fails, 2 when the command line is wrong.\n"
            "\n"
            "Example:\n"
            "  " +
            kProgramName + " format --preset 1 --fold 50 examples/sample.txt\n";
    return text;
}

int RunCommandLine(const std::vector<std::string> &args, const Console &console) {
    if (args.empty()) {
        return UsageError(console, "no command given (usage: lumotext COMMAND [OPTIONS] [ARGUMENTS])",
                          nullptr);
    }
    const std::string &first = args[0];
    if (first == "--help" || first == "-h") {
        PrintText(console.out, ProgramHelp());
        return kExitOk;
    }
    if (first == "--version") {
        PrintVersion(console);
        return kExitOk;
    }
    if (first == "help") return RunHelpCommand(args, console);
    if (first.size() > 1 && first[0] == '-') {
        return UsageError(console,
                          "unknown option '" + first + "'; options follow the command, as in '" +
                              kProgramName + " format --fold 60 FILE'",
                          nullptr);
    }
    const CommandSpec *command = FindCommand(first);
    if (command == nullptr) {
        std::vector<std::string> names = {"help"};
        for (const CommandSpec *c : Commands()) names.push_back(c->name);
        return UsageError(console, "unknown command '" + first + "'" + Suggestion(first, names), nullptr);
    }
    return RunCommand(*command, args, console);
}

}  // namespace lumo::cli
