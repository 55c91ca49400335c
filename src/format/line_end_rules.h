// The three rules that may move a line break: word wrap, push-out (追い出し)
// and hanging (ぶら下げ). Each returns a new break, or nullptr to leave the
// break where it is. None of them writes anything.
#pragma once

#include <cstdint>

#include "lumotext.h"
#include "text/text.h"
#include "text/word_class.h"

namespace lumo {

// The kinsoku sets and the word class of the fold settings as tables,
// built once per formatting call, so that no rule walks a set.
struct FoldTables {
    FoldTables(const CodePage &cp, const FoldSettings &fold);

    CharTable not_for_head;
    CharTable not_for_tail;
    WordBytes word_byte;
};

// Kinsoku class of the character at p: 1 may not begin a line
// (chars_not_for_head), else 2 may not end one (chars_not_for_tail), else 0.
int KinsokuClass(const CodePage &cp, const char *p, const FoldTables &tables);

// line_start bounds the backward scan: it never reads before it.
const char *WordWrapBreak(const CodePage &cp, const char *brk, const char *segment, const char *line_start,
                          const FoldSettings &fold, const FoldTables &tables);
const char *PushOutBreak(const CodePage &cp, const char *brk, const char *limit, const FoldTables &tables);
const char *HangBreak(const CodePage &cp, const char *brk, const char *segment, const FoldSettings &fold,
                      const FoldTables &tables);

}  // namespace lumo
