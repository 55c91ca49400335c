// The line-break classes: one table, a row per member of JLREQ's classes
// (Appendix A; sections 3.1.7 to 3.1.10) and per form that plain text uses
// for it, with what the member forbids at each of CSS Text 3's levels. A few
// rows of our own (no JLREQ class) keep together what UAX 14 keeps together
// and JLREQ does not list: sound marks, ASCII quotes, plus and backslash,
// no-break spaces. Lookups for ASCII, the kana and CJK symbol blocks and the
// full-width forms are direct tables made from the rows at compile time.
#include "format/jlreq_classes.h"

#include <array>
#include <cstddef>

#include "format/jlreq_scripts.h"
#include "text/utf8.h"

namespace lumo::jlreq {
namespace {

using namespace trait;

enum class JlreqClass : uint8_t {
    kCl01,  // opening brackets
    kCl02,  // closing brackets
    kCl03,  // hyphens
    kCl04,  // dividing punctuation marks
    kCl05,  // middle dots
    kCl06,  // full stops
    kCl07,  // commas
    kCl08,  // inseparable characters
    kCl09,  // iteration marks
    kCl10,  // prolonged sound mark
    kCl11,  // small kana
    kCl12,  // prefixed abbreviations
    kCl13,  // postfixed abbreviations
    kOwn,   // no JLREQ class: our own glue
};

// A row: the members first..last, their JLREQ class, and for each level what
// they forbid (H: beginning a line, T: ending one, P: a break between two of
// them); extra holds the bits that hold at every level.
struct ClassRow {
    char32_t first;
    char32_t last;
    JlreqClass jlreq;
    uint8_t strict;
    uint8_t normal;
    uint8_t loose;
    Traits extra;
};

constexpr uint8_t H = kNoHead;
constexpr uint8_t T = kNoTail;
constexpr uint8_t P = kKeepPairs;
constexpr uint8_t HT = kNoHead | kNoTail;
constexpr Traits Adj = kAdjacentOnly;  // an ASCII mark: forbids only where it touches
constexpr Traits Hang = kHangs;
constexpr Traits Ins = kInseparable;

using C = JlreqClass;

constexpr ClassRow kClassRows[] = {
    // first     last      class    strict normal loose  extra
    // cl-01 opening brackets: never at a line end.
    {U'‘', U'‘', C::kCl01, T, T, T, 0},
    {U'“', U'“', C::kCl01, T, T, T, 0},
    {U'(', U'(', C::kCl01, T, T, T, 0},
    {U'〔', U'〔', C::kCl01, T, T, T, 0},
    {U'[', U'[', C::kCl01, T, T, T, 0},
    {U'{', U'{', C::kCl01, T, T, T, 0},
    {U'〈', U'〈', C::kCl01, T, T, T, 0},
    {U'《', U'《', C::kCl01, T, T, T, 0},
    {U'「', U'「', C::kCl01, T, T, T, 0},
    {U'『', U'『', C::kCl01, T, T, T, 0},
    {U'【', U'【', C::kCl01, T, T, T, 0},
    {U'⦅', U'⦅', C::kCl01, T, T, T, 0},
    {U'〘', U'〘', C::kCl01, T, T, T, 0},
    {U'〖', U'〖', C::kCl01, T, T, T, 0},
    {U'«', U'«', C::kCl01, T, T, T, 0},
    {U'〝', U'〝', C::kCl01, T, T, T, 0},
    {U'（', U'（', C::kCl01, T, T, T, 0},
    {U'［', U'［', C::kCl01, T, T, T, 0},
    {U'｛', U'｛', C::kCl01, T, T, T, 0},
    {U'｟', U'｟', C::kCl01, T, T, T, 0},
    {U'｢', U'｢', C::kCl01, T, T, T, 0},
    // cl-02 closing brackets: never at a line head; the ASCII ones only
    // where they are glued to the character before them.
    {U'’', U'’', C::kCl02, H, H, H, 0},
    {U'”', U'”', C::kCl02, H, H, H, 0},
    {U')', U')', C::kCl02, H, H, H, Adj},
    {U'〕', U'〕', C::kCl02, H, H, H, 0},
    {U']', U']', C::kCl02, H, H, H, Adj},
    {U'}', U'}', C::kCl02, H, H, H, Adj},
    {U'〉', U'〉', C::kCl02, H, H, H, 0},
    {U'》', U'》', C::kCl02, H, H, H, 0},
    {U'」', U'」', C::kCl02, H, H, H, 0},
    {U'』', U'』', C::kCl02, H, H, H, 0},
    {U'】', U'】', C::kCl02, H, H, H, 0},
    {U'⦆', U'⦆', C::kCl02, H, H, H, 0},
    {U'〙', U'〙', C::kCl02, H, H, H, 0},
    {U'〗', U'〗', C::kCl02, H, H, H, 0},
    {U'»', U'»', C::kCl02, H, H, H, 0},
    {U'〟', U'〟', C::kCl02, H, H, H, 0},
    {U'）', U'）', C::kCl02, H, H, H, 0},
    {U'］', U'］', C::kCl02, H, H, H, 0},
    {U'｝', U'｝', C::kCl02, H, H, H, 0},
    {U'｠', U'｠', C::kCl02, H, H, H, 0},
    {U'｣', U'｣', C::kCl02, H, H, H, 0},
    // cl-03 hyphens: never at a line head in strict; normal lets 〜 and ゠
    // (and ～, the form of 〜 in plain text) begin a line; loose all.
    {U'‐', U'‐', C::kCl03, H, H, 0, 0},
    {U'〜', U'〜', C::kCl03, H, 0, 0, 0},
    {U'゠', U'゠', C::kCl03, H, 0, 0, 0},
    {U'–', U'–', C::kCl03, H, H, 0, 0},
    {U'～', U'～', C::kCl03, H, 0, 0, 0},
    // cl-04 dividing punctuation marks: loose lets them begin a line.
    {U'!', U'!', C::kCl04, H, H, 0, Adj},
    {U'?', U'?', C::kCl04, H, H, 0, Adj},
    {U'‼', U'‼', C::kCl04, H, H, 0, 0},
    {U'⁇', U'⁉', C::kCl04, H, H, 0, 0},  // ⁇ ⁈ ⁉
    {U'！', U'！', C::kCl04, H, H, 0, 0},
    {U'？', U'？', C::kCl04, H, H, 0, 0},
    // cl-05 middle dots: loose lets them begin a line.
    {U'・', U'・', C::kCl05, H, H, 0, 0},
    {U':', U':', C::kCl05, H, H, 0, Adj},
    {U';', U';', C::kCl05, H, H, 0, Adj},
    {U'：', U'：', C::kCl05, H, H, 0, 0},
    {U'；', U'；', C::kCl05, H, H, 0, 0},
    {U'･', U'･', C::kCl05, H, H, 0, 0},
    // cl-06 full stops: never at a line head; the wide ones may hang.
    {U'。', U'。', C::kCl06, H, H, H, Hang},
    {U'.', U'.', C::kCl06, H, H, H, Adj},
    {U'．', U'．', C::kCl06, H, H, H, Hang},
    {U'｡', U'｡', C::kCl06, H, H, H, Hang},
    // cl-07 commas: never at a line head; the wide ones may hang.
    {U'、', U'、', C::kCl07, H, H, H, Hang},
    {U',', U',', C::kCl07, H, H, H, Adj},
    {U'，', U'，', C::kCl07, H, H, H, Hang},
    {U'､', U'､', C::kCl07, H, H, H, Hang},
    // cl-08 inseparable characters: no break between two of them, but in
    // loose.
    {U'—', U'—', C::kCl08, P, P, 0, Ins},
    {U'―', U'―', C::kCl08, P, P, 0, Ins},
    {U'‥', U'…', C::kCl08, P, P, 0, Ins},  // ‥ …
    {U'〳', U'〵', C::kCl08, P, P, 0, Ins},  // 〳 〴 〵
    // cl-09 iteration marks: loose lets them begin a line.
    {U'ヽ', U'ヾ', C::kCl09, H, H, 0, 0},  // ヽ ヾ
    {U'ゝ', U'ゞ', C::kCl09, H, H, 0, 0},  // ゝ ゞ
    {U'々', U'々', C::kCl09, H, H, 0, 0},
    {U'〻', U'〻', C::kCl09, H, H, 0, 0},
    // cl-10 prolonged sound mark: off a line head in normal too (the CSS
    // Working Group's 2024 resolution), loose lets it begin one.
    {U'ー', U'ー', C::kCl10, H, H, 0, 0},
    {U'ｰ', U'ｰ', C::kCl10, H, H, 0, 0},
    // cl-11 small kana: as the prolonged sound mark.
    {U'ぁ', U'ぁ', C::kCl11, H, H, 0, 0},
    {U'ぃ', U'ぃ', C::kCl11, H, H, 0, 0},
    {U'ぅ', U'ぅ', C::kCl11, H, H, 0, 0},
    {U'ぇ', U'ぇ', C::kCl11, H, H, 0, 0},
    {U'ぉ', U'ぉ', C::kCl11, H, H, 0, 0},
    {U'っ', U'っ', C::kCl11, H, H, 0, 0},
    {U'ゃ', U'ゃ', C::kCl11, H, H, 0, 0},
    {U'ゅ', U'ゅ', C::kCl11, H, H, 0, 0},
    {U'ょ', U'ょ', C::kCl11, H, H, 0, 0},
    {U'ゎ', U'ゎ', C::kCl11, H, H, 0, 0},
    {U'ゕ', U'ゖ', C::kCl11, H, H, 0, 0},  // ゕ ゖ
    {U'ァ', U'ァ', C::kCl11, H, H, 0, 0},
    {U'ィ', U'ィ', C::kCl11, H, H, 0, 0},
    {U'ゥ', U'ゥ', C::kCl11, H, H, 0, 0},
    {U'ェ', U'ェ', C::kCl11, H, H, 0, 0},
    {U'ォ', U'ォ', C::kCl11, H, H, 0, 0},
    {U'ッ', U'ッ', C::kCl11, H, H, 0, 0},
    {U'ャ', U'ャ', C::kCl11, H, H, 0, 0},
    {U'ュ', U'ュ', C::kCl11, H, H, 0, 0},
    {U'ョ', U'ョ', C::kCl11, H, H, 0, 0},
    {U'ヮ', U'ヮ', C::kCl11, H, H, 0, 0},
    {U'ヵ', U'ヶ', C::kCl11, H, H, 0, 0},  // ヵ ヶ
    {U'ㇰ', U'ㇿ', C::kCl11, H, H, 0, 0},  // ㇰ ㇱ ㇲ ㇳ ㇴ ㇵ ㇶ ㇷ ㇸ ㇹ ㇺ ㇻ ㇼ ㇽ ㇾ ㇿ
    {U'ｧ', U'ｯ', C::kCl11, H, H, 0, 0},  // ｧ ｨ ｩ ｪ ｫ ｬ ｭ ｮ ｯ
    {0x1B132, 0x1B132, C::kCl11, H, H, 0, 0},  // small hiragana ko
    {0x1B150, 0x1B152, C::kCl11, H, H, 0, 0},  // small hiragana wi, we, wo
    {0x1B155, 0x1B155, C::kCl11, H, H, 0, 0},  // small katakana ko
    {0x1B164, 0x1B167, C::kCl11, H, H, 0, 0},  // small katakana wi, we, wo, n
    // cl-12 prefixed abbreviations: loose lets them end a line.
    {U'¥', U'¥', C::kCl12, T, T, 0, 0},
    {U'$', U'$', C::kCl12, T, T, 0, Adj},
    {U'£', U'£', C::kCl12, T, T, 0, 0},
    {U'#', U'#', C::kCl12, T, T, 0, Adj},
    {U'€', U'€', C::kCl12, T, T, 0, 0},
    {U'№', U'№', C::kCl12, T, T, 0, 0},
    {U'￥', U'￥', C::kCl12, T, T, 0, 0},
    {U'＄', U'＄', C::kCl12, T, T, 0, 0},
    {U'￡', U'￡', C::kCl12, T, T, 0, 0},
    {U'＃', U'＃', C::kCl12, T, T, 0, 0},
    // cl-13 postfixed abbreviations and the squared units: loose lets them
    // begin a line.
    {U'°', U'°', C::kCl13, H, H, 0, 0},
    {U'′', U'″', C::kCl13, H, H, 0, 0},  // ′ ″
    {U'℃', U'℃', C::kCl13, H, H, 0, 0},
    {U'¢', U'¢', C::kCl13, H, H, 0, 0},
    {U'%', U'%', C::kCl13, H, H, 0, Adj},
    {U'‰', U'‰', C::kCl13, H, H, 0, 0},
    {U'㏋', U'㏋', C::kCl13, H, H, 0, 0},
    {U'ℓ', U'ℓ', C::kCl13, H, H, 0, 0},
    {U'㌃', U'㌃', C::kCl13, H, H, 0, 0},
    {U'㌍', U'㌍', C::kCl13, H, H, 0, 0},
    {U'㌔', U'㌔', C::kCl13, H, H, 0, 0},
    {U'㌘', U'㌘', C::kCl13, H, H, 0, 0},
    {U'㌢', U'㌣', C::kCl13, H, H, 0, 0},  // ㌢ ㌣
    {U'㌦', U'㌧', C::kCl13, H, H, 0, 0},  // ㌦ ㌧
    {U'㌫', U'㌫', C::kCl13, H, H, 0, 0},
    {U'㌶', U'㌶', C::kCl13, H, H, 0, 0},
    {U'㌻', U'㌻', C::kCl13, H, H, 0, 0},
    {U'㍉', U'㍊', C::kCl13, H, H, 0, 0},  // ㍉ ㍊
    {U'㍍', U'㍍', C::kCl13, H, H, 0, 0},
    {U'㍑', U'㍑', C::kCl13, H, H, 0, 0},
    {U'㍗', U'㍗', C::kCl13, H, H, 0, 0},
    {U'㎎', U'㎏', C::kCl13, H, H, 0, 0},  // ㎎ ㎏
    {U'㎜', U'㎞', C::kCl13, H, H, 0, 0},  // ㎜ ㎝ ㎞
    {U'㎡', U'㎡', C::kCl13, H, H, 0, 0},
    {U'㏄', U'㏄', C::kCl13, H, H, 0, 0},
    {U'％', U'％', C::kCl13, H, H, 0, 0},
    {U'￠', U'￠', C::kCl13, H, H, 0, 0},
    // Our own. The sound marks belong to the kana before them.
    {U'゛', U'゜', C::kOwn, H, H, H, 0},  // ゛ ゜
    {U'ﾞ', U'ﾟ', C::kOwn, H, H, H, 0},  // ﾞ ﾟ
    // ASCII quotes, which may open or close, are glued to both neighbours,
    // plus and backslash (the yen sign of code page 932 fonts) to the one
    // after, as UAX 14 has them. (UAX 14 also glues hyphen-minus and solidus
    // to the character before; here an option or a path after Japanese text
    // goes to the next line whole instead.)
    {U'"', U'"', C::kOwn, HT, HT, HT, Adj},
    {U'\'', U'\'', C::kOwn, HT, HT, HT, Adj},
    {U'+', U'+', C::kOwn, T, T, T, Adj},
    {U'\\', U'\\', C::kOwn, T, T, T, Adj},
    // No-break spaces and joiners join what they touch.
    {0x00A0, 0x00A0, C::kOwn, HT, HT, HT, Adj},
    {0x2007, 0x2007, C::kOwn, HT, HT, HT, Adj},
    {0x202F, 0x202F, C::kOwn, HT, HT, HT, Adj},
    {0x2060, 0x2060, C::kOwn, HT, HT, HT, Adj},
    {0xFEFF, 0xFEFF, C::kOwn, HT, HT, HT, Adj},
};

constexpr Traits RowTraits(const ClassRow &row) {
    return static_cast<Traits>(row.strict | row.normal << kLevelBits | row.loose << (2 * kLevelBits) | row.extra);
}

// Spaces beyond ASCII and U+3000 that stay at a line's end: the space
// separators that UAX 14 lets a line break after, and the zero width space.
constexpr CodeRange kOtherSpaces[] = {{0x1680, 0x1680}, {0x2000, 0x2006}, {0x2008, 0x200B}, {0x205F, 0x205F}};

// The kind of a code point of a table-made block, known without the
// character model.
constexpr Traits BlockKind(uint32_t cp) {
    if (cp < 0x80) {
        if (cp == 0x20 || cp == 0x09) return kSpace;
        return (cp > 0x20 && cp < 0x7F) ? kWord : kOther;
    }
    if (cp == 0x3000) return kSpace;
    if (InRanges(kNotWideInCjkBlocks, cp) || InRanges(kWideHangul, cp)) return kOther;
    return kWide;
}

// A direct table for the code points first..first + N - 1.
template <uint32_t First, size_t N>
struct BlockTable {
    std::array<Traits, N> traits{};

