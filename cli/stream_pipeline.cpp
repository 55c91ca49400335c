// The streaming pipeline. The reader owns a share of the state, so that when
// the output fails while it waits on a terminal it can be left behind: the
// command ends without waiting for a read that may never return.
#include "stream_pipeline.h"

#include <deque>
#include <system_error>

#include "command_line.h"
#include "file_io.h"

// mingw-w64's win32 thread model (GCC before 13) has no std::thread; there
// the pieces are read, transformed and written one after the other.
#if defined(__GLIBCXX__) && !defined(_GLIBCXX_HAS_GTHREADS)
#define LUMOTEXT_STREAM_THREADS 0
#else
#define LUMOTEXT_STREAM_THREADS 1
#include <condition_variable>
#include <mutex>
#include <thread>
#endif

namespace lumo::cli {
namespace {

constexpr size_t kWarningsShown = 10;

struct Work {
    Piece piece;
    PieceOutput output;
    bool ok = false;
    bool done = false;
    bool taken = false;  // by a worker
    // The piece before, while this one waits for what it carries on.
    std::shared_ptr<Work> previous;
};

#if LUMOTEXT_STREAM_THREADS
// Whether a worker may take work now: a piece that continues the one before
// it waits until that one is done, and gets what it carried on.
bool Ready(const Work &work) { return !work.taken && (!work.piece.continues || work.previous->done); }

void HandOn(Work *work) {
    if (work->piece.continues) work->piece.carried = work->previous->output.carry;
    work->previous.reset();
}
#endif

// What the threads share; the reader's own copy of the pointer keeps it
// alive after the command has returned.
struct Shared {
    Shared(std::unique_ptr<ByteSource> from, const PieceReaderSettings &settings)
        : source(std::move(from)), reader(source.get(), settings) {}

    std::unique_ptr<ByteSource> source;
    PieceReader reader;
#if LUMOTEXT_STREAM_THREADS
    std::mutex mutex;
    std::condition_variable changed;
#endif
    std::deque<std::shared_ptr<Work>> queue;  // in input order
    size_t window = 3;                        // pieces read ahead at most
    bool reading_done = false;
    bool stop = false;
    std::string read_error;
};

// Writes the results in order, with the notes about lines; the shared part
// of both the threaded and the one-thread runs.
class Writer {
public:
    Writer(ByteSink *sink, const StreamJob &job, std::FILE *err) : sink_(sink), job_(job), err_(err) {}

    // False once the stream has failed; status() tells how.
    bool Take(Work *work) {
        for (const size_t line : work->output.lines_without_prefix) {
            if (++noted_ > kWarningsShown || job_.warnings == nullptr) continue;
            std::fprintf(job_.warnings,
                         "lumotext: warning: %sline %zu: the continuation prefix fills the fold column; "
                         "folded without it\n",
                         Name().c_str(), line);
        }
        if (!work->ok) return Fail(job_.input_name + ": " + work->output.error);
        std::string error;
        if (!sink_->Write(work->output.bytes, &error)) return sink_->broken_pipe ? Broken() : Fail(error);
        work->output.bytes = std::string();  // a piece after it may still hold the work
        return true;
    }

    int Finish(const std::string &read_error) {
        if (status_ == kExitOk && !read_error.empty()) Fail(read_error);
        std::string error;
        if (status_ == kExitOk && !sink_->Commit(&error)) sink_->broken_pipe ? Broken() : Fail(error);
        if (noted_ > kWarningsShown && job_.warnings != nullptr) {
            std::fprintf(job_.warnings, "lumotext: warning: %s%zu more lines folded without their prefix\n",
                         Name().c_str(), noted_ - kWarningsShown);
        }
        return status_;
    }

    int status() const { return status_; }

private:
    std::string Name() const {
        return job_.input_name.empty() || job_.input_name == kStandardInputName ? "" : job_.input_name + ": ";
    }
    bool Fail(const std::string &message) {
        status_ = Failure(Console{nullptr, nullptr, err_}, message);
        return false;
    }
    bool Broken() {
        status_ = kExitBrokenPipe;
        return false;
    }

