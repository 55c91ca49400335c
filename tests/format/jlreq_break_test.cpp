// The segment search of the Japanese line-break rules on written cases: each
// behaviour (width, push-out, hanging, spaces, runs that are never split,
// levels, the settings' kinsoku sets, tabs) and, under "former bugs", each
// fault measured in the classic rules, named for what broke.
#include "format/jlreq_break.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/jlreq_text.h"

namespace {

using lumo::jlreq::BreakOutcome;
using lumo::jlreq::BreakRules;
using lumo::jlreq::BreakUnit;
using lumo::jlreq::Level;
using lumo_test::CodePoints;
using lumo_test::Fold;
using Lines = std::vector<std::string>;

BreakRules Rules(Level level, bool hang = false, uint32_t tab_width = 8) {
    BreakRules rules;
    rules.level = level;
    rules.hang = hang;
    rules.tab_width = tab_width;
    return rules;
}

struct FoldRow {
    const char *name;
    std::string text;
    uint64_t columns;
    BreakRules rules;
    Lines want;
};

void RunRows(const std::vector<FoldRow> &rows) {
    for (const FoldRow &row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(Fold(row.text, row.rules, row.columns), row.want);
    }
}

const BreakRules kStrict = Rules(Level::kStrict);
const BreakRules kNormal = Rules(Level::kNormal);
const BreakRules kLoose = Rules(Level::kLoose);
const BreakRules kNormalHang = Rules(Level::kNormal, true);

std::string Repeat(const std::string &s, int n) {
    std::string out;
    for (int i = 0; i < n; ++i) out += s;
    return out;
}

// The columns of utf8 as the test units measure them.
uint64_t Columns(const std::string &utf8) {
    uint64_t sum = 0;
    for (const BreakUnit &u : lumo_test::UnitsOf(CodePoints(utf8))) sum += u.width;
    return sum;
}

TEST(JlreqBreak, Width) {
    RunRows({
        {"the rest fits", "日本語", 10, kNormal, {"日本語"}},
        {"exactly the columns", "日本語です", 10, kNormal, {"日本語です"}},
        {"kanji and kana break anywhere", "あいうえおかきくけこ", 6, kNormal, {"あいう", "えおか", "きくけ", "こ"}},
        {"a wide character that does not fit goes to the next line", "abcdあい", 5, kNormal, {"abcd", "あい"}},
        {"one wide character wider than the line stands alone", "あい", 1, kNormal, {"あ", "い"}},
        {"no columns at all: one character a line", "あいう", 0, kNormal, {"あ", "い", "う"}},
    });
}

TEST(JlreqBreak, PushOut) {
    RunRows({
        {"a closing bracket takes the character before it along", "あいう」え", 6, kNormal, {"あい", "う」え"}},
        {"an opening bracket goes to the next line", "あい「う」", 6, kNormal, {"あい", "「う」"}},
        {"a full stop takes the character before it along", "あいう。えお", 6, kNormal, {"あい", "う。え", "お"}},
        {"push-out goes back as far as it must", "あいう" + Repeat("「", 20) + "え", 40, kNormal,
         {"あいう", Repeat("「", 20), "え"}},
        {"an ASCII parenthesis glued to a kana", "日本(にほん)語", 11, kNormal, {"日本(にほ", "ん)語"}},
        {"after an ASCII parenthesis glued to a kana", "日本(にほん)語", 12, kNormal, {"日本(にほん)", "語"}},
        {"nowhere to break before the fold column: cut there", "「「「「「「", 6, kNormal, {"「「「", "「「「"}},
    });
}

TEST(JlreqBreak, Hanging) {
    RunRows({
        {"a full stop hangs at the line's end", "あいう。", 6, kNormalHang, {"あいう。"}},
        {"a comma hangs and the line goes on", "あいう、えお", 6, kNormalHang, {"あいう、", "えお"}},
        {"without hanging it is pushed out", "あいう、えお", 6, kNormal, {"あい", "う、え", "お"}},
        {"it does not hang when what follows may not begin a line", "あいう。」", 6, kNormalHang, {"あい", "う。」"}},
        {"only one mark hangs", "あいう。。", 6, kNormalHang, {"あい", "う。。"}},
        {"an ASCII full stop does not hang", "あいう.", 6, kNormalHang, {"あい", "う."}},
        {"a mark after an overlong word hangs", "abcdefgh、あ", 4, kNormalHang, {"abcdefgh、", "あ"}},
    });
}

TEST(JlreqBreak, Spaces) {
    RunRows({
        {"the space stays at the end of the earlier line", "abc def", 5, kNormal, {"abc ", "def"}},
        {"all the spaces stay there", "abc    def", 5, kNormal, {"abc    ", "def"}},
        {"words go to the next line whole", "the quick brown fox", 10, kNormal, {"the quick ", "brown fox"}},
        {"a line that ends in spaces fits", "abc   ", 3, kNormal, {"abc   "}},
        {"the first segment keeps its leading spaces", "  abc def", 5, kNormal, {"  abc ", "def"}},
        {"what nothing fits behind stays with its indent, no line of spaces", "      abc", 3, kNormal,
         {"      abc"}},
        {"one character behind an indent wider than the line", "      。ab", 3, kNormal, {"      。", "ab"}},
        {"a run behind an indent stays whole with it", "    abcdef gh", 8, kNormal, {"    abcdef ", "gh"}},
        {"an ideographic space stays at the line's end too", "あいう　えお", 6, kNormal, {"あいう　", "えお"}},
        {"a closing bracket after a space still may not begin a line", "あい 」う", 5, kNormal, {"あ", "い 」", "う"}},
        {"an ASCII parenthesis after a space is a symbol of its own", "abc )def", 5, kNormal, {"abc ", ")def"}},
    });
}

TEST(JlreqBreak, RunsNeverSplit) {
    RunRows({
        {"a word longer than the line stands alone, whole", "abcdefghij", 4, kNormal, {"abcdefghij"}},
        {"a long word between spaces", "あ abcdefghij い", 4, kNormal, {"あ ", "abcdefghij ", "い"}},
        {"a long word between kana", "あabcdefghijい", 4, kNormal, {"あ", "abcdefghij", "い"}},
        {"digits with separators", "価格は1,234,567円です", 8, kNormal, {"価格は", "1,234,567", "円です"}},
        {"an e-mail address", "宛先user@example.comまで", 12, kNormal, {"宛先", "user@example.com", "まで"}},
        {"a path", "場所は/usr/share/docです", 12, kNormal, {"場所は", "/usr/share/doc", "です"}},
        {"a run of other symbols is cut at the fold column", "→→→→→→", 7, kNormal, {"→→→", "→→→"}},
        {"a word after other symbols goes to the next line whole", "abc→defghi", 5, kNormal, {"abc→", "defghi"}},
        {"Greek and Cyrillic words", "αβγδε абвгд", 6, kNormal, {"αβγδε ", "абвгд"}},
        {"an inseparable run goes to the next line whole", "あいう――えお", 8, kNormal, {"あいう", "――えお"}},
        {"〳〵 stays together", "あいう〳〵え", 8, kNormal, {"あいう", "〳〵え"}},
        {"loose splits an inseparable run", "あいう――えお", 8, kLoose, {"あいう―", "―えお"}},
    });
}

TEST(JlreqBreak, Levels) {
    RunRows({
        {"strict: 〜 may not begin a line", "あいう〜え", 6, kStrict, {"あい", "う〜え"}},
        {"normal: 〜 may begin a line", "あいう〜え", 6, kNormal, {"あいう", "〜え"}},
        {"normal: ‐ may not begin a line", "あいう‐え", 6, kNormal, {"あい", "う‐え"}},
        {"loose: ‐ may begin a line", "あいう‐え", 6, kLoose, {"あいう", "‐え"}},
        {"normal: small kana may not begin a line", "あいうぁえ", 6, kNormal, {"あい", "うぁえ"}},
        {"loose: small kana may begin a line", "あいうぁえ", 6, kLoose, {"あいう", "ぁえ"}},
        {"normal: ー may not begin a line", "あいうーえ", 6, kNormal, {"あい", "うーえ"}},
        {"loose: ー may begin a line", "あいうーえ", 6, kLoose, {"あいう", "ーえ"}},
        {"normal: 々 may not begin a line", "あいう々え", 6, kNormal, {"あい", "う々え"}},
        {"loose: ！ may begin a line", "あいう！え", 6, kLoose, {"あいう", "！え"}},
        {"normal: ￥ may not end a line", "あい￥う", 6, kNormal, {"あい", "￥う"}},
        {"loose: ￥ may end a line", "あい￥う", 6, kLoose, {"あい￥", "う"}},
        {"every level: 」 may not begin a line", "あいう」え", 6, kLoose, {"あい", "う」え"}},
    });
}

TEST(JlreqBreak, Tabs) {
    RunRows({
        {"a tab reaches the next tab stop", "a\tb", 10, kNormal, {"a\tb"}},
        {"a word after a tab goes to the next line", "ab\tcd", 9, kNormal, {"ab\t", "cd"}},
        {"a tab width of 0 is one column", "ab\tcd", 5, Rules(Level::kNormal, false, 0), {"ab\tcd"}},
    });
    // Tab stops count from the line's start: a segment that begins at
    // column 6 reaches the stop at 8 after two columns.
    const std::vector<BreakUnit> units = lumo_test::UnitsOf(CodePoints("a\tbcd"));
    lumo::jlreq::SegmentSearch search(5, 6);
    const auto answer = search.Search(kNormal, {units.data(), units.size(), 0, false});
    EXPECT_EQ(answer.outcome, BreakOutcome::kLineEnd);  // a(1) tab(1) b c d: 5 columns
}

// The settings' kinsoku sets count at every level on top of the classes.
TEST(JlreqBreak, SettingsSets) {
    const std::vector<uint32_t> cps = CodePoints("あいうえおか");
    std::vector<BreakUnit> units = lumo_test::UnitsOf(cps);
    units[3].traits |= lumo::jlreq::trait::kUserNoHead;  // え
    auto segments = lumo_test::FoldLine(units, kLoose, 6);
    EXPECT_EQ(lumo_test::SegmentTexts(cps, segments), (Lines{"あい", "うえお", "か"}));

    units = lumo_test::UnitsOf(cps);
    units[2].traits |= lumo::jlreq::trait::kUserNoTail;  // う
    segments = lumo_test::FoldLine(units, kLoose, 6);
    EXPECT_EQ(lumo_test::SegmentTexts(cps, segments), (Lines{"あい", "うえお", "か"}));
}

TEST(JlreqBreak, Outcomes) {
    const std::vector<uint32_t> cps = CodePoints("あいう」えお「「「「「「abcdefghij");
    const auto segments = lumo_test::FoldLine(lumo_test::UnitsOf(cps), kNormal, 6);
    ASSERT_EQ(lumo_test::SegmentTexts(cps, segments), (Lines{"あい", "う」え", "お", "「「「", "「「「", "abcdefghij"}));
    EXPECT_EQ(segments[0].outcome, BreakOutcome::kAllowed);
    EXPECT_EQ(segments[2].outcome, BreakOutcome::kAllowed);
    EXPECT_EQ(segments[3].outcome, BreakOutcome::kGiveWay);
    EXPECT_EQ(segments[4].outcome, BreakOutcome::kGiveWay);  // 「 may not end a line
    EXPECT_EQ(segments[5].outcome, BreakOutcome::kLineEnd);
}

// Former bugs: faults measured in the classic rules, each named for what
// broke; the new rules must never show them.

TEST(JlreqFormerBugs, WideCharacterStartingInTheLastColumnMadeTheLineTooWide) {
    EXPECT_EQ(Fold("abcdあいう", kNormal, 5), (Lines{"abcd", "あい", "う"}));
    EXPECT_EQ(Fold("あいabcdefghijklmnopqrstuvwxyz", kNormal, 5).front(), "あい");
}

TEST(JlreqFormerBugs, SmallKanaBeganALine) {
    // ちょ / っと
    EXPECT_EQ(Fold("あいちょっと", kNormal, 8), (Lines{"あい", "ちょっと"}));
    EXPECT_EQ(Fold("あいちょっと", kStrict, 8), (Lines{"あい", "ちょっと"}));
    // チ / ュートリアル
    EXPECT_EQ(Fold("あいうチュートリアル", kNormal, 8), (Lines{"あいう", "チュート", "リアル"}));
}

// Members the classic rules lacked: with the fold column right in front of a
// member that may not begin a line, or right after one that may not end it,
// the break moves back by one character.
TEST(JlreqFormerBugs, MissingMembersWereBrokenAround) {
    for (uint32_t cp : CodePoints("⦆〙〗»〟｠‐〜゠–～‼⁇⁈⁉〻ぁっゃゅょァッャュョㇰｧｯ‰㏋㌃㌍㎏℃")) {
        const std::string member = lumo_test::Utf8({cp}, 0, 1);
        SCOPED_TRACE(member);
        EXPECT_EQ(Fold("あいう" + member + "え", kStrict, Columns("あいう")).front(), "あい");
    }
    for (uint32_t cp : CodePoints("⦅〘〖«〝｟")) {
        const std::string member = lumo_test::Utf8({cp}, 0, 1);
        SCOPED_TRACE(member);
        EXPECT_EQ(Fold("あい" + member + "う", kStrict, Columns("あい" + member)).front(), "あい");
    }
}

TEST(JlreqFormerBugs, InseparableRunsWereSplit) {
    for (const char *run : {"――", "……", "‥‥", "——"}) {
        SCOPED_TRACE(run);
        const std::string text = std::string("あいう") + run;
        EXPECT_EQ(Fold(text, kNormal, Columns(text) - 1), (Lines{"あいう", run}));
    }
}

TEST(JlreqFormerBugs, DecimalNumberWasSplit) {
    EXPECT_EQ(Fold("円周率は3.14159です", kNormal, 10).front(), "円周率は");
    EXPECT_EQ(Fold("円周率は3.14159です", kNormal, 10).at(1).substr(0, 7), "3.14159");
}

TEST(JlreqFormerBugs, LongWordWasCutTwentyColumnsBeforeTheFoldColumn) {
    // 300 letters at fold 20 became 281 one-letter lines.
    const std::string letters(300, 'x');
    EXPECT_EQ(Fold(letters, kNormal, 20), (Lines{letters}));
    // A 28-letter word at fold 40 left a line of 20 columns.
    const std::string word(28, 'w');
    EXPECT_EQ(Fold("twelve chars " + word + " end", kNormal, 40), (Lines{"twelve chars ", word + " end"}));
    // A SHA-256 hash at fold 70 was split 36 + 28.
    const std::string hash = "9f86d081884c7d659a2feaa0c55ad015a3bf4f1b2b0b822cd15d6c15b0f00a08";
    const std::string line = "The file's SHA-256 checksum, as printed by sha256sum, is " + hash + ".";
    EXPECT_EQ(Fold(line, kNormal, 70),
              (Lines{"The file's SHA-256 checksum, as printed by sha256sum, is ", hash + "."}));
}

TEST(JlreqFormerBugs, TokensThatFitTheNextLineWereSplit) {
    // Ctrl / -Alt-F3
    EXPECT_EQ(Fold("押すキーはCtrl-Alt-F3です", kNormal, 16), (Lines{"押すキーは", "Ctrl-Alt-F3です"}));
    // "su / "
    EXPECT_EQ(Fold("コマンド \"su\" を", kNormal, 12), (Lines{"コマンド ", "\"su\" を"}));
    EXPECT_EQ(Fold("run \"su\" now", kNormal, 7), (Lines{"run ", "\"su\" ", "now"}));
    // https://packages. / debian.org/
    EXPECT_EQ(Fold("詳しくはhttps://packages.debian.org/を見てください", kNormal, 30),
              (Lines{"詳しくは", "https://packages.debian.org/を", "見てください"}));
}

TEST(JlreqFormerBugs, RunOfSpacesBecameLinesOfSpaces) {
    // 470 spaces became 44 lines of spaces at fold 40.
    const std::string spaces(470, ' ');
    EXPECT_EQ(Fold("abc" + spaces + "def", kNormal, 40), (Lines{"abc" + spaces, "def"}));
    EXPECT_EQ(Fold("abc" + spaces, kNormal, 40), (Lines{"abc" + spaces}));
}

}  // namespace
