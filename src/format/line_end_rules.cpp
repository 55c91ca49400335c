// Word wrap, push-out and hanging. Kinsoku works on whole characters; word
// wrap works on bytes, so that a two-byte character's trail byte can count as
// a letter, as it always has.
#include "format/line_end_rules.h"

namespace lumo {
namespace {

// The character before pos, measured as walking from from finds it.
const char *CharBefore(const CodePage &cp, const char *from, const char *pos) {
    return (pos - from >= 2 && StartsDoubleByte(cp, from, pos - 2)) ? pos - 2 : pos - 1;
}

}  // namespace

FoldTables::FoldTables(const CodePage &cp, const FoldSettings &fold)
    : not_for_head(cp, fold.chars_not_for_head), not_for_tail(cp, fold.chars_not_for_tail), word_byte(fold) {}

int KinsokuClass(const CodePage &cp, const char *p, const FoldTables &tables) {
    const uint32_t code = cp.CharCode(p);
    if (tables.not_for_head.Contains(code)) return 1;
    if (tables.not_for_tail.Contains(code)) return 2;
    return 0;
}

const char *WordWrapBreak(const CodePage &cp, const char *brk, const char *segment, const char *line_start,
                          const FoldSettings &fold, const FoldTables &tables) {
    // A half-width space at the break stays at the end of the line.
    if (static_cast<unsigned char>(*brk) == kSpace) return brk + 1;

    // Take word bytes backward, the byte at the break first.
    uint64_t taken = 0;
    const char *p = brk;
    while (taken < fold.maxmove_leftwise && tables.word_byte[static_cast<unsigned char>(*p)]) {
        ++taken;
        if (p == line_start) return line_start;  // the run reaches the line head
        --p;
    }
    if (taken == 0) return nullptr;
    // p is the byte where the scan ended; a two-byte character there whose
    // trail byte was taken stays whole on this line.
    return StartsDoubleByte(cp, segment, p) ? p + 2 : p + 1;
}

const char *PushOutBreak(const CodePage &cp, const char *brk, const char *limit, const FoldTables &tables) {
    int next = KinsokuClass(cp, brk, tables);
    const char *current = CharBefore(cp, limit, brk);
    while (current > limit) {
        const int prev = KinsokuClass(cp, current, tables);
        const char *candidate = current + cp.CharLength(current);
        if (prev != 2 && next != 1) return candidate == brk ? nullptr : candidate;
        next = prev;
        current = CharBefore(cp, limit, current);
    }
    // At the limit the break is placed whether or not it is acceptable there.
    return limit;
}

const char *HangBreak(const CodePage &cp, const char *brk, const char *segment, const FoldSettings &fold,
                      const FoldTables &tables) {
    int prev = KinsokuClass(cp, CharBefore(cp, segment, brk), tables);
    uint64_t count = 0;
    const char *p = brk;
    while (count <= fold.maxmove_rightwise && !IsLineEnd(static_cast<unsigned char>(*p))) {
        const int cur = KinsokuClass(cp, p, tables);
        if (cur != 1 && prev != 2) break;
        prev = cur;
        p += cp.CharLength(p);
        ++count;
    }
    return count == 0 ? nullptr : p;
}

}  // namespace lumo
