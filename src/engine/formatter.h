// The streaming formatter: it takes a text in parts of any size, down to
// one byte, and hands each finished logical line on as soon as it is done.
// Decided once, inside: a UTF-8 byte order mark, the header block, line
// ends (CR, LF, CR LF, and a last line without one), a line whose prefix
// fills the fold column, lines too long to hold whole, and a NUL byte, with
// its line and column, as soon as it arrives.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "engine/line_worker.h"
#include "engine/header_block.h"
#include "engine/piece_queue.h"
#include "engine/stream_rules.h"
#include "text/byte_buffer.h"

namespace lumo::engine {

enum class Status { kOk = 0, kNul, kNoColumn, kNoMemory, kSink };

// What stopped a stream, and where: 1-based line and column, 0 when the
// problem is not about a place (a column of 0: the whole line).
struct Problem {
    Status status = Status::kOk;
    uint64_t line = 0;
    uint64_t column = 0;
};

// Where a stream's results go: its bytes, in order, on the stream's own
// thread, and the lines folded without their prefix.
class StreamOutput {
public:
    virtual bool Write(const char *bytes, size_t length) = 0;  // false stops the stream
    virtual void PrefixDropped(uint64_t line) = 0;

protected:
    ~StreamOutput() = default;
};

struct FormatterSetup {
    RulesSetup rules;
    LinePolicy lines;
    bool byte_order_mark = true;  // a UTF-8 text's byte order mark is kept apart from its first line
    unsigned threads = 1;         // 2 or more: pieces of lines are folded on that many workers
};

class Formatter {
public:
    // nullptr when memory ran out.
    static std::unique_ptr<Formatter> Make(const FormatterSetup &setup, StreamOutput *output);
    ~Formatter();
    Formatter(const Formatter &) = delete;
    Formatter &operator=(const Formatter &) = delete;

    // Each returns kOk or the problem that stopped the stream (the same on
    // every later call). Feed takes the next bytes; Flush hands on all that
    // the bytes so far have made; Finish ends the text.
    Status Feed(const char *bytes, size_t length);
    Status Flush();
    Status Finish();

    const Problem &problem() const { return problem_; }
    // The fixed indent column as classification left it.
    uint32_t fixed_indent_column() const { return worker_->indent().fixed_indent_column; }

private:
    enum class Phase { kStart, kHeader, kBody };
    enum class Long { kNone, kWaiting, kFolding };

    Formatter(const FormatterSetup &setup, StreamOutput *output, std::unique_ptr<const StreamRules> rules);
    Status Take(const char *bytes, size_t length);
    Status Start(const char *bytes, size_t length, size_t *mark);
    Status TakeStart();
    Status TakeSettled(size_t settled);
    Status Settled(const char *p, const char *end);
    Status Body(const char *p, const char *end);
    Status FoldInline(const char *p, const char *end);
    Status Release();
    Status Deliver(PieceQueue::Wait wait);
    Status LongLine(bool complete, size_t length, bool own_line_end, uint32_t kind);
    Status EndText();
    Status FailAtNul();
    Status Fail(Status status, uint64_t line = 0, uint64_t column = 0);
    Status FromFold(FoldResult result, uint64_t line);
    Status FlushOut();
    Status HandOn(Status status);

    const FormatterSetup setup_;
    StreamOutput *output_;
    std::unique_ptr<const StreamRules> rules_;
    std::unique_ptr<LineWorker> worker_;
    std::unique_ptr<PieceQueue> queue_;
    std::unique_ptr<Piece> gathered_;  // whole lines fed a few at a time, for the next piece
    ByteBuffer pending_;  // the bytes behind the last whole line
    ByteBuffer out_;      // folded, not yet handed on
    ByteBuffer held_;     // a long line folded so far, until its line end shows
    HeaderBlock header_;
    Phase phase_ = Phase::kStart;
    Long long_ = Long::kNone;
    uint32_t kind_ = NEWLINE_NONE;  // the line end in force in the body
    uint64_t lines_ = 0;            // line ends handed on
    uint64_t long_chars_ = 0;       // characters of a long line folded so far
    bool finished_ = false;
    Problem problem_;
};

}  // namespace lumo::engine
