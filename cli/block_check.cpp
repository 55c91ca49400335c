// Each block of 64 bytes becomes bit masks, one bit for each byte (its
// kind, line ends), from four 16-byte loads; the checks and counts are then
// a few operations on the masks. The classes of bytes are the ranges of the
// byte-by-byte check's tables.
#include "block_check.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace lumo::cli {
namespace {

#if defined(__SSE2__)

constexpr uint64_t kOddBits = 0xAAAAAAAAAAAAAAAAu;

struct Masks {
    uint64_t high = 0;  // 0x80 and above
    uint64_t cr = 0;
    uint64_t lf = 0;
    // Shift-JIS: lead bytes, half-width katakana, trail bytes.
    // UTF-8: continuation bytes, and the lead bytes of two, three and four.
    uint64_t kind[4] = {};
};

struct Range {
    unsigned low;
    unsigned high;  // below 0xFF
};

// Bytes in [range.low, range.high] of the bytes s, each flipped by 0x80 so
// that a signed comparison orders them as unsigned.
unsigned InRange(__m128i s, Range range) {
    const int low = static_cast<signed char>(static_cast<unsigned char>(range.low ^ 0x80u));
    const int high = static_cast<signed char>(static_cast<unsigned char>(range.high ^ 0x80u));
    const __m128i above = _mm_cmpgt_epi8(s, _mm_set1_epi8(static_cast<char>(low - 1)));
    const __m128i below = _mm_cmplt_epi8(s, _mm_set1_epi8(static_cast<char>(high + 1)));
    return static_cast<unsigned>(_mm_movemask_epi8(_mm_and_si128(above, below)));
}

// Each kind is one or two ranges (an empty second one: {1, 0}).
struct Kind {
    Range first;
    Range second;
};

constexpr Kind kSjisKinds[4] = {
    {{0x81, 0x9F}, {0xE0, 0xFC}},  // lead bytes
    {{0xA1, 0xDF}, {1, 0}},        // half-width katakana
    {{0x40, 0x7E}, {0x80, 0xFC}},  // trail bytes
    {{1, 0}, {1, 0}},
};
constexpr Kind kUtf8Kinds[4] = {
    {{0x80, 0xBF}, {1, 0}},        // continuation bytes
    {{0xC2, 0xDF}, {1, 0}},        // two bytes
    {{0xE1, 0xEC}, {0xEE, 0xEF}},  // three bytes whose later ones only need to continue
    {{0xF1, 0xF3}, {1, 0}},        // four bytes, the same
};

Masks MasksOf(const unsigned char *p, const Kind (&kinds)[4]) {
    Masks m;
    for (unsigned part = 0; part < 4; ++part) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i *>(p + 16 * part));
        const __m128i s = _mm_xor_si128(v, _mm_set1_epi8(static_cast<char>(0x80)));
        const unsigned shift = 16 * part;
        m.high |= uint64_t{static_cast<unsigned>(_mm_movemask_epi8(v))} << shift;
        m.cr |= uint64_t{static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(v, _mm_set1_epi8('\r'))))}
                << shift;
        m.lf |= uint64_t{static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(v, _mm_set1_epi8('\n'))))}
                << shift;
        for (unsigned k = 0; k < 4; ++k) {
            unsigned bits = 0;
            if (kinds[k].first.low <= kinds[k].first.high) bits |= InRange(s, kinds[k].first);
            if (kinds[k].second.low <= kinds[k].second.high) bits |= InRange(s, kinds[k].second);
            m.kind[k] |= uint64_t{bits} << shift;
        }
    }
    return m;
}

unsigned Count(uint64_t x) {
    x = x - ((x >> 1) & 0x5555555555555555u);
    x = (x & 0x3333333333333333u) + ((x >> 2) & 0x3333333333333333u);
    x = (x + (x >> 4)) & 0x0F0F0F0F0F0F0F0Fu;
    return static_cast<unsigned>((x * 0x0101010101010101u) >> 56);
}

