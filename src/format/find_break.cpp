// The break search for one segment: measure the fold column, then let word
// wrap and push-out take turns (or word wrap then hanging) within the limit.
#include "format/find_break.h"

#include <cstring>

#include "text/columns.h"


namespace lumo {
namespace {

// The positions the break has held in one search. Rules move the break
// backward, except word wrap's one-byte step over a half-width space, so a
// move can only return to one of the last few positions; four are plenty.
class History {
public:
    explicit History(const char *first) { Add(first); }
    void Add(const char *p) { held_[count_++ % kSize] = p; }
    bool Holds(const char *p) const {
        for (size_t i = 0; i < kSize && i < count_; ++i) {
            if (held_[i] == p) return true;
        }
        return false;
    }

private:
    static constexpr size_t kSize = 4;
    const char *held_[kSize] = {};
    size_t count_ = 0;
};

// The first byte in [p, end) at or below CR (a tab, a line end or another
// control byte), or end. Eight bytes are tested at a time: a byte below 0x0E
// sets its top bit in (word - 0x0E0E...) & ~word, and no other byte can
// unless such a byte comes before it.
const char *SkipPrintable(const char *p, const char *end) {
    constexpr uint64_t kOnes = 0x0101010101010101u;
    constexpr uint64_t kTops = 0x8080808080808080u;
    for (; end - p >= 8; p += 8) {
        uint64_t word;
        std::memcpy(&word, p, sizeof word);
        if (((word - kOnes * (kCr + 1)) & ~word & kTops) != 0) break;
    }
    while (p < end && static_cast<unsigned char>(*p) > kCr) ++p;
    return p;
}

// Walks while the column is below the fold column; a character that starts
// before the fold column is taken whole, however far it reaches. Up to the
// first tab, line end or other control byte every character is as many
// columns wide as it has bytes, so that stretch is crossed without a walk.
const char *MeasureFold(const CodePage &cp, const char *segment, const char *line_end, uint32_t tab_width,
                        uint32_t foldnum) {
    const bool line_reaches_fold = static_cast<uint64_t>(line_end - segment) > foldnum;
    const char *p = SkipPrintable(segment, line_reaches_fold ? segment + foldnum : line_end);
    // The walk lands on p, or steps over it with a two-byte character.
    if (p > segment && StartsDoubleByteInText(cp, segment, p - 1)) ++p;

    auto column = static_cast<uint64_t>(p - segment);
    while (column < foldnum && !IsLineEnd(static_cast<unsigned char>(*p))) {
        const size_t length = cp.CharLength(p);
        if (length == 2) {
            column += 2;
        } else if (static_cast<unsigned char>(*p) == kTab) {
            column = AfterTab(column, tab_width);
        } else {
            column += 1;
        }
        p += length;
    }
    return p;
}

}  // namespace

const char *FindBreak(const FoldContext &context, uint32_t foldnum, const char *line_start,
                      const char *line_end, const char *segment) {
    const CodePage &cp = context.cp;
    const FoldSettings &fold = context.fold;
    const FoldTables &tables = context.tables;
    const char *fold_position = MeasureFold(cp, segment, line_end, context.tab_width, foldnum);
    if (IsLineEnd(static_cast<unsigned char>(*fold_position))) return line_end;

    const bool wordwrap = fold.tailwrap_flag & TAIL_WORDWRAP;
    const bool kinsoku = fold.tailwrap_flag & TAIL_KINSOKU;
    if (!wordwrap && !kinsoku) return fold_position;

    // The earliest position the rules may move the break to.
    const char *limit = segment + 1;
    if (static_cast<uint64_t>(fold_position - segment) > uint64_t{fold.maxmove_leftwise} + 1) {
        limit = fold_position - fold.maxmove_leftwise;
    }
    if (StartsDoubleByteInText(cp, segment, limit - 1)) ++limit;
    if (fold_position <= limit) return fold_position;

    const char *brk = fold_position;
    History held(brk);
    for (bool first_pass = true;; first_pass = false) {
        bool wordwrap_moved = false;
        bool pushout_moved = false;
        if (wordwrap) {
            const char *moved = WordWrapBreak(cp, brk, segment, line_start, fold, tables);
            if (moved != nullptr) {
                if (moved <= segment) return fold_position;  // no character would be left
                if (moved != brk && held.Holds(moved)) return brk;
                brk = moved;
                held.Add(brk);
                wordwrap_moved = true;
                if (brk <= limit) return brk;
            }
        }
        if (kinsoku && (first_pass || wordwrap_moved)) {
            if (fold.wraptype & WRAP_PUSH_OUT) {
                const char *moved = PushOutBreak(cp, brk, limit, tables);
                if (moved != nullptr) {
                    if (held.Holds(moved)) return brk;
                    brk = moved;
                    held.Add(brk);
                    pushout_moved = true;
                    if (brk <= limit) return brk;
                }
            } else if (fold.wraptype & WRAP_HANG) {
                const char *moved = HangBreak(cp, brk, segment, fold, tables);
                return moved != nullptr ? moved : brk;  // hanging has the last word
            }
        }
        if (!pushout_moved) return brk;
    }
}

}  // namespace lumo
