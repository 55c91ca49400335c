// The code point table: widths after East Asian Width, cluster and letter
// properties from ICU, and the code page 932 code from glibc's CP932 table,
// the one the tool converts with, so that both encodings agree.
#include "text/unicode_data.h"

#include "text/partners.h"

#include <iconv.h>
#include <unicode/uchar.h>
#include <unicode/uversion.h>

#include <cstring>
#include <stdexcept>
#include <vector>

namespace lumo::text {
namespace {

// One iconv conversion descriptor, closed with its owner.
class Converter {
public:
    Converter(const char *to, const char *from) : cd_(iconv_open(to, from)) {}
    Converter(const Converter &) = delete;
    Converter &operator=(const Converter &) = delete;
    ~Converter() {
        if (ok()) iconv_close(cd_);
    }
    bool ok() const { return cd_ != reinterpret_cast<iconv_t>(-1); }

    // Converts the whole of in; the number of bytes written, or -1.
    long Convert(const char *in, size_t in_length, char *out, size_t out_size) {
        iconv(cd_, nullptr, nullptr, nullptr, nullptr);
        char *src = const_cast<char *>(in);
        char *dst = out;
        size_t left = in_length;
        size_t room = out_size;
        if (iconv(cd_, &src, &left, &dst, &room) == static_cast<size_t>(-1) || left != 0) return -1;
        return static_cast<long>(dst - out);
    }

private:
    iconv_t cd_;
};

bool IsCp932Lead(unsigned byte) { return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC); }

// Every code point that code page 932 holds, with the code that encoding it
// gives (several codes decode to one code point; encoding picks one).
std::vector<uint16_t> Cp932Codes() {
    std::vector<uint16_t> codes(0x10000, 0);
    Converter decode("UTF-32LE", "CP932");
    Converter encode("CP932", "UTF-32LE");
    // Without the table no text would fold as its code page 932 form does.
    if (!decode.ok() || !encode.ok()) throw std::runtime_error("iconv has no CP932");
    std::vector<bool> decoded(0x10000, false);
    const auto try_code = [&](const char *bytes, size_t length) {
        char out[8];
        if (decode.Convert(bytes, length, out, sizeof out) != 4) return;
        uint32_t cp;
        std::memcpy(&cp, out, 4);
        if (cp < 0x10000) decoded[cp] = true;
    };
    for (unsigned byte = 1; byte < 0x100; ++byte) {
        if (IsCp932Lead(byte)) {
            for (unsigned trail = 0x40; trail <= 0xFC; ++trail) {
                if (trail == 0x7F) continue;
                const char pair[2] = {static_cast<char>(byte), static_cast<char>(trail)};
                try_code(pair, 2);
            }
        } else {
            const char single = static_cast<char>(byte);
            try_code(&single, 1);
        }
    }
    for (uint32_t cp = 1; cp < 0x10000; ++cp) {
        if (!decoded[cp]) continue;
        char in[4];
        std::memcpy(in, &cp, 4);
        unsigned char out[8];
        const long n = encode.Convert(in, 4, reinterpret_cast<char *>(out), sizeof out);
        if (n == 1) codes[cp] = out[0];
        if (n == 2) codes[cp] = static_cast<uint16_t>((out[0] << 8) | out[1]);
    }
    return codes;
}

bool IsTailoredOwnCharacter(uint32_t cp) { return cp == 0xFF9E || cp == 0xFF9F; }

CodePointInfo Describe(uint32_t cp, uint16_t cp932) {
    const auto c = static_cast<UChar32>(cp);
    const auto eaw = static_cast<UEastAsianWidth>(u_getIntPropertyValue(c, UCHAR_EAST_ASIAN_WIDTH));
    const auto gcb = static_cast<UGraphemeClusterBreak>(u_getIntPropertyValue(c, UCHAR_GRAPHEME_CLUSTER_BREAK));
    const auto gc = static_cast<UCharCategory>(u_charType(c));
    const bool emoji = u_hasBinaryProperty(c, UCHAR_EMOJI_PRESENTATION);

    CodePointInfo info;
    info.cp932 = cp932;
    const bool own = IsTailoredOwnCharacter(cp);
    if (!own) {
        switch (gcb) {
        case U_GCB_EXTEND:
        case U_GCB_ZWJ:
        case U_GCB_SPACING_MARK: info.flags |= CodePointInfo::kJoins | CodePointInfo::kExtends; break;
        case U_GCB_PREPEND:
        case U_GCB_REGIONAL_INDICATOR:
        case U_GCB_L:
        case U_GCB_V:
        case U_GCB_T: info.flags |= CodePointInfo::kJoins; break;
        default: break;
        }
    }
    const uint32_t letter_categories = U_GC_L_MASK | U_GC_ND_MASK | U_GC_M_MASK;
    if (U_MASK(gc) & letter_categories) info.flags |= CodePointInfo::kLetter;
    if (emoji) info.flags |= CodePointInfo::kEmoji;

    // Zero-width code points add nothing when they begin a cluster; a held
    // character is exactly as wide as its code page 932 form.
    const bool zero = !own && cp932 == 0 &&
                      ((U_MASK(gc) & (U_GC_MN_MASK | U_GC_ME_MASK | U_GC_CF_MASK)) != 0 || gcb == U_GCB_V ||
                       gcb == U_GCB_T);
    unsigned base = (eaw == U_EA_WIDE || eaw == U_EA_FULLWIDTH || emoji) ? 2 : 1;
    if (cp932 != 0) base = info.Cp932Length();
    for (unsigned mode = 0; mode < 3; ++mode) {
        unsigned width = zero ? 0 : base;
        if (!zero && eaw == U_EA_AMBIGUOUS) {
            if (mode == static_cast<unsigned>(Ambiguous::kWide)) width = 2;
            if (mode == static_cast<unsigned>(Ambiguous::kNarrow)) width = 1;
        }
        info.widths = static_cast<uint8_t>(info.widths | (width << (2 * mode)));
    }
    return info;
}

}  // namespace

