// A large text formatted in stretches of whole lines, two at a time, must come
// out byte for byte as the whole text formatted in one pass: same output, same
// result and message, same change to the settings, whatever the stretch size,
// the line terminators, the header block or an unterminated last line.
#include "formatter.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/sjis.h"

namespace lumo::cli {
namespace {

using lumo_test::Sjis;

// Lines of every kind that classification tells apart, some long enough to
// fold many times, some empty, one with tabs.
std::vector<std::string> Lines() {
    std::vector<std::string> lines = {
        Sjis("件名：観察会のお知らせ"),
        "",
        Sjis("　みどり台公民館では、毎年恒例の秋の星空観察会を今年も開催いたします。当日は天体望遠鏡を三台用意し、"
             "土星の環や木星の縞模様、秋の星座をご案内します。"),
        Sjis("・持ち物：防寒着、懐中電灯（赤いセロハンを貼ったもの）、双眼鏡、レジャーシート"),
        Sjis("> 子どもと一緒に初めて土星の環を見ました。写真で見るよりずっと小さいのに、くっきりと見えました。"),
        Sjis("1. 午後6時30分　受付と簡単な説明。星座早見盤の使い方をご説明します。"),
        Sjis("# 雨天の場合は、プラネタリウム番組の上映に切り替えます。"),
        "The quick brown fox jumps over the lazy dog; a_long_identifier_without_any_break_at_all "
        "and (parenthesised words) with punctuation.",
        "\tcolumn one\tcolumn two\t" + Sjis("列三"),
        Sjis("「はい、そうです。」と彼は言った。「でも、それは……」"),
        "",
        "",
        Sjis("①　最初の項目。②　二つ目の項目はずっと長くて、折り返しが何度も起こるほどの長さがあります。"),
    };
    return lines;
}

// The lines repeated to about size bytes, each with the terminator that
// terminators picks for it in turn; unterminated_end leaves the last line
// without one.
std::string Text(size_t size, const std::vector<std::string> &terminators, bool unterminated_end) {
    const std::vector<std::string> lines = Lines();
    std::string text;
    for (size_t i = 0; text.size() < size; ++i) {
        text += lines[i % lines.size()];
        text += terminators[i % terminators.size()];
    }
    if (unterminated_end) text += Sjis("最後の行には行末がありません。");
    return text;
}

struct Outcome {
    bool ok = false;
    std::string output;
    std::string error;
    uint32_t fixed_indent_column = 0;
    uint32_t foldnum = 0;
};

Outcome OnePass(const std::string &text, FormatSettings settings) {
    Outcome outcome;
    // A first buffer this large needs no second pass, and a first capacity
    // other than 0 keeps FormatText from cutting the text into stretches.
    outcome.ok = FormatText(text, &settings, &outcome.output, &outcome.error, text.size() * 8 + 4096);
    outcome.fixed_indent_column = settings.indent.fixed_indent_column;
    outcome.foldnum = settings.fold.foldnum;
    return outcome;
}

Outcome InStretches(const std::string &text, FormatSettings settings, size_t stretch_bytes) {
    Outcome outcome;
    outcome.output = "stale";
    outcome.ok = FormatInStretches(text, &settings, &outcome.output, &outcome.error, stretch_bytes);
    outcome.fixed_indent_column = settings.indent.fixed_indent_column;
    outcome.foldnum = settings.fold.foldnum;
    return outcome;
}

void ExpectSame(const Outcome &got, const Outcome &want) {
    EXPECT_EQ(got.ok, want.ok);
    EXPECT_EQ(got.error, want.error);
    EXPECT_EQ(got.fixed_indent_column, want.fixed_indent_column);
    EXPECT_EQ(got.foldnum, want.foldnum);
    ASSERT_EQ(got.output.size(), want.output.size());
    EXPECT_TRUE(got.output == want.output) << "outputs of equal length differ";
}

TEST(FormatInStretches, SameAsOnePassForEveryStretchSize) {
    const struct {
        const char *name;
        std::vector<std::string> terminators;
        bool unterminated_end;
    } texts[] = {
        {"CR LF", {"\r\n"}, false},
        {"LF, last line unterminated", {"\n"}, true},
        {"CR", {"\r"}, false},
        {"mixed, LF CR counts as two lines", {"\r\n", "\n", "\r", "\n\r"}, true},
    };
    for (const auto &t : texts) {
        const std::string text = Text(6000, t.terminators, t.unterminated_end);
        for (int32_t preset = 0; preset <= 2; ++preset) {
            for (uint32_t fold : {20u, 70u}) {
                const FormatSettings settings = SettingsFromPreset(preset, fold, 8);
                const Outcome want = OnePass(text, settings);
                ASSERT_TRUE(want.ok) << want.error;
                for (size_t stretch : {size_t{1}, size_t{2}, size_t{3}, size_t{17}, size_t{100}, size_t{999},
                                       text.size() - 1, text.size(), text.size() * 2}) {
                    SCOPED_TRACE(std::string(t.name) + ", preset " + std::to_string(preset) + ", fold " +
                                 std::to_string(fold) + ", stretch " + std::to_string(stretch));
                    ExpectSame(InStretches(text, settings, stretch), want);
                }
            }
        }
    }
}

// A text that is one line without a terminator is folded with CR LF; the
// same line behind others takes their terminator. Neither may change when
// the text is cut.
TEST(FormatInStretches, UnterminatedLastLineKeepsItsTerminator) {
    const std::string long_line = Text(2000, {" "}, false);
    const struct {
        const char *name;
        std::string text;
    } rows[] = {
        {"one unterminated line", long_line},
        {"behind an LF line", "a\n" + long_line},
        {"behind a CR line", "a\r" + long_line},
        {"behind an empty CR LF line", "\r\n" + long_line},
        {"only terminators", "\r\n\r\n\n\r"},
    };
    for (const auto &row : rows) {
        const FormatSettings settings = SettingsFromPreset(2, 30, 8);
        const Outcome want = OnePass(row.text, settings);
        for (size_t stretch : {size_t{1}, size_t{2}, size_t{50}}) {
            SCOPED_TRACE(std::string(row.name) + ", stretch " + std::to_string(stretch));
            ExpectSame(InStretches(row.text, settings, stretch), want);
        }
    }
}

// Preset 1 copies the lines up to the first empty line unchanged; the header
// block is found in the whole text, however far it reaches.
TEST(FormatInStretches, HeaderBlockIsFoundInTheWholeText) {
    const std::string body = Text(3000, {"\r\n"}, false);
    std::string long_header;
    while (long_header.size() < 1500) long_header += Sjis("ヘッダー行はそのまま写されます。") + "\r\n";
    const struct {
        const char *name;
        std::string text;
    } rows[] = {
        {"short header", "Subject: x\r\nFrom: y\r\n\r\n" + body},
        {"header longer than a stretch", long_header + "\r\n" + body},
        {"no empty line: no header block", long_header},
    };
    for (const auto &row : rows) {
        const FormatSettings settings = SettingsFromPreset(1, 40, 8);
        const Outcome want = OnePass(row.text, settings);
        for (size_t stretch : {size_t{1}, size_t{64}, size_t{700}}) {
            SCOPED_TRACE(std::string(row.name) + ", stretch " + std::to_string(stretch));
            ExpectSame(InStretches(row.text, settings, stretch), want);
        }
    }
}

// A continuation prefix that fills the fold column fails the whole text with
// the number of the first such line, wherever the stretches are cut.
TEST(FormatInStretches, FailureNamesTheSameLine) {
    const std::string text = Text(5000, {"\n"}, false);
    const FormatSettings settings = SettingsFromPreset(2, 4, 8);
    const Outcome want = OnePass(text, settings);
    ASSERT_FALSE(want.ok);
    ASSERT_NE(want.error.find("of line "), std::string::npos) << want.error;
    for (size_t stretch : {size_t{1}, size_t{300}, size_t{4000}}) {
        SCOPED_TRACE("stretch " + std::to_string(stretch));
        const Outcome got = InStretches(text, settings, stretch);
        ExpectSame(got, want);
        EXPECT_EQ(got.output, "");
    }
}

// A fixed indent column above 255 is lowered in the caller's record, as one
// pass lowers it.
TEST(FormatInStretches, FixedColumnIsLoweredAsInOnePass) {
    const std::string text = Text(3000, {"\r\n"}, false);
    FormatSettings settings = SettingsFromPreset(2, 400, 8);
    settings.indent.styles = STYLE_INDENT | STYLE_FIXED_COLUMN;
    settings.indent.sub_styles = SUB_FILL_SOURCE;
    settings.indent.fixed_indent_column = 300;
    const Outcome want = OnePass(text, settings);
    ASSERT_TRUE(want.ok) << want.error;
    ASSERT_EQ(want.fixed_indent_column, 255u);
    ExpectSame(InStretches(text, settings, 100), want);
}

// The tool's own path: a text large enough for two threads.
TEST(FormatText, LargeTextGivesTheOnePassResult) {
    const std::string text = Text(kParallelBytes * 3, {"\r\n", "\n"}, true);
    for (int32_t preset = 0; preset <= 2; ++preset) {
        SCOPED_TRACE("preset " + std::to_string(preset));
        const FormatSettings settings = SettingsFromPreset(preset, 70, 8);
        const Outcome want = OnePass(text, settings);
        FormatSettings copy = settings;
        Outcome got;
        got.ok = FormatText(text, &copy, &got.output, &got.error);
        got.fixed_indent_column = copy.indent.fixed_indent_column;
        got.foldnum = copy.fold.foldnum;
        ExpectSame(got, want);
    }
}

}  // namespace
}  // namespace lumo::cli
