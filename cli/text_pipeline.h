// The steps that every text command shares: for each input, open it and its
// output, then stream the text through the command's piece transforms. A
// file that is written is replaced only when every piece of it succeeded;
// standard output gets each piece as soon as it and those before it are done.
#pragma once

#include <string>
#include <vector>

#include "command_line.h"
#include "encoding.h"
#include "text_stream.h"

namespace lumo::cli {

enum class OutputMode {
    kConcatenate,  // every result in order to standard output or --output
    kInPlace,      // each result replaces its own file
    kCheck,        // nothing is written; files that would change are listed
};

struct TextFiles {
    std::vector<std::string> inputs{"-"};  // "-": standard input
    std::string output;                    // kConcatenate: empty or "-" is standard output
    OutputMode mode = OutputMode::kConcatenate;
    Encoding encoding = Encoding::kAuto;
    bool force_encoding = false;  // go on with a text that does not fit the encoding
    bool split_links = false;     // kInPlace: rewrite a file that has other hard links
};

// The exit status of --check when an input could not be checked (missing,
// unreadable, not text): higher than that of a file that would change.
constexpr int kExitCheckError = 2;

// Reads the operands and the options --output, --in-place, --check,
// --force-encoding and --split-links into *files; false, with *error set,
// for a combination that cannot work. --encoding is the command's to read.
bool ReadTextFiles(const ParsedCommand &command, TextFiles *files, std::string *error);

// The option table entries of ReadTextFiles.
extern const OptionSpec kOutputOption;
extern const OptionSpec kInPlaceOption;
extern const OptionSpec kCheckOption;
extern const OptionSpec kForceEncodingOption;
extern const OptionSpec kSplitLinksOption;

// Runs the steps and returns the exit status: 0, 1 when some input failed
// (it is named, and the others are still done where their outputs are their
// own); with kCheck 1 when some input would change and kExitCheckError when
// some could not be checked; kExitBrokenPipe, quietly, when standard output
// is a pipe that was closed. job is what each input is streamed with (its
// name and encoding are filled in here).
int TransformText(const TextFiles &files, const Console &console, const TextJob &job);

}  // namespace lumo::cli
