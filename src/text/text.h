// The character model shared by formatting, classification and binding: a
// lead-byte table taken from the platform once per call, character lengths and
// codes, set membership (walked, or through a table built once per call), and
// the small text primitives on line terminators.
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

// The byte ranges of code page 932 itself, for code that must not depend on
// the system's ANSI code page (the tool, which reads Shift-JIS files).
constexpr bool IsCp932LeadByte(unsigned char byte) {
    return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}
constexpr bool IsCp932TrailByte(unsigned char byte) {
    return (byte >= 0x40 && byte <= 0x7E) || (byte >= 0x80 && byte <= 0xFC);
}
// ASCII and the half-width katakana.
constexpr bool IsCp932SingleByte(unsigned char byte) { return byte < 0x80 || (byte >= 0xA1 && byte <= 0xDF); }

// The lead bytes of the ANSI code page, asked of the platform once so that the
// scans below test a table instead of calling out for every byte.
class CodePage {
public:
    // The ANSI code page's lead bytes, as the platform answers.
    CodePage();
    // Code page 932's own lead bytes, whatever the system's code page: for
    // Shift-JIS files and for the code page 932 image of UTF-8 text.
    static CodePage Cp932();

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

// A character set as a table of one bit per character code (one-byte codes
// below 0x100, two-byte codes above), built once per formatting call from
// the NUL-terminated set, so that a test is one load instead of a walk over
// the set. It answers exactly as CodePage::InSet does for that set.
class CharTable {
public:
    CharTable(const CodePage &cp, const char *set);

    bool Contains(uint32_t code) const { return (bits_[code >> 6] >> (code & 63)) & 1; }

private:
    uint64_t bits_[0x10000 / 64];  // CharCode is below 0x10000
};

// A character set as the scans test it: the set itself, and its table when
// the call built one (else each test walks the set).
class CharSet {
public:
    CharSet(const char *chars, const CharTable *table = nullptr) : chars_(chars), table_(table) {}  // NOLINT

    bool Contains(const CodePage &cp, uint32_t code) const {
        return table_ != nullptr ? table_->Contains(code) : cp.InSet(chars_, code);
    }

private:
    const char *chars_;
    const CharTable *table_;
};

// True when walking from start one character at a time lands exactly on pos
// and a two-byte character begins there. The walk is not taken: a one-byte
// character always ends where one begins, so only the two-byte characters
// just before pos are counted, and a NUL before pos still answers false.
bool StartsDoubleByte(const CodePage &cp, const char *start, const char *pos);

// The same for a stretch [start, pos) known to hold no NUL, as a segment's
// text in front of its fold position is, without looking for one.
bool StartsDoubleByteInText(const CodePage &cp, const char *start, const char *pos);

// The bytes of a terminator kind: "\r\n", "\r", "\n", or "" for none.
inline const char *NewlineBytes(uint32_t kind) {
    switch (kind & 3u) {
    case 3: return "\r\n";
    case 2: return "\r";
    case 1: return "\n";
    default: return "";
    }
}

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
