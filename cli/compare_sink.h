// The sink of --check: instead of writing, it compares what would be written
// with the file as it is, and remembers the first line that would change.
#pragma once

#include <memory>
#include <string>

#include "byte_streams.h"

namespace lumo::cli {

class CompareSink final : public ByteSink {
public:
    explicit CompareSink(std::unique_ptr<ByteSource> original) : original_(std::move(original)) {}

    bool Write(std::string_view data, std::string *error) override;
    // Also looks for bytes of the file beyond the end of the output.
    bool Commit(std::string *error) override;

    bool differs() const { return differs_; }
    // The 1-based line of the file where the first difference is.
    size_t first_line() const { return line_; }

private:
    void Count(std::string_view same);

    std::unique_ptr<ByteSource> original_;
    std::string buffer_;
    bool differs_ = false;
    size_t line_ = 1;
    bool after_cr_ = false;
};

}  // namespace lumo::cli
