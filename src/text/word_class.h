// Which bytes word wrap counts as letters of a word, as the fold settings
// choose them (wraptype): letters and digits, every printable ASCII byte,
// or letters and digits with the bytes of chars_for_wordwrap. Word wrap
// works on bytes, so that a two-byte character's trail byte can count as a
// letter, as it always has.
#pragma once

#include <cstdint>
#include <cstring>

#include "lumotext.h"

namespace lumo {

inline bool IsAsciiAlnum(unsigned char byte) {
    return (byte >= '0' && byte <= '9') || (byte >= 'A' && byte <= 'Z') || (byte >= 'a' && byte <= 'z');
}

// Whether byte is a word byte under the word class that wraptype selects.
inline bool IsWordByte(unsigned char byte, uint32_t wraptype, const char *chars_for_wordwrap) {
    if (wraptype & WRAP_ASCII) return byte >= 0x21 && byte <= 0x7E;
    if (IsAsciiAlnum(byte)) return true;
    if (wraptype & WRAP_ALNUM) return false;
    return byte != 0 && std::strchr(chars_for_wordwrap, byte) != nullptr;
}

// The word class of a fold record as a table, one flag per byte.
struct WordBytes {
    explicit WordBytes(const FoldSettings &fold) {
        for (int b = 0; b < 256; ++b) {
            byte[b] = IsWordByte(static_cast<unsigned char>(b), fold.wraptype, fold.chars_for_wordwrap);
        }
    }
    bool operator[](unsigned char b) const { return byte[b]; }
    bool byte[256];
};

}  // namespace lumo
