// Comparing a stream with a file a block at a time: the file is read beside
// the output, so --check holds no more of either than one piece.
#include "compare_sink.h"

namespace lumo::cli {

// Lines as the formatter counts them; a CR LF cut between two blocks is one.
void CompareSink::Count(std::string_view same) {
    for (const char c : same) {
        if (c == '\n' && after_cr_) {
            after_cr_ = false;
            continue;
        }
        if (c == '\n' || c == '\r') ++line_;
        after_cr_ = c == '\r';
    }
}

bool CompareSink::Write(std::string_view data, std::string *error) {
    while (!differs_ && !data.empty()) {
        buffer_.resize(data.size());
        const long long got = original_->Read(buffer_.data(), data.size(), error);
        if (got < 0) return false;
        if (got == 0) {
            differs_ = true;  // the output is longer
            return true;
        }
        const auto length = static_cast<size_t>(got);
        size_t same = 0;
        while (same < length && buffer_[same] == data[same]) ++same;
        Count(std::string_view(buffer_.data(), same));
        if (same < length) {
            // A difference in the second byte of a CR LF belongs to its line.
            if (after_cr_ && buffer_[same] == '\n') --line_;
            differs_ = true;
            return true;
        }
        data.remove_prefix(length);
    }
    return true;
}

bool CompareSink::Commit(std::string *error) {
    if (differs_) return true;
    char one = 0;
    const long long got = original_->Read(&one, 1, error);
    if (got < 0) return false;
    if (got > 0) differs_ = true;  // the file is longer
    return true;
}

}  // namespace lumo::cli
