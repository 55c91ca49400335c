// The tool's use of the formatter: the output buffer grows until the text
// fits, whatever its first size, and a continuation prefix that leaves no
// column is reported with the number of its line.
#include "formatter.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "encoding.h"
#include "format/driver.h"

namespace lumo::cli {
namespace {

constexpr size_t npos = std::string::npos;

std::string ToCp932(const std::string &utf8) {
    std::string error;
    const std::unique_ptr<Cp932Codec> codec = Cp932Codec::Open(&error);
    std::string cp932;
    if (codec == nullptr || !codec->FromUtf8(utf8, &cp932)) ADD_FAILURE() << "cannot convert: " << utf8;
    return cp932;
}

// The driver called once with a buffer far larger than any output here.
std::string FormatInOnePass(const std::string &text, FormatSettings settings) {
    std::string buffer(text.size() * 8 + 4096, '\0');
    FormatRequest request{};
    request.source = text.c_str();
    request.output = buffer.data();
    request.capacity = static_cast<uint32_t>(buffer.size());
    request.tab_width = settings.tab_width;
    EXPECT_EQ(MultiLines(&request, &settings.indent, &settings.fold, &settings.header), FORMAT_DONE);
    return buffer.c_str();
}

const char kSample[] =
    "件名：観察会\n"
    "\n"
    "　みどり台公民館では、毎年恒例の秋の星空観察会を今年も開催いたします。\n"
    "・持ち物：防寒着、懐中電灯（赤いセロハンを貼ったもの）、双眼鏡\r\n"
    "> 子どもと一緒に初めて土星の環を見ました。写真で見るよりずっと小さいのに。\n"
    "1. 午後6時30分　受付と簡単な説明。星座早見盤の使い方をご説明します。";

TEST(FormatText, AnyFirstBufferSizeGivesTheOnePassResult) {
    const std::string text = ToCp932(kSample);
    for (int32_t preset = 0; preset <= 2; ++preset) {
        for (uint32_t fold : {4u, 9u, 20u, 50u}) {
            const FormatSettings settings = SettingsFromPreset(preset, fold, 8);
            const std::string expected = FormatInOnePass(text, settings);
            ASSERT_FALSE(expected.empty());
            for (uint64_t first : {uint64_t{1}, uint64_t{2}, uint64_t{expected.size()},
                                   uint64_t{expected.size() + 1}, uint64_t{0}}) {
                SCOPED_TRACE("preset " + std::to_string(preset) + ", fold " + std::to_string(fold) +
                             ", first capacity " + std::to_string(first));
                FormatSettings copy = settings;
                std::string output = "stale";
                std::string error;
                ASSERT_TRUE(FormatText(text, &copy, &output, &error, first)) << error;
                EXPECT_EQ(output, expected);
                EXPECT_EQ(copy.fold.foldnum, fold);  // the driver restores it
            }
        }
    }
}

TEST(FormatText, EmptyTextGivesEmptyOutput) {
    FormatSettings settings = SettingsFromPreset(2, 70, 8);
    std::string output = "stale";
    std::string error;
    ASSERT_TRUE(FormatText("", &settings, &output, &error, 1)) << error;
    EXPECT_EQ(output, "");
}

TEST(FormatText, FirstCapacityHoldsOrdinaryTextAndStaysInRange) {
    EXPECT_GE(FirstCapacity(0), 1u);
    EXPECT_GT(FirstCapacity(1000), 1500u);
    EXPECT_EQ(FirstCapacity(size_t{3} << 31), 0xFFFFFFFFu);
}

// A continuation prefix as wide as the fold column: an item mark "1. " or
// "・" plus its text, or a paragraph's indent, on a line long enough to fold.
TEST(FormatText, NoColumnNamesTheLine) {
    const struct {
        const char *name;
        const char *utf8;
        int32_t preset;
        uint32_t fold;
        const char *expected;
    } rows[] = {
        {"item on line 2", "abc\n1. あいうえおかきくけこ\n", 2, 3,
         "prefix of line 2 fills the whole fold column (3 columns)"},
        {"CR LF and CR lines count once each", "a\r\nb\rc\n・あいうえお\n", 2, 2, "prefix of line 4 fills"},
        {"LF CR is two lines", "a\n\r・あいうえお\n", 2, 2, "prefix of line 3 fills"},
        {"header lines count (preset 1)", "件名：x\n日付：y\n\n・あいうえお\n", 1, 2,
         "prefix of line 4 fills"},
        {"first line, no terminator", "・あいうえお", 2, 2, "prefix of line 1 fills"},
        {"a fold of one column", "・あいうえお\n", 2, 1, "(1 column); use a larger --fold"},
        {"the first failing line of several", "ab\n・あいうえお\n・かきくけこ\n", 2, 2,
         "prefix of line 2 fills"},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        FormatSettings settings = SettingsFromPreset(row.preset, row.fold, 8);
        std::string output;
        std::string error;
        EXPECT_FALSE(FormatText(ToCp932(row.utf8), &settings, &output, &error));
        EXPECT_NE(error.find(row.expected), npos) << error;
        EXPECT_EQ(output, "");
    }
}

}  // namespace
}  // namespace lumo::cli
