// Comparing a stream with the input a block at a time, so that --check holds
// no more of either than the pieces in flight. The recording of standard
// input is shared by the reader's thread, which appends, and the writer's,
// which takes from its front.
#include "compare_sink.h"

#include <algorithm>

// mingw-w64's win32 thread model (GCC before 13) has no std::mutex; there
// the pipeline runs on one thread, and the recording needs no lock.
#if defined(__GLIBCXX__) && !defined(_GLIBCXX_HAS_GTHREADS)
#define LUMOTEXT_RECORDING_LOCK 0
#else
#define LUMOTEXT_RECORDING_LOCK 1
#include <mutex>
#endif

namespace lumo::cli {
namespace {

#if LUMOTEXT_RECORDING_LOCK
using Mutex = std::mutex;
#else
struct Mutex {
    void lock() {}
    void unlock() {}
};
#endif

// Holds a mutex for a scope.
class Hold {
public:
    explicit Hold(Mutex &mutex) : mutex_(mutex) { mutex_.lock(); }
    ~Hold() { mutex_.unlock(); }
    Hold(const Hold &) = delete;
    Hold &operator=(const Hold &) = delete;

private:
    Mutex &mutex_;
};

}  // namespace

class InputRecording {
public:
    void Append(const char *data, size_t size) {
        Hold hold(mutex_);
        if (!abandoned_) bytes_.append(data, size);
    }
    void End() {
        Hold hold(mutex_);
        ended_ = true;
    }
    void Abandon() {
        Hold hold(mutex_);
        abandoned_ = true;
        bytes_ = std::string();
    }
    size_t Take(char *data, size_t size) {
        Hold hold(mutex_);
        const size_t n = std::min(size, bytes_.size() - taken_);
        bytes_.copy(data, n, taken_);
        taken_ += n;
        // Compacts once the taken part outweighs the rest.
        if (taken_ > (size_t{1} << 20) && taken_ * 2 > bytes_.size()) {
            bytes_.erase(0, taken_);
            taken_ = 0;
        }
        return n;
    }
    bool Waiting() {
        Hold hold(mutex_);
        return ended_ || taken_ < bytes_.size();
    }

private:
    Mutex mutex_;
    std::string bytes_;
    size_t taken_ = 0;
    bool ended_ = false;
    bool abandoned_ = false;
};

namespace {

class Recorder final : public ByteSource {
public:
    Recorder(std::unique_ptr<ByteSource> source, std::shared_ptr<InputRecording> recording)
        : source_(std::move(source)), recording_(std::move(recording)) {}
    long long Read(char *data, size_t size, std::string *error) override {
        const long long got = source_->Read(data, size, error);
        if (got > 0) recording_->Append(data, static_cast<size_t>(got));
        if (got == 0) recording_->End();
        return got;
    }
    bool MoreWaiting() override { return source_->MoreWaiting(); }

private:
    std::unique_ptr<ByteSource> source_;
    std::shared_ptr<InputRecording> recording_;
};

class Replay final : public ByteSource {
public:
    explicit Replay(std::shared_ptr<InputRecording> recording) : recording_(std::move(recording)) {}
    ~Replay() override { recording_->Abandon(); }
    // Only called when MoreWaiting: the bytes there are, or 0 at the end.
    long long Read(char *data, size_t size, std::string *) override {
        return static_cast<long long>(recording_->Take(data, size));
    }
    bool MoreWaiting() override { return recording_->Waiting(); }

private:
    std::shared_ptr<InputRecording> recording_;
};

}  // namespace

std::unique_ptr<ByteSource> RecordingSource(std::unique_ptr<ByteSource> source,
                                            std::shared_ptr<InputRecording> *recording) {
    *recording = std::make_shared<InputRecording>();
    return std::make_unique<Recorder>(std::move(source), *recording);
}

std::unique_ptr<ByteSource> ReplaySource(std::shared_ptr<InputRecording> recording) {
    return std::make_unique<Replay>(std::move(recording));
}

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

// Nothing more needs comparing; a recording stops growing.
void CompareSink::Differs() {
    differs_ = true;
    pending_ = std::string();
    original_.reset();
}

bool CompareSink::Compare(bool all, std::string *error) {
    size_t done = 0;
    while (!differs_ && done < pending_.size() && (all || original_->MoreWaiting())) {
        const size_t want = pending_.size() - done;
        buffer_.resize(want);
        const long long got = original_->Read(buffer_.data(), want, error);
        if (got < 0) return false;
        if (got == 0) {
            Differs();  // the output is longer
            return true;
        }
        const auto length = static_cast<size_t>(got);
        size_t same = 0;
        while (same < length && buffer_[same] == pending_[done + same]) ++same;
        Count(std::string_view(buffer_.data(), same));
        if (same < length) {
            // A difference in the second byte of a CR LF belongs to its line.
            if (after_cr_ && buffer_[same] == '\n') --line_;
            Differs();
            return true;
        }
        done += length;
    }
    if (!differs_) pending_.erase(0, done);
    return true;
}

bool CompareSink::Write(std::string_view data, std::string *error) {
    if (differs_) return true;
    pending_.append(data);
    return Compare(false, error);
}

bool CompareSink::Commit(std::string *error) {
    if (!Compare(true, error)) return false;
    if (differs_) return true;
    char one = 0;
    const long long got = original_->Read(&one, 1, error);
    if (got < 0) return false;
    if (got > 0) Differs();  // the input is longer
    return true;
}

}  // namespace lumo::cli
