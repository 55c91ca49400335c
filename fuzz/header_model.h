// The header block, found the plain way for the properties: the first line
// that is empty (with HEADER_DELIM_EMPTY_LINE), equals the delimiter
// (HEADER_DELIM_EXACT) or begins with it ends the block and belongs to it.
#pragma once

#include <cstddef>
#include <string>

#include "lumotext.h"

namespace lumo_fuzz {

// Bytes of the header block at the start of text (text ends at its first
// NUL); delimiter is the delimiter as the caller's field gives it.
inline size_t HeaderLength(const std::string &text, uint32_t lumoheader, const std::string &delimiter) {
    if (!(lumoheader & HEADER_NO_FORMAT)) return 0;
    size_t pos = 0;
    while (pos < text.size()) {
        size_t end = pos;
        while (end < text.size() && text[end] != '\r' && text[end] != '\n') ++end;
        size_t next = end;
        if (next < text.size() && text[next] == '\r') {
            ++next;
            if (next < text.size() && text[next] == '\n') ++next;
        } else if (next < text.size() && text[next] == '\n') {
            ++next;
        }
        bool ends;
        if (lumoheader & HEADER_DELIM_EMPTY_LINE) {
            ends = end == pos && end < text.size();
        } else if (lumoheader & HEADER_DELIM_EXACT) {
            ends = text.compare(pos, end - pos, delimiter) == 0;
        } else {
            // Over the delimiter's length, within the line and its break.
            ends = next - pos >= delimiter.size() && text.compare(pos, delimiter.size(), delimiter) == 0;
        }
        if (ends) return next;
        pos = next;
    }
    return 0;
}

}  // namespace lumo_fuzz
