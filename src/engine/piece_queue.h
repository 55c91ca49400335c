// Folding a stream's lines on more than one thread: runs of whole lines
// (pieces) are copied into a queue, folded by workers each with a line
// worker of its own, and handed back in input order on the stream's own
// thread, so that the output is what one thread gives.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>

#include "engine/line_worker.h"
#include "engine/stream_rules.h"
#include "text/byte_buffer.h"

namespace lumo::engine {

// One piece: its lines, and what folding them gave.
struct Piece {
    ByteBuffer text;
    uint32_t kind_before = NEWLINE_NONE;  // the line end in force before it
    ByteBuffer out;
    LineNotes notes;
    FoldResult result = FoldResult::kDone;
};

class PieceQueue {
public:
    // A queue with its workers; nullptr when this build or the system
    // cannot start threads, or memory ran out.
    static std::unique_ptr<PieceQueue> Make(const StreamRules &rules, const LinePolicy &policy, unsigned workers);
    ~PieceQueue();

    // Queues a copy of the whole lines [p, end). False when memory ran out.
    // Drain before, while the queue is full.
    bool Submit(const char *p, const char *end, uint32_t kind_before);
    bool full() const;

    // Hands finished pieces to take in input order: those finished now, and
    // first waiting for the oldest one (kOne) or for all (kAll). take may not
    // keep the piece.
    enum class Wait { kNone, kOne, kAll };
    void Drain(Wait wait, const std::function<void(Piece &)> &take);

    struct State;

private:
    explicit PieceQueue(std::unique_ptr<State> state);
    std::unique_ptr<State> state_;
};

}  // namespace lumo::engine