// One block's bytes past a character's first (trails), its characters'
// first bytes beyond ASCII (firsts) and the bytes it takes (taken, from the
// first); false when it holds a character the quick check does not take.
struct Block {
    uint64_t taken;
    uint64_t trails;
    uint64_t firsts;
};

bool SjisBlock(const Masks &m, Block *block) {
    const uint64_t lead = m.kind[0];
    // A run of lead bytes begins a character at its first byte, whose trail
    // the next one is, and so on: trail bytes are those behind an odd number
    // of lead bytes in a row. Subtracting the runs from their odd-aligned
    // followers tells the runs that begin on an odd bit from the others.
    const uint64_t code = (((lead << 1) | kOddBits) - lead) ^ kOddBits;
    const uint64_t starts = code & lead;  // lead bytes that begin a character
    uint64_t taken = ~uint64_t{0};
    if (starts >> 63) taken >>= 1;  // its trail lies in the next block
    const uint64_t trails = (code ^ lead) & taken;
    const uint64_t firsts = taken & ~trails;
    if ((trails & ~m.kind[2]) != 0) return false;                     // no trail byte behind a lead
    if ((firsts & m.high & ~m.kind[1] & ~starts) != 0) return false;  // 0x80, 0xA0, 0xFD to 0xFF
    *block = {taken, trails, firsts & m.high};
    return true;
}

bool Utf8Block(const Masks &m, Block *block) {
    // Characters that the block would cut end it before them.
    const uint64_t cut = (m.kind[1] & (uint64_t{1} << 63)) | (m.kind[2] & (uint64_t{3} << 62)) |
                         (m.kind[3] & (uint64_t{7} << 61));
    uint64_t taken = ~uint64_t{0};
    if (cut != 0) {
        const auto length = static_cast<unsigned>(__builtin_ctzll(cut));
        if (length == 0) return false;
        taken = (uint64_t{1} << length) - 1;
    }
    const uint64_t two = m.kind[1] & taken;
    const uint64_t three = m.kind[2] & taken;
    const uint64_t four = m.kind[3] & taken;
    const uint64_t leads = two | three | four;
    // Where continuation bytes must be, and nowhere else.
    const uint64_t expected = (leads << 1) | ((three | four) << 2) | (four << 3);
    if ((m.kind[0] & taken) != expected) return false;
    if ((m.high & taken & ~m.kind[0] & ~leads) != 0) return false;  // C0, C1, E0, ED, F0, F4 and above
    *block = {taken, expected, leads};
    return true;
}

#endif

}  // namespace

BlockCounts CheckBlocks(bool sjis, const unsigned char *p, const unsigned char *end, bool cr_before) {
    BlockCounts n;
#if defined(__SSE2__)
    const unsigned char *const start = p;
    while (end - p >= 64) {
        const Masks m = MasksOf(p, sjis ? kSjisKinds : kUtf8Kinds);
        Block block{};
        if (!(sjis ? SjisBlock(m, &block) : Utf8Block(m, &block))) break;
        const uint64_t cr = m.cr & block.taken;
        const uint64_t lf = m.lf & block.taken;
        // An LF behind a CR ends no line of its own.
        n.lines += Count(cr) + Count(lf & ~((m.cr << 1) | (cr_before ? 1u : 0u)));
        if ((cr | lf) != 0) {
            const auto last = static_cast<unsigned>(63 - __builtin_clzll(cr | lf));
            const uint64_t through = last == 63 ? ~uint64_t{0} : (uint64_t{2} << last) - 1;
            n.line_ended = true;
            n.line_start = static_cast<size_t>(p - start) + last + 1;
            n.extra_at_line = n.extra + Count(block.trails & through);
        }
        n.extra += Count(block.trails);
        n.units += Count(block.firsts);
        const unsigned length = 64 - static_cast<unsigned>(__builtin_clzll(block.taken));
        cr_before = p[length - 1] == '\r';
        p += length;
    }
    n.bytes = static_cast<size_t>(p - start);
#else
    (void)sjis;
    (void)p;
    (void)end;
    (void)cr_before;
#endif
    return n;
}

}  // namespace lumo::cli
