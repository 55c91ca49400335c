// The steps that every text command shares: open the input and the output,
// then stream the text through the command's piece transforms. An output
// file is replaced only when every piece succeeded; standard output gets
// each piece as soon as it and those before it are done.
#pragma once

#include <string>
#include <vector>

#include "command_line.h"
#include "encoding.h"
#include "stream_pipeline.h"

namespace lumo::cli {

struct TextFiles {
    std::string input = "-";  // "-": standard input
    std::string output;       // empty or "-": standard output
    Encoding encoding = Encoding::kAuto;
};

// The size of the pieces that a text is read in.
constexpr size_t kPieceBytes = size_t{1} << 20;

// Runs the steps and returns the exit status (kExitBrokenPipe, quietly, when
// standard output is a pipe that was closed). header is the header block
// that the first piece must hold whole.
int TransformText(const TextFiles &files, const Console &console, const HeaderSettings &header,
                  std::vector<PieceTransform> transforms);

}  // namespace lumo::cli
