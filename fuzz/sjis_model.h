// The character model the properties are checked with, written apart from
// the library's: code page 932 lead bytes, and a lead byte with nothing but
// a NUL, CR or LF behind it counting as a one-byte character.
#pragma once

#include <cstddef>
#include <string>

namespace lumo_fuzz {

inline bool IsLead(char c) {
    const auto b = static_cast<unsigned char>(c);
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

// Bytes of the character at text[i]; text ends where the string ends.
inline size_t CharLength(const std::string &text, size_t i) {
    if (!IsLead(text[i]) || i + 1 >= text.size()) return 1;
    const char next = text[i + 1];
    return (next == '\0' || next == '\r' || next == '\n') ? 1 : 2;
}

inline bool IsBoundary(const std::string &text, size_t offset) {
    size_t i = 0;
    while (i < offset) i += CharLength(text, i);
    return i == offset;
}

}  // namespace lumo_fuzz