const UnicodeData *UnicodeData::Get() {
    try {
        // Lives as long as the process; a failed build throws, leaves the
        // static unset and is tried again on the next call.
        static const UnicodeData *const data = new UnicodeData();
        return data;
    } catch (...) {
        return nullptr;
    }
}

UnicodeData::UnicodeData() {
    std::vector<uint16_t> codes = Cp932Codes();
    // A partner that code page 932 lacks and that is drawn wide, or ambiguous
    // as its two-byte partner is, is spelt as that partner, so that it folds
    // exactly as the partner does. The narrow ones (cent, pound, not) keep
    // their own width and share only the sets.
    for (const auto &pair : kCp932Partners) {
        for (int side = 0; side < 2; ++side) {
            const uint32_t self = pair[side];
            const uint32_t other = pair[1 - side];
            const auto eaw = u_getIntPropertyValue(static_cast<UChar32>(self), UCHAR_EAST_ASIAN_WIDTH);
            const bool drawn_wide = eaw == U_EA_WIDE || eaw == U_EA_FULLWIDTH || eaw == U_EA_AMBIGUOUS;
            if (codes[self] == 0 && codes[other] > 0xFF && drawn_wide) codes[self] = codes[other];
        }
    }
    for (uint32_t cp = 0; cp < 0x10000; ++cp) bmp_[cp] = Describe(cp, codes[cp]);
    for (unsigned mode = 0; mode < 3; ++mode) {
        for (uint32_t cp = 0; cp < 0x10000; ++cp) {
            const CodePointInfo &info = bmp_[cp];
            const bool plain = info.Held() && info.Cp932Length() == info.Width(static_cast<Ambiguous>(mode)) &&
                               !(info.flags & CodePointInfo::kJoins);
            spellings_[mode][cp] = plain ? info.cp932 : 0;
        }
    }
}

CodePointInfo UnicodeData::Compute(uint32_t code_point) const { return Describe(code_point, 0); }

const char *UnicodeData::Version() {
    static char text[U_MAX_VERSION_STRING_LENGTH];
    static const bool done = [] {
        UVersionInfo version;
        u_getUnicodeVersion(version);
        version[2] = version[3] = 0;  // "15.0"
        u_versionToString(version, text);
        return true;
    }();
    (void)done;
    return text;
}

}  // namespace lumo::text
