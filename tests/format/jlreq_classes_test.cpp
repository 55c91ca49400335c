// The line-break classes checked against JLREQ's own member lists (Appendix
// A, with the plain-text forms) and CSS Text 3's levels: for every member,
// whether it may begin and end a line at each level, next to a kana that
// forbids nothing. Also: nothing outside those lists and our few documented
// rows forbids anything, and the kind of every code point agrees with ICU's
// East Asian Width and Script.
#include "format/jlreq_classes.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "format/jlreq_break.h"
#include "support/jlreq_text.h"

#if defined(LUMOTEXT_UNICODE) && defined(LUMOTEXT_TEST_ICU)
#include <unicode/uchar.h>
#include <unicode/uscript.h>
#endif

namespace {

using lumo::jlreq::Level;
using lumo::jlreq::MayBreakBetween;
using lumo::jlreq::Traits;
using lumo_test::CodePoints;
using lumo_test::TraitsOf;

constexpr Level kLevels[] = {Level::kStrict, Level::kNormal, Level::kLoose};
const char *LevelName(Level level) {
    return level == Level::kStrict ? "strict" : level == Level::kNormal ? "normal" : "loose";
}

// What a class allows at strict, normal and loose: '+' allowed, '-' not.
struct ClassCase {
    const char *jlreq_class;
    const char *members;  // JLREQ's members and the forms plain text uses for them
    const char *head;     // may begin a line, per level
    const char *tail;     // may end a line, per level
};

// From JLREQ Appendix A and sections 3.1.7 to 3.1.10, with CSS Text 3's
// line-break levels: strict every rule; normal lets 〜 and ゠ begin a line
// and keeps small kana and ー off it (2024 resolution); loose also lets
// hyphens, dividing punctuation, middle dots, iteration marks, ー, small
// kana and postfixes begin a line and prefixes end one.
const ClassCase kClassCases[] = {
    {"cl-01 opening brackets", "‘“(〔[{〈《「『【⦅〘〖«〝（［｛｟｢", "+++", "---"},
    {"cl-02 closing brackets", "’”)〕]}〉》」』】⦆〙〗»〟）］｝｠｣", "---", "+++"},
    {"cl-03 hyphens, strict and normal", "‐–", "--+", "+++"},
    {"cl-03 hyphens, strict only", "〜゠～", "-++", "+++"},
    {"cl-04 dividing punctuation", "!?‼⁇⁈⁉！？", "--+", "+++"},
    {"cl-05 middle dots", "・:;：；･", "--+", "+++"},
    {"cl-06 full stops", "。.．｡", "---", "+++"},
    {"cl-07 commas", "、,，､", "---", "+++"},
    {"cl-08 inseparable characters", "—…‥〳〴〵―", "+++", "+++"},
    {"cl-09 iteration marks", "ヽヾゝゞ々〻", "--+", "+++"},
    {"cl-10 prolonged sound mark", "ーｰ", "--+", "+++"},
    {"cl-11 small kana",
     "ぁぃぅぇぉァィゥェォっゃゅょゎゕゖッャュョヮヵヶㇰㇱㇲㇳㇴㇵㇶㇷㇸㇹㇺㇻㇼㇽㇾㇿｧｨｩｪｫｬｭｮｯ", "--+", "+++"},
    {"cl-12 prefixed abbreviations", "¥$£#€№￥＄￡＃", "+++", "--+"},
    {"cl-13 postfixed abbreviations",
     "°′″℃¢%‰㏋ℓ㌃㌍㌔㌘㌢㌣㌦㌧㌫㌶㌻㍉㍊㍍㍑㍗㎎㎏㎜㎝㎞㎡㏄％￠", "--+", "+++"},
};

// Rows of our own, no JLREQ class: what each forbids at every level.
struct OwnCase {
    const char *why;
    const char *members;
    bool head_ok;
    bool tail_ok;
};
const OwnCase kOwnCases[] = {
    {"sound marks belong to the kana before them", "゛゜ﾞﾟ", false, true},
    {"ASCII quotes are glued to both neighbours", "\"'", false, false},
    {"plus and backslash are glued to the character after", "+\\", true, false},
    {"no-break spaces and joiners", "\u00A0\u2007\u202F\u2060\uFEFF", false, false},
};

const Traits kKana = TraitsOf("あ");

TEST(JlreqClasses, EachMemberAtEachLevel) {
    for (const ClassCase &c : kClassCases) {
        for (uint32_t cp : CodePoints(c.members)) {
            const Traits member = TraitsOf(cp);
            for (int i = 0; i < 3; ++i) {
                SCOPED_TRACE(std::string(c.jlreq_class) + " " + lumo_test::Utf8({cp}, 0, 1) + " " +
                             LevelName(kLevels[i]));
                EXPECT_EQ(MayBreakBetween(kLevels[i], kKana, member, false), c.head[i] == '+') << "at a line head";
                EXPECT_EQ(MayBreakBetween(kLevels[i], member, kKana, false), c.tail[i] == '+') << "at a line end";
            }
        }
    }
}

TEST(JlreqClasses, InseparableRunsSplitOnlyInLoose) {
    const std::vector<uint32_t> members = CodePoints("—…‥〳〴〵―");
    for (uint32_t a : members) {
        for (uint32_t b : members) {
            SCOPED_TRACE(lumo_test::Utf8({a, b}, 0, 2));
            EXPECT_FALSE(MayBreakBetween(Level::kStrict, TraitsOf(a), TraitsOf(b), false));
            EXPECT_FALSE(MayBreakBetween(Level::kNormal, TraitsOf(a), TraitsOf(b), false));
            EXPECT_TRUE(MayBreakBetween(Level::kLoose, TraitsOf(a), TraitsOf(b), false));
        }
    }
}

TEST(JlreqClasses, OwnRowsAtEveryLevel) {
    for (const OwnCase &c : kOwnCases) {
        for (uint32_t cp : CodePoints(c.members)) {
            for (Level level : kLevels) {
                SCOPED_TRACE(std::string(c.why) + " U+" + std::to_string(cp) + " " + LevelName(level));
                EXPECT_EQ(MayBreakBetween(level, kKana, TraitsOf(cp), false), c.head_ok);
                EXPECT_EQ(MayBreakBetween(level, TraitsOf(cp), kKana, false), c.tail_ok);
            }
        }
    }
}

// An ASCII mark forbids only where it touches: after a space a closing
// parenthesis or a full stop may begin a line, as a symbol of its own.
TEST(JlreqClasses, AsciiMarksOnlyWhereTheyTouch) {
    for (uint32_t cp : CodePoints(")]}!?:;.,%\"'")) {
        SCOPED_TRACE(lumo_test::Utf8({cp}, 0, 1));
        EXPECT_TRUE(MayBreakBetween(Level::kStrict, kKana, TraitsOf(cp), true));
    }
    for (uint32_t cp : CodePoints("$#\"'+\\")) {
        SCOPED_TRACE(lumo_test::Utf8({cp}, 0, 1));
        EXPECT_TRUE(MayBreakBetween(Level::kStrict, TraitsOf(cp), kKana, true));
    }
    // The full-width ones and the ASCII opening brackets hold across spaces.
    for (uint32_t cp : CodePoints("」）。、")) EXPECT_FALSE(MayBreakBetween(Level::kStrict, kKana, TraitsOf(cp), true));
    for (uint32_t cp : CodePoints("「（([{")) EXPECT_FALSE(MayBreakBetween(Level::kStrict, TraitsOf(cp), kKana, true));
}

TEST(JlreqClasses, OnlyTheWideFullStopsAndCommasHang) {
    std::set<uint32_t> hanging;
    for (uint32_t cp = 0; cp < 0x20000; ++cp) {
        if (lumo::jlreq::Classify(cp, lumo::text::CodePointInfo{}) & lumo::jlreq::trait::kHangs) hanging.insert(cp);
    }
    const std::vector<uint32_t> want = CodePoints("、。，．｡､");
    EXPECT_EQ(hanging, std::set<uint32_t>(want.begin(), want.end()));
}

// Every code point that forbids something at some level is a member listed
// above: no stray row, no member forgotten in a table block.
TEST(JlreqClasses, NothingElseForbidsAnything) {
    std::set<uint32_t> listed;
    for (const ClassCase &c : kClassCases) {
        for (uint32_t cp : CodePoints(c.members)) listed.insert(cp);
    }
    for (const OwnCase &c : kOwnCases) {
        for (uint32_t cp : CodePoints(c.members)) listed.insert(cp);
    }
    // The small kana added after JLREQ: ko, wi, we, wo and n.
    for (uint32_t cp : {0x1B132u, 0x1B150u, 0x1B151u, 0x1B152u, 0x1B155u, 0x1B164u, 0x1B165u, 0x1B166u, 0x1B167u}) {
        listed.insert(cp);
        EXPECT_FALSE(MayBreakBetween(Level::kNormal, kKana, TraitsOf(cp), false));
        EXPECT_TRUE(MayBreakBetween(Level::kLoose, kKana, TraitsOf(cp), false));
    }
    constexpr Traits kRuleBits = 0x1FF | lumo::jlreq::trait::kInseparable;
    for (uint32_t cp = 0; cp <= 0x10FFFF; ++cp) {
        const bool forbids = (lumo::jlreq::Classify(cp, lumo::text::CodePointInfo{}) & kRuleBits) != 0;
        EXPECT_EQ(forbids, listed.count(cp) == 1) << "U+" << std::hex << cp;
    }
}

#if defined(LUMOTEXT_UNICODE) && defined(LUMOTEXT_TEST_ICU)
// The kind of every code point against ICU: spaces; wide is East Asian Width
// F, W or H and not Hangul; words are ASCII letters, digits and symbols and
// the letters, digits and marks of the Latin, Greek and Cyrillic scripts.
TEST(JlreqClasses, KindsAgreeWithIcu) {
    using namespace lumo::jlreq::trait;
    const std::set<uint32_t> spaces = {0x09, 0x20, 0x1680, 0x2000, 0x2001, 0x2002, 0x2003, 0x2004, 0x2005,
                                       0x2006, 0x2008, 0x2009, 0x200A, 0x200B, 0x205F, 0x3000};
    int mismatches = 0;
    for (uint32_t cp = 0; cp < 0x40000; ++cp) {
        if (cp >= 0xD800 && cp <= 0xDFFF) continue;
        const auto c = static_cast<UChar32>(cp);
        const int eaw = u_getIntPropertyValue(c, UCHAR_EAST_ASIAN_WIDTH);
        UErrorCode error = U_ZERO_ERROR;
        const UScriptCode script = uscript_getScript(c, &error);
        const bool wide = (eaw == U_EA_FULLWIDTH || eaw == U_EA_WIDE || eaw == U_EA_HALFWIDTH) &&
                          script != USCRIPT_HANGUL;
        const bool letter = (U_MASK(u_charType(c)) & (U_GC_L_MASK | U_GC_ND_MASK | U_GC_M_MASK)) != 0;
        const bool spaced_script = script == USCRIPT_LATIN || script == USCRIPT_GREEK || script == USCRIPT_CYRILLIC;
        Traits want = kOther;
        if (spaces.count(cp)) {
            want = kSpace;
        } else if (wide) {
            want = kWide;
        } else if ((cp > 0x20 && cp < 0x7F) || (letter && spaced_script)) {
            want = kWord;
        }
        // Regional indicators are drawn as emoji, two columns, and count as
        // wide; the Khitan filler is a mark of no width.
        if (cp >= 0x1F1E6 && cp <= 0x1F1FF) want = kWide;
        if (cp == 0x16FE4) want = kOther;
        const Traits got = lumo::jlreq::KindOf(TraitsOf(cp));
        if (got != want && ++mismatches <= 20) {
            ADD_FAILURE() << "U+" << std::hex << cp << ": kind " << (got >> 12) << ", ICU says " << (want >> 12);
        }
    }
    EXPECT_EQ(mismatches, 0);
}
#endif

}  // namespace
