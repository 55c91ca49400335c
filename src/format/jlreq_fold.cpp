// Segments by the Japanese line-break rules. The units of a window are made
// once; a segment's search runs on from window to window, the units it has
// settled written out and dropped, so that a run that is never split (a
// word of any length) costs no more than its bytes.
#include "format/jlreq_fold.h"

#include <cstring>

#include "text/line_ends.h"
#include "text/unicode_data.h"
#include "text/utf8.h"

namespace lumo {

jlreq::Traits TraitsOf(uint32_t code_point) {
    // The commonest characters need nothing of the character model.
    const bool direct = code_point < 0x80 || code_point - 0x3000 < 0x400 || code_point - 0x4E00 < 0x5200 ||
                        code_point == text::kInvalidByte;
    return jlreq::Classify(code_point, direct ? text::CodePointInfo{} : text::UnicodeData::Info(code_point));
}

uint32_t CodePointAt(const CodePage &cp, const LineView &view, const char *p) {
    if (view.offsets == nullptr) {
        const uint32_t code_point = text::Cp932CodePoint(static_cast<uint16_t>(cp.CharCode(p)));
        return code_point == text::kNoCodePoint ? text::kInvalidByte : code_point;
    }
    const size_t at = static_cast<size_t>(p - view.text);
    const char *from = view.bytes + view.offsets[at];
    const char *to = view.bytes + view.offsets[at + cp.CharLength(p)];
    return text::DecodeUtf8(from, to).code_point;
}

JlreqCodes::JlreqCodes(const FoldTables &tables, bool utf8, bool ascii_as_itself)
    : tables_(tables), utf8_(utf8), ascii_as_itself_(ascii_as_itself), entries_(new uint32_t[0x10000]()) {}

jlreq::Traits CodeTraits(const FoldTables &tables, uint32_t code_point, uint32_t code) {
    jlreq::Traits traits = jlreq::Drawn(TraitsOf(code_point), code_point, code > 0xFF ? 2 : 1);
    if (tables.not_for_head.Contains(code)) traits |= jlreq::trait::kUserNoHead;
    if (tables.not_for_tail.Contains(code)) traits |= jlreq::trait::kUserNoTail;
    return traits;
}

uint32_t JlreqCodes::Learn(uint32_t code) {
    const uint32_t code_point = text::Cp932CodePoint(static_cast<uint16_t>(code));
    // In a UTF-8 image a code that code page 932 does not decode is one of
    // the image's own (a set's character, or a stand-in), and so is a
    // control byte that a set took.
    if (utf8_ && (code_point == text::kNoCodePoint || (code < 0x20 && !ascii_as_itself_))) {
        return entries_[code] = kKnown | kDecoded;
    }
    return entries_[code] = kKnown | Of(code_point == text::kNoCodePoint ? text::kInvalidByte : code_point, code);
}

namespace {

// An ASCII letter, digit or symbol: a character of its own wherever it
// stands after a character start, and one of a run of letters.
inline bool IsAsciiGraphic(char byte) { return static_cast<unsigned char>(byte - 0x21) < 0x7F - 0x21; }

// Steps back one character at a time from a character start, in code page
// 932 text whose trail bytes may look like lead bytes or like ASCII. A byte
// that is no lead byte ends whatever character it is in, so the character
// starts behind it follow from the run of lead bytes in front of it: each
// byte is looked at about once however far the walk goes, and never one
// before floor, a character start.
class BackWalk {
public:
    BackWalk(const CodePage &cp, const char *text, size_t floor)
        : cp_(cp), text_(reinterpret_cast<const unsigned char *>(text)), floor_(floor) {}

    // Whether a character begins at at (at least floor, with no line end
    // before it), and the walk stands there if so.
    bool Starts(size_t at) {
        at_ = at;
        run_ = at;
        while (run_ > floor_ && cp_.IsLead(text_[run_ - 1])) --run_;
        return (at_ - run_) % 2 == 0;
    }
    void Start(size_t at) { Starts(at); }
    // After Starts was false: the walk stands at the start of the two-byte
    // character that the place asked about cuts.
    size_t Straddled() { return --at_; }

