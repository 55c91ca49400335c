// The three rules that may move a line break: word wrap, push-out (追い出し)
// and hanging (ぶら下げ). Each returns a new break, or nullptr to leave the
// break where it is. None of them writes anything.
#pragma once

#include <cstdint>

#include "text/text.h"
#include "lumotext.h"

namespace lumo {

// Whether byte is a word byte under the word class that wraptype selects.
bool IsWordByte(unsigned char byte, uint32_t wraptype, const char *chars_for_wordwrap);

// The kinsoku sets and the word class of the fold settings as tables, built
// once per formatting call. Each rule below takes them when it has them and
// otherwise walks the sets; the answers are the same.
struct FoldTables {
    FoldTables(const CodePage &cp, const FoldSettings &fold);

    CharTable not_for_head;
    CharTable not_for_tail;
    bool word_byte[256];
};

// Kinsoku class of the character at p: 1 may not begin a line
// (chars_not_for_head), else 2 may not end one (chars_not_for_tail), else 0.
int KinsokuClass(const CodePage &cp, const char *p, const FoldSettings &fold,
                 const FoldTables *tables = nullptr);

// line_start bounds the backward scan: it never reads before it.
const char *WordWrapBreak(const CodePage &cp, const char *brk, const char *segment,
                          const char *line_start, const FoldSettings &fold,
                          const FoldTables *tables = nullptr);
const char *PushOutBreak(const CodePage &cp, const char *brk, const char *limit,
                         const FoldSettings &fold, const FoldTables *tables = nullptr);
const char *HangBreak(const CodePage &cp, const char *brk, const char *segment,
                      const FoldSettings &fold, const FoldTables *tables = nullptr);

}  // namespace lumo
