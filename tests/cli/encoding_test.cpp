// The tool's encoding names, its check of UTF-8, and the converter between
// UTF-8 and code page 932 that the slot commands use for the terminal.
#include "encoding.h"
#include "legacy_codec.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace lumo::cli {
namespace {

constexpr size_t npos = std::string::npos;

class EncodingTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string error;
        codec_ = LegacyCodec::Open(LegacyTable::kCp932, &error);
        ASSERT_NE(codec_, nullptr) << error;
    }
    std::unique_ptr<LegacyCodec> codec_;
};

// ---- Round trips --------------------------------------------------------

struct RoundTrip {
    const char *name;
    std::string utf8;
    std::string cp932;
};

const RoundTrip kRoundTrips[] = {
    {"empty", "", ""},
    {"ascii with every line end", "ab\r\ncd\ref\n", "ab\r\ncd\ref\n"},
    {"backslash and tilde stay one byte", "\\~", "\x5C\x7E"},
    {"hiragana", "あいう", "\x82\xA0\x82\xA2\x82\xA4"},
    {"kanji", "漢字", "\x8A\xBF\x8E\x9A"},
    {"full-width space", "　", "\x81\x40"},
    {"kinsoku marks", "。、」", "\x81\x42\x81\x41\x81\x76"},
    {"half-width katakana", "ｱｲｳ", "\xB1\xB2\xB3"},
    {"circled numbers", "①⑳", "\x87\x40\x87\x53"},
    {"IBM extension kanji", "髙", "\xFB\xFC"},
    {"full-width tilde", "～", "\x81\x60"},
    {"trail byte equal to backslash", "ソ表", "\x83\x5C\x95\x5C"},
    {"mixed text", "1. 日時：10月19日\n",
     "1. \x93\xFA\x8E\x9E\x81\x46"
     "10\x8C\x8E"
     "19\x93\xFA\n"},
};

TEST_F(EncodingTest, RoundTripsBothWays) {
    for (const RoundTrip &row : kRoundTrips) {
        SCOPED_TRACE(row.name);
        std::string cp932;
        ASSERT_TRUE(codec_->FromUtf8(row.utf8, &cp932));
        EXPECT_EQ(cp932, row.cp932);
        std::string back;
        ASSERT_TRUE(codec_->ToUtf8(cp932, &back));
        EXPECT_EQ(back, row.utf8);
    }
}

// Nothing is substituted: a character without an exact counterpart fails
// the conversion and leaves the output as it was.
TEST_F(EncodingTest, CharactersWithoutACounterpartAreRefused) {
    for (const char *utf8 : {"😀", "caf\xC3\xA9", "a\xEF\xBB\xBF"}) {
        SCOPED_TRACE(utf8);
        std::string out = "kept";
        EXPECT_FALSE(codec_->FromUtf8(utf8, &out));
        EXPECT_EQ(out, "kept");
    }
}

// ---- Detection ----------------------------------------------------------

struct Utf8Check {
    const char *name;
    std::string bytes;
    size_t first_invalid;  // npos: valid
};

const Utf8Check kUtf8Checks[] = {
    // Well-formed, at the edges of the ranges.
    {"empty", "", npos},
    {"ascii", "plain text\n", npos},
    {"lowest two-byte", "\xC2\x80", npos},
    {"last before surrogates", "\xED\x9F\xBF", npos},
    {"first after surrogates", "\xEE\x80\x80", npos},
    {"U+FFFF", "\xEF\xBF\xBF", npos},
    {"lowest four-byte", "\xF0\x90\x80\x80", npos},
    {"U+10FFFF", "\xF4\x8F\xBF\xBF", npos},
    // Ill-formed.
    {"lone continuation", "a\x80", 1},
    {"overlong two-byte C0", "\xC0\x80", 0},
    {"overlong two-byte C1", "ab\xC1\xBF", 2},
    {"overlong three-byte", "\xE0\x9F\xBF", 0},
    {"surrogate", "\xED\xA0\x80", 0},
    {"overlong four-byte", "\xF0\x8F\xBF\xBF", 0},
    {"above U+10FFFF", "\xF4\x90\x80\x80", 0},
    {"F5 lead", "\xF5\x80\x80\x80", 0},
    {"FF byte", "x\xFF", 1},
    {"truncated at end", "あ\xE3\x81", 3},
    {"truncated before ascii",
     "\xE3\x81"
     "a",
     0},
    {"Shift-JIS hiragana", "\x82\xA0\x82\xA2", 0},
    {"Shift-JIS after ascii line", "ok\n\x93\xFA", 3},
};

TEST(Utf8Validity, FindsTheFirstIllFormedByte) {
    for (const Utf8Check &row : kUtf8Checks) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(FindInvalidUtf8(row.bytes), row.first_invalid);
    }
}

TEST(EncodingNames, ParseTheDocumentedSpellings) {
    const struct {
        const char *name;
        bool ok;
        Encoding encoding;
    } rows[] = {
        {"auto", true, Encoding::kAuto},     {"sjis", true, Encoding::kShiftJis},
        {"SJIS", true, Encoding::kShiftJis}, {"cp932", true, Encoding::kShiftJis},
        {"utf-8", true, Encoding::kUtf8},    {"UTF8", true, Encoding::kUtf8},
        {"latin1", false, Encoding::kAuto},  {"", false, Encoding::kAuto},
        {"utf-16", false, Encoding::kAuto},  {"euc-jp", true, Encoding::kEucJp},
        {"EUCJP", true, Encoding::kEucJp},   {"iso-2022-jp", true, Encoding::kIso2022Jp},
        {"jis", true, Encoding::kIso2022Jp},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        Encoding encoding = Encoding::kAuto;
        EXPECT_EQ(ParseEncoding(row.name, &encoding), row.ok);
        if (row.ok) {
            EXPECT_EQ(encoding, row.encoding);
        }
    }
}

}  // namespace
}  // namespace lumo::cli
