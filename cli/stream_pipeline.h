// Reading, transforming and writing a text in pieces, overlapped: one thread
// reads ahead, workers transform pieces (two at a time on two cores), and
// the calling thread writes the results in input order. At most a few
// pieces are in memory at once, so memory does not grow with the input.
#pragma once

#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "byte_streams.h"
#include "piece_format.h"
#include "piece_reader.h"

namespace lumo::cli {

// Transforms one piece; the encoding is the piece's own. A worker's
// transform is called from that worker's thread only.
using PieceTransform = std::function<bool(const Piece &piece, PieceOutput *out)>;

struct StreamJob {
    PieceReaderSettings reader;
    std::string input_name;  // in front of messages about the input
    std::FILE *warnings = nullptr;  // where the notes on lines without prefix go
};

// Exit status of a stream: kExitOk, kExitFailure (with the message printed
// on err), or kExitBrokenPipe when the reader of the output went away.
constexpr int kExitBrokenPipe = 141;  // what a shell shows for SIGPIPE

// Streams source through the transforms (one worker each; a single one sees
// the pieces in order) into sink, and commits the sink when all went well.
// At most ten lines folded without their prefix are named on job.warnings,
// then their count.
int StreamText(std::unique_ptr<ByteSource> source, ByteSink *sink, const StreamJob &job,
               std::vector<PieceTransform> transforms, std::FILE *err);

}  // namespace lumo::cli
