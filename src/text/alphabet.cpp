// Giving the characters that a UTF-8 call's sets name codes of their own, and
// spelling sets and lines with them. The codes come from what code page 932
// leaves unused: five lead bytes for wide characters, and for narrow ones
// three bytes that are no character there, then control bytes that no set
// names as themselves (a line's own such control byte is then spelt as the
// narrow stand-in, as wide as it was).
#include "text/alphabet.h"

#include <algorithm>
#include <cstring>

#include "text/partners.h"
#include "text/utf8.h"

namespace lumo::text {
namespace {

constexpr unsigned char kWideLeads[] = {0x85, 0x86, 0xEB, 0xEC, 0xEF};
constexpr unsigned char kNarrowBytes[] = {0x80, 0xA0, 0xFF, 0x1F, 0x1E, 0x1D, 0x1C, 0x1B, 0x1A, 0x19, 0x18,
                                          0x17, 0x16, 0x15, 0x14, 0x13, 0x12, 0x11, 0x10, 0x0F, 0x0E, 0x7F,
                                          0x08, 0x07, 0x06, 0x05, 0x04, 0x03, 0x02, 0x01, 0x0C, 0x0B};

bool IsControl(uint32_t cp) { return cp < 0x20 || cp == 0x7F; }

}  // namespace

void Alphabet::Add(uint32_t code_point) {
    const CodePointInfo info = data_.Info(code_point);
    const unsigned width = info.Width(mode_);
    if (width == 0) return;  // never begins a cluster of its own width
    if (info.Held() && info.Cp932Length() == width) {
        if (IsControl(code_point)) control_named_[code_point] = true;
        return;
    }
    if (count_ == kMaxEntries) Compact();
    if (count_ == kMaxEntries) return;  // beyond this the character is its stand-in
    entries_[count_++] = {code_point, 0, static_cast<uint8_t>(width), (info.flags & CodePointInfo::kLetter) != 0};
}

void Alphabet::Collect(const char *utf8, size_t size) {
    const char *end = utf8;
    while (static_cast<size_t>(end - utf8) < size && *end != '\0') ++end;
    for (const char *p = utf8; p < end;) {
        const Decoded d = DecodeUtf8(p, end);
        p += d.length;
        if (d.code_point == kInvalidByte) continue;
        Add(d.code_point);
        if (const uint32_t partner = Cp932Partner(d.code_point)) Add(partner);
    }
}

void Alphabet::Compact() {
    std::sort(entries_, entries_ + count_,
              [](const Entry &a, const Entry &b) { return a.code_point < b.code_point; });
    count_ = static_cast<size_t>(
        std::unique(entries_, entries_ + count_,
                    [](const Entry &a, const Entry &b) { return a.code_point == b.code_point; }) -
        entries_);
}

// The n-th code for a wide character: lead byte by lead byte, trail bytes
// 0x80 to 0xFC, which no word class holds.
constexpr size_t kTrails = 0xFD - 0x80;
constexpr uint16_t WideCode(size_t n) {
    return static_cast<uint16_t>(kWideLeads[n / kTrails] << 8 | (0x80 + n % kTrails));
}
// The last of them is the wide stand-in.
constexpr size_t kWideCodes = sizeof kWideLeads * kTrails - 1;
static_assert(WideCode(kWideCodes) == Alphabet::kWideOther, "the wide stand-in is the last wide code");

void Alphabet::Seal() {
    Compact();
    size_t narrow = 0;
    size_t wide = 0;
    for (size_t i = 0; i < count_; ++i) {
        Entry &e = entries_[i];
        if (e.width == 2) {
            if (wide < kWideCodes) e.code = WideCode(wide++);
            continue;
        }
        while (narrow < sizeof kNarrowBytes && kNarrowBytes[narrow] < 0x80 && control_named_[kNarrowBytes[narrow]]) {
            ++narrow;
        }
        if (narrow < sizeof kNarrowBytes) {
            e.code = kNarrowBytes[narrow++];
            if (e.code < 0x80) control_taken_[e.code] = controls_taken_ = true;
        }
    }
}

const Alphabet::Entry *Alphabet::Find(uint32_t code_point) const {
    const Entry *end = entries_ + count_;
    const Entry *e = std::lower_bound(entries_, end, code_point,
                                      [](const Entry &entry, uint32_t cp) { return entry.code_point < cp; });
    return (e != end && e->code_point == code_point) ? e : nullptr;
}

uint16_t Alphabet::CodeOf(uint32_t code_point, const CodePointInfo &info, unsigned width) const {
    if (info.Held() && info.Cp932Length() == width) {
        return (IsControl(code_point) && control_taken_[code_point]) ? kNarrowOther : info.cp932;
    }
    if (count_ != 0) {
        const Entry *e = Find(code_point);
        if (e != nullptr && e->width == width && e->code != 0) return e->code;
    }
    if (width == 2) return kWideOther;
    return (info.flags & CodePointInfo::kLetter) ? kNarrowLetter : kNarrowOther;
}

size_t Alphabet::SpellOne(uint32_t code_point, char *out) const {
    const CodePointInfo info = data_.Info(code_point);
    const unsigned width = info.Width(mode_);
    if (width == 0) return 0;
    const uint16_t code = CodeOf(code_point, info, width);
    // A stand-in in a set would name every character it stands for.
    if (code == kNarrowLetter || code == kNarrowOther || code == kWideOther) return 0;
    if (code > 0xFF) {
        out[0] = static_cast<char>(code >> 8);
        out[1] = static_cast<char>(code & 0xFF);
        return 2;
    }
    out[0] = static_cast<char>(code);
    return 1;
}

void Alphabet::Spell(const char *utf8, size_t size, char *dest, bool partners) const {
    const char *end = utf8;
    while (static_cast<size_t>(end - utf8) < size && *end != '\0') ++end;
    size_t n = 0;
    for (const char *p = utf8; p < end;) {
        const Decoded d = DecodeUtf8(p, end);
        p += d.length;
        if (d.code_point == kInvalidByte) continue;
        char spelt[4];
        size_t length = SpellOne(d.code_point, spelt);
        if (partners) {
            if (const uint32_t partner = Cp932Partner(d.code_point)) {
                char other[2];
                const size_t other_length = SpellOne(partner, other);
                if (other_length != length || std::memcmp(other, spelt, length) != 0) {
                    std::memcpy(spelt + length, other, other_length);
                    length += other_length;
                }
            }
        }
        if (n + length >= size) break;  // the field is full
        std::memcpy(dest + n, spelt, length);
        n += length;
    }
    dest[n] = '\0';
}

size_t Alphabet::LetterCodes(uint16_t *codes, size_t capacity) const {
    size_t n = 0;
    if (n < capacity) codes[n++] = kNarrowLetter;
    for (size_t i = 0; i < count_ && n < capacity; ++i) {
        if (entries_[i].width == 1 && entries_[i].letter && entries_[i].code != 0) codes[n++] = entries_[i].code;
    }
    return n;
}

}  // namespace lumo::text
