// Display columns of code page 932 text (or a UTF-8 line's image): a byte
// is a column, so a two-byte character is two, and a tab runs to the next
// tab stop (a tab width of 0 makes it one column). The break search and
// bind's block ends measure alike.
#pragma once

#include <cstdint>
#include <cstring>

#include "text/text.h"

namespace lumo {

// The column behind a tab that starts at column.
inline uint64_t AfterTab(uint64_t column, uint32_t tab_width) {
    return tab_width == 0 ? column + 1 : (column / tab_width + 1) * tab_width;
}

// The columns of [p, end), which holds no line end.
inline uint64_t Columns(const char *p, const char *end, uint32_t tab_width) {
    const auto *tab = static_cast<const char *>(std::memchr(p, '\t', static_cast<size_t>(end - p)));
    if (tab == nullptr) return static_cast<uint64_t>(end - p);  // a column per byte
    uint64_t column = static_cast<uint64_t>(tab - p);
    for (p = tab; p < end; ++p) column = *p == '\t' ? AfterTab(column, tab_width) : column + 1;
    return column;
}

}  // namespace lumo
