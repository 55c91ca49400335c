// Binding for the Japanese line-break rules: CSS Text 3's segment break
// transformation, from the last character before a line break and the first
// after it.
#include "format/jlreq_join.h"

#include <gtest/gtest.h>

#include <string>

#include "support/jlreq_text.h"

namespace {

using lumo::jlreq::JoinAcross;
using lumo::jlreq::SegmentJoin;
using lumo_test::TraitsOf;

struct JoinRow {
    const char *before;
    const char *after;
    SegmentJoin want;
    const char *why;
};

constexpr SegmentJoin kRemove = SegmentJoin::kRemove;
constexpr SegmentJoin kSpace = SegmentJoin::kSpace;

const JoinRow kJoinRows[] = {
    {"あ", "い", kRemove, "kana on both sides (W)"},
    {"本", "a", kRemove, "a kanji before (W)"},
    {"a", "本", kRemove, "a kanji after (W)"},
    {"。", "a", kRemove, "an ideographic full stop (W)"},
    {"ｱ", "a", kRemove, "half-width katakana (H)"},
    {"a", "Ａ", kRemove, "a full-width letter (F)"},
    {"a", "b", kSpace, "two English words"},
    {"9", "x", kSpace, "a digit and a letter"},
    {".", "T", kSpace, "a sentence's end and the next one"},
    {"α", "β", kSpace, "two Greek words"},
    {"가", "나", kSpace, "Hangul is wide but Korean separates words with spaces"},
    {"a", "가", kSpace, "a letter and Hangul"},
    {"…", "w", kSpace, "an ellipsis (ambiguous width) and a letter"},
    {"→", "a", kSpace, "an arrow (ambiguous width) and a letter"},
    {" ", "a", kRemove, "the earlier line ends with a space, which stays"},
    {"\t", "a", kRemove, "the earlier line ends with a tab"},
    {"　", "a", kRemove, "the earlier line ends with an ideographic space"},
    {"a", " ", kRemove, "the later line begins with a space"},
};

TEST(JlreqJoin, SegmentBreakTransformation) {
    for (const JoinRow &row : kJoinRows) {
        SCOPED_TRACE(std::string(row.before) + " / " + row.after + ": " + row.why);
        EXPECT_EQ(JoinAcross(TraitsOf(row.before), TraitsOf(row.after)), row.want);
    }
}

TEST(JlreqFormerBugs, BindGluedEnglishWords) {
    // "the body" / "of" came back as "the bodyof".
    EXPECT_EQ(JoinAcross(TraitsOf("y"), TraitsOf("o")), SegmentJoin::kSpace);
}

}  // namespace
