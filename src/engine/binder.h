// The streaming binder: it takes a folded text in parts of any size and
// joins each block of lines that folding made of one logical line back into
// one, handing each on as its lines come. Where a block ends is decided line
// by line (paragraph/block_end.h); with whole, the text is one block, bound
// as the library's BindLines binds it. With threads, runs of lines that
// begin right behind an empty line are bound as pieces on workers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "engine/bind_worker.h"
#include "engine/formatter.h"
#include "engine/header_block.h"
#include "engine/piece_queue.h"
#include "engine/stream_rules.h"
#include "text/byte_buffer.h"

namespace lumo::engine {

struct BinderSetup {
    RulesSetup rules;
    uint32_t fold_column = 0;     // the column the text was folded at; 0 when not known
    bool whole = false;           // the whole text is one block
    bool byte_order_mark = true;  // a UTF-8 text's byte order mark is kept apart from its first line
    bool keep_header = true;      // a header block (the settings') goes on as it is, as formatting left it
    unsigned threads = 1;         // 2 or more: pieces of lines are bound on that many workers
};

class Binder {
public:
    // nullptr when memory ran out.
    static std::unique_ptr<Binder> Make(const BinderSetup &setup, StreamOutput *output);
    ~Binder();
    Binder(const Binder &) = delete;
    Binder &operator=(const Binder &) = delete;

    // As the formatter's: kOk, or the problem that stopped the stream.
    Status Feed(const char *bytes, size_t length);
    Status Flush();
    Status Finish();

    const Problem &problem() const { return problem_; }

private:
    Binder(const BinderSetup &setup, StreamOutput *output, std::unique_ptr<const StreamRules> rules);
    Status Take(const char *bytes, size_t length);
    Status Start();
    Status Lines(const char *p, const char *end);
    Status Body(const char *p, const char *end);
    Status Inline(const char *p, const char *end, bool stop_at_start, const char **stopped);
    Status Hold(const char *p, const char *end);
    Status Deliver(PieceQueue::Wait wait);
    Status Drain();
    Status BindWhole();
    Status EndHeader();
    Status FailAtNul();
    Status Fail(Status status, uint64_t line = 0, uint64_t column = 0);
    Status FlushOut();

    const BinderSetup setup_;
    StreamOutput *output_;
    std::unique_ptr<const StreamRules> rules_;
    std::unique_ptr<BindWorker> worker_;  // the lines bound on this thread
    std::unique_ptr<PieceQueue> queue_;   // with threads
    std::unique_ptr<Piece> held_;         // lines from where a block surely begins, not yet a piece
    bool inline_ = false;     // the worker here is inside the lines between two such places
    bool few_ = false;        // the last part fed was short: its lines are bound here at once
    ByteBuffer pending_;  // the bytes behind the last whole line (with whole: the text)
    ByteBuffer out_;
    HeaderBlock header_;
    bool in_header_ = false;  // they may
    bool started_ = false;    // the byte order mark is decided
    bool finished_ = false;
    uint64_t lines_ = 0;
    Problem problem_;
};

}  // namespace lumo::engine
