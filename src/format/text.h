// The character model shared by formatting, classification and binding: a
// lead-byte table taken from the platform once per call, character lengths and
// codes, set membership, and the small text primitives on line terminators.
#pragma once

#include <cstddef>
#include <cstdint>

namespace lumo {

constexpr unsigned char kTab = 0x09;
constexpr unsigned char kLf = 0x0A;
constexpr unsigned char kCr = 0x0D;
constexpr unsigned char kSpace = 0x20;
constexpr uint32_t kWideSpace = 0x8140;  // the full-width space, 81 40

inline bool IsLineEnd(unsigned char byte) { return byte == 0 || byte == kCr || byte == kLf; }

// The lead bytes of the ANSI code page, asked of the platform once so that the
// scans below test a table instead of calling out for every byte.
class CodePage {
public:
    CodePage();

    bool IsLead(unsigned char byte) const { return lead_[byte]; }

    // Bytes in the character at p: 2 for a lead byte with a trail byte behind
    // it. A lead byte followed by NUL, CR or LF is an incomplete character and
    // counts as one byte, so no scan ever steps over a terminator.
    size_t CharLength(const char *p) const {
        const auto *u = reinterpret_cast<const unsigned char *>(p);
        return (lead_[u[0]] && !IsLineEnd(u[1])) ? 2 : 1;
    }

    // The character at p as one code: lead * 256 + trail, or the byte itself.
    uint32_t CharCode(const char *p) const {
        const auto *u = reinterpret_cast<const unsigned char *>(p);
        return CharLength(p) == 2 ? (uint32_t{u[0]} << 8) | u[1] : u[0];
    }

    // Whether the character code occurs in the NUL-terminated set, compared
    // whole character against whole character.
    bool InSet(const char *set, uint32_t code) const;

private:
    bool lead_[256];
};

// True when walking from start one character at a time lands exactly on pos
// and a two-byte character begins there.
bool StartsDoubleByte(const CodePage &cp, const char *start, const char *pos);

// Appends CR when the kind has bit 0x2, then LF when it has bit 0x1, then NUL.
void AppendNewline(char *string, uint32_t kind);

// The terminator kind at the very end of a string: CRLF, LF, CR or none.
uint32_t NewlineKindOf(const char *string);

// Whether the length bytes at string end with the terminator of that kind.
bool EndsWithNewline(const char *string, size_t length, uint32_t kind);
bool EndsWithNewline(const char *string, uint32_t kind);

// Setting slots are numbered 1 to 10.
bool IsValidSlot(int32_t number);

}  // namespace lumo