    // The start of the character in front of where the walk stands (above
    // floor), where it then stands.
    size_t Prev() {
        if (at_ - run_ >= 2) return at_ -= 2;  // a pair of lead-looking bytes
        // The byte in front is no lead byte: a character of its own, or the
        // trail byte of a pair that the run in front of it ends with.
        const size_t last = at_ - 1;
        run_ = last;
        while (run_ > floor_ && cp_.IsLead(text_[run_ - 1])) --run_;
        at_ = (last - run_) % 2 == 0 ? last : last - 1;
        return at_;
    }

private:
    const CodePage &cp_;
    const unsigned char *text_;
    size_t floor_;
    size_t at_ = 0;   // where the walk stands
    size_t run_ = 0;  // [run_, at_) are lead bytes, an even count of them, and run_ is a character start
};

// One window of a line as the segment loop folds it.
class Folder {
public:
    Folder(const JlreqContext &context, const LineView &view, bool complete, JlreqLine *state)
        : context_(context), cp_(context.fold.cp), view_(view), state_(state) {
        const char *end = view.text + view.length;
        body_ = static_cast<size_t>(FindLineEnd(view.text, end) - view.text);
        // A window may end inside a two-byte character: it waits for its
        // trail byte.
        if (!complete && body_ > 0 && cp_.IsLead(static_cast<unsigned char>(view.text[body_ - 1]))) {
            size_t p = body_ - 1;
            while (p > 0 && cp_.IsLead(static_cast<unsigned char>(view.text[p - 1]))) --p;
            if ((body_ - 1 - p) % 2 == 0) --body_;  // a lead byte that the window's end cuts from its trail byte
        }
    }

    size_t body() const { return body_; }

    // The traits of the measured character at pos and its bytes.
    jlreq::Traits TraitsAt(size_t pos, unsigned *length) const {
        const char *p = view_.text + pos;
        *length = static_cast<unsigned>(cp_.CharLength(p));
        const uint32_t code = *length == 2 ? (uint32_t{static_cast<unsigned char>(p[0])} << 8) |
                                                 static_cast<unsigned char>(p[1])
                                           : static_cast<unsigned char>(p[0]);
        jlreq::Traits traits;
        if (!context_.codes.Lookup(code, &traits)) traits = context_.codes.Of(CodePointAt(cp_, view_, p), code);
        return traits;
    }

    // Makes units of the characters from pos up to stop (a character
    // boundary); their count.
    size_t MakeUnits(size_t pos, size_t stop) {
        std::vector<jlreq::BreakUnit> &units = state_->units;
        if (units.size() < stop - pos) units.resize(stop - pos);  // a unit a byte at the most
        jlreq::BreakUnit *unit = units.data();
        const auto *text = reinterpret_cast<const unsigned char *>(view_.text);
        JlreqCodes &codes = context_.codes;
        while (pos < stop) {
            // Each field is written in place: a unit made on the stack and
            // copied whole stalls on the store of its parts.
            const unsigned char byte = text[pos];
            const bool pair = cp_.IsLead(byte) && !IsLineEnd(text[pos + 1]);
            const uint32_t code = pair ? (uint32_t{byte} << 8) | text[pos + 1] : byte;
            jlreq::Traits traits;
            if (!codes.Lookup(code, &traits)) traits = codes.Of(CodePointAt(cp_, view_, view_.text + pos), code);
            unit->code_point = pair ? 0 : byte;  // tabs are told apart
            unit->width = pair ? 2 : 1;
            unit->traits = traits;
            ++unit;
            pos += pair ? 2 : 1;
        }
        return static_cast<size_t>(unit - units.data());
    }

    // The measured bytes of the first count units.
    size_t BytesOf(size_t count) const {
        size_t bytes = 0;
        for (size_t k = 0; k < count; ++k) bytes += state_->units[k].width;
        return bytes;
    }

    // The character boundary at or behind pos, at most stop.
    size_t Boundary(size_t from, size_t pos) const {
        if (pos > body_) return body_;
        return pos > from && StartsDoubleByteInText(cp_, view_.text + from, view_.text + pos - 1) ? pos + 1 : pos;
    }

