// The sink of --check: instead of writing, it compares what would be written
// with the input as it is, and remembers the first line that would change.
// A file is read a second time beside the output; standard input, which
// cannot be, is recorded as the tool reads it and compared from there.
#pragma once

#include <memory>
#include <string>

#include "byte_streams.h"

namespace lumo::cli {

class CompareSink final : public ByteSink {
public:
    // original: the input again, read only as far as it has bytes waiting
    // (MoreWaiting) until Commit, so that a recording never waits for the
    // reader that fills it.
    explicit CompareSink(std::unique_ptr<ByteSource> original) : original_(std::move(original)) {}

    bool Write(std::string_view data, std::string *error) override;
    // Compares the rest, and looks for bytes of the input beyond the end of
    // the output.
    bool Commit(std::string *error) override;

    bool differs() const { return differs_; }
    // The 1-based line of the input where the first difference is.
    size_t first_line() const { return line_; }

private:
    bool Compare(bool all, std::string *error);
    void Count(std::string_view same);
    void Differs();

    std::unique_ptr<ByteSource> original_;
    std::string pending_;  // output not compared yet
    std::string buffer_;
    bool differs_ = false;
    size_t line_ = 1;
    bool after_cr_ = false;
};

class InputRecording;

// A source that keeps what passes through it for a replay, and the replay:
// it has the bytes read so far, less those it handed out, and ends where the
// input ended. When the replay goes, recording stops.
std::unique_ptr<ByteSource> RecordingSource(std::unique_ptr<ByteSource> source,
                                            std::shared_ptr<InputRecording> *recording);
std::unique_ptr<ByteSource> ReplaySource(std::shared_ptr<InputRecording> recording);

}  // namespace lumo::cli
