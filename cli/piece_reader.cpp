// Reading ahead by pieces. The input is read in blocks into one pending
// buffer; what lies behind its last safe line end waits for the next block,
// so memory grows only with the longest line (and with the header block).
#include "piece_reader.h"

#include <algorithm>
#include <cstring>

#include "paragraph/header.h"

namespace lumo::cli {
namespace {

// The smallest read: a piece size of a few bytes (tests) still reads on.
constexpr size_t kMinRead = 4096;

bool HasHighByte(std::string_view text) {
    return std::any_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) > 0x7F; });
}

}  // namespace

size_t CountLineEnds(std::string_view text) {
    size_t count = static_cast<size_t>(std::count(text.begin(), text.end(), '\n'));
    // A CR counts unless an LF follows it, which counted already.
    for (size_t at = text.find('\r'); at != std::string_view::npos; at = text.find('\r', at + 1)) {
        if (at + 1 >= text.size() || text[at + 1] != '\n') ++count;
    }
    return count;
}

// Behind the last line end that more input cannot change: a CR at the very
// end may still be the first half of a CR LF. 0 when there is none.
size_t PieceReader::SafeEnd() const {
    size_t end = pending_.size();
    if (!at_end_ && end > 0 && pending_[end - 1] == '\r') --end;
    while (end > 0 && pending_[end - 1] != '\n' && pending_[end - 1] != '\r') --end;
    return end;
}

// Behind the last empty line that ends at or before end (itself behind a
// line end), looking back over half of it at most; 0 when there is none. A
// line is empty when its line end follows another or begins the buffer,
// which always begins a line.
size_t PieceReader::EmptyLineEnd(size_t end) const {
    const std::string &text = pending_;
    for (size_t p = end; p > 0 && p * 2 >= end;) {
        const size_t start = p >= 2 && text[p - 2] == '\r' && text[p - 1] == '\n' ? p - 2 : p - 1;
        if (start == 0 || text[start - 1] == '\n' || text[start - 1] == '\r') return p;
        size_t q = start;
        while (q > 0 && text[q - 1] != '\n' && text[q - 1] != '\r') --q;
        p = q;
    }
    return 0;
}

// Whether the header block, if the settings have one, ends within the first
// end bytes. Whether a line ends the block depends on that line alone, so
// only the lines not yet looked at are looked at. They are taken as they
// are: the delimiter is ASCII in every preset, the same in either encoding.
bool PieceReader::HeaderSeen(size_t end) {
    if (started_ || !(settings_.header.lumoheader & HEADER_NO_FORMAT)) return true;
    const std::string lines(pending_, header_from_, end - header_from_);
    if (SkipHeader(lines.c_str(), settings_.header) != lines.c_str()) return true;
    header_from_ = end;
    return false;
}

void PieceReader::Hand(size_t end, Piece *piece) {
    // The piece takes the read buffer itself; only the start of the line
    // behind it is copied, into a new buffer.
    piece->bytes = std::move(pending_);
    pending_.assign(piece->bytes, end, std::string::npos);
    piece->bytes.resize(end);
    piece->text_start = !started_;
    piece->last = false;
    piece->continues = runs_on_;
    piece->runs_on = false;
    piece->first_line = lines_ + 1;
    piece->line_count = CountLineEnds(piece->bytes);
    piece->newline_before = newline_;
    lines_ += piece->line_count;

    if (decided_ == Encoding::kAuto && settings_.encoding != Encoding::kAuto) decided_ = settings_.encoding;
    if (decided_ == Encoding::kAuto && HasHighByte(piece->bytes)) {
        decided_ = settings_.verdict != nullptr ? settings_.verdict->Get()
                   : FindInvalidUtf8(piece->bytes) == std::string::npos ? Encoding::kUtf8
                                                                          : Encoding::kShiftJis;
    }
    piece->encoding = decided_ == Encoding::kUtf8 ? Encoding::kUtf8 : Encoding::kShiftJis;
    piece->guessed = settings_.encoding == Encoding::kAuto;

    // The line end that a last line without one will take. Lines of the
    // header block do not count: the formatter takes it from the body.
    const std::string &bytes = piece->bytes;
    size_t body = 0;
    if (piece->text_start && (settings_.header.lumoheader & HEADER_NO_FORMAT)) {
        body = static_cast<size_t>(SkipHeader(bytes.c_str(), settings_.header) - bytes.c_str());
    }
    size_t last = bytes.size();
    while (last > body && bytes[last - 1] != '\n' && bytes[last - 1] != '\r') --last;
    if (last > body) {
        if (bytes[last - 1] == '\r') {
            newline_ = NEWLINE_CR;
        } else {
            newline_ = last - 1 > body && bytes[last - 2] == '\r' ? NEWLINE_CRLF : NEWLINE_LF;
        }
    }
    started_ = true;
}

bool PieceReader::Next(Piece *piece, std::string *error) {
    for (;;) {
        if (finished_) return false;
        if (at_end_) {
            Hand(pending_.size(), piece);
            piece->last = true;
            finished_ = true;
            return true;
        }
        const size_t want = std::max(kMinRead, settings_.piece_bytes > pending_.size()
                                                   ? settings_.piece_bytes - pending_.size()
                                                   : settings_.piece_bytes);
        const size_t old = pending_.size();
        pending_.resize(old + want);
        const long long got = source_->Read(&pending_[old], want, error);
        if (got < 0) {
            pending_.resize(old);
            return false;
        }
        pending_.resize(old + static_cast<size_t>(got));
        if (got == 0) {
            at_end_ = true;
            continue;
        }
        // Full pieces from a file or a busy pipe; from a slow one, whatever
        // lines are complete as soon as nothing more waits.
        const bool full = pending_.size() >= settings_.piece_bytes;
        if (!full && (static_cast<size_t>(got) == want || source_->MoreWaiting())) continue;
        size_t end = SafeEnd();
        if (end > 0 && HeaderSeen(end)) {
            const size_t empty = settings_.block_ends ? EmptyLineEnd(end) : 0;
            if (empty > 0) end = empty;
            Hand(end, piece);
            piece->runs_on = settings_.block_ends && empty == 0;
            runs_on_ = piece->runs_on;
            return true;
        }
    }
}

}  // namespace lumo::cli
