// The shared steps of the text commands. Each input is opened only when its
// turn comes, and running out of memory anywhere is one message.
#include "text_pipeline.h"

#include <new>
#include <string>

#include "byte_streams.h"
#include "compare_sink.h"
#include "encoding_streams.h"
#include "file_io.h"

namespace lumo::cli {
namespace {

struct RunContext {
    const TextFiles &files;
    const Console &console;
    const TextJob &job;
};

std::string InputName(const std::string &input) {
    return input == "-" ? std::string(kStandardInputName) : input;
}

// Streams one input into sink: through a decoding source that decides and
// checks its encoding, and an encoding sink that writes EUC-JP and
// ISO-2022-JP back as they came. source is the input, opened already.
int StreamOne(const RunContext &run, const std::string &input, std::unique_ptr<ByteSource> source,
              ByteSink *sink) {
    EncodingRequest request;
    request.encoding = run.files.encoding;
    request.force = run.files.force_encoding;
    request.input_name = InputName(input);
    TextJob job = run.job;
    job.encoding = PieceEncoding(request);
    job.name = request.input_name;
    job.err = run.console.err;
    if (!NeedsDecodingSource(request)) return StreamText(source.get(), sink, job);
    auto found = std::make_shared<InputEncoding>();
    job.found = found.get();
    std::unique_ptr<ByteSource> decoding = DecodingSource(std::move(source), request, found);
    std::unique_ptr<ByteSink> encoding_sink = EncodingSink(sink, found, request.input_name);
    return StreamText(decoding.get(), encoding_sink.get(), job);
}

int StreamOne(const RunContext &run, const std::string &input, ByteSink *sink) {
    std::string error;
    std::unique_ptr<ByteSource> source = OpenSource(input, run.console.in, &error);
    if (source == nullptr) return Failure(run.console, error);
    return StreamOne(run, input, std::move(source), sink);
}

// Passes writes on but not the commit: a file output is committed once,
// after the last input.
class Uncommitted final : public ByteSink {
public:
    explicit Uncommitted(ByteSink *to) : to_(to) {}
    bool Write(std::string_view data, std::string *error) override {
        const bool ok = to_->Write(data, error);
        broken_pipe = to_->broken_pipe;
        return ok;
    }
    bool Commit(std::string *) override { return true; }

private:
    ByteSink *to_;
};

int Concatenate(const RunContext &run) {
    const std::string &output = run.files.output;
    const bool to_file = !(output.empty() || output == "-");
    std::string error;
    std::unique_ptr<ByteSink> sink =
        to_file ? FileSink(output, FileOutputRules{}, &error) : StreamSink(run.console.out, kStandardOutputName);
    if (sink == nullptr) return Failure(run.console, error);
    int status = kExitOk;
    for (const std::string &input : run.files.inputs) {
        Uncommitted part(sink.get());
        const int one = StreamOne(run, input, to_file ? static_cast<ByteSink *>(&part) : sink.get());
        if (one == kExitBrokenPipe) return one;
        if (one != kExitOk) {
            status = one;
            if (to_file) return status;  // the file is left as it was
        }
    }
    if (to_file && !sink->Commit(&error)) return Failure(run.console, error);
    return status;
}

int InPlace(const RunContext &run) {
    FileOutputRules rules;
    rules.in_place = true;
    rules.split_links = run.files.split_links;
    int status = kExitOk;
    for (const std::string &input : run.files.inputs) {
        std::string error;
        std::unique_ptr<ByteSink> sink = FileSink(input, rules, &error);
        const int one = sink == nullptr ? Failure(run.console, error) : StreamOne(run, input, sink.get());
        if (one != kExitOk) {
            status = kExitFailure;
            std::fprintf(run.console.err, "lumotext: %s was left as it was\n", input.c_str());
        }
    }
    return status;
}

// Standard input is recorded as it is read and compared from the
// recording; a file is opened twice.
int CheckOne(const RunContext &run, const std::string &input, bool *changed) {
    std::string error;
    std::unique_ptr<ByteSource> source = OpenSource(input, run.console.in, &error);
    if (source == nullptr) return Failure(run.console, error);
    std::unique_ptr<ByteSource> original;
    if (input == "-") {
        std::shared_ptr<InputRecording> recording;
        source = RecordingSource(std::move(source), &recording);
        original = ReplaySource(recording);
    } else {
        original = OpenSource(input, run.console.in, &error);
        if (original == nullptr) return Failure(run.console, error);
    }
    CompareSink sink(std::move(original));
    const int status = StreamOne(run, input, std::move(source), &sink);
    if (status != kExitOk) return status;
    if (sink.differs()) {
        std::fprintf(run.console.out, "%s:%zu: would be reformatted\n", InputName(input).c_str(), sink.first_line());
        *changed = true;
    }
    return kExitOk;
}

int Check(const RunContext &run) {
    bool changed = false;
    bool failed = false;
    for (const std::string &input : run.files.inputs) {
        if (CheckOne(run, input, &changed) != kExitOk) failed = true;
    }
    std::fflush(run.console.out);
    return failed ? kExitCheckError : changed ? kExitFailure : kExitOk;
}

}  // namespace

const OptionSpec kOutputOption = {"output", 'o', "FILE",
                                  "write to FILE instead of standard output; a\n"
                                  "regular FILE is replaced only when everything\n"
                                  "succeeded (through a link, the file it names);\n"
                                  "a device or pipe is written into"};
const OptionSpec kInPlaceOption = {"in-place", 'i', nullptr,
                                   "replace each FILE with its result, each only\n"
                                   "when it succeeded; through a link, the file it\n"
                                   "names; permissions, owner and group are kept;\n"
                                   "a FILE with other hard links is refused"};
const OptionSpec kCheckOption = {"check", '\0', nullptr,
                                 "write nothing; list each FILE that would change\n"
                                 "with its first such line; exit 0 if none would,\n"
                                 "1 if some would, 2 if one could not be checked"};
const OptionSpec kForceEncodingOption = {"force-encoding", '\0', nullptr,
                                         "go on with a text that fits no encoding, or not\n"
                                         "the one --encoding names; stray bytes are kept"};
const OptionSpec kSplitLinksOption = {"split-links", '\0', nullptr,
                                      "with --in-place, also rewrite a FILE that has\n"
                                      "other hard links: it becomes a file of its own"};

bool ReadTextFiles(const ParsedCommand &command, TextFiles *files, std::string *error) {
    if (const std::string *value = command.Value("output")) {
        if (value->empty()) {
            *error = "--output: the file name is empty";
            return false;
        }
        files->output = *value;
    }
    const bool in_place = command.Has("in-place");
    const bool check = command.Has("check");
    files->force_encoding = command.Has(kForceEncodingOption.name);
    files->split_links = command.Has(kSplitLinksOption.name);
    if (files->split_links && !in_place) {
        *error = "--split-links goes with --in-place";
        return false;
    }
    if (!command.operands.empty()) files->inputs = command.operands;
    for (const std::string &input : files->inputs) {
        if (input.empty()) {
            *error = "the input file name is empty";
            return false;
        }
    }
    if (in_place && check) {
        *error = "--in-place and --check cannot be combined";
        return false;
    }
    if ((in_place || check) && !files->output.empty()) {
        *error = std::string(in_place ? "--in-place" : "--check") + " and --output cannot be combined";
        return false;
    }
    if (in_place) {
        for (const std::string &input : files->inputs) {
            if (input == "-" || command.operands.empty()) {
                *error = "--in-place works on files: name them (standard input cannot be rewritten)";
                return false;
            }
        }
    }
    if (in_place || check) files->mode = in_place ? OutputMode::kInPlace : OutputMode::kCheck;
    return true;
}

int TransformText(const TextFiles &files, const Console &console, const TextJob &job) {
    const RunContext run{files, console, job};
    try {
        switch (files.mode) {
        case OutputMode::kInPlace: return InPlace(run);
        case OutputMode::kCheck: return Check(run);
        case OutputMode::kConcatenate: break;
        }
        return Concatenate(run);
    } catch (const std::bad_alloc &) {
        Failure(console, "out of memory");
        return files.mode == OutputMode::kCheck ? kExitCheckError : kExitFailure;
    }
}

}  // namespace lumo::cli
