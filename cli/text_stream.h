// One text through the library's stream: read a block at a time, fed to a
// lumo_stream that formats or binds it, whose output goes to a byte sink.
// The encoding that auto leaves open is the decoding source's, which
// holds back the text from its first byte beyond ASCII until it has decided; the stream's errors come back as messages naming the
// input, the line and the column.
#pragma once

#include <cstdio>
#include <string>

#include "byte_streams.h"
#include "encoding.h"
#include "lumo.h"

namespace lumo::cli {

class InputEncoding;

struct TextJob {
    lumo_mode mode = LUMO_FORMAT;
    lumo_options options{};            // the encoding is set per input from encoding
    Encoding encoding = Encoding::kAuto;  // what the source's bytes are in: auto, UTF-8 or Shift-JIS
    InputEncoding *found = nullptr;  // with auto: the decoding source's decision
    std::string name;                  // the input in messages
    std::FILE *err = nullptr;          // messages and warnings
};

// Exit status of a stream: kExitOk, kExitFailure (with the message printed
// on job.err), or kExitBrokenPipe when the reader of the output went away.
constexpr int kExitBrokenPipe = 141;  // what a shell shows for SIGPIPE

// The size of the blocks that a text is read in.
constexpr size_t kReadBytes = size_t{512} << 10;

int StreamText(ByteSource *source, ByteSink *sink, const TextJob &job);

}  // namespace lumo::cli
