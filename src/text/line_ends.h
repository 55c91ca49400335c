// Finding logical lines in a stretch of text: CR LF, CR and LF each end a
// line. Every scan of the library and the tool for line ends is one of these.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "lumotext.h"

namespace lumo {

// The first CR or LF in [p, end), or end. A line's CR comes before its LF,
// so CR is looked for only in front of the first LF.
inline const char *FindLineEnd(const char *p, const char *end) {
    if (p == end) return end;  // p may be null then
    const auto *lf = static_cast<const char *>(std::memchr(p, '\n', static_cast<size_t>(end - p)));
    const char *stop = lf != nullptr ? lf : end;
    const auto *cr = static_cast<const char *>(std::memchr(p, '\r', static_cast<size_t>(stop - p)));
    return cr != nullptr ? cr : stop;
}

// The kind of the line end at p (< end, a CR or LF) and the position behind
// it. A CR at end - 1 counts as CR; callers that may still receive an LF
// leave it for later (SettledEnd).
inline const char *PassLineEnd(const char *p, const char *end, uint32_t *kind) {
    if (*p == '\n') {
        *kind = NEWLINE_LF;
        return p + 1;
    }
    if (p + 1 < end && p[1] == '\n') {
        *kind = NEWLINE_CRLF;
        return p + 2;
    }
    *kind = NEWLINE_CR;
    return p + 1;
}

// The length of [text, text + length) up to behind its last line end that
// more text cannot change (a CR at the very end may be half of a CR LF,
// unless the text is at its end); 0 when there is none.
inline size_t SettledEnd(const char *text, size_t length, bool at_end) {
    size_t end = length;
    if (!at_end && end > 0 && text[end - 1] == '\r') --end;
    if (end == 0) return 0;  // text may be null then
#ifdef __GLIBC__
    // A long line's part holds neither: both searches run at memchr's speed.
    const auto *lf = static_cast<const char *>(memrchr(text, '\n', end));
    const char *from = lf != nullptr ? lf + 1 : text;
    const auto *cr = static_cast<const char *>(memrchr(from, '\r', static_cast<size_t>(text + end - from)));
    const char *last = cr != nullptr ? cr : lf;
    return last != nullptr ? static_cast<size_t>(last - text) + 1 : 0;
#else
    while (end > 0 && text[end - 1] != '\n' && text[end - 1] != '\r') --end;
    return end;
#endif
}

// The number of line ends in [p, end): CR LF, CR and LF count one each.
inline uint64_t CountLineEnds(const char *p, const char *end) {
    uint64_t count = 0;
    uint32_t kind = NEWLINE_NONE;
    for (p = FindLineEnd(p, end); p < end; p = FindLineEnd(p, end)) {
        p = PassLineEnd(p, end, &kind);
        ++count;
    }
    return count;
}

}  // namespace lumo
