// The command line of lumotext: a table of commands, each with a table of its
// options, one parser for all of them, and help texts generated from the
// tables. A new command or option is a new row plus the code that reads it.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace lumo::cli {

constexpr const char *kProgramName = "lumotext";
constexpr const char *kVersion = "1.10";

// Exit statuses.
constexpr int kExitOk = 0;
constexpr int kExitFailure = 1;  // input/output, encoding or formatting failed
constexpr int kExitUsage = 2;    // the command line is wrong

// The streams a command works with; tests pass files of their own.
struct Console {
    std::FILE *in;
    std::FILE *out;
    std::FILE *err;
};

// max_operands of a command that takes any number of files.
constexpr size_t kManyFiles = static_cast<size_t>(-1);

struct OptionSpec {
    const char *name;        // long name without "--", e.g. "fold"
    char short_name;         // e.g. 'o', or '\0'
    const char *value_name;  // e.g. "N"; nullptr for a switch without value
    const char *help;        // lines separated by '\n', shown beside the name
};

struct ParsedCommand;

struct CommandSpec {
    const char *name;
    const char *operands;  // the usage line after the options, e.g. "[FILE]"
    size_t max_operands;
    const char *summary;      // one line in the list of commands
    const char *description;  // paragraphs at the top of the command's help
    const OptionSpec *options;
    size_t option_count;
    const char *details;   // text after the options (may be nullptr)
    const char *examples;  // one example a line (may be nullptr)
    int (*run)(const ParsedCommand &command, const Console &console);
};

struct ParsedOption {
    const OptionSpec *entry;
    std::string value;  // empty for a switch
};

struct ParsedCommand {
    const CommandSpec *command = nullptr;
    std::vector<ParsedOption> options;  // in the order given
    std::vector<std::string> operands;

    // The value of the last occurrence of the option (a later one overrides
    // an earlier one), or nullptr when it was not given.
    const std::string *Value(const char *name) const;
    bool Has(const char *name) const { return Value(name) != nullptr; }
};

// The table of commands, in the order of the help text.
const std::vector<const CommandSpec *> &Commands();

// Runs the program on its arguments (without the program name) and returns
// the exit status.
int RunCommandLine(const std::vector<std::string> &args, const Console &console);

// Prints "lumotext: message" and the hint to the help of command (nullptr
// for the program's help) on console.err; returns kExitUsage.
int UsageError(const Console &console, const std::string &message, const CommandSpec *command);

// Prints "lumotext: message" on console.err; returns kExitFailure.
int Failure(const Console &console, const std::string &message);

// Reads a decimal number in [low, high] from text, digits only. On failure
// sets *error to "--name: 'text' is not a number from low to high".
bool ParseNumberOption(const std::string &text, const char *name, uint32_t low, uint32_t high,
                       uint32_t *value, std::string *error);

// The help text of a command, and of the program.
std::string CommandHelp(const CommandSpec &command);
std::string ProgramHelp();

// "; did you mean 'x'?" for the candidate closest to given within two
// single-character edits (the first of equals), else "".
std::string Suggestion(const std::string &given, const std::vector<std::string> &candidates);

}  // namespace lumo::cli
