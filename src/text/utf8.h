// Decoding UTF-8 one code point at a time. Every byte that does not begin or
// continue a well-formed character (overlong forms, surrogates, code points
// above U+10FFFF, truncated sequences) is one character of its own.
#pragma once

#include <cstddef>
#include <cstdint>

namespace lumo::text {

constexpr uint32_t kInvalidByte = 0xFFFFFFFFu;  // the code of a byte that is not UTF-8

struct Decoded {
    uint32_t code_point;  // kInvalidByte for an ill-formed byte
    uint32_t length;      // bytes taken: 1 to 4
};

// The character at p, end bounding the read (p < end).
inline Decoded DecodeUtf8(const unsigned char *p, const unsigned char *end) {
    const unsigned char b0 = p[0];
    if (b0 < 0x80) return {b0, 1};
    const auto cont = [&](ptrdiff_t i) { return p + i < end && (p[i] & 0xC0) == 0x80; };
    if (b0 >= 0xC2 && b0 <= 0xDF) {
        if (cont(1)) return {(uint32_t{b0} & 0x1F) << 6 | (p[1] & 0x3Fu), 2};
    } else if (b0 >= 0xE0 && b0 <= 0xEF) {
        if (cont(1) && cont(2)) {
            const uint32_t cp = (uint32_t{b0} & 0x0F) << 12 | (p[1] & 0x3Fu) << 6 | (p[2] & 0x3Fu);
            if (cp >= 0x800 && (cp < 0xD800 || cp > 0xDFFF)) return {cp, 3};
        }
    } else if (b0 >= 0xF0 && b0 <= 0xF4) {
        if (cont(1) && cont(2) && cont(3)) {
            const uint32_t cp = (uint32_t{b0} & 0x07) << 18 | (p[1] & 0x3Fu) << 12 | (p[2] & 0x3Fu) << 6 |
                                (p[3] & 0x3Fu);
            if (cp >= 0x10000 && cp <= 0x10FFFF) return {cp, 4};
        }
    }
    return {kInvalidByte, 1};
}

inline Decoded DecodeUtf8(const char *p, const char *end) {
    return DecodeUtf8(reinterpret_cast<const unsigned char *>(p), reinterpret_cast<const unsigned char *>(end));
}

// Appends the UTF-8 form of a scalar value at out; returns the bytes written.
inline size_t EncodeUtf8(uint32_t cp, char *out) {
    auto *u = reinterpret_cast<unsigned char *>(out);
    if (cp < 0x80) {
        u[0] = static_cast<unsigned char>(cp);
        return 1;
    }
    if (cp < 0x800) {
        u[0] = static_cast<unsigned char>(0xC0 | (cp >> 6));
        u[1] = static_cast<unsigned char>(0x80 | (cp & 0x3F));
        return 2;
    }
    if (cp < 0x10000) {
        u[0] = static_cast<unsigned char>(0xE0 | (cp >> 12));
        u[1] = static_cast<unsigned char>(0x80 | ((cp >> 6) & 0x3F));
        u[2] = static_cast<unsigned char>(0x80 | (cp & 0x3F));
        return 3;
    }
    u[0] = static_cast<unsigned char>(0xF0 | (cp >> 18));
    u[1] = static_cast<unsigned char>(0x80 | ((cp >> 12) & 0x3F));
    u[2] = static_cast<unsigned char>(0x80 | ((cp >> 6) & 0x3F));
    u[3] = static_cast<unsigned char>(0x80 | (cp & 0x3F));
    return 4;
}

}  // namespace lumo::text
