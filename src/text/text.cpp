// The character model and terminator primitives declared in text.h.
#include "text/text.h"

#include <cstring>

#include "platform/lead_byte.h"

namespace lumo {

CodePage::CodePage() {
    for (int byte = 0; byte < 256; ++byte) lead_[byte] = platform::IsLeadByte(static_cast<unsigned char>(byte));
}

CodePage CodePage::Cp932() {
    CodePage cp;
    for (int byte = 0; byte < 256; ++byte) cp.lead_[byte] = IsCp932LeadByte(static_cast<unsigned char>(byte));
    return cp;
}

bool CodePage::InSet(const char *set, uint32_t code) const {
    for (const char *p = set; *p != '\0'; p += CharLength(p)) {
        if (CharCode(p) == code) return true;
    }
    return false;
}

CharTable::CharTable(const CodePage &cp, const char *set) : bits_{} {
    for (const char *p = set; *p != '\0'; p += cp.CharLength(p)) {
        const uint32_t code = cp.CharCode(p);
        bits_[code >> 6] |= uint64_t{1} << (code & 63);
    }
}

bool StartsDoubleByte(const CodePage &cp, const char *start, const char *pos) {
    if (pos < start) return false;
    // The walk stops at a NUL before pos.
    if (std::memchr(start, '\0', static_cast<size_t>(pos - start)) != nullptr) return false;
    return StartsDoubleByteInText(cp, start, pos);
}

bool StartsDoubleByteInText(const CodePage &cp, const char *start, const char *pos) {
    // Walking from start, the byte behind a one-byte character is always a
    // character start, whether the walk stood on that byte or on the one
    // before it. From the last such start before pos only two-byte
    // characters follow, so the walk lands on pos when they pair up.
    const char *p = pos;
    while (p > start && cp.CharLength(p - 1) == 2) --p;
    return (pos - p) % 2 == 0 && cp.CharLength(pos) == 2;
}

void AppendNewline(char *string, uint32_t kind) {
    char *end = string + std::strlen(string);
    if (kind & 0x2) *end++ = '\r';
    if (kind & 0x1) *end++ = '\n';
    *end = '\0';
}

uint32_t NewlineKindOf(const char *string) {
    const size_t n = std::strlen(string);
    if (n >= 2 && string[n - 2] == '\r' && string[n - 1] == '\n') return 3;
    if (n >= 1 && string[n - 1] == '\n') return 1;
    if (n >= 1 && string[n - 1] == '\r') return 2;
    return 0;
}

bool EndsWithNewline(const char *string, size_t n, uint32_t kind) {
    switch (kind) {
    case 3: return n >= 2 && string[n - 2] == '\r' && string[n - 1] == '\n';
    case 1: return n >= 1 && string[n - 1] == '\n';
    case 2: return n >= 1 && string[n - 1] == '\r';
    default: return false;
    }
}

bool EndsWithNewline(const char *string, uint32_t kind) {
    return EndsWithNewline(string, std::strlen(string), kind);
}

bool IsValidSlot(int32_t number) { return number > 0 && number <= 10; }

}  // namespace lumo