    // A segment's end decided by the characters at the fold column and
    // before it, read where they lie, when the columns of the segment are
    // its bytes (no tab) and the segment is plain: what it begins with fits
    // and no mark hangs at the fold. It walks back as the search's
    // BestBefore does, over the same characters, and gives the same answer,
    // or gives way as its Decide does; 0 leaves the segment to the search.
    size_t Quick(size_t pos, size_t columns, size_t label, bool complete) const {
        namespace trait = jlreq::trait;
        constexpr jlreq::Traits kSpaceOrWide = 0x1000;  // the bit that spaces and wide characters share
        constexpr jlreq::Traits kOpens = kSpaceOrWide | trait::kInseparable;
        const char *text = view_.text;
        // The rest of a line that fits: its columns are at most its bytes.
        if (complete && body_ - pos <= columns) {
            return std::memchr(text + pos, '\t', body_ - pos) == nullptr ? body_ : 0;
        }
        if (columns < 4 || pos + columns + 4 > body_) return 0;  // the line, or the window, ends near
        if (std::memchr(text + pos, '\t', columns + 4) != nullptr) return 0;
        // The first character that does not fit: the one at the fold column,
        // or a two-byte character that straddles it. No line end lies this near.
        BackWalk walk(cp_, text, pos);
        const size_t limit = pos + columns;
        const size_t fits = walk.Starts(limit) ? limit : walk.Straddled();  // where the first that does not fit begins
        unsigned length = 0;
        // The indent (the spaces the segment begins with, and its label) is
        // never a place.
        size_t lead = pos;
        while (lead < fits && (jlreq::KindOf(TraitsAt(lead, &length)) == trait::kSpace || lead + length <= pos + label)) {
            lead += length;
        }
        if (lead >= fits) return 0;  // what follows the indent does not fit: the search decides
        size_t fold = fits;
        jlreq::Traits after = TraitsAt(fold, &length);
        while (jlreq::KindOf(after) == trait::kSpace) {  // spaces count for nothing
            fold += length;
            if (fold + 4 > body_ || text[fold] == '\t') return 0;
            after = TraitsAt(fold, &length);
        }
        if (context_.rules.hang && (after & trait::kHangs)) return 0;
        // A segment of ASCII letters, digits and symbols alone has no place,
        // as the walk below would find one character at a time.
        if (IsAsciiGraphic(text[fold])) {
            size_t ascii = fold;
            while (ascii > lead && IsAsciiGraphic(text[ascii - 1])) --ascii;
            if (ascii == lead) return GiveWay(lead, fold, lead);
        }
        if (fold != fits) walk.Start(fold);  // else the walk stands there
        // The walk looks at each character in front of fold once, and notes
        // how far back the run of letters that ends at fold reaches.
        size_t run = fold;
        bool in_run = jlreq::KindOf(after) == trait::kWord;
        const auto step_back = [&](jlreq::Traits *traits) {
            const size_t at = walk.Prev();
            *traits = TraitsAt(at, &length);
            if (in_run && jlreq::KindOf(*traits) == trait::kWord) {
                run = at;
            } else {
                in_run = false;
            }
            return at;
        };
        size_t place = fold;
        for (;;) {
            jlreq::Traits traits;
            size_t before = step_back(&traits);
            if (!(after & kOpens)) {
                // Between two characters that are neither wide nor spaces
                // nothing opens: a run of letters is crossed.
                while (!(traits & kOpens) && before > lead) {
                    place = before;
                    after = traits;
                    before = step_back(&traits);
                }
            }
            bool spaced = false;
            while (jlreq::KindOf(traits) == trait::kSpace) {  // the character at lead is none
                before = step_back(&traits);
                spaced = true;
            }
            if (jlreq::MayBreakBetween(context_.rules.level, traits, after, spaced)) return place;
            if (before == lead) return GiveWay(lead, fold, run);
            place = before;
            after = traits;
        }
    }

