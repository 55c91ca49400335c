// Binding whole lines, one at a time, as they are read.
#include "engine/bind_worker.h"

#include <cstring>
#include <new>

#include "format/jlreq_fold.h"
#include "format/jlreq_join.h"
#include "paragraph/bind.h"
#include "paragraph/bind_utf8.h"
#include "text/line_ends.h"

namespace lumo::engine {

BindWorker::BindWorker(const StreamRules &rules) : rules_(rules) {}

std::unique_ptr<BindWorker> BindWorker::Make(const StreamRules &r, uint32_t fold_column) {
    std::unique_ptr<BindWorker> worker(new (std::nothrow) BindWorker(r));
    if (worker == nullptr) return nullptr;
    if (r.rules != Rules::kClassic) {
        const bool utf8 = r.encoding == Encoding::kUtf8;
        worker->codes_.reset(new (std::nothrow) JlreqCodes(r.fold_tables, utf8, !utf8 || r.alphabet->AsciiAsItself()));
        if (worker->codes_ == nullptr) return nullptr;
        worker->measure_.reset(new (std::nothrow) JlreqMeasure(r.cp, *worker->codes_, r.break_rules.level, r.tab_width));
        if (worker->measure_ == nullptr) return nullptr;
    }
    worker->block_rules_.reset(new (std::nothrow) BlockRules{
        r.cp, r.records.indent, r.classify_tables, r.fold_tables.not_for_head, r.fold_tables.not_for_tail,
        r.fold_tables.word_byte, r.records.fold.maxmove_leftwise, fold_column, r.tab_width, worker->measure_.get()});
    if (worker->block_rules_ == nullptr) return nullptr;
    worker->ends_.reset(new (std::nothrow) BlockEnds(*worker->block_rules_));
    if (worker->ends_ == nullptr) return nullptr;
    if (r.encoding == Encoding::kUtf8) {
        worker->image_.reset(new (std::nothrow) text::LineImage(*r.alphabet));
        if (worker->image_ == nullptr) return nullptr;
    }
    return worker;
}

const char *BindWorker::Lines(const char *p, const char *end, bool stop_at_start, ByteBuffer *out, uint64_t *lines) {
    // The next LF is looked for once, not for each line that a CR ends.
    const char *lf = nullptr;
    for (const char *first = p; p < end;) {
        if (stop_at_start && after_empty_ && p != first) return p;
        if (lf == nullptr || lf < p) {
            lf = static_cast<const char *>(std::memchr(p, '\n', static_cast<size_t>(end - p)));
            if (lf == nullptr) lf = end;
        }
        const auto *cr = static_cast<const char *>(std::memchr(p, '\r', static_cast<size_t>(lf - p)));
        const char *stop = cr != nullptr ? cr : lf;
        uint32_t kind = NEWLINE_NONE;
        const char *next = PassLineEnd(stop, end, &kind);
        if (!Line(p, stop, next, out)) return nullptr;
        ++*lines;
        p = next;
    }
    return p;
}

bool BindWorker::EndBlock(ByteBuffer *out) {
    const bool appended = out->Append(line_end_, line_end_length_);
    line_end_length_ = 0;
    return appended;
}

void BindWorker::Work(Piece &piece) {
    const char *p = piece.text.data();
    const char *end = p + piece.text.size();
    if (Lines(p, end, false, &piece.out, &piece.notes.lines) == nullptr || !EndBlock(&piece.out)) {
        piece.result = FoldResult::kNoMemory;
    }
}

size_t BindWorker::BlankAt(const char *p, const char *stop) const {
    const uint32_t sub_styles = rules_.records.indent.sub_styles;
    if (image_ != nullptr) return Utf8BlankLength(rules_.alphabet->data(), sub_styles, p, stop);
    return Cp932BlankLength(rules_.cp, sub_styles, p);
}

// The measured character of line whose bytes begin at p (a character
// boundary: behind the prefix and the blanks taken off).
const char *BindWorker::MeasuredAt(const BlockLine &line, const char *p) const {
    if (line.image == nullptr) return p;
    const auto byte = static_cast<uint32_t>(p - line.bytes);
    const uint32_t *offsets = line.image->offsets();
    size_t i = 0;
    while (i < line.image->length() && (offsets[i] == text::LineImage::kTrail || offsets[i] < byte)) ++i;
    return line.text + i;
}

// The traits of a line's last character (its cluster's first code point).
jlreq::Traits BindWorker::LastTraits(const BlockLine &line) const {
    const char *last = line.stop - 1;
    if (line.stop - line.text >= 2 && StartsDoubleByte(rules_.cp, line.text, line.stop - 2)) last = line.stop - 2;
    return measure_->TraitsAt(line, last);
}

bool BindWorker::Line(const char *p, const char *stop, const char *next, ByteBuffer *out) {
    BlockLine line{p, stop, p, nullptr};
    if (image_ != nullptr) {
        if (!image_->Build(p, static_cast<size_t>(stop - p))) return false;
        line = BlockLine{image_->text(), image_->text() + image_->length(), p, image_.get()};
    }
    if (ends_->Starts(line)) {
        // The block before ends, with the line end of its last line.
        if (!out->Append(line_end_, line_end_length_)) return false;
        if (!ends_->Open(line)) return false;
        strip_ = StripsBlanks(rules_.records.indent, ends_->flags());
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
            !out->Append(" ", 1)) {
            return false;
        }
    }
    ends_->Pass(line);
    after_empty_ = line.stop == line.text;
    if (measure_ != nullptr && line.stop > line.text) last_traits_ = LastTraits(line);
    if (!out->Append(p, static_cast<size_t>(stop - p))) return false;
    line_end_length_ = static_cast<size_t>(next - stop);
    std::memcpy(line_end_, stop, line_end_length_);
    return true;
}

}  // namespace lumo::engine
