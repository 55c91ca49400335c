// The piecewise EUC-JP and ISO-2022-JP converters: the sample and a corpus,
// converted by iconv, come back byte for byte whatever the cuts; their UTF-8
// is iconv's; bytes that are no character travel as stand-ins and come back;
// a character the encoding lacks is an error naming its place.
#include "text_convert.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

#include "char_scan.h"
#include "japanese_texts.h"

namespace lumo::cli {
namespace {

using testing::Iconv;
using testing::RandomPieces;
using testing::Sample;

std::string Decode(Encoding from, const std::vector<std::string> &pieces, IsoStyle *style = nullptr) {
    std::string error;
    std::unique_ptr<TextDecoder> decoder = TextDecoder::Open(from, &error);
    EXPECT_NE(decoder, nullptr) << error;
    if (decoder == nullptr) return {};
    std::string utf8;
    for (const std::string &piece : pieces) decoder->Decode(piece, false, &utf8);
    decoder->Decode({}, true, &utf8);
    if (style != nullptr) *style = decoder->style();
    return utf8;
}

bool Encode(Encoding to, const IsoStyle &style, const std::vector<std::string> &pieces, std::string *out,
            std::string *error) {
    std::unique_ptr<TextEncoder> encoder = TextEncoder::Open(to, style, error);
    if (encoder == nullptr) return false;
    for (const std::string &piece : pieces) {
        if (!encoder->Encode(piece, false, out, error)) return false;
    }
    return encoder->Encode({}, true, out, error);
}

// Decodes text in random pieces, encodes the result in other random
// pieces, and expects text back; returns the UTF-8.
std::string RoundTrip(Encoding encoding, const std::string &text, std::mt19937 *random, size_t max_piece) {
    IsoStyle style;
    const std::string utf8 = Decode(encoding, RandomPieces(text, random, max_piece), &style);
    std::string back, error;
    EXPECT_TRUE(Encode(encoding, style, RandomPieces(utf8, random, max_piece), &back, &error)) << error;
    EXPECT_TRUE(back == text) << "the bytes did not come back (" << text.size() << " bytes, " << back.size()
                              << " back)";
    return utf8;
}

bool IsValidUtf8(const std::string &text) {
    const auto *p = reinterpret_cast<const unsigned char *>(text.data());
    const auto *end = p + text.size();
    IsoSet unused = IsoSet::kAscii;
    while (p < end) {
        const ScannedChar c = ScanChar(Encoding::kUtf8, p, end, &unused);
        if (c.kind == CharKind::kStray || c.kind == CharKind::kCut) return false;
        p += c.length;
    }
    return true;
}

constexpr Encoding kConverted[] = {Encoding::kEucJp, Encoding::kIso2022Jp};
const char *IconvName(Encoding encoding) { return encoding == Encoding::kEucJp ? "EUC-JP" : "ISO-2022-JP"; }

TEST(TextConvert, TheSampleComesBackByteForByteWhateverTheCuts) {
    std::mt19937 random(3);
    const std::string sample = Sample();
    for (const Encoding encoding : kConverted) {
        const std::string text = Iconv(sample, "UTF-8", IconvName(encoding));
        ASSERT_FALSE(text.empty());
        for (const size_t max_piece : {size_t{1}, size_t{2}, size_t{3}, size_t{7}, size_t{4096}}) {
            SCOPED_TRACE(std::string(EncodingName(encoding)) + ", pieces up to " + std::to_string(max_piece));
            const std::string utf8 = RoundTrip(encoding, text, &random, max_piece);
            // The sample has nothing that the two tables map apart.
            EXPECT_TRUE(utf8 == sample);
        }
    }
}

TEST(TextConvert, TheCorpusComesBackByteForByteAndDecodesAsIconvDoes) {
    const std::vector<std::string> pages = testing::ManualPages(60, 8);
    if (pages.empty()) GTEST_SKIP() << "manpages-ja is not installed";
    std::mt19937 random(5);
    for (size_t i = 0; i < pages.size(); ++i) {
        SCOPED_TRACE("manual page " + std::to_string(i));
        const std::string euc = Iconv(pages[i], "UTF-8", "EUC-JP-MS");
        const std::string utf8 = RoundTrip(Encoding::kEucJp, euc, &random, 8192);
        EXPECT_TRUE(utf8 == Iconv(euc, "EUC-JP-MS", "UTF-8")) << "decoded otherwise than iconv";
        const std::string iso = Iconv(pages[i], "UTF-8", "ISO-2022-JP");
        const std::string iso_utf8 = RoundTrip(Encoding::kIso2022Jp, iso, &random, 8192);
        // ISO-2022-JP's rows are EUC-JP's: the same characters.
        EXPECT_TRUE(iso_utf8 == Iconv(Iconv(iso, "ISO-2022-JP", "EUC-JP"), "EUC-JP-MS", "UTF-8"));
    }
}

TEST(TextConvert, BytesThatAreNoCharacterComeBackThroughStandIns) {
    std::mt19937 random(9);
    for (const Encoding encoding : kConverted) {
        for (int round = 0; round < 1000; ++round) {
            SCOPED_TRACE(std::string(EncodingName(encoding)) + ", round " + std::to_string(round));
            // Real characters, line ends, escapes and noise, in any order.
            static const char *const kBits[] = {"\xA4\xA2", "\xB4\xC1", "\x8E\xB1", "\x8F\xB0\xA1", "\x1B$B",
                                                "\x1B(B", "\x1B(J", "\x1B(I", "$\"", "\r\n", "a", "\n"};
            std::string text;
            for (int i = 0; i < 60; ++i) {
                if (random() % 4 == 0) {
                    text += static_cast<char>(random() & 0xFF);
                } else {
                    text += kBits[random() % std::size(kBits)];
                }
            }
            IsoStyle style;
            const std::string utf8 = Decode(encoding, RandomPieces(text, &random, 5), &style);
            EXPECT_TRUE(IsValidUtf8(utf8));
            std::string back, error;
            ASSERT_TRUE(Encode(encoding, style, RandomPieces(utf8, &random, 5), &back, &error)) << error;
            if (encoding == Encoding::kEucJp) {
                EXPECT_TRUE(back == text);
            } else {
                // ISO-2022-JP: switching sets may be spelt otherwise, but
                // the text reads the same.
                EXPECT_TRUE(Decode(encoding, {back}) == utf8) << ::testing::PrintToString(text);
            }
        }
    }
}

TEST(TextConvert, StandInsCoverEveryByteAndSet) {
    const auto read = [](const std::string &utf8, StandIn *stand_in) {
        const auto *p = reinterpret_cast<const unsigned char *>(utf8.data());
        return ReadStandIn(p, p + utf8.size(), stand_in);
    };
    for (int byte = 0; byte < 256; ++byte) {
        std::string utf8;
        AppendStandIn(static_cast<unsigned char>(byte), &utf8);
        ASSERT_EQ(utf8.size(), 4u);
        EXPECT_TRUE(IsValidUtf8(utf8));
        StandIn back;
        ASSERT_TRUE(read(utf8, &back));
        EXPECT_EQ(back.byte, byte);
        EXPECT_FALSE(back.in_set);
        for (const IsoSet set : {IsoSet::kAscii, IsoSet::kRoman, IsoSet::kKatakana, IsoSet::kJis0208,
                                 IsoSet::kJis0212}) {
            std::string in_set;
            AppendStandIn(static_cast<unsigned char>(byte), set, &in_set);
            EXPECT_TRUE(IsValidUtf8(in_set));
            ASSERT_TRUE(read(in_set, &back));
            EXPECT_EQ(back.byte, byte);
            EXPECT_EQ(back.in_set, byte < 0x80);
            if (byte < 0x80) {
                EXPECT_EQ(back.set, set);
            }
        }
    }
    StandIn unused;
    EXPECT_FALSE(read("\xF0\x9F\x98\x80", &unused));  // U+1F600
    EXPECT_FALSE(read("\xF4\x8F\xA7\xBF", &unused));  // U+10F9FF, just below
}

TEST(TextConvert, ACharacterCutAtTheEndComesBackAsItWas) {
    const std::string euc = Iconv("あい\n", "UTF-8", "EUC-JP");
    const std::string cut = euc.substr(0, 3);  // あ and half of い
    const std::string utf8 = Decode(Encoding::kEucJp, {cut.substr(0, 1), cut.substr(1)});
    EXPECT_EQ(utf8.substr(0, 3), "あ");
    std::string back, error;
    ASSERT_TRUE(Encode(Encoding::kEucJp, IsoStyle(), {utf8}, &back, &error)) << error;
    EXPECT_EQ(back, cut);
}

TEST(TextConvert, IsoEscapeSequencesAreThoseOfTheInput) {
    // ESC $ @ and ESC ( J, and a text that ends in the two-byte set.
    const std::string iso = "a\x1B$@$\"$$\x1B(J b\n\x1B$@$&";
    IsoStyle style;
    const std::string utf8 = Decode(Encoding::kIso2022Jp, {iso}, &style);
    EXPECT_EQ(style.two_byte, '@');
    EXPECT_EQ(style.one_byte, 'J');
    EXPECT_EQ(utf8, "aあい b\nう");
    std::string back, error;
    ASSERT_TRUE(Encode(Encoding::kIso2022Jp, style, {utf8}, &back, &error)) << error;
    EXPECT_EQ(back, iso + "\x1B(J");  // the end goes back to the one-byte set
}

// Former bug: an ESC cut short by the end of the text came back, written and
// read again, as another character than it was read as the first time.
TEST(TextConvert, AnEscapeCutShortAtTheEndIsAControlCharacter) {
    for (const std::string &iso : {std::string("\x1B$@\x1B"), std::string("a\x1B$"), std::string("\x1B$(")}) {
        SCOPED_TRACE(::testing::PrintToString(iso));
        IsoStyle style;
        const std::string utf8 = Decode(Encoding::kIso2022Jp, {iso}, &style);
        EXPECT_NE(utf8.find('\x1B'), std::string::npos);
        std::string back, error;
        ASSERT_TRUE(Encode(Encoding::kIso2022Jp, style, {utf8}, &back, &error)) << error;
        EXPECT_EQ(Decode(Encoding::kIso2022Jp, {back}), utf8);
    }
}

// An ESC of the text that the bytes behind it would turn into a shift (a
// terminal's control, then "(B" or "$B" as letters) stays a control
// character when written, in one piece or cut anywhere.
TEST(TextConvert, AnEscapeOfTheTextNeverWritesAShift) {
    const std::string utf8 = "x\x1B(Bあ\x1B$B\x1B$(D\x1B[31m\x1B";
    for (size_t cut = 0; cut <= utf8.size(); ++cut) {
        if (cut < utf8.size() && (static_cast<unsigned char>(utf8[cut]) & 0xC0) == 0x80) continue;
        std::string back, error;
        ASSERT_TRUE(Encode(Encoding::kIso2022Jp, IsoStyle(), {utf8.substr(0, cut), utf8.substr(cut)}, &back, &error))
            << error;
        EXPECT_EQ(Decode(Encoding::kIso2022Jp, {back}), utf8) << "cut at " << cut;
    }
    std::string plain, error;
    ASSERT_TRUE(Encode(Encoding::kIso2022Jp, IsoStyle(), {"\x1B[31mred\x1B[0m"}, &plain, &error)) << error;
    EXPECT_EQ(plain, "\x1B[31mred\x1B[0m");  // a terminal's colours pass as they are
}

TEST(TextConvert, IsoGoesBackToAsciiBeforeEveryLineEnd) {
    std::string out, error;
    ASSERT_TRUE(Encode(Encoding::kIso2022Jp, IsoStyle(), {"あ\nい\r\n"}, &out, &error)) << error;
    EXPECT_EQ(out, "\x1B$B$\"\x1B(B\n\x1B$B$$\x1B(B\r\n");
}

TEST(TextConvert, ACharacterTheEncodingLacksNamesItsPlace) {
    for (const Encoding encoding : kConverted) {
        SCOPED_TRACE(EncodingName(encoding));
        std::string out, error;
        EXPECT_FALSE(Encode(encoding, IsoStyle(), {"あい\r\nう", "え😀\n"}, &out, &error));
        EXPECT_EQ(error, std::string("line 2, column 3: U+1F600 cannot be written in ") + EncodingName(encoding));
    }
}

TEST(TextConvert, BytesThatAreNotUtf8AreAnErrorWhenWritingBack) {
    std::string out, error;
    EXPECT_FALSE(Encode(Encoding::kEucJp, IsoStyle(), {"ab\n\xFF"}, &out, &error));
    EXPECT_EQ(error, "line 2, column 1: the formatted text has a byte that is not UTF-8 (0xFF)");
}

}  // namespace
}  // namespace lumo::cli
