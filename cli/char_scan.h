// One step through a text in one of the tool's encodings: how many bytes the
// next character takes and how likely Japanese text is to hold it. The
// encoding detector weighs a text with it, the validator checks later pieces
// with it, and the converters cut their pieces between its characters.
#pragma once

#include <cstddef>
#include <cstdint>

#include "encoding.h"

namespace lumo::cli {

enum class CharKind : uint8_t {
    kAscii,     // one byte of the one-byte set (line ends and controls too)
    kShift,     // an ISO-2022-JP escape sequence that changes the character set
    kKana,      // hiragana or katakana (JIS rows 4 and 5)
    kCommon,    // common symbols, full-width letters, level-1 kanji; in UTF-8 any character beyond ASCII
    kRare,      // valid, but seldom in Japanese text: level-2 kanji, Greek, box drawing, JIS X 0212
    kUnlikely,  // valid, but hardly ever written: half-width katakana, unassigned rows, user-defined area
    kStray,     // a byte that begins no character of the encoding; its length is 1
    kCut,       // the bytes end inside a character; its length is what there is of it
};

// The state that ISO-2022-JP carries from one character to the next: the
// character set its escape sequences selected.
enum class IsoSet : uint8_t {
    kAscii,     // ESC ( B
    kRoman,     // ESC ( J, JIS X 0201 Roman: read as ASCII
    kKatakana,  // ESC ( I, JIS X 0201 katakana
    kJis0208,   // ESC $ B or ESC $ @
    kJis0212,   // ESC $ ( D
};

struct ScannedChar {
    uint8_t length;
    CharKind kind;
};

// The character that begins at p (p < end) in encoding (kUtf8, kShiftJis,
// kEucJp or kIso2022Jp). For ISO-2022-JP, *set is the set in force; an
// escape sequence changes it. A character cut by end is kCut: the caller
// waits for more bytes, or at the end of the text takes them as they are.
ScannedChar ScanChar(Encoding encoding, const unsigned char *p, const unsigned char *end, IsoSet *set);

// The Shift-JIS characters beyond ASCII from p on that are whole before end
// and of no kind but kana, common, rare or unlikely: their bytes, with the
// number of each kind added to by_kind (indexed by CharKind). One call for a
// run, so that a long Japanese text is checked at the speed of a loop.
size_t ScanShiftJisRun(const unsigned char *p, const unsigned char *end, uint64_t by_kind[8]);

// The ISO-2022-JP escape sequence that selects set, e.g. "\x1B$B".
const char *IsoDesignation(IsoSet set);

// Whether the byte can begin something that tells the encodings apart: a
// byte above 0x7F, or the escape that begins an ISO-2022-JP sequence.
inline bool IsEvidenceByte(unsigned char byte) { return byte >= 0x80 || byte == 0x1B; }

}  // namespace lumo::cli