    constexpr BlockTable() {
        for (size_t i = 0; i < N; ++i) traits[i] = BlockKind(static_cast<uint32_t>(First + i));
        for (const ClassRow &row : kClassRows) {
            for (uint32_t cp = row.first; cp <= row.last; ++cp) {
                if (cp >= First && cp - First < N) traits[cp - First] |= RowTraits(row);
            }
        }
    }
    static constexpr bool Holds(uint32_t cp) { return cp - First < N; }  // wraps below First
    Traits operator[](uint32_t cp) const { return traits[cp - First]; }
};

constexpr BlockTable<0x0000, 0x80> kAscii;
constexpr BlockTable<0x3000, 0x400> kKanaAndSymbols;  // CJK symbols, kana, the squared units
constexpr BlockTable<0xFF00, 0xF0> kFullwidthForms;

constexpr size_t kRowCount = sizeof kClassRows / sizeof kClassRows[0];

// The rows in code point order, for the code points no block table holds.
struct SortedRows {
    std::array<ClassRow, kRowCount> rows{};

    constexpr SortedRows() {
        for (size_t i = 0; i < kRowCount; ++i) {
            ClassRow row = kClassRows[i];
            size_t j = i;
            for (; j > 0 && rows[j - 1].first > row.first; --j) rows[j] = rows[j - 1];
            rows[j] = row;
        }
    }

