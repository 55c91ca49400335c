// ICU's line-break iterator (UAX 14 with the locale keywords ja@lb=strict,
// normal and loose) as an oracle: on random lines of mixed Japanese and
// English, every break that the rules choose is one that UAX 14 allows at
// that level, except where a row below says why the rules differ. Breaks
// made because no allowed place fitted (the rule gave way) are not asked.
#ifdef LUMOTEXT_TEST_ICU

#include <gtest/gtest.h>
#include <unicode/brkiter.h>
#include <unicode/locid.h>
#include <unicode/unistr.h>

#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "format/jlreq_break.h"
#include "support/jlreq_random_text.h"
#include "support/jlreq_text.h"

namespace {

using lumo::jlreq::BreakOutcome;
using lumo::jlreq::BreakRules;
using lumo::jlreq::Level;

// One break the rules made: the last character before it that is not a
// space, the first after it, and whether spaces lie between.
struct Break {
    uint32_t before;
    uint32_t after;
    bool spaced;
    uint32_t space;  // the space right before after, when spaced
    Level level;
};

bool In(std::string_view set, uint32_t cp) {
    for (uint32_t c : lumo_test::CodePoints(set)) {
        if (c == cp) return true;
    }
    return false;
}

bool Wide(uint32_t cp) { return lumo::jlreq::KindOf(lumo_test::TraitsOf(cp)) == lumo::jlreq::trait::kWide; }

// Where the rules knowingly differ from ICU's UAX 14 data (ICU 72, Unicode
// 15.0), why, and an example: the rules allow the break at the ▼ and ICU
// does not, at the example's level.
struct Deviation {
    const char *name;
    const char *why;
    bool (*applies)(const Break &);
    Level level;
    const char *example;
};

const Deviation kDeviations[] = {
    {"ASCII mark after a space",
     "An ASCII closing bracket or punctuation mark counts as its full-width counterpart only where it touches "
     "the character before; after a space it is a symbol of its own (UAX 14 forbids a break before it even "
     "after spaces).",
     [](const Break &b) { return b.spaced && In(")]}!?:;.,/%", b.after); }, Level::kStrict, "a ▼)b"},
    {"hyphen-minus, solidus or vertical line after a wide character",
     "JLREQ has no rule against them at a line head, so an option or a path after Japanese text goes to the "
     "next line whole (UAX 14 keeps HY, SY and BA to the character before).",
     [](const Break &b) { return !b.spaced && In("-/|", b.after) && Wide(b.before); }, Level::kStrict,
     "場所は▼/usr"},
    {"loose: ASCII dividing punctuation, middle dots and percent at a line head",
     "Loose lets cl-04, cl-05 and cl-13 begin a line and an ASCII mark glued to the character before counts as "
     "its full-width form; ICU's loose tailoring takes only the full-width forms and some others.",
     [](const Break &b) { return b.level == Level::kLoose && !b.spaced && In("!?:;%¢", b.after); }, Level::kLoose,
     "あ▼!"},
    {"loose: prefixes at a line end",
     "Loose lets cl-12 end a line; ICU's loose tailoring takes only € № and the full-width forms, and those "
     "not before every character.",
     [](const Break &b) { return b.level == Level::kLoose && !b.spaced && In("¥$£#€№￥＄￡＃", b.before); },
     Level::kLoose, "$▼あ"},
    {"quotation marks that JLREQ counts as brackets",
     "« ‘ are opening brackets (cl-01) and » ’ closing ones (cl-02) in JLREQ; UAX 14 glues its quotation "
     "marks to both neighbours.",
     [](const Break &b) { return !b.spaced && (In("«‘", b.after) || In("»’", b.before)); }, Level::kStrict,
     "あ▼«い»"},
    {"… ‥ after another character",
     "JLREQ forbids only breaks between inseparable characters (cl-08); UAX 14 keeps … and ‥ (IN) to the "
     "character before.",
     [](const Break &b) { return !b.spaced && In("…‥", b.after); }, Level::kStrict, "あ▼……"},
    {"tab or ideographic space before the character",
     "Tabs and U+3000 are spaces that end a line; UAX 14 has them as BA, after which the rules that keep a "
     "character to the one before it (quotation marks, HY, IN) still hold.",
     [](const Break &b) { return b.spaced && (b.space == '\t' || b.space == 0x3000); }, Level::kStrict,
     "あ　▼\"su\""},
    {"prefix after a letter or number",
     "JLREQ lets a prefixed abbreviation (cl-12) begin a line; UAX 14 keeps a prefix (PR) to a letter or "
     "number before it, and to a closing bracket after a number (LB24, LB25).",
     [](const Break &b) { return !b.spaced && In("¥$£€№￥＄￡＃", b.after); }, Level::kStrict, "abc▼＄"},
    {"postfix before what follows",
     "JLREQ lets a postfixed abbreviation (cl-13) end a line; UAX 14 keeps a postfix (PO) to a letter, number "
     "or opening bracket after it (LB24, LB25).",
     [](const Break &b) { return !b.spaced && In("°′″℃¢%‰％￠", b.before); }, Level::kStrict, "あ％▼abc"},
    {"loose: postfix after a letter or number",
     "Loose lets a postfixed abbreviation (cl-13) begin a line; UAX 14 keeps a postfix (PO) to the letter or "
     "number before it (LB24, LB25).",
     [](const Break &b) { return b.level == Level::kLoose && !b.spaced && In("°′″℃¢%‰％￠", b.after); },
     Level::kLoose, "abc▼％"},
    {"〵 next to anything",
     "JLREQ makes 〵 an inseparable character (cl-08); UAX 14 makes it a combining mark (CM) that takes the "
     "class of the character before it.",
     [](const Break &b) { return b.before == 0x3035 || b.after == 0x3035; }, Level::kStrict, "abc▼〵"},
    {"loose: hyphens after punctuation",
     "Loose lets the hyphens ‐ and – (cl-03) begin a line after any character; ICU's loose tailoring lets them "
     "follow only ideographs and kana.",
     [](const Break &b) { return b.level == Level::kLoose && !b.spaced && In("‐–", b.after); }, Level::kLoose,
     "あ」▼‐"},
    {"loose: — ― 〳 〴 pairs split",
     "Loose lets every run of inseparable characters (cl-08) split; ICU's loose tailoring splits only … and ‥.",
     [](const Break &b) { return b.level == Level::kLoose && In("—―〳〴", b.before) && In("—―〳〴", b.after); },
     Level::kLoose, "あ—▼—い"},
};

const char *const kLevelNames[] = {"strict", "normal", "loose"};

class Oracle {
public:
    Oracle() {
        const char *const locales[] = {"ja@lb=strict", "ja@lb=normal", "ja@lb=loose"};
        for (int i = 0; i < 3; ++i) {
            UErrorCode error = U_ZERO_ERROR;
            iterators_[i].reset(icu::BreakIterator::createLineInstance(icu::Locale(locales[i]), error));
            ok_ = ok_ && U_SUCCESS(error);
        }
    }
    bool ok() const { return ok_; }