    // No place up to the fold column may end the segment, whose indent ends
    // at lead, and a run of letters ends at fold (or none, when run is
    // fold): a rule gives way as the search's Decide lets it. A run of
    // letters that began the segment (behind its indent), and its spaces, go
    // on as far as they go; 0 when the line or the window ends first, or a
    // mark hangs.
    size_t GiveWay(size_t lead, size_t fold, size_t run) const {
        namespace trait = jlreq::trait;
        unsigned length = 0;
        if (jlreq::KindOf(TraitsAt(fold, &length)) != trait::kWord) return fold;  // cut at the fold column
        if (run > lead) return run;  // the run goes to the next line whole
        size_t p = fold;
        while (p < body_ && IsAsciiGraphic(view_.text[p])) ++p;  // letters read a byte at a time
        if (p >= body_) return 0;
        jlreq::Traits traits = TraitsAt(p, &length);
        while (jlreq::KindOf(traits) == trait::kWord) {
            p += length;
            if (p >= body_) return 0;
            traits = TraitsAt(p, &length);
        }
        if (context_.rules.hang && (traits & trait::kHangs)) return 0;
        while (jlreq::KindOf(traits) == trait::kSpace) {
            p += length;
            if (p >= body_) return 0;
            traits = TraitsAt(p, &length);
        }
        return p;
    }

private:
    const JlreqContext &context_;
    const CodePage &cp_;
    const LineView &view_;
    JlreqLine *state_;
    size_t body_ = 0;
};

}  // namespace

FoldResult FoldSegmentsJlreq(const JlreqContext &context, const LineView &view, bool complete, LineFold *line,
                             JlreqLine *state, ByteBuffer *out, size_t *consumed) {
    Folder folder(context, view, complete, state);
    const size_t body = folder.body();  // where the line end begins, or the window's end
    const char *text = view.text;
    const auto write = [&](size_t from, size_t to) {
        if (view.offsets == nullptr) return out->Append(text + from, to - from);
        return out->Append(view.bytes + view.offsets[from], view.offsets[to] - view.offsets[from]);
    };
    const uint32_t saved = context.fold.fold.foldnum;
    size_t pos = 0;
    // The bytes units are made of for the search, grown when it asks for more.
    size_t horizon = size_t{saved} + 16;
    while (pos < body) {
        if (!state->search) {
            uint64_t columns = saved;
            uint64_t start_column = 0;
            // A line's first segment begins with what its continuation
            // prefix stands for: an item's mark, a quotation's, an indent.
            const uint64_t label = line->first && line->prefix_columns < saved ? line->prefix_columns : 0;
            if (!line->first) {
                uint32_t left = 0;
                const FoldResult started = StartContinuation(line, saved, out, &left);
                if (started != FoldResult::kDone) return started;
                columns = left;
                start_column = line->prefix_columns;
            }
            line->first = false;
            if (context.quick) {
                const size_t next =
                    folder.Quick(pos, static_cast<size_t>(columns), static_cast<size_t>(label), complete);
                if (next == body) break;  // the rest of the line fits: written below
                if (next != 0) {
                    if (!write(pos, next) || !out->Append(line->join.between, line->join.between_length)) {
                        return FoldResult::kNoMemory;
                    }
                    pos = next;
                    continue;
                }
            }
            state->search.emplace(columns, start_column, label);
            state->taken = 0;
            horizon = static_cast<size_t>(columns) + 16;  // columns come from a 32-bit fold column
        }
        // Units from pos for the search, as far as the horizon; beyond it the
        // line goes on as far as the search knows.
        const size_t stop = folder.Boundary(pos, pos + horizon);
        const size_t count = folder.MakeUnits(pos, stop);
        const bool more = stop < body || !complete;
        const jlreq::BreakWindow window{state->units.data(), count, state->taken, more};
        const jlreq::BreakAnswer answer = state->search->Search(context.rules, window);
        if (answer.outcome == jlreq::BreakOutcome::kNeedMore) {
            // What the search has settled goes out; it is read no more.
            const size_t settled = folder.BytesOf(static_cast<size_t>(answer.keep - state->taken));
            if (!write(pos, pos + settled)) return FoldResult::kNoMemory;
            state->taken = answer.keep;
            pos += settled;
            if (stop == body && !complete) break;  // the window has no more
            horizon *= 2;
            continue;
        }
        if (answer.outcome == jlreq::BreakOutcome::kLineEnd) break;  // the rest is written below
        const size_t next = pos + folder.BytesOf(static_cast<size_t>(answer.next - state->taken));
        if (!write(pos, next) || !out->Append(line->join.between, line->join.between_length)) {
            return FoldResult::kNoMemory;
        }
        state->search.reset();
        pos = next;
    }
    if (!complete) {
        *consumed = pos;
        return FoldResult::kMore;
    }
    // The rest of the line and its line end close the open segment (or are
    // all of a line with nothing before its line end).
    state->search.reset();
    if (!write(pos, view.length)) return FoldResult::kNoMemory;
    if (!line->own_line_end && !out->Append(line->join.after, line->join.after_length)) return FoldResult::kNoMemory;
    line->first = false;
    *consumed = view.length;
    return FoldResult::kDone;
}

}  // namespace lumo
