// The compiled tables against Unicode's data files, code point by code point
// over all of Unicode: East Asian Width (with the defaults that
// EastAsianWidth.txt states for what it leaves out), Grapheme_Cluster_Break,
// Extended_Pictographic and Emoji_Presentation, the script class, digits and
// letters from UnicodeData.txt, and the widths that the rules give; and code
// page 932 both ways within the library.
#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "text/partners.h"
#include "text/unicode_data.h"
#include "unicode/unicode_files.h"

namespace {

using lumo::text::Ambiguous;
using lumo::text::Classify;
using lumo::text::ClusterBreak;
using lumo::text::CodePointInfo;
using lumo::text::EastAsianWidth;
using lumo::text::ScriptClass;
using lumo::text::UnicodeData;
using lumo_unicode::DataFile;
using lumo_unicode::Ranges;

constexpr uint32_t kCodePoints = 0x110000;

// A value per code point from a data file's ranges, with a default.
template <class T>
std::vector<T> PerCodePoint(const std::string &file, T missing, const std::map<std::string, T> &values) {
    std::vector<T> table(kCodePoints, missing);
    for (const auto &r : Ranges(DataFile(file))) {
        const auto found = values.find(r.value);
        if (found == values.end()) continue;
        for (uint32_t cp = r.first; cp <= r.last; ++cp) table[cp] = found->second;
    }
    return table;
}

// Reports at most a few code points, each with what was wanted and got.
class Mismatches {
public:
    explicit Mismatches(const char *what) : what_(what) {}
    ~Mismatches() { EXPECT_EQ(count_, 0) << count_ << " code points with the wrong " << what_; }
    void Check(uint32_t cp, int expected, int got) {
        if (expected == got) return;
        if (count_++ < 10) ADD_FAILURE() << what_ << " of U+" << std::hex << cp << std::dec << ": " << got
                                         << " instead of " << expected;
    }

private:
    const char *what_;
    int count_ = 0;
};

TEST(UnicodeTables, EastAsianWidthOfEveryCodePoint) {
    std::vector<EastAsianWidth> expected(kCodePoints, EastAsianWidth::kNeutral);
    // "The unassigned code points in the following blocks default to W",
    // and so do planes 2 and 3 (EastAsianWidth.txt's header).
    for (const auto &[first, last] : std::vector<std::pair<uint32_t, uint32_t>>{
             {0x3400, 0x4DBF}, {0x4E00, 0x9FFF}, {0xF900, 0xFAFF}, {0x20000, 0x2FFFD}, {0x30000, 0x3FFFD}}) {
        for (uint32_t cp = first; cp <= last; ++cp) expected[cp] = EastAsianWidth::kWide;
    }
    const std::map<std::string, EastAsianWidth> values = {
        {"N", EastAsianWidth::kNeutral}, {"A", EastAsianWidth::kAmbiguous}, {"H", EastAsianWidth::kHalfwidth},
        {"F", EastAsianWidth::kFullwidth}, {"Na", EastAsianWidth::kNarrow}, {"W", EastAsianWidth::kWide}};
    size_t listed = 0;
    for (const auto &r : Ranges(DataFile("EastAsianWidth.txt"))) {
        ASSERT_TRUE(values.count(r.value)) << r.value;
        for (uint32_t cp = r.first; cp <= r.last; ++cp) expected[cp] = values.at(r.value);
        listed += r.last - r.first + 1;
    }
    EXPECT_GT(listed, 250000u);
    Mismatches wrong("East Asian Width");
    for (uint32_t cp = 0; cp < kCodePoints; ++cp) {
        wrong.Check(cp, static_cast<int>(expected[cp]), static_cast<int>(Classify(cp).east_asian_width));
    }
}

TEST(UnicodeTables, ClusterBreakOfEveryCodePoint) {
    const auto expected = PerCodePoint<ClusterBreak>(
        "auxiliary/GraphemeBreakProperty.txt", ClusterBreak::kOther,
        {{"CR", ClusterBreak::kCR}, {"LF", ClusterBreak::kLF}, {"Control", ClusterBreak::kControl},
         {"Extend", ClusterBreak::kExtend}, {"ZWJ", ClusterBreak::kZwj},
         {"Regional_Indicator", ClusterBreak::kRegionalIndicator}, {"Prepend", ClusterBreak::kPrepend},
         {"SpacingMark", ClusterBreak::kSpacingMark}, {"L", ClusterBreak::kL}, {"V", ClusterBreak::kV},
         {"T", ClusterBreak::kT}, {"LV", ClusterBreak::kLV}, {"LVT", ClusterBreak::kLVT}});
    Mismatches wrong("Grapheme_Cluster_Break");
    for (uint32_t cp = 0; cp < kCodePoints; ++cp) {
        wrong.Check(cp, static_cast<int>(expected[cp]), static_cast<int>(UnicodeData::Info(cp).cluster));
    }
}

TEST(UnicodeTables, EmojiPropertiesOfEveryCodePoint) {
    const auto pictographic = PerCodePoint<bool>("emoji/emoji-data.txt", false, {{"Extended_Pictographic", true}});
    const auto presentation = PerCodePoint<bool>("emoji/emoji-data.txt", false, {{"Emoji_Presentation", true}});
    Mismatches wrong_pictographic("Extended_Pictographic");
    Mismatches wrong_presentation("Emoji_Presentation");
    for (uint32_t cp = 0; cp < kCodePoints; ++cp) {
        const uint8_t flags = UnicodeData::Info(cp).flags;
        wrong_pictographic.Check(cp, pictographic[cp], (flags & CodePointInfo::kPictographic) != 0);
        wrong_presentation.Check(cp, presentation[cp], (flags & CodePointInfo::kEmoji) != 0);
    }
}

TEST(UnicodeTables, ScriptClassOfEveryCodePoint) {
    const auto expected = PerCodePoint<ScriptClass>(
        "Scripts.txt", ScriptClass::kOther,
        {{"Latin", ScriptClass::kLatin}, {"Greek", ScriptClass::kGreek}, {"Cyrillic", ScriptClass::kCyrillic}});
    Mismatches wrong("script class");
    for (uint32_t cp = 0; cp < kCodePoints; ++cp) {
        wrong.Check(cp, static_cast<int>(expected[cp]), static_cast<int>(Classify(cp).script));
    }
}

// General categories from UnicodeData.txt, whose "<..., First>" and
// "<..., Last>" lines bound ranges; Cn where it lists nothing.
std::vector<std::string> GeneralCategories() {
    std::vector<std::string> categories(kCodePoints, "Cn");
    uint32_t first = 0;
    for (const std::string &line : lumo_unicode::Lines(DataFile("UnicodeData.txt"))) {
        std::vector<std::string> fields;
        std::istringstream in(line);
        for (std::string field; std::getline(in, field, ';');) fields.push_back(field);
        if (fields.size() < 3) continue;
        const auto cp = static_cast<uint32_t>(std::stoul(fields[0], nullptr, 16));
        if (fields[1].find(", First>") != std::string::npos) {
            first = cp;
            continue;
        }
        const uint32_t from = fields[1].find(", Last>") != std::string::npos ? first : cp;
        for (uint32_t c = from; c <= cp; ++c) categories[c] = fields[2];
    }
    return categories;
}

TEST(UnicodeTables, DigitsAndLettersOfEveryCodePoint) {
    const std::vector<std::string> categories = GeneralCategories();
    Mismatches wrong_digit("Nd");
    Mismatches wrong_letter("letter flag (L, M, Nd)");
    size_t digits = 0;
    for (uint32_t cp = 0; cp < kCodePoints; ++cp) {
        const std::string &gc = categories[cp];
        digits += gc == "Nd";
        wrong_digit.Check(cp, gc == "Nd", Classify(cp).digit);
        const bool letter = gc[0] == 'L' || gc[0] == 'M' || gc == "Nd";
        wrong_letter.Check(cp, letter, (UnicodeData::Info(cp).flags & CodePointInfo::kLetter) != 0);
    }
    EXPECT_GT(digits, 600u);
}

// The widths per Ambiguous mode of every code point, from the files and the
// code page 932 code: a held character is as wide as its code; a mark, a
// format character or a Hangul vowel or final that code page 932 lacks is
// zero-width; East Asian Wide, Fullwidth and emoji are two columns; an
// ambiguous character follows the mode; the half-width sound marks are
// characters of their own, never zero-width.
TEST(UnicodeTables, WidthsOfEveryCodePoint) {
    const std::vector<std::string> categories = GeneralCategories();
    const auto jamo = PerCodePoint<bool>("HangulSyllableType.txt", false, {{"V", true}, {"T", true}});
    const auto emoji = PerCodePoint<bool>("emoji/emoji-data.txt", false, {{"Emoji_Presentation", true}});
    Mismatches wrong("width");
    for (uint32_t cp = 0; cp < kCodePoints; ++cp) {
        const CodePointInfo info = UnicodeData::Info(cp);
        const EastAsianWidth eaw = Classify(cp).east_asian_width;
        const std::string &gc = categories[cp];
        const bool own = cp == 0xFF9E || cp == 0xFF9F;
        const bool zero = !own && !info.Held() && (gc == "Mn" || gc == "Me" || gc == "Cf" || jamo[cp]);
        unsigned base = (eaw == EastAsianWidth::kWide || eaw == EastAsianWidth::kFullwidth || emoji[cp]) ? 2 : 1;
        if (info.Held()) base = info.Cp932Length();
        for (const Ambiguous mode : {Ambiguous::kCp932, Ambiguous::kWide, Ambiguous::kNarrow}) {
            unsigned width = zero ? 0 : base;
            if (!zero && eaw == EastAsianWidth::kAmbiguous && mode != Ambiguous::kCp932) {
                width = mode == Ambiguous::kWide ? 2 : 1;
            }
            wrong.Check(cp, static_cast<int>(width), static_cast<int>(info.Width(mode)));
        }
    }
}

TEST(UnicodeTables, VersionIsTheDataFilesVersion) {
    const std::string first = lumo_unicode::Lines(DataFile("EastAsianWidth.txt")).at(0);
    EXPECT_NE(first.find(std::string("-") + UnicodeData::Version() + "."), std::string::npos) << first;
}

// Each code decodes to a code point that encodes back to a code decoding to
// it; the characters' codes are those of CodePointInfo, but for the partners
// that code page 932 lacks, which are spelt as their partner there.
TEST(Cp932Table, BothDirectionsAgree) {
    size_t characters = 0;
    for (uint32_t code = 0; code < 0x10000; ++code) {
        const uint32_t cp = lumo::text::Cp932CodePoint(static_cast<uint16_t>(code));
        if (cp == lumo::text::kNoCodePoint || cp == 0) continue;
        ++characters;
        const uint16_t back = lumo::text::Cp932Code(cp);
        ASSERT_NE(back, 0) << std::hex << "code " << code << " U+" << cp;
        ASSERT_EQ(lumo::text::Cp932CodePoint(back), cp) << std::hex << "code " << code;
    }
    EXPECT_GT(characters, 7000u);
    for (uint32_t cp = 1; cp < 0x10000; ++cp) {
        const uint16_t code = lumo::text::Cp932Code(cp);
        const uint16_t held = UnicodeData::Info(cp).cp932;
        if (code != 0) {
            EXPECT_EQ(held, code) << std::hex << "U+" << cp;
        } else if (held != 0) {
            const uint32_t partner = lumo::text::Cp932Partner(cp);
            EXPECT_TRUE(partner != 0 && held == lumo::text::Cp932Code(partner)) << std::hex << "U+" << cp;
        }
    }
    // Code page 932's single bytes: ASCII and the half-width katakana.
    EXPECT_EQ(lumo::text::Cp932CodePoint(0x41), 0x41u);
    EXPECT_EQ(lumo::text::Cp932CodePoint(0xB1), 0xFF71u);
    EXPECT_EQ(lumo::text::Cp932CodePoint(0x82A0), 0x3042u);  // あ
    EXPECT_EQ(lumo::text::Cp932CodePoint(0x8160), 0xFF5Eu);  // ～, never 〜
    EXPECT_EQ(lumo::text::Cp932CodePoint(0x81), lumo::text::kNoCodePoint);  // a lone lead byte
    EXPECT_EQ(UnicodeData::Info(0x301C).cp932, 0x8160);  // 〜 spelt as ～
    EXPECT_EQ(lumo::text::Cp932Code(0x301C), 0);
}

}  // namespace
