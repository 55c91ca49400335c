// The shared steps of the text commands: the input and output are opened
// before anything is read, and running out of memory anywhere is one message.
#include "text_pipeline.h"

#include <new>
#include <string>

#include "byte_streams.h"
#include "file_io.h"

namespace lumo::cli {
namespace {

int Steps(const TextFiles &files, const Console &console, const HeaderSettings &header,
          std::vector<PieceTransform> transforms) {
    std::string error;
    std::unique_ptr<ByteSource> source = OpenSource(files.input, console.in, &error);
    if (source == nullptr) return Failure(console, error);
    const bool to_stdout = files.output.empty() || files.output == "-";
    std::unique_ptr<ByteSink> sink =
        to_stdout ? StreamSink(console.out, kStandardOutputName) : ReplacingFileSink(files.output, &error);
    if (sink == nullptr) return Failure(console, error);

    StreamJob job;
    job.reader.piece_bytes = kPieceBytes;
    job.reader.encoding = files.encoding;
    job.reader.header = header;
    job.input_name = files.input == "-" ? std::string(kStandardInputName) : files.input;
    job.warnings = console.err;
    return StreamText(std::move(source), sink.get(), job, std::move(transforms), console.err);
}

}  // namespace

int TransformText(const TextFiles &files, const Console &console, const HeaderSettings &header,
                  std::vector<PieceTransform> transforms) {
    try {
        return Steps(files, console, header, std::move(transforms));
    } catch (const std::bad_alloc &) {
        return Failure(console, "out of memory");
    }
}

}  // namespace lumo::cli
