// Finding the end of the header block: the first empty line, or the first
// line that equals (or begins with) the delimiter, ends it and belongs to it.
#include "paragraph/header.h"

#include <cstring>

#include "text/text.h"

namespace lumo {

const char *SkipHeader(const char *text, const HeaderSettings &header) {
    if (!(header.lumoheader & HEADER_NO_FORMAT)) return text;
    // The delimiter field may lack its NUL when a caller filled all 256 bytes.
    const char *delimiter = header.headerdelimiter;
    const size_t delimiter_length = strnlen(delimiter, sizeof header.headerdelimiter);

    const char *line = text;
    while (*line != '\0') {
        const char *end = line;
        while (!IsLineEnd(static_cast<unsigned char>(*end))) ++end;
        const size_t length = static_cast<size_t>(end - line);
        const char *next = end;  // behind the line break: CR LF, CR or LF
        if (*next == '\r') {
            ++next;
            if (*next == '\n') ++next;
        } else if (*next == '\n') {
            ++next;
        }

        bool ends_header;
        if (header.lumoheader & HEADER_DELIM_EMPTY_LINE) {
            ends_header = length == 0 && *end != '\0';
        } else if (header.lumoheader & HEADER_DELIM_EXACT) {
            ends_header = length == delimiter_length && std::memcmp(line, delimiter, length) == 0;
        } else {
            // Begins with the delimiter; the comparison stays inside the line.
            const auto whole = static_cast<size_t>(next - line);
            ends_header = whole >= delimiter_length && std::memcmp(line, delimiter, delimiter_length) == 0;
        }
        if (ends_header) return next;
        line = next;
    }
    return text;
}

}  // namespace lumo