    Traits Find(uint32_t cp) const {
        size_t lo = 0;
        size_t hi = kRowCount;
        while (lo < hi) {
            const size_t mid = lo + (hi - lo) / 2;
            if (cp < rows[mid].first) {
                hi = mid;
            } else if (cp > rows[mid].last) {
                lo = mid + 1;
            } else {
                return RowTraits(rows[mid]);
            }
        }
        return 0;
    }
};

constexpr SortedRows kSortedRows;

}  // namespace

namespace detail {

const std::array<Traits, 0x80> kAsciiTraits = kAscii.traits;
const std::array<Traits, 0x400> kKanaAndSymbolTraits = kKanaAndSymbols.traits;

Traits ClassifyAny(uint32_t code_point, text::CodePointInfo info) {
    if (kAscii.Holds(code_point)) return kAscii[code_point];
    if (kKanaAndSymbols.Holds(code_point)) return kKanaAndSymbols[code_point];
    if (InRanges(kBmpIdeographs, code_point)) return kWide;
    if (kFullwidthForms.Holds(code_point)) return kFullwidthForms[code_point];
    if (code_point == text::kInvalidByte) return kOther;

    const Traits row = kSortedRows.Find(code_point);
    if (InRanges(kOtherSpaces, code_point)) return row | kSpace;
    const bool wide = (info.Width(text::Ambiguous::kNarrow) == 2 || InRanges(kHalfwidth, code_point)) &&
                      !InRanges(kWideHangul, code_point);
    if (wide) return row | kWide;
    if ((info.flags & text::CodePointInfo::kLetter) && InRanges(kSpacedScriptLetters, code_point)) {
        return row | kWord;
    }
    return row | kOther;
}

}  // namespace detail

Traits Drawn(Traits traits, uint32_t code_point, unsigned width) {
    const Traits kind = KindOf(traits);
    if (width < 2 || (kind != kOther && kind != kWord) || InRanges(kWideHangul, code_point)) return traits;
    return static_cast<Traits>((traits & ~kKindMask) | kWide);
}

}  // namespace lumo::jlreq
