// The join loop that binding shares between the encodings: one walk over the
// block with a write position that never overtakes the read position, so the
// output may be the block itself. Line breaks are dropped, and at the head of
// each joined line the prefix and, if asked, the blanks are skipped.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "text/text.h"

namespace lumo {

// skip_blank(p) returns the position behind the blank character at p, or p
// itself when p holds none.
template <class SkipBlank>
void JoinLines(const char *text, char *output, const char *prefix, size_t prefix_length, bool strip,
               uint32_t newline, SkipBlank skip_blank) {
    const char *read = text;
    char *write = output;
    for (;;) {
        const size_t run = std::strcspn(read, "\r\n");
        std::memmove(write, read, run);  // write never passes read, but may meet it
        write += run;
        read += run;
        if (*read == '\0') break;
        while (*read == '\r' || *read == '\n') ++read;
        if (std::strncmp(read, prefix, prefix_length) == 0) read += prefix_length;
        if (strip) {
            for (const char *next; *read != '\0' && (next = skip_blank(read)) != read;) read = next;
        }
    }
    // read stands on the block's NUL, so the block's length comes free. Its
    // last bytes are as they were, also when the output is the block itself:
    // a terminator there was skipped, never copied over, and text copied over
    // text is never CR or LF.
    const bool restore = EndsWithNewline(text, static_cast<size_t>(read - text), newline);
    *write = '\0';
    if (restore) AppendNewline(write, newline);
}

}  // namespace lumo
