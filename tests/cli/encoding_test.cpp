// The tool's encoding layer: UTF-8 to code page 932 and back, detection of
// ill-formed UTF-8, characters that code page 932 cannot hold (reported by
// line and column), the byte order mark, and the cutting of large texts.
#include "encoding.h"

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
        codec_ = Cp932Codec::Open(&error);
        ASSERT_NE(codec_, nullptr) << error;
    }
    std::unique_ptr<Cp932Codec> codec_;
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

TEST_F(EncodingTest, RoundTripsInEveryChunkSize) {
    for (const RoundTrip &row : kRoundTrips) {
        for (size_t chunk : {size_t{1}, size_t{2}, size_t{3}, size_t{5}, kDefaultChunkBytes}) {
            SCOPED_TRACE(std::string(row.name) + ", chunk " + std::to_string(chunk));
            DecodedText decoded;
            std::string error;
            ASSERT_TRUE(DecodeInput(row.utf8, Encoding::kUtf8, codec_.get(), &decoded, &error, chunk))
                << error;
            EXPECT_EQ(decoded.encoding, Encoding::kUtf8);
            EXPECT_FALSE(decoded.bom);
            EXPECT_EQ(decoded.cp932, row.cp932);
            std::string back;
            ASSERT_TRUE(EncodeOutput(decoded.cp932, decoded, codec_.get(), &back, &error, chunk)) << error;
            EXPECT_EQ(back, row.utf8);
        }
    }
}

