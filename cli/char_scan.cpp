// The syntax of each encoding, and the likelihood of a JIS X 0208 row in
// Japanese text. Shift-JIS, EUC-JP and ISO-2022-JP all place their two-byte
// characters in the same 94 rows, so one table weighs all three.
#include "char_scan.h"

namespace lumo::cli {
namespace {

// Rows of JIS X 0208 (as code page 932 and eucJP-ms fill them) and how
// likely Japanese text is to use them.
struct RowRange {
    uint8_t first;
    uint8_t last;
    CharKind kind;
    const char *holds;
};

constexpr RowRange kRows[] = {
    {1, 3, CharKind::kCommon, "punctuation, symbols, full-width digits and letters"},
    {4, 5, CharKind::kKana, "hiragana, katakana"},
    {6, 8, CharKind::kRare, "Greek, Cyrillic, box drawing"},
    {9, 12, CharKind::kUnlikely, "unassigned"},
    {13, 13, CharKind::kRare, "circled numbers, Roman numerals, units"},
    {14, 15, CharKind::kUnlikely, "unassigned"},
    {16, 47, CharKind::kCommon, "level-1 kanji"},
    {48, 84, CharKind::kRare, "level-2 kanji"},
    {85, 88, CharKind::kUnlikely, "unassigned"},
    {89, 92, CharKind::kRare, "NEC-selected IBM extension kanji"},
    {93, 114, CharKind::kUnlikely, "unassigned; Shift-JIS F0-F9: user-defined area"},
    {115, 120, CharKind::kRare, "Shift-JIS FA-FC: IBM extension kanji"},
};

// The table by row, for a lookup per character.
struct RowKinds {
    CharKind kind[121];
    constexpr RowKinds() : kind() {
        for (unsigned row = 0; row < 121; ++row) {
            kind[row] = CharKind::kUnlikely;
            for (const RowRange &range : kRows) {
                if (row >= range.first && row <= range.last) kind[row] = range.kind;
            }
        }
    }
};
constexpr RowKinds kRowKinds;

CharKind RowKind(unsigned row) { return row < 121 ? kRowKinds.kind[row] : CharKind::kUnlikely; }

constexpr ScannedChar kStray{1, CharKind::kStray};

ScannedChar Cut(const unsigned char *p, const unsigned char *end) {
    return {static_cast<uint8_t>(end - p), CharKind::kCut};
}

// A UTF-8 character as the Unicode standard defines it well-formed: no
// overlong form, no surrogate, nothing above U+10FFFF.
ScannedChar ScanUtf8(const unsigned char *p, const unsigned char *end) {
    const unsigned char lead = *p;
    if (lead < 0x80) return {1, CharKind::kAscii};
    uint8_t length;
    unsigned char low = 0x80, high = 0xBF;  // the range of the second byte
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        if (lead == 0xE0) low = 0xA0;
        if (lead == 0xED) high = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        if (lead == 0xF0) low = 0x90;
        if (lead == 0xF4) high = 0x8F;
    } else {
        return kStray;
    }
    for (uint8_t i = 1; i < length; ++i) {
        if (p + i >= end) return Cut(p, end);
        const unsigned char next = p[i];
        if (i == 1 ? (next < low || next > high) : (next & 0xC0) != 0x80) return kStray;
    }
    // Kana: U+3040 to U+30FF, E3 81 80 to E3 83 BF.
    const bool kana = lead == 0xE3 && p[1] >= 0x81 && p[1] <= 0x83;
    return {length, kana ? CharKind::kKana : CharKind::kCommon};
}

bool IsSjisLead(unsigned char byte) { return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC); }
bool IsSjisTrail(unsigned char byte) { return byte >= 0x40 && byte <= 0xFC && byte != 0x7F; }

ScannedChar ScanShiftJis(const unsigned char *p, const unsigned char *end) {
    const unsigned char lead = *p;
    if (lead < 0x80) return {1, CharKind::kAscii};
    if (lead >= 0xA1 && lead <= 0xDF) return {1, CharKind::kUnlikely};  // half-width katakana
    if (!IsSjisLead(lead)) return kStray;                               // 0x80, 0xA0, 0xFD-0xFF
    if (p + 1 >= end) return Cut(p, end);
    const unsigned char trail = p[1];
    if (!IsSjisTrail(trail)) return kStray;
    // Each lead byte holds two rows: trail bytes up to 0x9E the odd one.
    const unsigned pair = lead <= 0x9F ? lead - 0x81u : lead - 0xC1u;
    const unsigned row = pair * 2 + (trail <= 0x9E ? 1 : 2);
    return {2, RowKind(row)};
}

bool IsEucByte(unsigned char byte) { return byte >= 0xA1 && byte <= 0xFE; }

