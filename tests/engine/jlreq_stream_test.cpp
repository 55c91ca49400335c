// The Japanese line-break rules through the library's streams, as
// properties over random mixed Japanese and English text: no line wider
// than the fold column but where the rules say; binding what they folded
// gives it back; reflow is idempotent and equals folding the bound text;
// Shift-JIS and UTF-8 give the same lines; and the measured faults of the
// classic rules, each a former bug.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "engine/engine_support.h"
#include "support/jlreq_random_text.h"
#include "text/grapheme_breaker.h"
#include "text/unicode_data.h"

namespace lumo_engine_test {
namespace {

using lumo::text::UnicodeData;

lumo_options Rules(lumo_rules rules, unsigned fold, int32_t preset = 2) {
    lumo_options o;
    lumo_options_init(&o);
    o.rules = rules;
    o.fold = fold;
    o.preset = preset;
    return o;
}

std::string Fold(const lumo_options &o, const std::string &text, lumo_mode mode = LUMO_FORMAT) {
    std::mt19937 random(1);
    const Streamed s = Stream(mode, o, text, &random, 0);
    EXPECT_EQ(s.result, LUMO_OK) << s.error.message;
    return s.output;
}

std::vector<std::string> LinesOf(const std::string &text) {
    std::vector<std::string> lines;
    size_t at = 0;
    while (at < text.size()) {
        size_t end = text.find('\n', at);
        if (end == std::string::npos) end = text.size();
        lines.push_back(text.substr(at, end - at));
        at = end + 1;
    }
    return lines;
}

// A line's grapheme clusters with their widths, as the character model
// draws them (ambiguous characters as code page 932 holds them).
struct Cluster {
    std::string bytes;
    unsigned width;
    uint32_t first;
};

std::vector<Cluster> ClustersOf(const std::string &line) {
    std::vector<Cluster> clusters;
    lumo::text::ClusterBreaker breaker;
    for (size_t i = 0; i < line.size();) {
        const lumo::text::Decoded d = lumo::text::DecodeUtf8(line.data() + i, line.data() + line.size());
        const std::string bytes = line.substr(i, d.length);
        if (breaker.Next(d.code_point) || clusters.empty()) {
            const unsigned width = d.code_point == lumo::text::kInvalidByte
                                       ? 1
                                       : UnicodeData::Info(d.code_point).Width(lumo::text::Ambiguous::kCp932);
            clusters.push_back({bytes, width, d.code_point});
        } else {
            clusters.back().bytes += bytes;
            if (d.code_point == 0xFE0F && clusters.back().width == 1) clusters.back().width = 2;
        }
        i += d.length;
    }
    return clusters;
}

bool IsSpace(uint32_t cp) { return cp == ' ' || cp == '\t' || cp == 0x3000; }
bool IsHanging(uint32_t cp) {
    return cp == 0x3001 || cp == 0x3002 || cp == 0xFF0C || cp == 0xFF0E || cp == 0xFF61 || cp == 0xFF64;
}
bool IsWide(uint32_t cp) {
    using lumo::text::EastAsianWidth;
    const EastAsianWidth w = lumo::text::Classify(cp).east_asian_width;
    return w == EastAsianWidth::kWide || w == EastAsianWidth::kFullwidth || w == EastAsianWidth::kHalfwidth;
}

// Why a line may be wider than the fold column, if it may: spaces behind
// it, a hanging 、 or 。 at its end, or one run that may not be split and is
// longer than a line (no space, no wide character inside it) or than what
// its indent leaves, or one character behind such an indent.
bool MayBeWide(const std::vector<Cluster> &line, unsigned fold, bool hang) {
    size_t end = line.size();
    while (end > 0 && IsSpace(line[end - 1].first)) --end;
    unsigned width = 0;
    for (size_t i = 0; i < end; ++i) width += line[i].width;
    if (width <= fold) return true;  // trailing spaces count for nothing
    if (hang && end > 0 && IsHanging(line[end - 1].first) && width - line[end - 1].width <= fold) return true;
    size_t begin = 0;
    while (begin < end && IsSpace(line[begin].first)) ++begin;
    if (hang && end > begin && IsHanging(line[end - 1].first)) --end;
    if (begin > 0 && end - begin == 1) return true;  // one character behind an indent that leaves it no room
    for (size_t i = begin; i < end; ++i) {
        if (IsSpace(line[i].first) || IsWide(line[i].first)) return false;
    }
    return true;
}

TEST(JlreqStream, NoLineIsWiderThanTheFoldColumnButWhereTheRulesSay) {
    std::mt19937 random(31);
    for (int round = 0; round < 600; ++round) {
        lumo_test::RandomJapaneseLine make(static_cast<uint32_t>(round));
        const std::string text = make.Make(20 + static_cast<unsigned>(random() % 300)) + "\n";
        const unsigned fold = 6 + static_cast<unsigned>(random() % 70);
        const lumo_rules rules = static_cast<lumo_rules>(random() % 3);
        lumo_options o = Rules(rules, fold, 0);
        o.hang = static_cast<int>(random() % 2);
        const std::string folded = Fold(o, text);
        for (const std::string &line : LinesOf(folded)) {
            ASSERT_TRUE(MayBeWide(ClustersOf(line), fold, o.hang != 0))
                << "round " << round << ", fold " << fold << ", rules " << rules << ": [" << line << "]";
        }
        // No line after the first consists of spaces only.
        const std::vector<std::string> lines = LinesOf(folded);
        for (size_t i = 1; i < lines.size(); ++i) {
            ASSERT_NE(lines[i].find_first_not_of(" \t"), std::string::npos) << "round " << round;
        }
    }
}

// Random paragraphs whose every break is one the rules allow and that bind
// can tell: sentences of kana, kanji, punctuation and English words of at
// most ten letters, separated by empty lines.
std::string Paragraphs(std::mt19937 *random) {
    // English words stand between spaces and inseparable runs between
    // kana, so that every break that folding makes is one the rules allow,
    // never one where a rule gave way (bind cannot tell those).
    static const char *const kTokens[] = {"星空", "の", "観察会", "を", "今年も", "開催", "します", "。", "、",
                                          "「案内」", "（赤い）", "ちょっと", "チュートリアル", "ー", "々",
                                          " the ", " quick brown ", " fox ", " 20cm ", " 3.14159 ", " Ctrl-Alt-F3 ",
                                          " https://packages.debian.org/ ", "あ――い", "う……え"};
    std::string doc;
    const size_t paragraphs = 1 + (*random)() % 4;
    for (size_t p = 0; p < paragraphs; ++p) {
        std::string sentence = "本文";
        for (size_t i = 2 + (*random)() % 40; i > 0; --i) sentence += kTokens[(*random)() % std::size(kTokens)];
        // Spaces only between words: none at the ends, none doubled.
        std::string clean;
        for (const char c : sentence) {
            if (!(c == ' ' && (clean.empty() || clean.back() == ' '))) clean += c;
        }
        while (!clean.empty() && clean.back() == ' ') clean.pop_back();
        doc += clean + "\n";
        if (p + 1 < paragraphs) doc += "\n";
    }
    return doc;
}

TEST(JlreqStream, BindingWhatTheRulesFoldedGivesItBack) {
    std::mt19937 random(5);
    for (int round = 0; round < 800; ++round) {
        const std::string doc = Paragraphs(&random);
        const unsigned fold = 30 + static_cast<unsigned>(random() % 60);
        const lumo_options o = Rules(static_cast<lumo_rules>(random() % 2), fold, 0);  // strict, normal
        const std::string folded = Fold(o, doc);
        ASSERT_EQ(Fold(o, folded, LUMO_BIND), doc) << "round " << round << ", fold " << fold << "\n" << folded;
    }
}

TEST(JlreqStream, ReflowIsIdempotentAndFoldsTheBoundText) {
    std::mt19937 random(6);
    for (int round = 0; round < 300; ++round) {
        std::string doc = Paragraphs(&random);
        const lumo_options first = Rules(LUMO_RULES_NORMAL, 20 + static_cast<unsigned>(random() % 40), 0);
        // An already folded text, reflowed at another width.
        const std::string folded = Fold(first, doc);
        lumo_options o = Rules(LUMO_RULES_NORMAL, 20 + static_cast<unsigned>(random() % 60), 0);
        const std::string once = Fold(o, folded, LUMO_REFLOW);
        ASSERT_EQ(Fold(o, once, LUMO_REFLOW), once) << "round " << round;
        lumo_options unknown = o;
        unknown.fold = 0;  // bound as the lines alone tell
        ASSERT_EQ(once, Fold(o, Fold(unknown, folded, LUMO_BIND))) << "round " << round;
        // Folding an edited or folded text at any width gives the fold of
        // its unfolded form.
        ASSERT_EQ(once, Fold(o, doc)) << "round " << round;
    }
}

// What the rules folded they leave as it is, so that --check finds nothing
// to change in it: every folded line is a paragraph of its own that fits,
// or a run that stands whole, behind an indent as wide as its prefix was.
TEST(JlreqStream, FoldingAFoldedTextChangesNothing) {
    std::mt19937 random(9);
    for (int round = 0; round < 400; ++round) {
        lumo_test::RandomJapaneseLine make(static_cast<uint32_t>(round) + 1000);
        std::string doc = Paragraphs(&random);
        doc += make.Make(20 + static_cast<unsigned>(random() % 200)) + "\n";
        lumo_options o = Rules(static_cast<lumo_rules>(random() % 3), 6 + static_cast<unsigned>(random() % 70),
                               static_cast<int32_t>(random() % 3));
        const std::string once = Fold(o, doc);
        ASSERT_EQ(Fold(o, once), once) << "round " << round << ", fold " << o.fold << ", rules " << o.rules
                                       << ", preset " << o.preset << "\n[" << doc << "]";
    }
}

TEST(FormerBugs, AnIndentThatNothingFitsBehindKeepsItsFirstRun) {
    // A manual page's title line folded at 60: its continuation prefix is as
    // wide as the spaces before the name, so the name once went to a line of
    // its own behind a line of spaces, and folding the result changed it.
    const std::string title = "GRUB-MKSTANDALONE(1)" + std::string(21, ' ') + "ユーザーコマンド" +
                              std::string(20, ' ') + "GRUB-MKSTANDALONE(1)\n";
    const lumo_options o = Rules(LUMO_RULES_NORMAL, 60, 0);
    const std::string once = Fold(o, title);
    EXPECT_EQ(once, title.substr(0, title.size() - 21) + "\n" + std::string(41, ' ') + "GRUB-MKSTANDALONE(1)\n");
    EXPECT_EQ(Fold(o, once), once);
}

TEST(JlreqStream, ShiftJisAndUtf8GiveTheSameLines) {
    std::mt19937 random(8);
    for (int round = 0; round < 300; ++round) {
        const std::string utf8 = Paragraphs(&random);
        lumo_options o = Rules(static_cast<lumo_rules>(random() % 3), 10 + static_cast<unsigned>(random() % 60),
                               static_cast<int32_t>(random() % 3));
        o.hang = static_cast<int>(random() % 2);
        const std::string u = Fold(o, utf8);
        o.encoding = LUMO_CP932;
        ASSERT_EQ(Cp932Of(u), Fold(o, Cp932Of(utf8))) << "round " << round;
    }
}

// The measured faults of the classic rules, each at the tool's defaults.
TEST(FormerBugs, AWideCharacterThatStartsInTheLastColumnGoesToTheNextLine) {
    EXPECT_EQ(Fold(Rules(LUMO_RULES_NORMAL, 5, 0), "あいうえお\n"), "あい\nうえ\nお\n");
}

TEST(FormerBugs, SmallKanaAndTheProlongedSoundMarkNeverBeginALine) {
    EXPECT_EQ(Fold(Rules(LUMO_RULES_NORMAL, 6, 0), "あいちょっと\n"), "あい\nちょっ\nと\n");
    EXPECT_EQ(Fold(Rules(LUMO_RULES_NORMAL, 8, 0), "ああチュートリアル\n"), "ああ\nチュート\nリアル\n");
}

TEST(FormerBugs, InseparableRunsAndNumbersStayWhole) {
    EXPECT_EQ(Fold(Rules(LUMO_RULES_NORMAL, 8, 0), "あいう――えお\n"), "あいう\n――えお\n");
    EXPECT_EQ(Fold(Rules(LUMO_RULES_NORMAL, 8, 0), "円周率3.14159\n"), "円周率\n3.14159\n");
}

TEST(FormerBugs, AWordLongerThanTwentyLettersIsNotCutShort) {
    const std::string word(300, 'a');
    EXPECT_EQ(Fold(Rules(LUMO_RULES_NORMAL, 20, 0), word + "\n"), word + "\n");
    const std::string hash = "sha256 2c26b46b68ffc68ff99b453c1d30413413422d706483bfa0f98a5e886266e7ae\n";
    EXPECT_EQ(Fold(Rules(LUMO_RULES_NORMAL, 70, 0), hash),
              "sha256 \n2c26b46b68ffc68ff99b453c1d30413413422d706483bfa0f98a5e886266e7ae\n");
}

TEST(FormerBugs, TokensThatFitOnTheNextLineAreNotSplit) {
    EXPECT_EQ(Fold(Rules(LUMO_RULES_NORMAL, 14, 0), "押してください Ctrl-Alt-F3\n"), "押してください \nCtrl-Alt-F3\n");
    EXPECT_EQ(Fold(Rules(LUMO_RULES_NORMAL, 30, 0), "詳しくは https://packages.debian.org/ を\n"),
              "詳しくは \nhttps://packages.debian.org/ \nを\n");
}

TEST(FormerBugs, ARunOfSpacesDoesNotBecomeLinesOfSpaces) {
    const std::string title = "LS(1)" + std::string(470, ' ') + "User Commands\n";
    const std::string folded = Fold(Rules(LUMO_RULES_NORMAL, 40, 0), title);
    EXPECT_EQ(folded, "LS(1)" + std::string(470, ' ') + "\nUser Commands\n");
}

TEST(FormerBugs, BindPutsBackTheSpaceBetweenEnglishWords) {
    lumo_options o = Rules(LUMO_RULES_NORMAL, 0, 0);
    EXPECT_EQ(Fold(o, "the\nbody of\n本文の\n続き\n", LUMO_BIND), "the body of本文の続き\n");
}

}  // namespace
}  // namespace lumo_engine_test