TEST_F(EncodingTest, LargeTextCrossesChunkBoundariesIntact) {
    // Characters of 1, 2 and 3 UTF-8 bytes in a rhythm that never lines up
    // with the chunk size, so cuts fall inside characters.
    std::string utf8;
    std::string cp932;
    for (int i = 0; i < 5000; ++i) {
        utf8 += "aあｱ漢\r\n";
        cp932 += "a\x82\xA0\xB1\x8A\xBF\r\n";
    }
    DecodedText decoded;
    std::string error;
    ASSERT_TRUE(DecodeInput(utf8, Encoding::kAuto, codec_.get(), &decoded, &error, 4096)) << error;
    EXPECT_EQ(decoded.cp932, cp932);
    std::string back;
    ASSERT_TRUE(EncodeOutput(decoded.cp932, decoded, codec_.get(), &back, &error, 4093)) << error;
    EXPECT_EQ(back, utf8);
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

TEST_F(EncodingTest, AutoTakesIllFormedUtf8AsShiftJisUnchanged) {
    for (const Utf8Check &row : kUtf8Checks) {
        if (row.first_invalid == npos || row.bytes.find('\0') != npos) continue;
        SCOPED_TRACE(row.name);
        DecodedText decoded;
        std::string error;
        ASSERT_TRUE(DecodeInput(row.bytes, Encoding::kAuto, codec_.get(), &decoded, &error)) << error;
        EXPECT_EQ(decoded.encoding, Encoding::kShiftJis);
        EXPECT_EQ(decoded.cp932, row.bytes);
        std::string output;
        ASSERT_TRUE(EncodeOutput(decoded.cp932, decoded, codec_.get(), &output, &error));
        EXPECT_EQ(output, row.bytes);  // written back byte for byte
    }
}

TEST_F(EncodingTest, ExplicitUtf8RejectsIllFormedInputWithItsPosition) {
    DecodedText decoded;
    std::string error;
    EXPECT_FALSE(DecodeInput("line one\r\nあい\x82\xA0", Encoding::kUtf8, codec_.get(), &decoded, &error));
    EXPECT_NE(error.find("line 2, column 3"), npos) << error;
    EXPECT_NE(error.find("0x82"), npos) << error;
    EXPECT_NE(error.find("--encoding sjis"), npos) << error;
}

TEST_F(EncodingTest, ExplicitShiftJisTakesValidUtf8AsBytes) {
    DecodedText decoded;
    std::string error;
    ASSERT_TRUE(
        DecodeInput("\xEF\xBB\xBF"
                    "あ",
                    Encoding::kShiftJis, codec_.get(), &decoded, &error));
    EXPECT_EQ(decoded.encoding, Encoding::kShiftJis);
    EXPECT_FALSE(decoded.bom);
    EXPECT_EQ(decoded.cp932, "\xEF\xBB\xBF\xE3\x81\x82");
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
        {"utf-16", false, Encoding::kAuto},
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

// ---- Characters that code page 932 cannot hold -------------------------

struct Unconvertible {
    const char *name;
    std::string utf8;
    const char *where;  // "line L, column C"
    const char *code;   // "U+XXXX"
};

const Unconvertible kUnconvertibles[] = {
    {"emoji on line 2", "ab\n😀", "line 2, column 1", "U+1F600"},
    {"latin letter", "caf\xC3\xA9", "line 1, column 4", "U+00E9"},
    {"wave dash is not the full-width tilde", "あい〜", "line 1, column 3", "U+301C"},
    {"yen sign is not the backslash", "価格¥100", "line 1, column 3", "U+00A5"},
    {"byte order mark inside the text",
     "a\xEF\xBB\xBF"
     "b",
     "line 1, column 2", "U+FEFF"},
    {"columns count characters, not bytes", "漢字かな😀", "line 1, column 5", "U+1F600"},
    {"a tab is one column", "\t\t😀", "line 1, column 3", "U+1F600"},
    {"CR LF is one line end, CR alone another", "a\r\nb\rcd😀", "line 3, column 3", "U+1F600"},
    {"LF CR is two line ends", "a\n\r😀", "line 3, column 1", "U+1F600"},
    {"the first of several is reported", "ok\né😀", "line 2, column 1", "U+00E9"},
    {"after a byte order mark", "\xEF\xBB\xBF😀", "line 1, column 1", "U+1F600"},
};

TEST_F(EncodingTest, UnconvertibleCharactersNameLineColumnAndCodePoint) {
    for (const Unconvertible &row : kUnconvertibles) {
        for (size_t chunk : {size_t{1}, size_t{3}, size_t{4}, kDefaultChunkBytes}) {
            SCOPED_TRACE(std::string(row.name) + ", chunk " + std::to_string(chunk));
            for (Encoding requested : {Encoding::kAuto, Encoding::kUtf8}) {
                DecodedText decoded;
                std::string error;
                EXPECT_FALSE(DecodeInput(row.utf8, requested, codec_.get(), &decoded, &error, chunk));
                EXPECT_NE(error.find(std::string(row.where) + ": " + row.code + " "), npos) << error;
                EXPECT_NE(error.find("code page 932"), npos) << error;
            }
        }
    }
}

TEST_F(EncodingTest, UnconvertibleCharacterFarIntoALargeText) {
    std::string utf8;
    for (int i = 0; i < 3000; ++i) utf8 += "星の会　観察会\n";
    utf8 += "あいうえお〜\n";
    for (int i = 0; i < 3000; ++i) utf8 += "末尾の行\n";
    for (size_t chunk : {size_t{64}, size_t{1000}, kDefaultChunkBytes}) {
        SCOPED_TRACE("chunk " + std::to_string(chunk));
        DecodedText decoded;
        std::string error;
        EXPECT_FALSE(DecodeInput(utf8, Encoding::kUtf8, codec_.get(), &decoded, &error, chunk));
        EXPECT_NE(error.find("line 3001, column 6: U+301C"), npos) << error;
    }
}

// ---- NUL bytes ----------------------------------------------------------

TEST_F(EncodingTest, NulByteIsAnErrorInEitherEncoding) {
    const struct {
        const char *name;
        std::string bytes;
        Encoding requested;
        const char *where;
    } rows[] = {
        {"utf-8", std::string("ab\nあ\0c", 7), Encoding::kUtf8, "line 2, column 2"},
        {"auto, valid utf-8", std::string("\0", 1), Encoding::kAuto, "line 1, column 1"},
        // 82 A0 is one character: the NUL is in column 3.
        {"shift-jis",
         std::string("x\n\x82\xA0"
                     "a\0",
                     6),
         Encoding::kShiftJis, "line 2, column 3"},
        {"auto, shift-jis", std::string("\x82\xA0\n\0", 4), Encoding::kAuto, "line 2, column 1"},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        DecodedText decoded;
        std::string error;
        EXPECT_FALSE(DecodeInput(row.bytes, row.requested, codec_.get(), &decoded, &error));
        EXPECT_NE(error.find(std::string(row.where) + ": the input contains a NUL byte"), npos) << error;
    }
}

// ---- Byte order mark ----------------------------------------------------

TEST_F(EncodingTest, ByteOrderMarkIsTakenOffAndPutBack) {
    for (Encoding requested : {Encoding::kAuto, Encoding::kUtf8}) {
        for (const std::string text : {"", "あ\n", "abc"}) {
            SCOPED_TRACE(text);
            const std::string input = "\xEF\xBB\xBF" + text;
            DecodedText decoded;
            std::string error;
            ASSERT_TRUE(DecodeInput(input, requested, codec_.get(), &decoded, &error)) << error;
            EXPECT_EQ(decoded.encoding, Encoding::kUtf8);
            EXPECT_TRUE(decoded.bom);
            std::string expected_cp932;
            ASSERT_TRUE(codec_->FromUtf8(text, &expected_cp932));
            EXPECT_EQ(decoded.cp932, expected_cp932);
            std::string output;
            ASSERT_TRUE(EncodeOutput(decoded.cp932, decoded, codec_.get(), &output, &error)) << error;
            EXPECT_EQ(output, input);
        }
    }
}

TEST_F(EncodingTest, NoByteOrderMarkIsAdded) {
    DecodedText decoded;
    std::string error;
    ASSERT_TRUE(DecodeInput("abc", Encoding::kUtf8, codec_.get(), &decoded, &error));
    EXPECT_FALSE(decoded.bom);
    std::string output;
    ASSERT_TRUE(EncodeOutput("xyz", decoded, codec_.get(), &output, &error));
    EXPECT_EQ(output, "xyz");
}

// ---- Formatter output that is not code page 932 -------------------------

TEST_F(EncodingTest, BrokenFormatterOutputIsReportedNotWritten) {
    DecodedText decoded;
    decoded.encoding = Encoding::kUtf8;
    const struct {
        const char *name;
        std::string cp932;
        const char *where;
        const char *bytes;
    } rows[] = {
        {"lone lead byte at the end", "ab\r\n\x82", "line 2, column 1", "(0x82)"},
        {"lead byte before a line end", "\x82\xA0\x82\nx", "line 1, column 2", "(0x82)"},
        {"lead byte before a space", "a\x81 b", "line 1, column 2", "(0x81 0x20)"},
    };
    for (const auto &row : rows) {
        for (size_t chunk : {size_t{1}, size_t{2}, kDefaultChunkBytes}) {
            SCOPED_TRACE(std::string(row.name) + ", chunk " + std::to_string(chunk));
            std::string output = "stale";
            std::string error;
            EXPECT_FALSE(EncodeOutput(row.cp932, decoded, codec_.get(), &output, &error, chunk));
            EXPECT_NE(error.find(std::string(row.where) + " " + row.bytes), npos) << error;
        }
    }
}

// ---- Positions ----------------------------------------------------------

TEST(Positions, CountLinesAsTheFormatterDoesAndColumnsAsCharacters) {
    const struct {
        const char *name;
        std::string text;
        size_t offset;
        Encoding encoding;
        size_t line;
        size_t column;
    } rows[] = {
        {"start", "abc", 0, Encoding::kUtf8, 1, 1},
        {"utf-8 three-byte characters", "あいう", 6, Encoding::kUtf8, 1, 3},
        {"after LF", "a\nb", 2, Encoding::kUtf8, 2, 1},
        {"after CR LF", "a\r\nb", 3, Encoding::kUtf8, 2, 1},
        {"after CR", "a\rb", 2, Encoding::kUtf8, 2, 1},
        {"on the LF of CR LF", "a\r\nb", 2, Encoding::kUtf8, 1, 2},
        {"LF CR", "\n\rx", 2, Encoding::kUtf8, 3, 1},
        {"shift-jis two-byte characters", "\x82\xA0\x82\xA2x", 4, Encoding::kShiftJis, 1, 3},
        {"shift-jis trail byte 0x5C is no backslash",
         "\x83\x5C"
         "a",
         2, Encoding::kShiftJis, 1, 2},
        {"shift-jis lead byte before LF stands alone", "\x82\nx", 2, Encoding::kShiftJis, 2, 1},
        {"half-width katakana is one byte",
         "\xB1\xB2"
         "a",
         2, Encoding::kShiftJis, 1, 3},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        const TextPosition at = PositionOf(row.text, row.offset, row.encoding);
        EXPECT_EQ(at.line, row.line);
        EXPECT_EQ(at.column, row.column);
    }
}

}  // namespace
}  // namespace lumo::cli
