// The steps that every text command shares: read the input whole, decode it
// to code page 932, transform it, encode the result in the input's own
// encoding and write it. Nothing reaches the output unless every step worked.
#pragma once

#include <functional>
#include <string>

#include "command_line.h"
#include "encoding.h"

namespace lumo::cli {

struct TextFiles {
    std::string input = "-";  // "-": standard input
    std::string output;       // empty or "-": standard output
    Encoding encoding = Encoding::kAuto;
};

// Turns the code page 932 text (no NUL in it; the transform may consume it)
// into *result; false, with *error set, when it cannot.
using TextTransform = std::function<bool(std::string *text, std::string *result, std::string *error)>;

// Runs the steps and returns the exit status. Failures of the input and of
// the transform are reported with the input's name in front.
int TransformText(const TextFiles &files, const Console &console, const TextTransform &transform);

}  // namespace lumo::cli
