// The shared steps of the text commands. The converter is opened only for
// UTF-8, so Shift-JIS text can be handled even where the system lacks a code
// page 932 table; each large buffer is released as soon as it is used up.
#include "text_pipeline.h"

#include <memory>
#include <new>
#include <string>

#include "file_io.h"

namespace lumo::cli {
namespace {

int Steps(const TextFiles &files, const Console &console, const TextTransform &transform) {
    const std::string name = files.input == "-" ? std::string(kStandardInputName) : files.input;
    std::string error;
    std::string input;
    if (!ReadWholeFile(files.input, console.in, &input, &error)) return Failure(console, error);

    Encoding encoding = files.encoding;
    if (encoding == Encoding::kAuto) {
        encoding = FindInvalidUtf8(input) == std::string::npos ? Encoding::kUtf8 : Encoding::kShiftJis;
    }
    std::unique_ptr<Cp932Codec> codec;
    if (encoding == Encoding::kUtf8) {
        codec = Cp932Codec::Open(&error);
        if (codec == nullptr) return Failure(console, error);
    }
    DecodedText decoded;
    if (!DecodeInput(input, encoding, codec.get(), &decoded, &error)) {
        return Failure(console, name + ": " + error);
    }
    input.clear();
    input.shrink_to_fit();

    std::string transformed;
    if (!transform(&decoded.cp932, &transformed, &error)) return Failure(console, name + ": " + error);
    decoded.cp932.clear();
    decoded.cp932.shrink_to_fit();

    std::string encoded;
    const std::string *result = &transformed;
    if (decoded.encoding == Encoding::kUtf8) {
        if (!EncodeOutput(transformed, decoded, codec.get(), &encoded, &error)) {
            return Failure(console, name + ": " + error);
        }
        result = &encoded;
    }

    const bool to_stdout = files.output.empty() || files.output == "-";
    const bool written = to_stdout ? WriteToStream(console.out, *result, kStandardOutputName, &error)
                                   : ReplaceFileContents(files.output, *result, &error);
    return written ? kExitOk : Failure(console, error);
}

}  // namespace

int TransformText(const TextFiles &files, const Console &console, const TextTransform &transform) {
    try {
        return Steps(files, console, transform);
    } catch (const std::bad_alloc &) {
        return Failure(console, "out of memory");
    }
}

}  // namespace lumo::cli
