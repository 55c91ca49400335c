// A line's classification reads at most the prefix budget (255 bytes) and a
// byte past it, so a code page 932 line is classified from a copy of its
// head, and a long UTF-8 line from the image of its first kilobytes; the
// segments are cut in the line's own bytes (code page 932) or in the image
// of the window that holds them (UTF-8).
#include "engine/line_worker.h"

#include <algorithm>
#include <cstring>

#include "paragraph/classify.h"
#include "paragraph/prefix_utf8.h"
#include "text/line_ends.h"
#include "text/utf8.h"

namespace lumo::engine {
namespace {

// The bits set in x, without the processor's popcount, which is not in the
// baseline instruction set.
unsigned BitCount(uint64_t x) {
    x = x - ((x >> 1) & 0x5555555555555555u);
    x = (x & 0x3333333333333333u) + ((x >> 2) & 0x3333333333333333u);
    x = (x + (x >> 4)) & 0x0F0F0F0F0F0F0F0Fu;
    return static_cast<unsigned>((x * 0x0101010101010101u) >> 56);
}

// The image bytes that classification may read, with room to spare.
constexpr size_t kClassifiedBytes = 300;
// The UTF-8 bytes of a long line whose image classification reads.
constexpr size_t kUtf8HeadBytes = 4096;

// The length of the image without its last character, which the next bytes
// of the line may still change (a mark that joins its cluster).
size_t SettledLength(const text::LineImage &image) {
    const size_t n = image.length();
    if (n == 0) return 0;
    return n >= 2 && image.offsets()[n - 1] == text::LineImage::kTrail ? n - 2 : n - 1;
}

// The bytes at the end of [p, p + length) that begin a UTF-8 character but
// do not finish it: 0 to 3.
size_t OpenTail(const char *p, size_t length) {
    for (size_t back = 1; back <= 3 && back <= length; ++back) {
        const auto byte = static_cast<unsigned char>(p[length - back]);
        if ((byte & 0xC0) == 0x80) continue;  // a continuation byte: look further back
        const size_t need = byte >= 0xF0 ? 4 : byte >= 0xE0 ? 3 : byte >= 0xC0 ? 2 : 1;
        return need > back ? back : 0;
    }
    return 0;
}

}  // namespace

LineWorker::LineWorker(const StreamRules &rules, const LinePolicy &policy)
    : rules_(rules), policy_(policy), indent_(rules.records.indent) {
    job_.record_size = LINE_JOB_SIZE;
    if (rules.encoding == Encoding::kUtf8) {
        image_storage_.reset(new (std::nothrow) text::LineImage(*rules.alphabet));
        image_ = image_storage_.get();
    }
    if (rules.rules != Rules::kClassic) {
        const bool utf8 = rules.encoding == Encoding::kUtf8;
        codes_.reset(new (std::nothrow)
                         JlreqCodes(rules.fold_tables, utf8, !utf8 || rules.alphabet->AsciiAsItself()));
    }
}

const char *LineWorker::JoinBytes(uint32_t kind) const {
    if (kind != NEWLINE_NONE) return NewlineBytes(kind);
    return policy_.library_line_ends ? "\r\n" : policy_.newline;
}

FoldResult LineWorker::Fold(const LineView &view, bool complete, ByteBuffer *out, size_t *consumed) {
    const FoldContext context = rules_.Context();
    if (rules_.rules == Rules::kClassic) return FoldSegments(context, view, complete, &fold_, out, consumed);
    if (codes_ == nullptr) return FoldResult::kNoMemory;
    const JlreqContext jlreq{context, rules_.break_rules, *codes_};
    return FoldSegmentsJlreq(jlreq, view, complete, &fold_, &jlreq_, out, consumed);
}

void LineWorker::Begin(bool own_line_end, uint32_t kind) {
    fold_ = LineFold{};
    jlreq_.search.reset();
    fold_.drop_full_prefix = policy_.drop_full_prefix;
    fold_.join.between = JoinBytes(kind);
    fold_.join.between_length = std::strlen(fold_.join.between);
    EndLong(own_line_end, kind);
}

void LineWorker::EndLong(bool own_line_end, uint32_t kind) {
    fold_.own_line_end = own_line_end;
    const char *after = policy_.library_line_ends && !own_line_end ? NewlineBytes(kind) : "";
    fold_.join.after = after;
    fold_.join.after_length = std::strlen(after);
}

void LineWorker::Classify(const char *measured) {
    job_.text = measured;
    ClassifyLine(rules_.cp, &job_, &indent_, &rules_.classify_tables);
    kept_ = (indent_.sub_styles & SUB_KEEP_QUOTED) && (job_.flags & LINE_QUOTED);
    fold_.prefix = job_.prefix;
    fold_.prefix_bytes = fold_.prefix_columns = std::strlen(job_.prefix);
}

bool LineWorker::PrefixFrom(const text::LineImage &image, const char *line) {
    size_t bytes = 0;
    if (!Utf8Prefix(rules_.cp, job_.prefix, image, line, &prefix_, &bytes)) return false;
    fold_.prefix = prefix_.data();
    fold_.prefix_bytes = bytes;
    return true;
}

FoldResult LineWorker::FoldWhole(const char *line, size_t length, bool own_line_end, uint32_t kind,
                                 ByteBuffer *out) {
    Begin(own_line_end, kind);
    size_t consumed = 0;
    if (image_ == nullptr) {
        if (rules_.encoding == Encoding::kUtf8) return FoldResult::kNoMemory;
        const size_t head = std::min(length, sizeof head_ - 1);
        std::memcpy(head_, line, head);
        head_[head] = '\0';
        Classify(head_);
        if (kept_) return out->Append(line, length) ? FoldResult::kDone : FoldResult::kNoMemory;
        return Fold(LineView{line, length, nullptr, nullptr}, true, out, &consumed);
    }
    if (!image_->Build(line, length)) return FoldResult::kNoMemory;
    Classify(image_->text());
    if (!PrefixFrom(*image_, line)) return FoldResult::kNoMemory;
    if (kept_) return out->Append(line, length) ? FoldResult::kDone : FoldResult::kNoMemory;
    const LineView view{image_->text(), image_->length(), line, image_->offsets()};
    return Fold(view, true, out, &consumed);
}

uint64_t LineWorker::Characters(const char *p, size_t length, bool imaged) const {
    uint64_t count = 0;
    const char *end = p + length;
    if (image_ == nullptr) {
        // 64 bytes at a time as a mask of lead bytes: a run of them begins a
        // character at its first byte, whose trail byte the next one is, and
        // so on, so the trail bytes are those behind an odd number of lead
        // bytes in a row (subtracting the runs from their odd-aligned
        // followers tells them apart). No step waits on the one before, as
        // a walk from character to character does.
        const auto *bytes = reinterpret_cast<const unsigned char *>(p);
        constexpr uint64_t kOddBits = 0xAAAAAAAAAAAAAAAAu;
        uint64_t carry = 0;  // the next block's first byte is a trail byte
        size_t at = 0;
        for (; at + 64 <= length; at += 64) {
            uint64_t lead = 0;
            for (unsigned i = 0; i < 64; ++i) lead |= uint64_t{rules_.cp.IsLead(bytes[at + i])} << i;
            const uint64_t starts = lead & ~carry;
            const uint64_t code = (((starts << 1) | kOddBits) - starts) ^ kOddBits;
            const uint64_t trails = code ^ (lead | carry);
            count += 64 - BitCount(trails);
            carry = (code & lead) >> 63;
        }
        for (at += static_cast<size_t>(carry); at < length; ++count) {
            at += rules_.cp.IsLead(bytes[at]) && length - at >= 2 ? 2 : 1;
        }
        return count;
    }
    if (imaged && image_->well_formed()) {
        // Well-formed: a character is a byte that is no continuation byte,
        // counted eight bytes at a time.
        constexpr uint64_t kTops = 0x8080808080808080u;
        for (uint64_t word; end - p >= 8; p += 8) {
            std::memcpy(&word, p, sizeof word);
            count += 8 - BitCount(word & ~(word << 1) & kTops);
        }
        for (; p < end; ++p) count += (static_cast<unsigned char>(*p) & 0xC0) != 0x80;
        return count;
    }
    for (; p < end; ++count) p += text::DecodeUtf8(p, end).length;
    return count;
}

FoldResult LineWorker::FoldLines(const char *p, const char *end, uint32_t *kind, ByteBuffer *out,
                                 LineNotes *notes) {
    while (p < end) {
        const char *next = PassLineEnd(FindLineEnd(p, end), end, kind);
        const size_t mark = out->size();
        const FoldResult result = FoldWhole(p, static_cast<size_t>(next - p), true, *kind, out);
        if (result != FoldResult::kDone) {
            out->Resize(mark);  // the lines before it stay whole
            notes->failed_line = notes->lines;
            return result;
        }
        if (prefix_dropped()) notes->dropped.push_back(notes->lines);
        ++notes->lines;
        p = next;
    }
    return FoldResult::kDone;
}

FoldResult LineWorker::StartLong(const char *line, size_t length) {
    Begin(true, NEWLINE_NONE);
    fold_.join.between = "";  // a NUL, replaced when the line's end shows
    fold_.join.between_length = 1;
    if (image_ == nullptr) {
        if (rules_.encoding == Encoding::kUtf8) return FoldResult::kNoMemory;
        if (length < sizeof head_ - 1) return FoldResult::kMore;
        std::memcpy(head_, line, sizeof head_ - 1);
        head_[sizeof head_ - 1] = '\0';
        Classify(head_);
        return FoldResult::kDone;
    }
    if (!image_->Build(line, std::min(length, kUtf8HeadBytes))) return FoldResult::kNoMemory;
    image_->Cut(SettledLength(*image_));
    if (image_->length() < kClassifiedBytes) return FoldResult::kMore;
    Classify(image_->text());
    return PrefixFrom(*image_, line) ? FoldResult::kDone : FoldResult::kNoMemory;
}

FoldResult LineWorker::FoldLong(const char *bytes, size_t length, bool complete, ByteBuffer *out,
                                size_t *consumed) {
    if (kept_) {
        *consumed = length;
        if (!out->Append(bytes, length)) return FoldResult::kNoMemory;
        return complete ? FoldResult::kDone : FoldResult::kMore;
    }
    if (image_ == nullptr) {
        return Fold(LineView{bytes, length, nullptr, nullptr}, complete, out, consumed);
    }
    // A character that the next bytes complete is left to them, so that
    // the image tells whether what it holds is well-formed.
    if (!image_->Build(bytes, complete ? length : length - OpenTail(bytes, length))) return FoldResult::kNoMemory;
    if (!complete) image_->Cut(SettledLength(*image_));
    const LineView view{image_->text(), image_->length(), bytes, image_->offsets()};
    size_t measured = 0;
    const FoldResult result = Fold(view, complete, out, &measured);
    *consumed = complete ? length : image_->offsets()[measured];
    return result;
}

}  // namespace lumo::engine
