// ICU as the oracle of the character model (native builds with ICU only; the
// library itself never links it): ICU's East Asian Width, cluster break
// property and general category of every code point give the widths and
// flags the tables must hold, and ICU's character break iterator the
// boundaries of random strings, Unicode's and the project's.
#include <gtest/gtest.h>
#include <unicode/ubrk.h>
#include <unicode/uchar.h>
#include <unicode/uversion.h>

#include <cstdint>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "text/grapheme_breaker.h"
#include "text/unicode_data.h"
#include "text/utf8.h"

namespace {

using lumo::text::Ambiguous;
using lumo::text::ClusterBreak;
using lumo::text::CodePointInfo;
using lumo::text::EastAsianWidth;
using lumo::text::kInvalidByte;
using lumo::text::UnicodeData;

constexpr uint32_t kCodePoints = 0x110000;

TEST(IcuOracle, SameUnicodeVersion) {
    UVersionInfo version;
    u_getUnicodeVersion(version);
    EXPECT_EQ(std::to_string(version[0]) + "." + std::to_string(version[1]), UnicodeData::Version());
}

EastAsianWidth IcuEastAsianWidth(uint32_t cp) {
    switch (u_getIntPropertyValue(static_cast<UChar32>(cp), UCHAR_EAST_ASIAN_WIDTH)) {
    case U_EA_AMBIGUOUS: return EastAsianWidth::kAmbiguous;
    case U_EA_HALFWIDTH: return EastAsianWidth::kHalfwidth;
    case U_EA_FULLWIDTH: return EastAsianWidth::kFullwidth;
    case U_EA_NARROW: return EastAsianWidth::kNarrow;
    case U_EA_WIDE: return EastAsianWidth::kWide;
    default: return EastAsianWidth::kNeutral;
    }
}

ClusterBreak IcuClusterBreak(uint32_t cp) {
    switch (u_getIntPropertyValue(static_cast<UChar32>(cp), UCHAR_GRAPHEME_CLUSTER_BREAK)) {
    case U_GCB_CR: return ClusterBreak::kCR;
    case U_GCB_LF: return ClusterBreak::kLF;
    case U_GCB_CONTROL: return ClusterBreak::kControl;
    case U_GCB_EXTEND: return ClusterBreak::kExtend;
    case U_GCB_ZWJ: return ClusterBreak::kZwj;
    case U_GCB_REGIONAL_INDICATOR: return ClusterBreak::kRegionalIndicator;
    case U_GCB_PREPEND: return ClusterBreak::kPrepend;
    case U_GCB_SPACING_MARK: return ClusterBreak::kSpacingMark;
    case U_GCB_L: return ClusterBreak::kL;
    case U_GCB_V: return ClusterBreak::kV;
    case U_GCB_T: return ClusterBreak::kT;
    case U_GCB_LV: return ClusterBreak::kLV;
    case U_GCB_LVT: return ClusterBreak::kLVT;
    default: return ClusterBreak::kOther;
    }
}

// Widths and flags as the model derived them from ICU when it built its
// table at run time, given the code page 932 code.
CodePointInfo FromIcu(uint32_t cp, uint16_t cp932) {
    const auto c = static_cast<UChar32>(cp);
    const EastAsianWidth eaw = IcuEastAsianWidth(cp);
    const ClusterBreak gcb = IcuClusterBreak(cp);
    const uint32_t gc = U_MASK(u_charType(c));
    const bool emoji = u_hasBinaryProperty(c, UCHAR_EMOJI_PRESENTATION);
    CodePointInfo info;
    info.cp932 = cp932;
    info.cluster = gcb;
    const bool own = cp == 0xFF9E || cp == 0xFF9F;
    if (!own) {
        if (gcb == ClusterBreak::kExtend || gcb == ClusterBreak::kZwj || gcb == ClusterBreak::kSpacingMark) {
            info.flags |= CodePointInfo::kJoins | CodePointInfo::kExtends;
        } else if (gcb == ClusterBreak::kPrepend || gcb == ClusterBreak::kRegionalIndicator ||
                   gcb == ClusterBreak::kL || gcb == ClusterBreak::kV || gcb == ClusterBreak::kT) {
            info.flags |= CodePointInfo::kJoins;
        }
    }
    if (gc & (U_GC_L_MASK | U_GC_ND_MASK | U_GC_M_MASK)) info.flags |= CodePointInfo::kLetter;
    if (emoji) info.flags |= CodePointInfo::kEmoji;
    if (gc & U_GC_ND_MASK) info.flags |= CodePointInfo::kDigit;
    if (u_hasBinaryProperty(c, UCHAR_EXTENDED_PICTOGRAPHIC)) info.flags |= CodePointInfo::kPictographic;
    const bool zero = !own && cp932 == 0 &&
                      ((gc & (U_GC_MN_MASK | U_GC_ME_MASK | U_GC_CF_MASK)) != 0 || gcb == ClusterBreak::kV ||
                       gcb == ClusterBreak::kT);
    unsigned base = (eaw == EastAsianWidth::kWide || eaw == EastAsianWidth::kFullwidth || emoji) ? 2 : 1;
    if (cp932 != 0) base = info.Cp932Length();
    for (unsigned mode = 0; mode < 3; ++mode) {
        unsigned width = zero ? 0 : base;
        if (!zero && eaw == EastAsianWidth::kAmbiguous && mode != 0) width = mode == 1 ? 2 : 1;
        info.widths = static_cast<uint8_t>(info.widths | (width << (2 * mode)));
    }
    return info;
}

TEST(IcuOracle, EveryCodePointAsIcuDescribesIt) {
    int wrong = 0;
    for (uint32_t cp = 0; cp < kCodePoints; ++cp) {
        const CodePointInfo got = UnicodeData::Info(cp);
        const CodePointInfo want = FromIcu(cp, got.cp932);  // code page 932: Cp932Iconv
        const bool same = got.widths == want.widths && got.flags == want.flags && got.cluster == want.cluster &&
                          lumo::text::Classify(cp).east_asian_width == IcuEastAsianWidth(cp);
        if (!same && wrong++ < 10) {
            ADD_FAILURE() << std::hex << "U+" << cp << ": widths " << int{got.widths} << " flags " << int{got.flags}
                          << " cluster " << int(got.cluster) << "; ICU: " << int{want.widths} << ", "
                          << int{want.flags} << ", " << int(want.cluster);
        }
    }
    EXPECT_EQ(wrong, 0);
}

// ICU's boundaries in a string of code points (kInvalidByte as U+FFFD): one
// flag per code point, whether a cluster begins there.
std::vector<bool> IcuBoundaries(const std::vector<uint32_t> &code_points) {
    std::vector<UChar> units;
    std::vector<size_t> index_of_unit;
    for (size_t i = 0; i < code_points.size(); ++i) {
        const uint32_t cp = code_points[i] == kInvalidByte ? 0xFFFD : code_points[i];
        if (cp >= 0x10000) {
            units.push_back(static_cast<UChar>(0xD7C0 + (cp >> 10)));
            units.push_back(static_cast<UChar>(0xDC00 | (cp & 0x3FF)));
            index_of_unit.push_back(i);
            index_of_unit.push_back(i);
        } else {
            units.push_back(static_cast<UChar>(cp));
            index_of_unit.push_back(i);
        }
    }
    UErrorCode status = U_ZERO_ERROR;
    const std::unique_ptr<UBreakIterator, decltype(&ubrk_close)> breaker(
        ubrk_open(UBRK_CHARACTER, "", units.data(), static_cast<int32_t>(units.size()), &status), ubrk_close);
    EXPECT_TRUE(U_SUCCESS(status));
    std::vector<bool> boundaries(code_points.size(), false);
    for (int32_t b = ubrk_first(breaker.get()); b != UBRK_DONE; b = ubrk_next(breaker.get())) {
        if (static_cast<size_t>(b) < units.size()) boundaries[index_of_unit[static_cast<size_t>(b)]] = true;
    }
    return boundaries;
}

// Code points of every cluster break value, the emoji, the project's own
// characters, and code points from all over the code space.
std::vector<uint32_t> Pool() {
    std::vector<uint32_t> pool = {'\r', '\n', 0xFF9E, 0xFF9F, 0x200D, 0xFE0F, 0x1F1EF, 0x1F1F5, 0x1F3FD, 0x1F468};
    std::vector<int> seen(256, 0);
    for (uint32_t cp = 0; cp < kCodePoints; ++cp) {
        if (cp >= 0xD800 && cp <= 0xDFFF) continue;  // no UTF-8 decodes to a surrogate
        const CodePointInfo info = UnicodeData::Info(cp);
        const int kind = static_cast<int>(info.cluster) * 2 + ((info.flags & CodePointInfo::kPictographic) ? 1 : 0);
        if (seen[static_cast<size_t>(kind)]++ < 8 || cp % 4099 == 0) pool.push_back(cp);
    }
    return pool;
}

TEST(IcuOracle, RandomStringsBreakAsIcuBreaksThem) {
    const std::vector<uint32_t> pool = Pool();
    std::mt19937 random(29);
    for (int n = 0; n < 100000; ++n) {
        std::vector<uint32_t> code_points(1 + random() % 12);
        for (uint32_t &cp : code_points) cp = pool[random() % pool.size()];
        const std::vector<bool> icu = IcuBoundaries(code_points);
        lumo::text::GraphemeBreaker breaker;
        std::vector<bool> got;
        for (const uint32_t cp : code_points) got.push_back(breaker.Next(UnicodeData::Info(cp)));
        if (got != icu) {
            std::string text;
            for (const uint32_t cp : code_points) text += " " + std::to_string(cp);
            FAIL() << "string" << text << " (decimal): the breaker and ICU disagree";
        }
    }
}

// The project's clusters are ICU's, with a boundary before and after CR, LF
// and each byte that is not UTF-8 and before ﾞ ﾟ, as the model took them
// when ICU's break iterator found its clusters.
TEST(IcuOracle, RandomStringsBreakAsTheProjectBrokeThemWithIcu) {
    std::vector<uint32_t> pool = Pool();
    for (int i = 0; i < 20; ++i) pool.push_back(kInvalidByte);
    std::mt19937 random(932);
    for (int n = 0; n < 100000; ++n) {
        std::vector<uint32_t> code_points(1 + random() % 12);
        for (uint32_t &cp : code_points) cp = pool[random() % pool.size()];
        std::vector<bool> expected = IcuBoundaries(code_points);
        for (size_t i = 0; i < code_points.size(); ++i) {
            const uint32_t cp = code_points[i];
            const bool alone = cp == '\r' || cp == '\n' || cp == kInvalidByte;
            if (alone || cp == 0xFF9E || cp == 0xFF9F) expected[i] = true;
            if (alone && i + 1 < code_points.size()) expected[i + 1] = true;
        }
        lumo::text::ClusterBreaker breaker;
        std::vector<bool> got;
        for (const uint32_t cp : code_points) got.push_back(breaker.Next(cp));
        if (got != expected) {
            std::string text;
            for (const uint32_t cp : code_points) text += " " + std::to_string(cp);
            FAIL() << "string" << text << " (decimal): the project's clusters differ";
        }
    }
}

}  // namespace