    ByteSink *sink_;
    const StreamJob &job_;
    std::FILE *err_;
    size_t noted_ = 0;
    int status_ = kExitOk;
};

int OneThread(Shared *shared, PieceTransform &transform, Writer *writer) {
    std::shared_ptr<const void> carry;
    for (;;) {
        Work work;
        std::string error;
        if (!shared->reader.Next(&work.piece, &error)) return writer->Finish(error);
        if (work.piece.continues) work.piece.carried = carry;
        work.ok = transform(work.piece, &work.output);
        carry = work.output.carry;
        if (!writer->Take(&work)) return writer->status();
    }
}

#if LUMOTEXT_STREAM_THREADS
void ReadAhead(std::shared_ptr<Shared> shared) {
    std::shared_ptr<Work> previous;
    for (;;) {
        auto work = std::make_shared<Work>();
        std::string error;
        const bool more = shared->reader.Next(&work->piece, &error);
        std::unique_lock<std::mutex> lock(shared->mutex);
        if (!more) {
            shared->reading_done = true;
            shared->read_error = error;
            shared->changed.notify_all();
            return;
        }
        shared->changed.wait(lock, [&] { return shared->stop || shared->queue.size() < shared->window; });
        if (shared->stop) return;
        if (work->piece.continues) work->previous = previous;
        previous = work;
        shared->queue.push_back(std::move(work));
        shared->changed.notify_all();
    }
}

void Transform(Shared *shared, PieceTransform *transform) {
    for (;;) {
        std::shared_ptr<Work> work;
        {
            std::unique_lock<std::mutex> lock(shared->mutex);
            shared->changed.wait(lock, [&] {
                if (shared->stop) return true;
                bool untaken = false;
                for (const auto &queued : shared->queue) {
                    if (Ready(*queued)) return true;
                    untaken = untaken || !queued->taken;
                }
                return shared->reading_done && !untaken;
            });
            if (shared->stop) return;
            for (const auto &queued : shared->queue) {
                if (Ready(*queued)) {
                    work = queued;
                    break;
                }
            }
            if (work == nullptr) return;  // all read and all taken
            work->taken = true;
            HandOn(work.get());
        }
        work->ok = (*transform)(work->piece, &work->output);
        work->piece.bytes = std::string();  // its memory goes at once
        std::lock_guard<std::mutex> lock(shared->mutex);
        work->done = true;
        shared->changed.notify_all();
    }
}

int Threads(const std::shared_ptr<Shared> &shared, std::vector<PieceTransform> &transforms, Writer *writer) {
    std::vector<std::thread> workers;
    std::thread reader;
    const auto halt = [&] {
        {
            std::lock_guard<std::mutex> lock(shared->mutex);
            shared->stop = true;
            shared->changed.notify_all();
        }
        for (std::thread &worker : workers) worker.join();
    };
    try {
        for (PieceTransform &transform : transforms) workers.emplace_back(Transform, shared.get(), &transform);
        reader = std::thread(ReadAhead, shared);
    } catch (const std::system_error &) {
        halt();  // nothing has been read yet
        return OneThread(shared.get(), transforms[0], writer);
    }
    for (;;) {
        std::shared_ptr<Work> work;
        {
            std::unique_lock<std::mutex> lock(shared->mutex);
            shared->changed.wait(lock, [&] {
                return (!shared->queue.empty() && shared->queue.front()->done) ||
                       (shared->queue.empty() && shared->reading_done);
            });
            if (shared->queue.empty()) break;
            work = std::move(shared->queue.front());
            shared->queue.pop_front();
            shared->changed.notify_all();
        }
        if (!writer->Take(work.get())) {
            halt();
            reader.detach();  // it may be waiting on a terminal
            return writer->status();
        }
    }
    halt();
    reader.join();
    return writer->Finish(shared->read_error);
}
#endif

}  // namespace

int StreamText(std::unique_ptr<ByteSource> source, ByteSink *sink, const StreamJob &job,
               std::vector<PieceTransform> transforms, std::FILE *err) {
    auto shared = std::make_shared<Shared>(std::move(source), job.reader);
    shared->window = transforms.size() + 1;
    Writer writer(sink, job, err);
#if LUMOTEXT_STREAM_THREADS
    return Threads(shared, transforms, &writer);
#else
    return OneThread(shared.get(), transforms[0], &writer);
#endif
}

}  // namespace lumo::cli
