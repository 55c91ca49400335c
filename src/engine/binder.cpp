// The streaming binder. A line is decided on as soon as it is whole (by
// the bind worker here), or, with threads, the lines from a place where a
// block surely begins (the line behind an empty line) are held until they
// make a piece, which a worker binds while the next are read; what the
// workers give goes on in the input's order. Lines bound here and pieces
// take turns at those places only, so each binds as one thread would.
#include "engine/binder.h"

#include <cstring>
#include <new>

#include "engine/byte_order_mark.h"
#include "paragraph/bind.h"
#include "paragraph/bind_utf8.h"
#include "text/line_ends.h"
#include "text/utf8.h"

namespace lumo::engine {
namespace {

constexpr size_t kOutBytes = size_t{256} << 10;
constexpr size_t kPieceBytes = size_t{256} << 10;    // the lines one worker takes at a time
constexpr size_t kThreadedBytes = size_t{64} << 10;  // fewer bytes of lines are bound here at once
constexpr size_t kHeldBytes = size_t{1} << 20;       // lines without an empty line are bound here past this

// The first line behind the one that from is in (whole lines up to end)
// that follows an empty line: end when the last line is empty, nullptr
// when there is none before limit.
const char *NextStart(const char *from, const char *end, const char *limit) {
    // The search for a line end stops at limit, so that lines ended by CR
    // alone do not each search the rest of the text for an LF.
    const char *bound = limit < end ? limit : end;
    uint32_t kind = NEWLINE_NONE;
    for (const char *p = from, *first = from; p < bound;) {
        const char *stop = FindLineEnd(p, bound);
        if (stop == bound) break;
        const char *next = PassLineEnd(stop, end, &kind);
        if (stop == p && p != first) return next;
        p = next;
    }
    return nullptr;
}

}  // namespace

Binder::Binder(const BinderSetup &setup, StreamOutput *output, std::unique_ptr<const StreamRules> rules)
    : setup_(setup), output_(output), rules_(std::move(rules)) {}

Binder::~Binder() = default;

std::unique_ptr<Binder> Binder::Make(const BinderSetup &setup, StreamOutput *output) {
    std::unique_ptr<const StreamRules> rules = StreamRules::Make(setup.rules);
    if (rules == nullptr) return nullptr;
    std::unique_ptr<Binder> binder(new (std::nothrow) Binder(setup, output, std::move(rules)));
    if (binder == nullptr) return nullptr;
    const StreamRules &r = *binder->rules_;
    binder->worker_ = BindWorker::Make(r, setup.fold_column);
    if (binder->worker_ == nullptr) return nullptr;
    binder->in_header_ = setup.keep_header && !setup.whole && (r.records.header.lumoheader & HEADER_NO_FORMAT);
    if (setup.threads > 1 && !setup.whole) {
        const uint32_t fold_column = setup.fold_column;
        binder->queue_ = PieceQueue::Make(
            [&] {
                std::unique_ptr<BindWorker> worker = BindWorker::Make(r, fold_column);
                if (worker == nullptr) throw std::bad_alloc();
                return std::unique_ptr<PieceWork>(std::move(worker));
            },
            setup.threads, true);
    }
    return binder;
}

Status Binder::Fail(Status status, uint64_t line, uint64_t column) {
    if (problem_.status == Status::kOk) problem_ = Problem{status, line, column};
    return problem_.status;
}

Status Binder::FlushOut() {
    if (out_.empty()) return Status::kOk;
    const bool written = output_->Write(out_.data(), out_.size());
    out_.Clear();
    return written ? Status::kOk : Fail(Status::kSink);
}

Status Binder::Feed(const char *bytes, size_t length) {
    if (problem_.status != Status::kOk || finished_) return problem_.status;
    const auto *nul = static_cast<const char *>(std::memchr(bytes, '\0', length));
    Status status = Take(bytes, nul != nullptr ? static_cast<size_t>(nul - bytes) : length);
    if (status == Status::kOk && nul != nullptr) status = FailAtNul();
    if (status == Status::kOk) status = Deliver(PieceQueue::Wait::kNone);
    if (status == Status::kSink) return status;
    const Status flushed = FlushOut();
    return status != Status::kOk ? status : flushed;
}

Status Binder::Flush() {
    if (problem_.status != Status::kOk) return problem_.status;
    const Status status = Drain();
    return status != Status::kOk ? status : FlushOut();
}

Status Binder::Take(const char *bytes, size_t length) {
    if (length == 0) return Status::kOk;
    few_ = length < kThreadedBytes;
    if (!started_ || setup_.whole) {
        if (!pending_.Append(bytes, length)) return Fail(Status::kNoMemory);
        return started_ ? Status::kOk : Start();
    }
    const char *end = bytes + length;
    if (!pending_.empty()) {
        // The line held ends in the new bytes (or at the CR it ends with):
        // it is completed from them; the lines behind it are read where
        // they are.
        const bool after_cr = pending_.data()[pending_.size() - 1] == '\r';
        const char *stop = after_cr ? bytes : FindLineEnd(bytes, end);
        if (stop == end || (!after_cr && *stop == '\r' && stop + 1 == end)) {
            // No line end yet, or a CR that an LF may still join.
            return pending_.Append(bytes, length) ? Status::kOk : Fail(Status::kNoMemory);
        }
        uint32_t kind = NEWLINE_NONE;
        const char *next = after_cr ? (*bytes == '\n' ? bytes + 1 : bytes) : PassLineEnd(stop, end, &kind);
        if (!pending_.Append(bytes, static_cast<size_t>(next - bytes))) return Fail(Status::kNoMemory);
        const Status status = Lines(pending_.data(), pending_.data() + pending_.size());
        pending_.Clear();
        if (status != Status::kOk) return status;
        bytes = next;
        length = static_cast<size_t>(end - next);
    }
    // Whole lines straight from the caller's bytes; the rest waits.
    const size_t settled = SettledEnd(bytes, length, false);
    const Status status = Lines(bytes, bytes + settled);
    if (status != Status::kOk) return status;
    return pending_.Append(bytes + settled, length - settled) ? Status::kOk : Fail(Status::kNoMemory);
}

// Decides on a byte order mark once three bytes or the text's end are
// there: it goes out by itself, and the first line is read from the first
// character.
Status Binder::Start() {
    const bool utf8 = rules_->encoding == Encoding::kUtf8 && setup_.byte_order_mark;
    const MarkAt mark = utf8 ? ByteOrderMarkAt(pending_.data(), pending_.size(), finished_) : MarkAt::kNone;
    if (mark == MarkAt::kPerhaps) return Status::kOk;
    if (mark == MarkAt::kWhole) {
        if (!out_.Append(kByteOrderMark, kByteOrderMarkBytes)) return Fail(Status::kNoMemory);
        pending_.Consume(kByteOrderMarkBytes);
    }
    started_ = true;
    if (setup_.whole) return Status::kOk;
    const size_t settled = SettledEnd(pending_.data(), pending_.size(), finished_);
    const Status status = Lines(pending_.data(), pending_.data() + settled);
    pending_.Consume(settled);
    return status;
}

Status Binder::Lines(const char *p, const char *end) {
    while (in_header_ && p < end) {
        // The header block goes on as it is, as formatting left it.
        uint32_t kind = NEWLINE_NONE;
        const char *next = PassLineEnd(FindLineEnd(p, end), end, &kind);
        const HeaderBlock::Took took = header_.Take(p, static_cast<size_t>(next - p), rules_->records.header);
        if (took == HeaderBlock::Took::kNoMemory) return Fail(Status::kNoMemory);
        if (took == HeaderBlock::Took::kEnded) {
            if (!out_.Append(header_.data(), header_.size())) return Fail(Status::kNoMemory);
            header_.Free();
            in_header_ = false;
        }
        ++lines_;
        p = next;
    }
    return p < end ? Body(p, end) : Status::kOk;
}

// Whole lines of the body.
Status Binder::Body(const char *p, const char *end) {
    if (queue_ == nullptr) return Inline(p, end, false, &p);
    if (few_ && !inline_) {
        // Few lines (a slow writer's): bound here, at once.
        const Status status = Drain();
        if (status != Status::kOk) return status;
        inline_ = true;
    }
    while (p < end) {
        if (inline_) {
            // Inside the lines between two places where a block surely
            // begins, bound here: on to the next such place.
            const Status status = Inline(p, end, true, &p);
            if (status != Status::kOk) return status;
            if (p < end) {
                // The line end before it goes ahead of the pieces to come.
                inline_ = false;
                if (!worker_->EndBlock(&out_)) return Fail(Status::kNoMemory);
            }
            continue;
        }
        const size_t held = held_ != nullptr ? held_->text.size() : 0;
        const auto length = static_cast<size_t>(end - p);
        const size_t need = held < kPieceBytes ? kPieceBytes - held : 0;
        const char *cut = need < length ? NextStart(p + need, end, p + (kHeldBytes - held)) : nullptr;
        if (cut != nullptr) {
            const Status status = Hold(p, cut);
            if (status != Status::kOk) return status;
            if (queue_->full()) {
                const Status delivered = Deliver(PieceQueue::Wait::kOne);
                if (delivered != Status::kOk) return delivered;
            }
            queue_->Submit(std::move(held_));
            p = cut;
        } else if (held + length > kHeldBytes) {
            // No empty line for long: the lines are bound here.
            const Status status = Drain();
            if (status != Status::kOk) return status;
            inline_ = true;
        } else {
            const Status status = Hold(p, end);
            if (status != Status::kOk) return status;
            p = end;
        }
    }
    return Status::kOk;
}

// Binds [p, end) here, as far as the next place where a block surely
// begins with stop_at_start; *stopped tells where it stopped.
Status Binder::Inline(const char *p, const char *end, bool stop_at_start, const char **stopped) {
    while (p < end) {
        // A stretch at a time, so that the output is handed on as it grows.
        const char *stop = end;
        if (static_cast<size_t>(end - p) > kOutBytes) {
            uint32_t kind = NEWLINE_NONE;
            stop = PassLineEnd(FindLineEnd(p + kOutBytes, end), end, &kind);
        }
        const char *reached = worker_->Lines(p, stop, stop_at_start, &out_, &lines_);
        if (reached == nullptr) return Fail(Status::kNoMemory);
        if (out_.size() >= kOutBytes && FlushOut() != Status::kOk) return problem_.status;
        p = reached;
        if (reached < stop) break;
    }
    *stopped = p;
    return Status::kOk;
}

// Adds [p, end) to the lines held for the next piece.
Status Binder::Hold(const char *p, const char *end) {
    if (held_ == nullptr) held_ = queue_->Spare();
    if (held_ == nullptr || !held_->text.Append(p, static_cast<size_t>(end - p))) return Fail(Status::kNoMemory);
    return Status::kOk;
}

// Finished pieces go behind what is bound here, in input order.
Status Binder::Deliver(PieceQueue::Wait wait) {
    if (queue_ == nullptr) return Status::kOk;
    Status status = problem_.status;
    queue_->Drain(wait, [&](Piece &piece) {
        if (status != Status::kOk) return;  // after a failure the rest is dropped
        if (piece.result != FoldResult::kDone) {
            status = Fail(Status::kNoMemory);
            return;
        }
        lines_ += piece.notes.lines;
        // A piece's output goes on as it is, behind what waits before it.
        status = FlushOut();
        if (status == Status::kOk && !piece.out.empty() && !output_->Write(piece.out.data(), piece.out.size())) {
            status = Fail(Status::kSink);
        }
    });
    if (status == Status::kOk && out_.size() >= kOutBytes) status = FlushOut();
    return status;
}

// Every whole line read so far is bound: the pieces are waited for, and
// the lines held for the next one are bound here, which goes on binding
// until the next place where a block surely begins.
Status Binder::Drain() {
    Status status = Deliver(PieceQueue::Wait::kAll);
    if (status != Status::kOk || held_ == nullptr || held_->text.empty()) return status;
    std::unique_ptr<Piece> held = std::move(held_);
    const char *p = held->text.data();
    status = Inline(p, p + held->text.size(), false, &p);
    inline_ = true;
    return status;
}

// The whole text as one block, bound by the library's binding; a block's
// head may then be classified across line ends, as BindLines does.
Status Binder::BindWhole() {
    const char *text = pending_.Terminated();
    if (text == nullptr) return Fail(Status::kNoMemory);
    LineJob job{};
    job.record_size = LINE_JOB_SIZE;
    job.text = text;
    job.output = pending_.data();  // binding never writes more than it reads
    job.capacity = static_cast<uint32_t>(pending_.size() + 1);
    job.newline = NewlineKindOf(text);
    IndentSettings indent = setup_.rules.records.indent;
    if (rules_->encoding == Encoding::kUtf8) {
        if (BindUtf8(&job, &indent, setup_.rules.ambiguous) != 0) return Fail(Status::kNoMemory);
    } else {
        BindWith(rules_->cp, &job, &indent);
    }
    return out_.Append(pending_.data(), std::strlen(pending_.data())) ? Status::kOk : Fail(Status::kNoMemory);
}

Status Binder::Finish() {
    if (problem_.status != Status::kOk || finished_) return problem_.status;
    finished_ = true;
    Status status = started_ ? Status::kOk : Start();
    if (status == Status::kOk && setup_.whole) {
        status = BindWhole();
    } else if (status == Status::kOk) {
        // A CR at the very end is a line end; what is left is the last line.
        const size_t settled = SettledEnd(pending_.data(), pending_.size(), true);
        status = Lines(pending_.data(), pending_.data() + settled);
        pending_.Consume(settled);
        if (status == Status::kOk && in_header_) status = EndHeader();
        if (status == Status::kOk) status = Drain();
        const char *last = pending_.Terminated();
        if (status == Status::kOk && last == nullptr) status = Fail(Status::kNoMemory);
        if (status == Status::kOk && !pending_.empty() &&
            !worker_->Line(last, last + pending_.size(), last + pending_.size(), &out_)) {
            status = Fail(Status::kNoMemory);
        }
        if (status == Status::kOk && !worker_->EndBlock(&out_)) status = Fail(Status::kNoMemory);
    }
    if (status == Status::kSink) return status;
    const Status flushed = FlushOut();
    return status != Status::kOk ? status : flushed;
}

// The text ends while the lines may still be a header block: the last line
// may end it, line end or not; else they were body lines all along.
Status Binder::EndHeader() {
    in_header_ = false;
    const HeaderBlock::Took took =
        pending_.empty() ? HeaderBlock::Took::kHeld
                         : header_.TakeLast(pending_.data(), pending_.size(), rules_->records.header);
    if (took == HeaderBlock::Took::kNoMemory) return Fail(Status::kNoMemory);
    if (took == HeaderBlock::Took::kEnded) {
        pending_.Clear();
        return out_.Append(header_.data(), header_.size()) ? Status::kOk : Fail(Status::kNoMemory);
    }
    ByteBuffer held;
    if (!held.Append(header_.data(), header_.size()) || held.Terminated() == nullptr) {
        return Fail(Status::kNoMemory);
    }
    header_.Free();
    lines_ -= CountLineEnds(held.data(), held.data() + held.size());
    return Lines(held.data(), held.data() + held.size());
}

// A NUL byte ends the stream; its place is counted in characters of its line.
Status Binder::FailAtNul() {
    const Status drained = Drain();  // the lines before it are bound and counted
    if (drained != Status::kOk) return drained;
    uint64_t line = lines_ + 1;
    const char *p = pending_.data();
    const char *end = p + pending_.size();
    if (!started_ || setup_.whole) {
        // Nothing has been bound: the place is counted from the text's start.
        const char *last = p;
        for (const char *q = FindLineEnd(p, end); q < end; q = FindLineEnd(last, end)) {
            uint32_t kind = NEWLINE_NONE;
            last = PassLineEnd(q, end, &kind);
            ++line;
        }
        p = last;
    } else if (p < end && end[-1] == '\r') {
        ++line;  // a CR just before the NUL ended its line
        p = end;
    }
    uint64_t column = 1;
    if (rules_->encoding == Encoding::kUtf8) {
        for (; p < end; ++column) p += text::DecodeUtf8(p, end).length;
    } else {
        for (; p < end; ++column) p += rules_->cp.IsLead(static_cast<unsigned char>(*p)) && end - p >= 2 ? 2 : 1;
    }
    return Fail(Status::kNul, line, column);
}

}  // namespace lumo::engine
