// Streamed formatting against one library call on the whole text: for random
// documents, presets, fold columns, encodings, piece sizes and read sizes the
// bytes must be the same. The one intended difference: a body without any
// line end is folded with the platform's line end instead of CR LF.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "command_line.h"
#include "format/driver.h"
#include "formatter.h"
#include "paragraph/header.h"
#include "piece_format.h"
#include "stream_pipeline.h"
#include "stream_support.h"

namespace lumo::cli {
namespace {

using testing::MemorySink;
using testing::MemorySource;

struct Streamed {
    std::string output;
    int status = -1;
    std::string warnings;
};

Streamed Stream(const std::string &input, const FormatSettings &settings, Encoding encoding, size_t piece_bytes,
                uint32_t seed, size_t max_read, bool strict = false) {
    Streamed result;
    StreamJob job;
    job.reader.piece_bytes = piece_bytes;
    job.reader.encoding = encoding;
    job.reader.header = settings.header;
    job.input_name = "memo.txt";
    std::FILE *warnings = std::tmpfile();
    job.warnings = warnings;
    std::vector<PieceTransform> transforms;
    for (int i = 0; i < 2; ++i) {
        auto context = std::make_shared<PieceContext>();
        context->settings = settings;
        context->strict = strict;
        transforms.push_back([context](const Piece &piece, PieceOutput *out) {
            return FormatPiece(context.get(), piece.encoding, piece, out);
        });
    }
    MemorySink sink(&result.output);
    result.status = StreamText(std::make_unique<MemorySource>(input, seed, max_read), &sink, job,
                               std::move(transforms), warnings);
    std::rewind(warnings);
    char buffer[4096];
    for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, warnings)) > 0;) result.warnings.append(buffer, n);
    std::fclose(warnings);
    return result;
}

// What one call of the library gives for the whole code page 932 text.
std::string Reference(const std::string &cp932, FormatSettings settings) {
    std::string output, error;
    EXPECT_TRUE(FormatText(cp932, &settings, &output, &error, FirstCapacity(cp932.size()))) << error;
    const size_t body = static_cast<size_t>(SkipHeader(cp932.c_str(), settings.header) - cp932.c_str());
    if (cp932.find_first_of("\r\n", body) == std::string::npos) {
        for (size_t at; (at = output.find("\r\n", body)) != std::string::npos;) output.erase(at, 1);
    }
    return output;
}

TEST(StreamFormat, EqualsOneLibraryCallOnTheWholeText) {
    std::mt19937 random(20261208);
    for (int round = 0; round < 1500; ++round) {
        const std::string utf8 = testing::RandomDocument(&random, 1 + random() % 12);
        const std::string cp932 = testing::ToCp932(utf8);
        const auto preset = static_cast<int32_t>(random() % 3);
        const auto fold = static_cast<uint32_t>(12 + random() % 50);
        const FormatSettings settings = SettingsFromPreset(preset, fold, static_cast<uint32_t>(1 + random() % 8));
        const size_t piece = 1 + random() % 64;
        const size_t read = 1 + random() % 17;
        const bool sjis = random() % 2 == 0;
        const bool bom = !sjis && random() % 4 == 0;
        const std::string expected_cp932 = Reference(cp932, settings);
        const std::string input = sjis ? cp932 : (bom ? "\xEF\xBB\xBF" : "") + utf8;
        const std::string expected =
            sjis ? expected_cp932 : (bom ? "\xEF\xBB\xBF" : "") + testing::ToUtf8(expected_cp932);
        SCOPED_TRACE("round " + std::to_string(round) + ", preset " + std::to_string(preset) + ", fold " +
                     std::to_string(fold) + ", piece " + std::to_string(piece) + ", read " +
                     std::to_string(read) + (sjis ? ", sjis" : ", utf-8") + "\n" + utf8);
        const Streamed streamed = Stream(input, settings, Encoding::kAuto, piece, round, read);
        ASSERT_EQ(streamed.status, kExitOk);
        ASSERT_EQ(streamed.output, expected);
    }
}

// Former bugs and edges, each a text and what it must become at fold 10.
TEST(StreamFormat, Edges) {
    const FormatSettings settings = SettingsFromPreset(2, 10, 8);
    struct Case {
        const char *what;
        std::string input;
    } cases[] = {
        {"CR LF cut between CR and LF by every piece size", "あいうえおかきくけこさし\r\nすせそ\r\n"},
        {"unterminated last line takes the line end before it", "あいうえおかきくけこさし\r\nすせそたちつてとなにぬね"},
        {"no line end at all", "あいうえおかきくけこさしすせそ"},
        {"empty input", ""},
        {"a byte order mark alone", "\xEF\xBB\xBF"},
        {"only line ends", "\n\r\n\r\r\n"},
        {"a line longer than any piece", std::string(40, 'a') + "\n" + "あいうえおかきくけこさしすせそ\n"},
    };
    for (const Case &c : cases) {
        const std::string text = c.input.substr(0, 3) == "\xEF\xBB\xBF" ? c.input.substr(3) : c.input;
        const std::string expected_cp932 = Reference(testing::ToCp932(text), settings);
        const std::string expected = c.input.substr(0, text.size() == c.input.size() ? 0 : 3) +
                                     testing::ToUtf8(expected_cp932);
        for (size_t piece = 1; piece <= 20; ++piece) {
            SCOPED_TRACE(std::string(c.what) + ", piece " + std::to_string(piece));
            const Streamed streamed = Stream(c.input, settings, Encoding::kUtf8, piece, 7, 3);
            ASSERT_EQ(streamed.status, kExitOk);
            ASSERT_EQ(streamed.output, expected);
        }
    }
}

