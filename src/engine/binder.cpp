// The streaming binder. A line is decided on as soon as it is whole: the
// first line of a block goes out as it is, a later one without the block's
// prefix and, as the settings ask, its leading blanks; a line's line end is
// held until the next line shows whether the block goes on.
#include "engine/binder.h"

#include <cstring>
#include <new>

#include "format/jlreq_fold.h"
#include "format/jlreq_join.h"
#include "paragraph/bind.h"
#include "paragraph/bind_utf8.h"
#include "paragraph/header.h"
#include "text/line_ends.h"
#include "text/utf8.h"

namespace lumo::engine {
namespace {

constexpr char kBom[] = "\xEF\xBB\xBF";
constexpr size_t kBomBytes = 3;
constexpr size_t kOutBytes = size_t{256} << 10;

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
    if (r.rules != Rules::kClassic) {
        const bool utf8 = r.encoding == Encoding::kUtf8;
        binder->codes_.reset(new (std::nothrow)
                                 JlreqCodes(r.fold_tables, utf8, !utf8 || r.alphabet->AsciiAsItself()));
        if (binder->codes_ == nullptr) return nullptr;
        binder->measure_.reset(new (std::nothrow)
                                   JlreqMeasure(r.cp, *binder->codes_, r.break_rules.level, r.tab_width));
        if (binder->measure_ == nullptr) return nullptr;
    }
    binder->block_rules_.reset(new (std::nothrow) BlockRules{
        r.cp, r.records.indent, r.classify_tables, r.fold_tables.not_for_head, r.fold_tables.not_for_tail,
        r.fold_tables.word_byte, r.records.fold.maxmove_leftwise, setup.fold_column, r.tab_width,
        binder->measure_.get()});
    if (binder->block_rules_ == nullptr) return nullptr;
    binder->ends_.reset(new (std::nothrow) BlockEnds(*binder->block_rules_));
    binder->in_header_ = setup.keep_header && !setup.whole && (r.records.header.lumoheader & HEADER_NO_FORMAT);
    if (binder->ends_ == nullptr) return nullptr;
    if (r.encoding == Encoding::kUtf8) {
        binder->image_.reset(new (std::nothrow) text::LineImage(*r.alphabet));
        if (binder->image_ == nullptr) return nullptr;
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
    if (status == Status::kSink) return status;
    const Status flushed = FlushOut();
    return status != Status::kOk ? status : flushed;
}

Status Binder::Flush() { return problem_.status != Status::kOk ? problem_.status : FlushOut(); }

Status Binder::Take(const char *bytes, size_t length) {
    if (length == 0) return Status::kOk;
    const size_t old = pending_.size();
    if (!started_ || setup_.whole || old > 0) {
        if (!pending_.Append(bytes, length)) return Fail(Status::kNoMemory);
    }
    if (!started_) return Start();
    if (setup_.whole) return Status::kOk;
    if (old == 0) {
        // Whole lines straight from the caller's bytes; the rest waits.
        const size_t settled = SettledEnd(bytes, length, false);
        const Status status = Lines(bytes, bytes + settled);
        if (status != Status::kOk) return status;
        return pending_.Append(bytes + settled, length - settled) ? Status::kOk : Fail(Status::kNoMemory);
    }
    // Only the new bytes are searched: the old ones hold no line end but
    // perhaps a CR at their end, which the new ones settle.
    size_t settled = SettledEnd(pending_.data() + old, length, false);
    if (settled > 0) {
        settled += old;
    } else if (pending_.data()[old - 1] == '\r') {
        settled = old;
    }
    const Status status = Lines(pending_.data(), pending_.data() + settled);
    pending_.Consume(settled);
    return status;
}

// Decides on a byte order mark once three bytes or the text's end are
// there: it goes out by itself, and the first line is read from the first
// character.
Status Binder::Start() {
    const bool utf8 = rules_->encoding == Encoding::kUtf8 && setup_.byte_order_mark;
    const size_t size = pending_.size();
    if (!finished_ && utf8 && size < kBomBytes && std::memcmp(pending_.data(), kBom, size) == 0) {
        return Status::kOk;
    }
    if (utf8 && size >= kBomBytes && std::memcmp(pending_.data(), kBom, kBomBytes) == 0) {
        if (!out_.Append(kBom, kBomBytes)) return Fail(Status::kNoMemory);
        pending_.Consume(kBomBytes);
    }
    started_ = true;
    if (setup_.whole) return Status::kOk;
    const size_t settled = SettledEnd(pending_.data(), pending_.size(), finished_);
    const Status status = Lines(pending_.data(), pending_.data() + settled);
    pending_.Consume(settled);
    return status;
}

// Whether the line just held in header_, length bytes, ends the header block.
bool Binder::EndsHeader(size_t length) {
    const char *text = header_.Terminated();
    if (text == nullptr) return false;
    const char *line = text + header_.size() - length;
    return SkipHeader(line, rules_->records.header) != line;
}

Status Binder::Lines(const char *p, const char *end) {
    while (p < end) {
        const char *stop = FindLineEnd(p, end);
        uint32_t kind = NEWLINE_NONE;
        const char *next = PassLineEnd(stop, end, &kind);
        if (in_header_) {
            // The header block goes on as it is, as formatting left it.
            const auto length = static_cast<size_t>(next - p);
            if (!header_.Append(p, length)) return Fail(Status::kNoMemory);
            if (EndsHeader(length)) {
                if (!out_.Append(header_.data(), header_.size())) return Fail(Status::kNoMemory);
                header_.Free();
                in_header_ = false;
            }
            ++lines_;
            p = next;
            continue;
        }
        const Status status = Line(p, stop, next);
        if (status != Status::kOk) return status;
        ++lines_;
        p = next;
        if (out_.size() >= kOutBytes && FlushOut() != Status::kOk) return problem_.status;
    }
    return Status::kOk;
}

size_t Binder::BlankAt(const char *p, const char *stop) const {
    const uint32_t sub_styles = rules_->records.indent.sub_styles;
    if (image_ != nullptr) return Utf8BlankLength(rules_->alphabet->data(), sub_styles, p, stop);
    return Cp932BlankLength(rules_->cp, sub_styles, p);
}

// The measured character of line whose bytes begin at p (a character
// boundary: behind the prefix and the blanks taken off).
const char *Binder::MeasuredAt(const BlockLine &line, const char *p) const {
    if (line.image == nullptr) return p;
    const auto byte = static_cast<uint32_t>(p - line.bytes);
    const uint32_t *offsets = line.image->offsets();
    size_t i = 0;
    while (i < line.image->length() && (offsets[i] == text::LineImage::kTrail || offsets[i] < byte)) ++i;
    return line.text + i;
}

// The traits of a line's last character (its cluster's first code point).
jlreq::Traits Binder::LastTraits(const BlockLine &line) const {
    const char *last = line.stop - 1;
    if (line.stop - line.text >= 2 && StartsDoubleByte(rules_->cp, line.text, line.stop - 2)) last = line.stop - 2;
    return measure_->TraitsAt(line, last);
}

// One line [p, stop) with its line end [stop, next); *stop is readable.
Status Binder::Line(const char *p, const char *stop, const char *next) {
    BlockLine line{p, stop, p, nullptr};
    if (image_ != nullptr) {
        if (!image_->Build(p, static_cast<size_t>(stop - p))) return Fail(Status::kNoMemory);
        line = BlockLine{image_->text(), image_->text() + image_->length(), p, image_.get()};
    }
    if (ends_->Starts(line)) {
        // The block before ends, with the line end of its last line.
        if (!out_.Append(line_end_, line_end_length_)) return Fail(Status::kNoMemory);
        if (!ends_->Open(line)) return Fail(Status::kNoMemory);
        strip_ = StripsBlanks(rules_->records.indent, ends_->flags());
    } else {
        const size_t prefix = ends_->prefix_bytes_length();
        if (static_cast<size_t>(stop - p) >= prefix && std::memcmp(p, ends_->prefix_bytes(), prefix) == 0) {
            p += prefix;
        }
        for (size_t blank; strip_ && p < stop && (blank = BlankAt(p, stop)) != 0;) p += blank;
        // Folding by the Japanese rules dropped a space between two narrow
        // characters (as tools that fold English do): it comes back.
        if (measure_ != nullptr && p < stop &&
            jlreq::JoinAcross(last_traits_, measure_->TraitsAt(line, MeasuredAt(line, p))) ==
                jlreq::SegmentJoin::kSpace &&
            !out_.Append(" ", 1)) {
            return Fail(Status::kNoMemory);
        }
    }
    ends_->Pass(line);
    if (measure_ != nullptr && line.stop > line.text) last_traits_ = LastTraits(line);
    if (!out_.Append(p, static_cast<size_t>(stop - p))) return Fail(Status::kNoMemory);
    line_end_length_ = static_cast<size_t>(next - stop);
    std::memcpy(line_end_, stop, line_end_length_);
    return Status::kOk;
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
        const char *last = pending_.Terminated();
        if (status == Status::kOk && last == nullptr) status = Fail(Status::kNoMemory);
        if (status == Status::kOk && !pending_.empty()) {
            status = Line(last, last + pending_.size(), last + pending_.size());
        }
        if (status == Status::kOk && !out_.Append(line_end_, line_end_length_)) status = Fail(Status::kNoMemory);
    }
    if (status == Status::kSink) return status;
    const Status flushed = FlushOut();
    return status != Status::kOk ? status : flushed;
}

// The text ends while the lines may still be a header block: the last line
// may end it, line end or not; else they were body lines all along.
Status Binder::EndHeader() {
    in_header_ = false;
    if (!pending_.empty()) {
        if (!header_.Append(pending_.data(), pending_.size())) return Fail(Status::kNoMemory);
        if (EndsHeader(pending_.size())) {
            pending_.Clear();
            return out_.Append(header_.data(), header_.size()) ? Status::kOk : Fail(Status::kNoMemory);
        }
        header_.Resize(header_.size() - pending_.size());
    }
    ByteBuffer held;
    if (!held.Append(header_.data(), header_.size()) || held.Terminated() == nullptr) return Fail(Status::kNoMemory);
    header_.Free();
    lines_ -= CountLineEnds(held.data(), held.data() + held.size());
    return Lines(held.data(), held.data() + held.size());
}

// A NUL byte ends the stream; its place is counted in characters of its line.
Status Binder::FailAtNul() {
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
