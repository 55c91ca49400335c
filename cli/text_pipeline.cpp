// The shared steps of the text commands. Each input is opened only when its
// turn comes, and running out of memory anywhere is one message.
#include "text_pipeline.h"

#include <new>
#include <string>

#include "byte_streams.h"
#include "compare_sink.h"
#include "file_io.h"

namespace lumo::cli {
namespace {

struct RunContext {
    const TextFiles &files;
    const Console &console;
    const TextJob &job;
};

int StreamOne(const RunContext &run, const std::string &input, ByteSink *sink) {
    std::string error;
    std::unique_ptr<ByteSource> source = OpenSource(input, run.console.in, &error);
    if (source == nullptr) return Failure(run.console, error);
    TextJob job = run.job;
    job.encoding = run.files.encoding;
    job.name = input == "-" ? std::string(kStandardInputName) : input;
    job.err = run.console.err;
    return StreamText(source.get(), sink, job);
}

int Concatenate(const RunContext &run) {
    const std::string &output = run.files.output;
    std::string error;
    std::unique_ptr<ByteSink> sink = output.empty() || output == "-"
                                         ? StreamSink(run.console.out, kStandardOutputName)
                                         : ReplacingFileSink(output, &error);
    if (sink == nullptr) return Failure(run.console, error);
    const bool to_file = !(output.empty() || output == "-");
    int status = kExitOk;
    for (const std::string &input : run.files.inputs) {
        // A file output is committed once, after the last input.
        struct Uncommitted final : ByteSink {
            explicit Uncommitted(ByteSink *to) : to_(to) {}
            bool Write(std::string_view data, std::string *e) override {
                const bool ok = to_->Write(data, e);
                broken_pipe = to_->broken_pipe;
                return ok;
            }
            bool Commit(std::string *) override { return true; }
            ByteSink *to_;
        } part(sink.get());
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
    int status = kExitOk;
    for (const std::string &input : run.files.inputs) {
        std::string error;
        std::unique_ptr<ByteSink> sink = ReplacingFileSink(input, &error);
        const int one = sink == nullptr ? Failure(run.console, error) : StreamOne(run, input, sink.get());
        if (one != kExitOk) {
            status = kExitFailure;
            std::fprintf(run.console.err, "lumotext: %s was left as it was\n", input.c_str());
        }
    }
    return status;
}

int Check(const RunContext &run) {
    int status = kExitOk;
    for (const std::string &input : run.files.inputs) {
        std::string error;
        std::unique_ptr<ByteSource> original = OpenSource(input, run.console.in, &error);
        if (original == nullptr) {
            status = Failure(run.console, error);
            continue;
        }
        CompareSink sink(std::move(original));
        const int one = StreamOne(run, input, &sink);
        if (one != kExitOk) {
            status = kExitFailure;
        } else if (sink.differs()) {
            std::fprintf(run.console.out, "%s:%zu: would be reformatted\n", input.c_str(), sink.first_line());
            status = kExitFailure;
        }
    }
    std::fflush(run.console.out);
    return status;
}

}  // namespace

const OptionSpec kOutputOption = {"output", 'o', "FILE",
                                  "write to FILE instead of standard output; FILE is\n"
                                  "replaced only when everything succeeded"};
const OptionSpec kInPlaceOption = {"in-place", 'i', nullptr,
                                   "replace each FILE with its result, each only\n"
                                   "when it succeeded; permissions are kept"};
const OptionSpec kCheckOption = {"check", '\0', nullptr,
                                 "write nothing; list each FILE that would change\n"
                                 "with its first such line, and exit 1 if any"};

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
    if (in_place || check) {
        for (const std::string &input : files->inputs) {
            if (input == "-" || command.operands.empty()) {
                *error = std::string(in_place ? "--in-place" : "--check") +
                         " works on files: name them (standard input cannot be rewritten or read twice)";
                return false;
            }
        }
        files->mode = in_place ? OutputMode::kInPlace : OutputMode::kCheck;
    }
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
        return Failure(console, "out of memory");
    }
}

}  // namespace lumo::cli
