// The workers take the oldest piece nobody has taken yet; the stream's
// thread takes finished pieces off the front. A worker that cannot work on
// a piece (no memory) marks it failed instead of throwing: nothing may
// leave a thread as an exception.
#include "engine/piece_queue.h"

#include <deque>
#include <new>
#include <vector>

// mingw-w64's win32 thread model (GCC before 13) has no std::thread; there
// streams fold on their own thread.
#if defined(__GLIBCXX__) && !defined(_GLIBCXX_HAS_GTHREADS)
#define LUMOTEXT_THREADS 0
#else
#define LUMOTEXT_THREADS 1
#include <condition_variable>
#include <mutex>
#include <system_error>
#include <thread>
#endif

namespace lumo::engine {

#if LUMOTEXT_THREADS

struct PieceQueue::State {

    struct Entry {
        std::unique_ptr<Piece> piece;
        bool taken = false;
        bool done = false;
    };

    std::mutex mutex;
    std::condition_variable changed;
    std::deque<Entry> queue;
    std::vector<std::unique_ptr<Piece>> spares;  // handed back, their buffers kept
    size_t capacity = 3;
    bool stop = false;
    std::vector<std::unique_ptr<PieceWork>> works;  // one for each worker
    std::unique_ptr<PieceWork> helper;              // the stream's thread's, while it waits
    std::vector<std::thread> workers;

    void Work(PieceWork *work) {
        std::unique_lock<std::mutex> lock(mutex);
        for (;;) {
            changed.wait(lock, [&] { return stop || Untaken() != nullptr; });
            if (stop) return;
            Run(work, lock);
        }
    }

    // Works on the oldest piece nobody has taken, the lock let go meanwhile.
    void Run(PieceWork *work, std::unique_lock<std::mutex> &lock) {
        Entry *entry = Untaken();
        entry->taken = true;
        Piece *piece = entry->piece.get();
        lock.unlock();
        try {
            work->Work(*piece);
        } catch (const std::bad_alloc &) {
            piece->result = FoldResult::kNoMemory;
        }
        lock.lock();
        for (Entry &each : queue) {
            if (each.piece.get() == piece) each.done = true;
        }
        changed.notify_all();
    }

    Entry *Untaken() {
        for (Entry &entry : queue) {
            if (!entry.taken) return &entry;
        }
        return nullptr;
    }
};

PieceQueue::PieceQueue(std::unique_ptr<State> state) : state_(std::move(state)) {}

PieceQueue::~PieceQueue() {
    {
        std::lock_guard<std::mutex> lock(state_->mutex);
        state_->stop = true;
        state_->changed.notify_all();
    }
    for (std::thread &worker : state_->workers) worker.join();
}

std::unique_ptr<PieceQueue> PieceQueue::Make(const std::function<std::unique_ptr<PieceWork>()> &make,
                                             unsigned workers, bool helps) {
    std::unique_ptr<State> state(new (std::nothrow) State);
    if (state == nullptr) return nullptr;
    state->capacity = 2 * workers + 1;
    std::unique_ptr<PieceQueue> queue(new (std::nothrow) PieceQueue(std::move(state)));
    if (queue == nullptr) return nullptr;
    State *shared = queue->state_.get();
    try {
        for (unsigned i = 0; i < workers; ++i) shared->works.push_back(make());
        if (helps && (shared->helper = make()) == nullptr) return nullptr;
        for (unsigned i = 0; i < workers; ++i) {
            PieceWork *work = shared->works[i].get();
            if (work == nullptr) return nullptr;
            shared->workers.emplace_back([shared, work] { shared->Work(work); });
        }
    } catch (const std::exception &) {  // no thread (std::system_error) or no memory
        return nullptr;  // the destructor stops the workers that did start
    }
    return queue;
}

std::unique_ptr<Piece> PieceQueue::Spare() {
    {
        std::lock_guard<std::mutex> lock(state_->mutex);
        if (!state_->spares.empty()) {
            std::unique_ptr<Piece> piece = std::move(state_->spares.back());
            state_->spares.pop_back();
            return piece;
        }
    }
    return std::unique_ptr<Piece>(new (std::nothrow) Piece);
}

bool PieceQueue::Submit(const char *p, const char *end, uint32_t kind_before) {
    std::unique_ptr<Piece> piece = Spare();
    if (piece == nullptr || !piece->text.Append(p, static_cast<size_t>(end - p))) return false;
    piece->kind_before = kind_before;
    Submit(std::move(piece));
    return true;
}

void PieceQueue::Submit(std::unique_ptr<Piece> piece) {
    State &s = *state_;
    std::lock_guard<std::mutex> lock(s.mutex);
    s.queue.push_back({std::move(piece), false, false});
    s.changed.notify_all();
}

bool PieceQueue::full() const {
    std::lock_guard<std::mutex> lock(state_->mutex);
    return state_->queue.size() >= state_->capacity;
}

void PieceQueue::Drain(Wait wait, const std::function<void(Piece &)> &take) {
    State &s = *state_;
    for (bool first = true;; first = false) {
        std::unique_ptr<Piece> piece;
        {
            std::unique_lock<std::mutex> lock(s.mutex);
            if (wait == Wait::kAll || (wait == Wait::kOne && first)) {
                // While the oldest piece is not done, this thread works on
                // one that no worker has taken yet, if it helps.
                while (!s.queue.empty() && !s.queue.front().done) {
                    if (s.helper != nullptr && s.Untaken() != nullptr) {
                        s.Run(s.helper.get(), lock);
                    } else {
                        s.changed.wait(lock);
                    }
                }
            }
            if (s.queue.empty() || !s.queue.front().done) return;
            piece = std::move(s.queue.front().piece);
            s.queue.pop_front();
        }
        take(*piece);
        piece->text.Clear();
        piece->out.Clear();
        piece->notes = LineNotes();
        piece->kind_before = NEWLINE_NONE;
        piece->result = FoldResult::kDone;
        std::lock_guard<std::mutex> lock(s.mutex);
        // As many as can be on their way at once, and the one being filled.
        if (s.spares.size() <= s.capacity) s.spares.push_back(std::move(piece));
    }
}

#else  // no threads in this build

struct PieceQueue::State {};
PieceQueue::PieceQueue(std::unique_ptr<State> state) : state_(std::move(state)) {}
PieceQueue::~PieceQueue() = default;
std::unique_ptr<PieceQueue> PieceQueue::Make(const std::function<std::unique_ptr<PieceWork>()> &, unsigned, bool) {
    return nullptr;
}
std::unique_ptr<Piece> PieceQueue::Spare() { return nullptr; }
bool PieceQueue::Submit(const char *, const char *, uint32_t) { return false; }
void PieceQueue::Submit(std::unique_ptr<Piece>) {}
bool PieceQueue::full() const { return false; }
void PieceQueue::Drain(Wait, const std::function<void(Piece &)> &) {}

#endif

}  // namespace lumo::engine