TEST(StreamFormat, NoLineEndAtAllFoldsWithThePlatformLineEnd) {
    const FormatSettings settings = SettingsFromPreset(2, 10, 8);
    const Streamed streamed = Stream("abcdefghij klmnopqrst uvwxyz", settings, Encoding::kAuto, 4, 1, 2);
    EXPECT_EQ(streamed.output.find('\r'), std::string::npos);
    EXPECT_NE(streamed.output.find('\n'), std::string::npos);
}

TEST(StreamFormat, HeaderLongerThanAPieceStaysWhole) {
    const FormatSettings settings = SettingsFromPreset(1, 10, 8);
    const std::string text = "件名：とても長い件名の行がここにあります\n差出人：だれか\n\n本文はここから始まり折り返されます。\n";
    const std::string expected = testing::ToUtf8(Reference(testing::ToCp932(text), settings));
    for (size_t piece : {1, 5, 17}) {
        EXPECT_EQ(Stream(text, settings, Encoding::kAuto, piece, 3, 5).output, expected) << piece;
    }
    // A line in the body that looks like a header's end changes nothing.
    EXPECT_EQ(expected.substr(0, text.find("\n\n") + 2), text.substr(0, text.find("\n\n") + 2));
}

TEST(StreamFormat, ShiftJisAfterAsciiPiecesIsDecidedWhenItShows) {
    const FormatSettings settings = SettingsFromPreset(2, 10, 8);
    const std::string cp932 = "plain ascii line one\nplain ascii line two\n" + testing::ToCp932("あいうえおかきくけこさし\n");
    const Streamed streamed = Stream(cp932, settings, Encoding::kAuto, 8, 5, 4);
    EXPECT_EQ(streamed.status, kExitOk);
    EXPECT_EQ(streamed.output, Reference(cp932, settings));
}

TEST(StreamFormat, ErrorsNameTheLineInTheWholeInput) {
    const FormatSettings settings = SettingsFromPreset(2, 10, 8);
    const std::string text = "one\ntwo\nthree\nfour\nfi\xf0\x9f\x98\x80ve\n";
    const Streamed streamed = Stream(text, settings, Encoding::kUtf8, 4, 1, 3);
    if (kNativeUtf8) {
        EXPECT_EQ(streamed.status, kExitOk);  // every UTF-8 character is formatted as it is
    } else {
        EXPECT_EQ(streamed.status, kExitFailure);
        EXPECT_NE(streamed.warnings.find("memo.txt: line 5, column 3: U+1F600"), std::string::npos)
            << streamed.warnings;
    }
    const Streamed utf8_nul =
        Stream(std::string("one\ntwo\nth\xc3\xa9\0e\n", 15), settings, Encoding::kUtf8, 4, 1, 3);
    EXPECT_EQ(utf8_nul.status, kExitFailure);
    EXPECT_NE(utf8_nul.warnings.find("memo.txt: line 3, column 4: the input contains a NUL byte"),
              std::string::npos)
        << utf8_nul.warnings;
    const Streamed nul = Stream(std::string("a\nb\nc\0d\n", 8), settings, Encoding::kShiftJis, 2, 1, 3);
    EXPECT_EQ(nul.status, kExitFailure);
    EXPECT_NE(nul.warnings.find("line 3, column 2: the input contains a NUL byte"), std::string::npos)
        << nul.warnings;
}

// A prefix as wide as the fold column: the line is folded as if it had none,
// the other lines as always, and the line is named once.
TEST(StreamFormat, PrefixFillingTheFoldColumnFoldsThatLineWithoutIt) {
    FormatSettings settings = SettingsFromPreset(2, 3, 8);
    const std::string cp932 = testing::ToCp932("ab\n1. あいうえおかきくけこ\ncd\n");
    FormatSettings plain = settings;
    plain.indent.styles &= ~STYLE_INDENT;
    const std::string expected = Reference(testing::ToCp932("ab\n"), settings) +
                                 Reference(testing::ToCp932("1. あいうえおかきくけこ\n"), plain) +
                                 Reference(testing::ToCp932("cd\n"), settings);
    for (size_t piece : {1, 4, 100}) {
        const Streamed streamed = Stream(cp932, settings, Encoding::kShiftJis, piece, 2, 5);
        EXPECT_EQ(streamed.status, kExitOk);
        EXPECT_EQ(streamed.output, expected);
        EXPECT_EQ(streamed.warnings,
                  "lumotext: warning: memo.txt: line 2: the continuation prefix fills the fold column; folded "
                  "without it\n");
    }
    const Streamed strict = Stream(cp932, settings, Encoding::kShiftJis, 100, 2, 5, true);
    EXPECT_EQ(strict.status, kExitFailure);
}

TEST(StreamFormat, AtMostTenLinesAreNamedThenTheirCount) {
    const FormatSettings settings = SettingsFromPreset(2, 3, 8);
    std::string text;
    for (int i = 0; i < 13; ++i) text += "1. abcdef\n";
    const Streamed streamed = Stream(text, settings, Encoding::kAuto, 16, 2, 5);
    EXPECT_EQ(streamed.status, kExitOk);
    size_t lines = 0;
    for (char c : streamed.warnings) lines += c == '\n';
    EXPECT_EQ(lines, 11u);
    EXPECT_NE(streamed.warnings.find("3 more lines"), std::string::npos) << streamed.warnings;
}

}  // namespace
}  // namespace lumo::cli
