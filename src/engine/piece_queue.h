// Working on a stream's lines on more than one thread: runs of whole lines
// (pieces) are copied into a queue, folded or bound by workers each with
// state of its own, and handed back in input order on the stream's own
// thread, so that the output is what one thread gives.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>

#include "engine/line_worker.h"
#include "text/byte_buffer.h"

namespace lumo::engine {

// One piece: its lines, and what working on them gave (the lines passed,
// kNoMemory when memory ran out).
struct Piece {
    ByteBuffer text;
    uint32_t kind_before = NEWLINE_NONE;  // the line end in force before it
    ByteBuffer out;
    LineNotes notes;
    FoldResult result = FoldResult::kDone;
};

// What one worker does to a piece, with state of its own. Running out of
// memory may throw std::bad_alloc: the piece is then marked kNoMemory.
class PieceWork {
public:
    virtual ~PieceWork() = default;
    virtual void Work(Piece &piece) = 0;
};

class PieceQueue {
public:
    // A queue with workers, each with the work that make gives (called here,
    // once for each); nullptr when this build or the system cannot start
    // threads, or memory ran out. With helps, the stream's thread has work
    // of its own too, and works on pieces while it waits for one.
    static std::unique_ptr<PieceQueue> Make(const std::function<std::unique_ptr<PieceWork>()> &make,
                                            unsigned workers, bool helps = false);
    ~PieceQueue();

    // An empty piece to fill, one handed back before if there is one: the
    // pieces' buffers are reused, so that a long text costs no memory from
    // the system piece by piece; nullptr when memory ran out.
    std::unique_ptr<Piece> Spare();

    // Queues a copy of the whole lines [p, end), or a piece filled already.
    // False when memory ran out. Drain before, while the queue is full.
    bool Submit(const char *p, const char *end, uint32_t kind_before);
    void Submit(std::unique_ptr<Piece> piece);
    bool full() const;

    // Hands finished pieces to take in input order: those finished now, and
    // first waiting for the oldest one (kOne) or for all (kAll). take may not
    // keep the piece: it is kept for Spare.
    enum class Wait { kNone, kOne, kAll };
    void Drain(Wait wait, const std::function<void(Piece &)> &take);

    struct State;

private:
    explicit PieceQueue(std::unique_ptr<State> state);
    std::unique_ptr<State> state_;
};

}  // namespace lumo::engine
