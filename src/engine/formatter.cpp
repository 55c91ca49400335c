// The streaming formatter. Bytes wait in one pending buffer only as long
// as they are not whole lines: whole lines are folded at once (on the
// stream's thread, or as pieces on workers), the lines that may still be a
// header block are held until it is decided, and a line longer than
// kLongLine is folded window by window, its output held until its line end
// shows, which its segments are joined with.
#include "engine/formatter.h"

#include <cstring>
#include <new>

#include "engine/byte_order_mark.h"
#include "text/line_ends.h"

namespace lumo::engine {
namespace {

constexpr size_t kLongLine = size_t{1} << 20;      // longer lines are folded window by window
constexpr size_t kPieceBytes = size_t{256} << 10;  // the lines one worker takes at a time
constexpr size_t kThreadedBytes = size_t{64} << 10;  // fewer bytes of lines are folded here at once
constexpr size_t kOutBytes = size_t{64} << 10;     // folded bytes are handed on once this many wait
constexpr size_t kInlineBytes = size_t{32} << 10;  // lines folded here between two looks at the output

// A worker's folding of a piece.
class FoldWork final : public PieceWork {
public:
    FoldWork(const StreamRules &rules, const LinePolicy &policy) : worker_(rules, policy) {}
    void Work(Piece &piece) override {
        uint32_t kind = piece.kind_before;
        piece.result = worker_.FoldLines(piece.text.data(), piece.text.data() + piece.text.size(), &kind, &piece.out,
                                         &piece.notes);
    }

private:
    LineWorker worker_;
};

// The line end of the last line of [p, end), which ends behind one.
uint32_t LastKind(const char *p, const char *end) {
    if (end[-1] == '\r') return NEWLINE_CR;
    return end - p >= 2 && end[-2] == '\r' ? NEWLINE_CRLF : NEWLINE_LF;
}

}  // namespace

Formatter::Formatter(const FormatterSetup &setup, StreamOutput *output, std::unique_ptr<const StreamRules> rules)
    : setup_(setup), output_(output), rules_(std::move(rules)) {}

Formatter::~Formatter() = default;

std::unique_ptr<Formatter> Formatter::Make(const FormatterSetup &setup, StreamOutput *output) {
    std::unique_ptr<const StreamRules> rules = StreamRules::Make(setup.rules);
    if (rules == nullptr) return nullptr;
    std::unique_ptr<Formatter> formatter(new (std::nothrow) Formatter(setup, output, std::move(rules)));
    if (formatter == nullptr) return nullptr;
    formatter->worker_.reset(new (std::nothrow) LineWorker(*formatter->rules_, setup.lines));
    if (formatter->worker_ == nullptr) return nullptr;
    // Room for the output of many lines at once, so that a text of many
    // lines takes no more allocations than one of a few.
    if (!formatter->out_.Reserve(2 * kOutBytes)) return nullptr;
    if (setup.threads > 1) {
        const StreamRules &own = *formatter->rules_;
        formatter->queue_ = PieceQueue::Make(
            [&] { return std::unique_ptr<PieceWork>(new FoldWork(own, setup.lines)); }, setup.threads);
    }
    return formatter;
}

Status Formatter::Fail(Status status, uint64_t line, uint64_t column) {
    if (problem_.status == Status::kOk) problem_ = Problem{status, line, column};
    return problem_.status;
}

Status Formatter::FromFold(FoldResult result, uint64_t line) {
    switch (result) {
    case FoldResult::kNoColumn: return Fail(Status::kNoColumn, line);
    case FoldResult::kNoMemory: return Fail(Status::kNoMemory);
    default: return Status::kOk;
    }
}

Status Formatter::FlushOut() {
    if (out_.empty()) return Status::kOk;
    const bool written = output_->Write(out_.data(), out_.size());
    out_.Clear();
    return written ? Status::kOk : Fail(Status::kSink);
}

Status Formatter::Feed(const char *bytes, size_t length) {
    if (problem_.status != Status::kOk || finished_) return problem_.status;
    const auto *nul = static_cast<const char *>(std::memchr(bytes, '\0', length));
    Status status = Take(bytes, nul != nullptr ? static_cast<size_t>(nul - bytes) : length);
    if (status == Status::kOk && nul != nullptr) status = FailAtNul();
    if (status == Status::kOk) status = Deliver(PieceQueue::Wait::kNone);
    return HandOn(status);
}

Status Formatter::Flush() {
    if (problem_.status != Status::kOk) return problem_.status;
    return HandOn(Deliver(PieceQueue::Wait::kAll));
}

Status Formatter::Finish() {
    if (problem_.status != Status::kOk || finished_) return problem_.status;
    Status status = EndText();
    if (status == Status::kOk) status = Deliver(PieceQueue::Wait::kAll);
    finished_ = true;
    return HandOn(status);
}

// The whole lines folded so far go on, also those in front of a failure.
Status Formatter::HandOn(Status status) {
    if (status == Status::kSink) return status;
    const Status flushed = FlushOut();
    return status != Status::kOk ? status : flushed;
}

Status Formatter::Take(const char *bytes, size_t length) {
    if (length == 0) return Status::kOk;
    if (phase_ == Phase::kStart && pending_.empty()) {
        // The text's first bytes are read where they lie when they decide
        // the byte order mark: a text given whole is not copied.
        size_t mark = 0;
        const Status started = Start(bytes, length, &mark);
        if (started != Status::kOk) return started;
        if (phase_ != Phase::kStart) {
            bytes += mark;
            length -= mark;
            if (phase_ == Phase::kHeader) {
                const size_t settled = SettledEnd(bytes, length, false);
                const Status status = Settled(bytes, bytes + settled);
                if (status != Status::kOk) return status;
                if (!pending_.Append(bytes + settled, length - settled)) return Fail(Status::kNoMemory);
                return phase_ == Phase::kBody && pending_.size() >= kLongLine ? LongLine(false, 0, false, NEWLINE_NONE)
                                                                                : Status::kOk;
            }
            if (length == 0) return Status::kOk;
        }
    }
    if (phase_ == Phase::kBody && long_ == Long::kNone && !pending_.empty()) {
        // The line held ends in the new bytes (or at the CR it ends with):
        // it is completed from them, and the lines behind it are read where
        // they are, not copied behind it.
        const char *end = bytes + length;
        const bool after_cr = pending_.data()[pending_.size() - 1] == '\r';
        const char *stop = after_cr ? bytes : FindLineEnd(bytes, end);
        const bool open = stop == end || (!after_cr && *stop == '\r' && stop + 1 == end);  // an LF may join the CR
        if (!open && pending_.size() + static_cast<size_t>(stop - bytes) < kLongLine) {
            uint32_t kind = NEWLINE_NONE;
            const char *next = after_cr ? (*bytes == '\n' ? bytes + 1 : bytes) : PassLineEnd(stop, end, &kind);
            if (!pending_.Append(bytes, static_cast<size_t>(next - bytes))) return Fail(Status::kNoMemory);
            const Status status = TakeSettled(pending_.size());
            if (status != Status::kOk) return status;
            bytes = next;
            length = static_cast<size_t>(end - next);
            if (length == 0) return Status::kOk;
        }
    }
    if (phase_ == Phase::kBody && long_ == Long::kNone && pending_.empty()) {
        // Whole lines straight from the caller's bytes; the rest waits.
        const size_t settled = SettledEnd(bytes, length, false);
        const Status status = Body(bytes, bytes + settled);
        if (status != Status::kOk) return status;
        if (!pending_.Append(bytes + settled, length - settled)) return Fail(Status::kNoMemory);
        return pending_.size() >= kLongLine ? LongLine(false, 0, false, NEWLINE_NONE) : Status::kOk;
    }
    const size_t old = pending_.size();
    if (!pending_.Append(bytes, length)) return Fail(Status::kNoMemory);
    if (phase_ == Phase::kStart) return TakeStart();
    // Only the new bytes are searched: the old ones hold no line end but
    // perhaps a CR at their end, which the new ones settle.
    size_t settled = SettledEnd(pending_.data() + old, length, false);
    if (settled > 0) {
        settled += old;
    } else if (old > 0 && pending_.data()[old - 1] == '\r') {
        settled = old;
    }
    const Status status = TakeSettled(settled);
    if (status != Status::kOk) return status;
    // A long line under way is folded as its bytes come.
    if (phase_ == Phase::kBody && (long_ != Long::kNone || pending_.size() >= kLongLine)) {
        return LongLine(false, 0, false, NEWLINE_NONE);
    }
    return Status::kOk;
}

// The text's first bytes, [bytes, bytes + length): a byte order mark is
// handed on by itself, so that the header block and the first line are read
// from the first character. The phase stays kStart while the bytes may be
// the beginning of a mark; else *mark is the mark's length, or 0.
Status Formatter::Start(const char *bytes, size_t length, size_t *mark) {
    const bool utf8 = rules_->encoding == Encoding::kUtf8 && setup_.byte_order_mark;
    const MarkAt at = utf8 ? ByteOrderMarkAt(bytes, length, finished_) : MarkAt::kNone;
    if (at == MarkAt::kPerhaps) return Status::kOk;  // not yet whole
    if (at == MarkAt::kWhole) {
        if (!out_.Append(kByteOrderMark, kByteOrderMarkBytes)) return Fail(Status::kNoMemory);
        *mark = kByteOrderMarkBytes;
    }
    phase_ = (rules_->records.header.lumoheader & HEADER_NO_FORMAT) ? Phase::kHeader : Phase::kBody;
    return Status::kOk;
}

// The text's first bytes, held in pending.
Status Formatter::TakeStart() {
    size_t mark = 0;
    const Status status = Start(pending_.data(), pending_.size(), &mark);
    if (status != Status::kOk || phase_ == Phase::kStart) return status;
    pending_.Consume(mark);
    return TakeSettled(SettledEnd(pending_.data(), pending_.size(), false));
}

// Takes the whole lines at the start of pending, settled bytes of them.
Status Formatter::TakeSettled(size_t settled) {
    if (settled == 0) return Status::kOk;
    if (long_ != Long::kNone) {
        // The long line ends at the first line end.
        const char *p = pending_.data();
        uint32_t kind = NEWLINE_NONE;
        const char *next = PassLineEnd(FindLineEnd(p, p + settled), p + settled, &kind);
        const auto length = static_cast<size_t>(next - p);
        const Status status = LongLine(true, length, true, kind);
        if (status != Status::kOk) return status;
        settled -= length;
    }
    const Status status = Settled(pending_.data(), pending_.data() + settled);
    pending_.Consume(settled);
    return status;
}

// Whole lines: while a header block may still be running they are held,
// each deciding for itself whether it ends the block; then the body.
Status Formatter::Settled(const char *p, const char *end) {
    while (phase_ == Phase::kHeader && p < end) {
        uint32_t kind = NEWLINE_NONE;
        const char *next = PassLineEnd(FindLineEnd(p, end), end, &kind);
        const HeaderBlock::Took took = header_.Take(p, static_cast<size_t>(next - p), rules_->records.header);
        if (took == HeaderBlock::Took::kNoMemory) return Fail(Status::kNoMemory);
        p = next;
        if (took == HeaderBlock::Took::kEnded) {
            if (!out_.Append(header_.data(), header_.size())) return Fail(Status::kNoMemory);
            lines_ += CountLineEnds(header_.data(), header_.end());
            header_.Free();
            phase_ = Phase::kBody;
        }
    }
    return Body(p, end);
}

// Whole lines go to the workers in pieces, gathered from as many feeds as
// it takes (a pipe gives 64 KiB at a time).
Status Formatter::Body(const char *p, const char *end) {
    if (p == end) return Status::kOk;
    if (queue_ == nullptr) return FoldInline(p, end);
    while (p < end) {
        const size_t held = gathered_ != nullptr ? gathered_->text.size() : 0;
        const char *stop = end;
        if (held + static_cast<size_t>(end - p) > kPieceBytes) {
            uint32_t kind = NEWLINE_NONE;
            stop = PassLineEnd(FindLineEnd(p + (kPieceBytes - held), end), end, &kind);
        }
        if (gathered_ == nullptr) {
            gathered_ = queue_->Spare();
            // Room for a piece at once: grown feed by feed, it would end up
            // half as large again.
            if (gathered_ == nullptr || !gathered_->text.Reserve(kPieceBytes + kThreadedBytes)) {
                return Fail(Status::kNoMemory);
            }
            gathered_->kind_before = kind_;
        }
        if (!gathered_->text.Append(p, static_cast<size_t>(stop - p))) return Fail(Status::kNoMemory);
        kind_ = LastKind(p, stop);
        p = stop;
        if (gathered_->text.size() >= kPieceBytes) {
            const Status status = Release();
            if (status != Status::kOk) return status;
        }
    }
    return Status::kOk;
}

// The lines gathered for a piece go on: to a worker, or, when they are
// few (a flush, the end), folded here behind what the workers did.
Status Formatter::Release() {
    if (gathered_ == nullptr) return Status::kOk;
    std::unique_ptr<Piece> piece = std::move(gathered_);
    if (piece->text.size() < kThreadedBytes) {
        const Status status = Deliver(PieceQueue::Wait::kAll);
        if (status != Status::kOk) return status;
        kind_ = piece->kind_before;
        return FoldInline(piece->text.data(), piece->text.data() + piece->text.size());
    }
    if (queue_->full()) {
        const Status status = Deliver(PieceQueue::Wait::kOne);
        if (status != Status::kOk) return status;
    }
    queue_->Submit(std::move(piece));
    return Status::kOk;
}

Status Formatter::FoldInline(const char *p, const char *end) {
    while (p < end) {
        // A stretch at a time, so that the output is handed on as it grows.
        const char *stop = end;
        if (static_cast<size_t>(end - p) > kInlineBytes) {
            uint32_t kind = NEWLINE_NONE;
            stop = PassLineEnd(FindLineEnd(p + kInlineBytes, end), end, &kind);
        }
        LineNotes notes;
        const FoldResult result = worker_->FoldLines(p, stop, &kind_, &out_, &notes);
        for (const uint64_t line : notes.dropped) output_->PrefixDropped(lines_ + line + 1);
        if (result != FoldResult::kDone) return FromFold(result, lines_ + notes.failed_line + 1);
        lines_ += notes.lines;
        p = stop;
        if (out_.size() >= kOutBytes) {
            const Status status = FlushOut();
            if (status != Status::kOk) return status;
        }
    }
    return Status::kOk;
}

// Finished pieces go behind what is folded here, in input order.
Status Formatter::Deliver(PieceQueue::Wait wait) {
    if (queue_ == nullptr) return Status::kOk;
    if (wait == PieceQueue::Wait::kAll && gathered_ != nullptr) {
        const Status released = Release();
        if (released != Status::kOk) return released;
    }
    Status status = problem_.status;
    queue_->Drain(wait, [&](Piece &piece) {
        if (status != Status::kOk) return;  // after a failure the rest is dropped
        for (const uint64_t line : piece.notes.dropped) output_->PrefixDropped(lines_ + line + 1);
        // A piece's output goes on as it is, behind what waits before it; a
        // piece that failed holds the lines before the one that failed.
        status = FlushOut();
        if (status == Status::kOk && !piece.out.empty() && !output_->Write(piece.out.data(), piece.out.size())) {
            status = Fail(Status::kSink);
        }
        if (status != Status::kOk) return;
        if (piece.result != FoldResult::kDone) {
            status = FromFold(piece.result, lines_ + piece.notes.failed_line + 1);
            return;
        }
        lines_ += piece.notes.lines;
    });
    if (status == Status::kOk && out_.size() >= kOutBytes) status = FlushOut();
    return status;
}

// The long line in pending: folded as far as a window allows, or, with
// complete, its first length bytes to its end; own_line_end and kind tell
// how it ends.
Status Formatter::LongLine(bool complete, size_t length, bool own_line_end, uint32_t kind) {
    Status status = Deliver(PieceQueue::Wait::kAll);
    if (status != Status::kOk) return status;
    const char *p = pending_.Terminated();
    if (p == nullptr) return Fail(Status::kNoMemory);
    const size_t available = complete ? length : pending_.size();
    if (long_ != Long::kFolding) {
        const FoldResult started = worker_->StartLong(p, available);
        if (started == FoldResult::kMore && !complete) {
            long_ = Long::kWaiting;
            return Status::kOk;
        }
        if (started == FoldResult::kMore) {
            // Never classified in parts: the line is at hand whole now.
            long_ = Long::kNone;
            const size_t mark = out_.size();
            const FoldResult result = worker_->FoldWhole(p, length, own_line_end,
                                                         own_line_end ? kind : kind_, &out_);
            if (result != FoldResult::kDone) {
                out_.Resize(mark);
                return FromFold(result, lines_ + 1);
            }
            if (worker_->prefix_dropped()) output_->PrefixDropped(lines_ + 1);
            pending_.Consume(length);
            if (own_line_end) {
                kind_ = kind;
                ++lines_;
            }
            return Status::kOk;
        }
        if (started != FoldResult::kDone) return FromFold(started, lines_ + 1);
        long_ = Long::kFolding;
    }
    if (complete) worker_->EndLong(own_line_end, kind_);
    size_t consumed = 0;
    const FoldResult result = worker_->FoldLong(p, available, complete, &held_, &consumed);
    if (result != FoldResult::kDone && result != FoldResult::kMore) return FromFold(result, lines_ + 1);
    if (!complete) {
        long_chars_ += worker_->Characters(p, consumed, true);
        pending_.Consume(consumed);
        return Status::kOk;
    }
    pending_.Consume(consumed);
    if (worker_->prefix_dropped()) output_->PrefixDropped(lines_ + 1);
    // The segments were joined with NULs: now the line's end is known.
    const char *join = own_line_end ? NewlineBytes(kind) : worker_->JoinBytes(kind_);
    const size_t join_length = std::strlen(join);
    const char *q = held_.data();
    const char *held_end = q + held_.size();
    for (;;) {
        const auto *nul = static_cast<const char *>(std::memchr(q, '\0', static_cast<size_t>(held_end - q)));
        const char *stop = nul != nullptr ? nul : held_end;
        if (!out_.Append(q, static_cast<size_t>(stop - q))) return Fail(Status::kNoMemory);
        if (nul == nullptr) break;
        if (!out_.Append(join, join_length)) return Fail(Status::kNoMemory);
        q = nul + 1;
        if (out_.size() >= kOutBytes && (status = FlushOut()) != Status::kOk) return status;
    }
    held_.Free();
    long_ = Long::kNone;
    long_chars_ = 0;
    if (own_line_end) {
        kind_ = kind;
        ++lines_;
    }
    return Status::kOk;
}

// The text has ended: the bytes still waiting are its last line, which has
// no line end of its own, and a header block that did not end is body.
Status Formatter::EndText() {
    finished_ = true;  // a partial byte order mark is text now
    Status status = Status::kOk;
    if (phase_ == Phase::kStart) status = TakeStart();
    if (status == Status::kOk) status = TakeSettled(SettledEnd(pending_.data(), pending_.size(), true));
    if (status != Status::kOk) return status;
    if (phase_ == Phase::kHeader) {
        // The last line may end the block too, line end or not.
        const HeaderBlock::Took took =
            pending_.empty() ? HeaderBlock::Took::kHeld
                             : header_.TakeLast(pending_.data(), pending_.size(), rules_->records.header);
        if (took == HeaderBlock::Took::kNoMemory) return Fail(Status::kNoMemory);
        if (took == HeaderBlock::Took::kEnded) {
            pending_.Clear();
            return out_.Append(header_.data(), header_.size()) ? Status::kOk : Fail(Status::kNoMemory);
        }
        phase_ = Phase::kBody;
        status = Body(header_.data(), header_.end());
        if (status == Status::kOk) status = Deliver(PieceQueue::Wait::kAll);
        header_.Free();
        if (status != Status::kOk) return status;
    }
    if (pending_.empty()) return Status::kOk;
    if (long_ != Long::kNone) return LongLine(true, pending_.size(), false, NEWLINE_NONE);
    status = Deliver(PieceQueue::Wait::kAll);
    if (status != Status::kOk) return status;
    const char *line = pending_.Terminated();
    if (line == nullptr) return Fail(Status::kNoMemory);
    const size_t mark = out_.size();
    const FoldResult result = worker_->FoldWhole(line, pending_.size(), false, kind_, &out_);
    if (result != FoldResult::kDone) {
        out_.Resize(mark);
        return FromFold(result, lines_ + 1);
    }
    if (worker_->prefix_dropped()) output_->PrefixDropped(lines_ + 1);
    pending_.Clear();
    return Status::kOk;
}

// A NUL byte ends the stream: the whole lines before it are folded and
// handed on, and its place is counted in characters of its line.
Status Formatter::FailAtNul() {
    Status status = Status::kOk;
    if (phase_ == Phase::kStart) {
        finished_ = true;  // what came before the NUL is not a byte order mark that goes on
        status = TakeStart();
        finished_ = false;
    }
    // A CR just before the NUL ends its line.
    if (status == Status::kOk && !pending_.empty() && pending_.data()[pending_.size() - 1] == '\r') {
        status = TakeSettled(pending_.size());
    }
    if (status == Status::kOk) status = Deliver(PieceQueue::Wait::kAll);
    if (status != Status::kOk) return status;
    uint64_t line = lines_ + 1;
    if (phase_ == Phase::kHeader) line += CountLineEnds(header_.data(), header_.end());
    const uint64_t column = long_chars_ + worker_->Characters(pending_.data(), pending_.size(), false) + 1;
    return Fail(Status::kNul, line, column);
}

}  // namespace lumo::engine