    // Sets the line; the UTF-16 offset of each code point is kept.
    void SetLine(const std::vector<uint32_t> &cps) {
        text_.remove();
        offsets_.clear();
        for (uint32_t cp : cps) {
            offsets_.push_back(text_.length());
            text_.append(static_cast<UChar32>(cp));
        }
        offsets_.push_back(text_.length());
        for (auto &it : iterators_) it->setText(text_);
    }

    bool Allows(Level level, size_t unit) {
        return iterators_[static_cast<int>(level)]->isBoundary(offsets_[unit]) != 0;
    }

private:
    std::unique_ptr<icu::BreakIterator> iterators_[3];
    icu::UnicodeString text_;
    std::vector<int32_t> offsets_;
    bool ok_ = true;
};

TEST(JlreqOracle, EveryBreakIsOneUax14AllowsOrADocumentedDeviation) {
    Oracle oracle;
    ASSERT_TRUE(oracle.ok());
    lumo_test::RandomJapaneseLine random(14);
    int asked = 0;
    int agreed = 0;
    int used[sizeof kDeviations / sizeof kDeviations[0]] = {};
    std::map<std::string, int> unexplained;  // level: before | after (or _ for spaces)
    std::map<std::string, std::string> examples;
    for (int line = 0; line < 4000; ++line) {
        const std::vector<uint32_t> cps = lumo_test::CodePoints(random.Make(10 + random.Below(150)));
        const auto units = lumo_test::UnitsOf(cps);
        oracle.SetLine(cps);
        for (Level level : {Level::kStrict, Level::kNormal, Level::kLoose}) {
            BreakRules rules;
            rules.level = level;
            rules.hang = random.Below(2) == 1;
            const uint64_t columns = 2 + random.Below(40);
            for (const lumo_test::Segment &seg : lumo_test::FoldLine(units, rules, columns)) {
                if (seg.outcome != BreakOutcome::kAllowed && seg.outcome != BreakOutcome::kHang) continue;
                ++asked;
                if (oracle.Allows(level, seg.end)) {
                    ++agreed;
                    continue;
                }
                size_t before = seg.end - 1;
                while (lumo::jlreq::KindOf(units[before].traits) == lumo::jlreq::trait::kSpace) --before;
                const Break b{cps[before], cps[seg.end], before + 1 < seg.end, cps[seg.end - 1], level};
                bool explained = false;
                for (size_t d = 0; d < sizeof kDeviations / sizeof kDeviations[0] && !explained; ++d) {
                    if (kDeviations[d].applies(b)) {
                        ++used[d];
                        explained = true;
                    }
                }
                if (!explained) {
                    const std::string key = std::string(kLevelNames[static_cast<int>(level)]) + ": " +
                                            lumo_test::Utf8(cps, before, before + 1) + (b.spaced ? " _ " : " | ") +
                                            lumo_test::Utf8(cps, seg.end, seg.end + 1);
                    if (++unexplained[key] == 1) {
                        examples[key] = lumo_test::Utf8(cps, seg.begin, std::min(cps.size(), seg.end + 8));
                    }
                }
            }
        }
    }
    for (const auto &[key, count] : unexplained) {
        ADD_FAILURE() << "UAX 14 forbids " << count << " breaks " << key << ", e.g. after " << examples[key];
    }
    std::string report = std::to_string(agreed) + " of " + std::to_string(asked) + " breaks agree with UAX 14";
    for (size_t d = 0; d < sizeof kDeviations / sizeof kDeviations[0]; ++d) {
        report += "; " + std::string(kDeviations[d].name) + ": " + std::to_string(used[d]);
    }
    RecordProperty("breaks", report);
    std::printf("%s\n", report.c_str());
    EXPECT_GT(agreed, asked * 9 / 10);
}

// Each deviation is real: at its example ICU forbids the break, the rules
// allow it, and the row is the one that explains it.
TEST(JlreqOracle, EachDeviationIsReal) {
    Oracle oracle;
    ASSERT_TRUE(oracle.ok());
    const uint32_t kMarker = 0x25BC;  // ▼
    for (const Deviation &d : kDeviations) {
        SCOPED_TRACE(d.name);
        std::vector<uint32_t> cps = lumo_test::CodePoints(d.example);
        size_t at = 0;
        while (at < cps.size() && cps[at] != kMarker) ++at;
        ASSERT_LT(at, cps.size()) << "the example has no marker";
        cps.erase(cps.begin() + static_cast<ptrdiff_t>(at));
        oracle.SetLine(cps);
        EXPECT_FALSE(oracle.Allows(d.level, at)) << "ICU allows the example's break";
        size_t before = at - 1;
        const auto units = lumo_test::UnitsOf(cps);
        while (lumo::jlreq::KindOf(units[before].traits) == lumo::jlreq::trait::kSpace) --before;
        const bool spaced = before + 1 < at;
        EXPECT_TRUE(lumo::jlreq::MayBreakBetween(d.level, units[before].traits, units[at].traits, spaced))
            << "the rules forbid the example's break";
        EXPECT_TRUE(d.applies({cps[before], cps[at], spaced, cps[at - 1], d.level}));
    }
}

}  // namespace

#endif  // LUMOTEXT_TEST_ICU