ScannedChar ScanEucJp(const unsigned char *p, const unsigned char *end) {
    const unsigned char lead = *p;
    if (lead < 0x80) return {1, CharKind::kAscii};
    if (lead == 0x8E) {  // SS2: half-width katakana
        if (p + 1 >= end) return Cut(p, end);
        return p[1] >= 0xA1 && p[1] <= 0xDF ? ScannedChar{2, CharKind::kUnlikely} : kStray;
    }
    if (lead == 0x8F) {  // SS3: JIS X 0212
        for (int i = 1; i < 3; ++i) {
            if (p + i >= end) return Cut(p, end);
            if (!IsEucByte(p[i])) return kStray;
        }
        return {3, CharKind::kRare};
    }
    if (!IsEucByte(lead)) return kStray;
    if (p + 1 >= end) return Cut(p, end);
    if (!IsEucByte(p[1])) return kStray;
    return {2, RowKind(lead - 0xA0u)};
}

bool IsJisByte(unsigned char byte) { return byte >= 0x21 && byte <= 0x7E; }

// The escape sequences of ISO-2022-JP (with JIS X 0201 katakana and JIS X
// 0212, as ISO-2022-JP-1 and code page 50221 have them).
struct Designation {
    const char *bytes;  // behind ESC
    IsoSet set;
};
constexpr Designation kDesignations[] = {
    {"(B", IsoSet::kAscii},    {"(J", IsoSet::kRoman},   {"(I", IsoSet::kKatakana},
    {"$B", IsoSet::kJis0208},  {"$@", IsoSet::kJis0208}, {"$(D", IsoSet::kJis0212},
};

ScannedChar ScanEscape(const unsigned char *p, const unsigned char *end, IsoSet *set) {
    bool cut = false;
    for (const Designation &row : kDesignations) {
        size_t i = 0;
        for (; row.bytes[i] != '\0'; ++i) {
            if (p + 1 + i >= end) {
                cut = true;
                break;
            }
            if (p[1 + i] != static_cast<unsigned char>(row.bytes[i])) break;
        }
        if (row.bytes[i] == '\0') {
            *set = row.set;
            return {static_cast<uint8_t>(1 + i), CharKind::kShift};
        }
    }
    // Any other escape (a terminal's colour, say) is a control character.
    return cut ? Cut(p, end) : ScannedChar{1, CharKind::kAscii};
}

ScannedChar ScanIso2022Jp(const unsigned char *p, const unsigned char *end, IsoSet *set) {
    const unsigned char byte = *p;
    if (byte == 0x1B) return ScanEscape(p, end, set);
    if (byte >= 0x80) return kStray;
    if (!IsJisByte(byte)) return {1, CharKind::kAscii};  // controls and line ends, in every set
    switch (*set) {
    case IsoSet::kAscii:
    case IsoSet::kRoman: return {1, CharKind::kAscii};
    case IsoSet::kKatakana: return byte <= 0x5F ? ScannedChar{1, CharKind::kUnlikely} : kStray;
    case IsoSet::kJis0208:
    case IsoSet::kJis0212:
        if (p + 1 >= end) return Cut(p, end);
        if (!IsJisByte(p[1])) return kStray;
        return {2, *set == IsoSet::kJis0212 ? CharKind::kRare : RowKind(byte - 0x20u)};
    }
    return kStray;
}

}  // namespace

ScannedChar ScanChar(Encoding encoding, const unsigned char *p, const unsigned char *end, IsoSet *set) {
    switch (encoding) {
    case Encoding::kShiftJis: return ScanShiftJis(p, end);
    case Encoding::kEucJp: return ScanEucJp(p, end);
    case Encoding::kIso2022Jp: return ScanIso2022Jp(p, end, set);
    default: return ScanUtf8(p, end);
    }
}

size_t ScanShiftJisRun(const unsigned char *p, const unsigned char *end, uint64_t by_kind[8]) {
    const unsigned char *const start = p;
    while (p < end && *p >= 0x80) {
        const unsigned char lead = *p;
        if (lead >= 0xA1 && lead <= 0xDF) {  // half-width katakana
            ++by_kind[static_cast<size_t>(CharKind::kUnlikely)];
            ++p;
            continue;
        }
        if (!IsSjisLead(lead) || end - p < 2 || !IsSjisTrail(p[1])) break;
        const unsigned pair = lead <= 0x9F ? lead - 0x81u : lead - 0xC1u;
        ++by_kind[static_cast<size_t>(RowKind(pair * 2 + (p[1] <= 0x9E ? 1 : 2)))];
        p += 2;
    }
    return static_cast<size_t>(p - start);
}

const char *IsoDesignation(IsoSet set) {
    switch (set) {
    case IsoSet::kAscii: return "\x1B(B";
    case IsoSet::kRoman: return "\x1B(J";
    case IsoSet::kKatakana: return "\x1B(I";
    case IsoSet::kJis0208: return "\x1B$B";
    case IsoSet::kJis0212: return "\x1B$(D";
    }
    return "\x1B(B";
}

}  // namespace lumo::cli
