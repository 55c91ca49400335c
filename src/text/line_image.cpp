// Spelling a UTF-8 line. Kana, kanji and ASCII each begin a cluster of their
// own, so a line without any code point that can join a cluster is spelt in
// one pass with a table lookup per character; only a line that holds one is
// spelt again, cluster by cluster, as the cluster breaker finds them.
#include "text/line_image.h"

#include <cstring>

#include "text/grapheme_breaker.h"
#include "text/utf8.h"

namespace lumo::text {

LineImage::LineImage(const Alphabet &alphabet)
    : alphabet_(alphabet), data_(alphabet.data()), mode_(alphabet.mode()) {}

bool LineImage::Reserve(size_t length) {
    if (length >= kTrail) return false;  // offsets are 32-bit
    return image_.Reserve(length + 2) && offsets_.Reserve((length + 2) * sizeof(uint32_t));
}

namespace {

// The lead byte of the window's first code point; the window is whole blocks
// of 0x1000 code points, which three-byte forms share a lead byte for.
constexpr unsigned kWindowLead = 0xE0 | (tables::kSpellingWindowFirst >> 12);
constexpr uint32_t kWindowEnd = tables::kSpellingWindowFirst + tables::kSpellingWindowSize;
static_assert(tables::kSpellingWindowFirst % 0x1000 == 0 && kWindowEnd % 0x1000 == 0 &&
                  tables::kSpellingWindowFirst >= 0x1000 && kWindowEnd <= 0xD000,
              "the window is whole blocks of three-byte forms below the surrogates");

// Writes the image character for code at image[at], its bytes standing for
// the UTF-8 bytes from offset on; returns the position behind it.
inline size_t Emit(uint32_t *offsets, unsigned char *image, size_t at, uint16_t code, uint32_t offset) {
    offsets[at] = offset;
    if (code > 0xFF) {
        image[at++] = static_cast<unsigned char>(code >> 8);
        offsets[at] = LineImage::kTrail;
    }
    image[at++] = static_cast<unsigned char>(code & 0xFF);
    return at;
}

}  // namespace

bool LineImage::Finish(size_t n, size_t length) {
    auto *offsets = reinterpret_cast<uint32_t *>(offsets_.data());
    auto *image = reinterpret_cast<unsigned char *>(image_.data());
    // A line of zero-width characters only still stands for its bytes, and
    // the first character also stands for the zero-width ones before it.
    if (n == 0 && length > 0) n = Emit(offsets, image, 0, Alphabet::kNarrowOther, 0);
    if (n > 0) offsets[0] = 0;
    length_ = n;
    offsets[n] = static_cast<uint32_t>(length);
    image[n] = '\0';
    return true;
}

bool LineImage::Build(const char *utf8, size_t length) {
    if (!Reserve(length)) return false;
    const Spelling spellings = data_.Spellings(mode_);
    const bool ascii_as_itself = alphabet_.AsciiAsItself();
    auto *offsets = reinterpret_cast<uint32_t *>(offsets_.data());
    auto *image = reinterpret_cast<unsigned char *>(image_.data());
    const auto *const start = reinterpret_cast<const unsigned char *>(utf8);
    const auto *const end = start + length;
    size_t n = 0;
    for (const unsigned char *p = start; p < end;) {
        // Kana, CJK symbols and kanji: three bytes each, spelt as two by one
        // lookup in the flat window. Its lead bytes are consecutive, so one
        // unsigned comparison turns away every other byte: ASCII, overlong
        // forms, surrogates and other lead bytes.
        while (end - p >= 3 && (p[1] & 0xC0) == 0x80 && (p[2] & 0xC0) == 0x80) {
            const uint32_t at = (p[0] - kWindowLead) << 12 | (p[1] & 0x3Fu) << 6 | (p[2] & 0x3Fu);
            if (at >= tables::kSpellingWindowSize) break;
            const uint16_t code = tables::kSpellingWindow[at];
            if (code <= 0xFF) break;
            offsets[n] = static_cast<uint32_t>(p - start);
            offsets[n + 1] = kTrail;
            image[n] = static_cast<unsigned char>(code >> 8);
            image[n + 1] = static_cast<unsigned char>(code);
            n += 2;
            p += 3;
        }
        if (p == end) break;
        const unsigned char byte = *p;
        const auto offset = static_cast<uint32_t>(p - start);
        if (byte < 0x80) {
            if (!ascii_as_itself) {  // a control byte may be spelt otherwise
                n = Emit(offsets, image, n, alphabet_.CodeOf(byte, data_.Info(byte), 1), offset);
                ++p;
                continue;
            }
            // A run of ASCII is its own image, taken eight bytes at a time.
            for (uint64_t word; end - p >= 8; p += 8, n += 8) {
                std::memcpy(&word, p, sizeof word);
                if (word & 0x8080808080808080u) break;
                std::memcpy(image + n, &word, sizeof word);
                const auto at = static_cast<uint32_t>(p - start);
                for (uint32_t k = 0; k < 8; ++k) offsets[n + k] = at + k;
            }
            while (p < end && *p < 0x80) {
                offsets[n] = static_cast<uint32_t>(p - start);
                image[n++] = *p++;
            }
            continue;
        }
        const Decoded d = DecodeUtf8(p, end);
        p += d.length;
        const uint32_t cp = d.code_point;
        if (cp == kInvalidByte) {
            n = Emit(offsets, image, n, Alphabet::kNarrowOther, offset);
            continue;
        }
        if (cp < 0x10000 && spellings[cp] != 0) {
            n = Emit(offsets, image, n, spellings[cp], offset);
            continue;
        }
        const CodePointInfo info = data_.Info(cp);
        if (info.flags & CodePointInfo::kJoins) return BuildClusters(utf8, length);
        const unsigned width = info.Width(mode_);
        if (width != 0) n = Emit(offsets, image, n, alphabet_.CodeOf(cp, info, width), offset);
    }
    return Finish(n, length);
}

bool LineImage::BuildClusters(const char *utf8, size_t length) {
    auto *offsets = reinterpret_cast<uint32_t *>(offsets_.data());
    auto *image = reinterpret_cast<unsigned char *>(image_.data());
    size_t n = 0;
    // The cluster being read: where it begins, its first code point and how
    // wide it is.
    uint32_t start = 0;
    uint32_t first = 0;
    CodePointInfo info;
    unsigned width = 0;
    const auto emit = [&] {
        if (first == kInvalidByte) {
            n = Emit(offsets, image, n, Alphabet::kNarrowOther, start);
        } else if (width != 0) {
            n = Emit(offsets, image, n, alphabet_.CodeOf(first, info, width), start);
        }
    };
    ClusterBreaker breaker;
    const char *const end = utf8 + length;
    for (const char *p = utf8; p < end;) {
        const auto offset = static_cast<uint32_t>(p - utf8);
        const Decoded d = DecodeUtf8(p, end);
        p += d.length;
        if (breaker.Next(d.code_point)) {
            if (offset != 0) emit();
            start = offset;
            first = d.code_point;
            if (first != kInvalidByte) {
                info = data_.Info(first);
                width = info.Width(mode_);
            }
        } else if (width == 1 && (d.code_point == 0xFE0F || (data_.Info(d.code_point).flags & CodePointInfo::kEmoji))) {
            width = 2;  // a cluster with emoji presentation is two columns wide
        }
    }
    if (length != 0) emit();
    return Finish(n, length);
}

}  // namespace lumo::text
