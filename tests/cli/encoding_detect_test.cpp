// Deciding a text's encoding as it streams: each encoding of the sample and
// of a corpus is recognised, a UTF-8 text cut anywhere or with a stray byte
// anywhere stays UTF-8, a text that is none is refused, a named encoding
// that the text plainly is not is refused, the later pieces are checked, and
// nothing depends on where the pieces were cut.
#include "encoding_detect.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>

#include "japanese_texts.h"

namespace lumo::cli {
namespace {

using testing::Iconv;
using testing::RandomPieces;
using testing::Sample;

// What the decoding source does: feed the detector until it has enough or
// the text ends, decide, then check the rest with the decided encoding's
// walk. The choice, and the place where the rest stopped fitting if it did.
struct Outcome {
    EncodingChoice choice;
    bool rest_fits = true;
    BytePlace misfit;
};

Outcome Stream(const std::string &text, Encoding requested = Encoding::kAuto, size_t piece = 65536) {
    Outcome outcome;
    EncodingDetector detector;
    size_t at = 0;
    while (at < text.size() && !detector.Enough()) {
        detector.Feed(std::string_view(text).substr(at, piece));
        at += piece;
    }
    if (at >= text.size()) detector.Finish();
    outcome.choice = ChooseEncoding(detector, requested, false);
    if (outcome.choice.refused || outcome.choice.encoding == Encoding::kAuto) return outcome;
    EncodingFit rest = detector.Take(outcome.choice.encoding);
    for (; at < text.size(); at += piece) rest.Feed(std::string_view(text).substr(at, piece));
    rest.Finish();
    outcome.rest_fits = rest.Acceptable();
    outcome.misfit = rest.misfit();
    return outcome;
}

Encoding Detect(const std::string &text) {
    const Outcome outcome = Stream(text);
    EXPECT_FALSE(outcome.choice.refused) << outcome.choice.reason;
    EXPECT_TRUE(outcome.rest_fits);
    return outcome.choice.encoding;
}

// The sample in the four encodings.
struct Encoded {
    Encoding encoding;
    std::string text;
};

std::vector<Encoded> SampleInEveryEncoding() {
    const std::string utf8 = Sample();
    return {{Encoding::kUtf8, utf8},
            {Encoding::kShiftJis, Iconv(utf8, "UTF-8", "CP932")},
            {Encoding::kEucJp, Iconv(utf8, "UTF-8", "EUC-JP")},
            {Encoding::kIso2022Jp, Iconv(utf8, "UTF-8", "ISO-2022-JP")}};
}

// A text of more than size bytes: the sample again and again.
std::string Repeated(size_t size) {
    const std::string sample = Sample();
    std::string text;
    while (text.size() <= size) text += sample;
    return text;
}

// ---- Recognition -------------------------------------------------------------

TEST(EncodingDetection, RecognisesTheSampleInEveryEncoding) {
    for (const Encoded &row : SampleInEveryEncoding()) {
        SCOPED_TRACE(EncodingName(row.encoding));
        ASSERT_FALSE(row.text.empty());
        EXPECT_EQ(Detect(row.text), row.encoding);
        // Named, it is taken without a word.
        const Outcome named = Stream(row.text, row.encoding);
        EXPECT_FALSE(named.choice.refused) << named.choice.reason;
        EXPECT_TRUE(named.rest_fits);
    }
}

TEST(EncodingDetection, RecognisesTheCorpusInEveryEncoding) {
    const std::vector<std::string> pages = testing::ManualPages(40, 12);
    if (pages.empty()) GTEST_SKIP() << "manpages-ja is not installed";
    for (size_t i = 0; i < pages.size(); ++i) {
        SCOPED_TRACE("manual page " + std::to_string(i));
        EXPECT_EQ(Detect(pages[i]), Encoding::kUtf8);
        EXPECT_EQ(Detect(Iconv(pages[i], "UTF-8", "CP932")), Encoding::kShiftJis);
        EXPECT_EQ(Detect(Iconv(pages[i], "UTF-8", "EUC-JP")), Encoding::kEucJp);
        EXPECT_EQ(Detect(Iconv(pages[i], "UTF-8", "ISO-2022-JP")), Encoding::kIso2022Jp);
    }
}

TEST(EncodingDetection, ShiftJisAfterALongAsciiPartIsShiftJis) {
    const std::string text = std::string(200000, 'a') + "\n" + Iconv(Sample(), "UTF-8", "CP932");
    EXPECT_EQ(Detect(text), Encoding::kShiftJis);
}

TEST(EncodingDetection, AsciiDecidesNothing) {
    const Outcome outcome = Stream("only ASCII\r\nhere\n");
    EXPECT_FALSE(outcome.choice.refused);
    EXPECT_EQ(outcome.choice.encoding, Encoding::kAuto);
}

// ---- Former bugs: one byte that is not UTF-8 made auto take Shift-JIS --------

TEST(EncodingDetectionFormerBugs, AUtf8TextCutAtEveryByteOfItsFirstKilobyteIsUtf8) {
    const std::string sample = Sample();
    for (size_t cut = 1; cut <= 1024; ++cut) {
        SCOPED_TRACE("cut at " + std::to_string(cut));
        const Outcome outcome = Stream(sample.substr(0, cut));
        ASSERT_FALSE(outcome.choice.refused) << outcome.choice.reason;
        EXPECT_EQ(outcome.choice.encoding, Encoding::kUtf8);
    }
}

TEST(EncodingDetectionFormerBugs, OneStrayByteAnywhereInAUtf8TextLeavesItUtf8) {
    // Every offset where the detector looks (it decides within the first
    // few kilobytes), then doubling offsets up to 1 MiB, where the rest is
    // checked; 16 KiB was the fault's own case.
    const std::string small = Repeated(size_t{16} << 10);
    const std::string large = Repeated((size_t{1} << 20) + 4096);
    std::vector<size_t> offsets;
    for (size_t at = 0; at < 4096; ++at) offsets.push_back(at);
    for (size_t at = 4096; at <= (size_t{1} << 20); at *= 2) offsets.push_back(at);
    offsets.push_back(16384 + 7);
    for (const size_t at : offsets) {
        SCOPED_TRACE("stray byte at " + std::to_string(at));
        std::string stray = at < 4096 ? small : large;
        stray.insert(at, 1, '\xFF');
        const Outcome outcome = Stream(stray, Encoding::kAuto, 2048);
        ASSERT_FALSE(outcome.choice.refused) << outcome.choice.reason;
        EXPECT_EQ(outcome.choice.encoding, Encoding::kUtf8);
        EXPECT_TRUE(outcome.rest_fits) << "line " << outcome.misfit.at.line;
    }
}

TEST(EncodingDetectionFormerBugs, UnderANamedEncodingATextOfAnotherIsRefused) {
    struct Row {
        Encoding text;
        Encoding named;
        const char *says;
    };
    const Row rows[] = {
        {Encoding::kUtf8, Encoding::kShiftJis, "use --encoding utf-8"},
        {Encoding::kShiftJis, Encoding::kUtf8, "use --encoding sjis"},
        {Encoding::kUtf8, Encoding::kEucJp, "use --encoding utf-8"},
        {Encoding::kEucJp, Encoding::kUtf8, "use --encoding euc-jp"},
        {Encoding::kEucJp, Encoding::kShiftJis, "use --encoding euc-jp"},
        {Encoding::kShiftJis, Encoding::kEucJp, "use --encoding sjis"},
        {Encoding::kIso2022Jp, Encoding::kShiftJis, "use --encoding iso-2022-jp"},
        {Encoding::kIso2022Jp, Encoding::kUtf8, "use --encoding iso-2022-jp"},
        {Encoding::kUtf8, Encoding::kIso2022Jp, "use --encoding utf-8"},
    };
    const std::vector<Encoded> samples = SampleInEveryEncoding();
    for (const Row &row : rows) {
        SCOPED_TRACE(std::string(EncodingName(row.text)) + " under --encoding " + EncodingOption(row.named));
        const std::string &text =
            std::find_if(samples.begin(), samples.end(), [&](const Encoded &e) { return e.encoding == row.text; })->text;
        const Outcome outcome = Stream(text, row.named);
        ASSERT_TRUE(outcome.choice.refused) << "taken as " << EncodingName(outcome.choice.encoding);
        EXPECT_NE(outcome.choice.reason.find(row.says), std::string::npos) << outcome.choice.reason;
        EXPECT_NE(outcome.choice.reason.find("--force-encoding"), std::string::npos);
        EXPECT_EQ(outcome.choice.reason.rfind("line ", 0), 0u) << outcome.choice.reason;
    }
}

// ---- Texts that are none of the encodings ---------------------------------------

TEST(EncodingDetection, TextsThatAreNoneAreRefusedUnlessForced) {
    std::mt19937 random(7);
    std::string noise;
    for (int i = 0; i < 4000; ++i) noise += static_cast<char>(random() & 0xFF);
    const std::string latin1 = "caf\xE9 cr\xE8me br\xFBl\xE9" "e \xE0 la fa\xE7on de ma m\xE8re\n";
    for (const std::string &text : {noise, latin1}) {
        const Outcome outcome = Stream(text);
        EXPECT_TRUE(outcome.choice.refused);
        EXPECT_NE(outcome.choice.reason.find("fits none of the encodings"), std::string::npos);
        EncodingDetector detector;
        detector.Feed(text);
        detector.Finish();
        EXPECT_FALSE(ChooseEncoding(detector, Encoding::kAuto, true).refused);
        EXPECT_FALSE(ChooseEncoding(detector, Encoding::kUtf8, true).refused);
    }
}

TEST(EncodingDetection, ALoneStrayByteInAsciiIsKeptAsUtf8) {
    EXPECT_EQ(Detect("abc\xFF\n"), Encoding::kUtf8);
}

// ---- The rest of the text, checked --------------------------------------------

TEST(EncodingValidation, ShiftJisAfterAUtf8PartIsAMisfitAtItsFirstByte) {
    std::string text;
    for (int i = 0; i < 30000; ++i) text += "あいうえおかきくけこ\n";
    text += "ok: " + Iconv("かきく\n", "UTF-8", "CP932");
    const Outcome outcome = Stream(text);
    EXPECT_EQ(outcome.choice.encoding, Encoding::kUtf8);
    ASSERT_FALSE(outcome.rest_fits);
    EXPECT_EQ(outcome.misfit.at.line, 30001u);
    EXPECT_EQ(outcome.misfit.at.column, 5u);
    EXPECT_EQ(outcome.misfit.byte, 0x82);
}

TEST(EncodingValidation, AFewStrayBytesAreKeptAClusterIsNot) {
    const std::string line = "あいうえおかきくけこさしすせそ\n";
    std::string few, cluster;
    for (int i = 0; i < 200; ++i) {
        few += line;
        cluster += line;
        if (i % 50 == 25) few += "\xFF";
    }
    cluster += "\xFF\xFE\xFD\xFC\xFB\n";
    EncodingFit fits(Encoding::kUtf8);
    fits.Feed(few);
    fits.Finish();
    EXPECT_TRUE(fits.Acceptable());
    EXPECT_EQ(fits.counts().strays, 4u);
    EncodingFit misfits(Encoding::kUtf8);
    misfits.Feed(cluster);
    misfits.Finish();
    ASSERT_FALSE(misfits.Acceptable());
    EXPECT_EQ(misfits.misfit().at.line, 201u);
    EXPECT_EQ(misfits.misfit().at.column, 1u);
}

// ---- Pieces -------------------------------------------------------------------

// Counts and places do not depend on where the text was cut, for random
// bytes and for real text, in each encoding.
TEST(EncodingFitPieces, CountsAndPlacesDoNotDependOnTheCuts) {
    std::mt19937 random(11);
    std::vector<std::string> texts;
    for (const Encoded &row : SampleInEveryEncoding()) texts.push_back(row.text);
    for (int i = 0; i < 20; ++i) {
        std::string mixed;
        static const char *const kBits[] = {"あ", "\x82\xA0", "\xA4\xA2", "\x1B$B$\"\x1B(B", "\r", "\n",
                                            "\r\n", "a", "\xFF", "\xE3\x81", "\x1B$"};
        for (int j = 0; j < 300; ++j) mixed += kBits[random() % std::size(kBits)];
        texts.push_back(mixed);
    }
    for (const std::string &text : texts) {
        for (const Encoding encoding :
             {Encoding::kUtf8, Encoding::kShiftJis, Encoding::kEucJp, Encoding::kIso2022Jp}) {
            EncodingFit whole(encoding);
            whole.Feed(text);
            whole.Finish();
            for (const size_t max_piece : {size_t{1}, size_t{2}, size_t{3}, size_t{5}, size_t{64}}) {
                SCOPED_TRACE(std::string(EncodingName(encoding)) + ", pieces up to " + std::to_string(max_piece));
                EncodingFit cut(encoding);
                for (const std::string &piece : RandomPieces(text, &random, max_piece)) cut.Feed(piece);
                cut.Finish();
                EXPECT_EQ(cut.counts().Score(), whole.counts().Score());
                EXPECT_EQ(cut.counts().strays, whole.counts().strays);
                EXPECT_EQ(cut.counts().Characters(), whole.counts().Characters());
                EXPECT_EQ(cut.Acceptable(), whole.Acceptable());
                EXPECT_EQ(cut.misfit().at.line, whole.misfit().at.line);
                EXPECT_EQ(cut.misfit().at.column, whole.misfit().at.column);
                EXPECT_EQ(cut.first_evidence().at.line, whole.first_evidence().at.line);
            }
        }
    }
}

TEST(EncodingFitPieces, ACharacterCutAtTheEndIsNoStrayByte) {
    for (const Encoded &row : SampleInEveryEncoding()) {
        for (size_t less = 1; less <= 3; ++less) {
            SCOPED_TRACE(std::string(EncodingName(row.encoding)) + " less " + std::to_string(less));
            // The sample's last line ends in 。 (in ISO-2022-JP then ESC ( B).
            const std::string body = row.text.substr(0, row.text.rfind('\n'));
            const std::string text = body.substr(0, body.size() - less);
            EncodingFit fit(row.encoding);
            fit.Feed(text);
            fit.Finish();
            EXPECT_EQ(fit.counts().strays, 0u);
        }
    }
}

// Checking finds what the full walk finds: the same stray bytes, misfit
// and places, and as many characters.
void ExpectSameFindings(const EncodingFit &checked, const EncodingFit &walked) {
    EXPECT_EQ(checked.counts().strays, walked.counts().strays);
    EXPECT_EQ(checked.counts().Characters(), walked.counts().Characters());
    EXPECT_EQ(checked.Acceptable(), walked.Acceptable());
    EXPECT_EQ(checked.misfit().at.line, walked.misfit().at.line);
    EXPECT_EQ(checked.misfit().at.column, walked.misfit().at.column);
    EXPECT_EQ(checked.misfit().byte, walked.misfit().byte);
    EXPECT_EQ(checked.first_stray().at.line, walked.first_stray().at.line);
    EXPECT_EQ(checked.first_stray().at.column, walked.first_stray().at.column);
}

// Checking a decided text a run at a time finds what the full walk finds:
// the same stray bytes, misfit and places, and as many characters, for
// texts with stray bytes, line ends of every kind and characters whose
// bytes are cut at the pieces' ends.
TEST(EncodingFitPieces, CheckingFindsWhatTheFullWalkFinds) {
    std::mt19937 random(17);
    for (int round = 0; round < 300; ++round) {
        const Encoding encoding = round % 2 == 0 ? Encoding::kUtf8 : Encoding::kShiftJis;
        static const char *const kUtf8Bits[] = {"あ", "星", "é", "😀", "\xE0\xA4\x80", "\xED\x9F\xBF", "\xF4\x8F\xBF\xBF",
                                                "a", "\r", "\n", "\r\n", "\x1B", "\xFF", "\xE3\x81", "\x80"};
        static const char *const kSjisBits[] = {"\x82\xA0", "\x90\xAF", "\xB1", "\x81\x40", "\xFC\xFC", "a",  "\r",
                                                "\n",        "\r\n",      "\x1B", "\x80",     "\xA0",     "\xFD", "\x82"};
        std::string text = encoding == Encoding::kUtf8 ? "あ" : "\x82\xA0";  // the evidence that decided
        const size_t bits = 1 + random() % 400;
        const bool strays = random() % 3 != 0;
        for (size_t i = 0; i < bits; ++i) {
            size_t pick = random() % 15;
            if (!strays) pick = random() % 7;
            text += encoding == Encoding::kUtf8 ? kUtf8Bits[pick] : kSjisBits[std::min<size_t>(pick, 13)];
        }
        EncodingFit walked(encoding);
        EncodingFit checked(encoding);
        checked.CheckOnly();
        const size_t max_piece = 1 + random() % 64;
        for (const std::string &piece : RandomPieces(text, &random, max_piece)) {
            walked.Feed(piece);
            checked.Feed(piece);
        }
        walked.Finish();
        checked.Finish();
        SCOPED_TRACE(std::string(EncodingName(encoding)) + ", round " + std::to_string(round));
        ExpectSameFindings(checked, walked);
        // One more stray byte lands at the same place in both.
        walked.Feed("\xFF");
        checked.Feed("\xFF");
        walked.Finish();
        checked.Finish();
        EXPECT_EQ(checked.counts().strays, walked.counts().strays);
    }
}

// Long texts in large pieces, as a file is read: the blocks of 64 bytes
// that the check takes at once find what the full walk finds, wherever a
// block ends (inside a character, on a CR before an LF) and whatever byte
// stops one.
TEST(EncodingFitPieces, BlocksFindWhatTheFullWalkFinds) {
    std::mt19937 random(29);
    static const char *const kUtf8Bits[] = {"あ", "星", "é", "😀", "ｶ", "a", "ab ", "        ", "\r", "\n", "\r\n",
                                            "\xF1\x90\x80\x80", "\xF3\xA0\x80\x81", "\xE0\xA4\x80", "\xED\x9F\xBF",
                                            "\xF0\x9F\x98\x80", "\xF4\x8F\xBF\xBF", "\xE3\x81", "\x80", "\xC3"};
    static const char *const kSjisBits[] = {"\x82\xA0", "\x90\xAF", "\x88\x9F", "\x81\x40", "\xFC\xFC", "\xB1", "a",
                                            "ab ",       "        ", "\r",       "\n",       "\r\n",     "\x81\x7E",
                                            "\x82",      "\x80",     "\xFD"};
    for (int round = 0; round < 400; ++round) {
        const Encoding encoding = round % 2 == 0 ? Encoding::kUtf8 : Encoding::kShiftJis;
        std::string text = encoding == Encoding::kUtf8 ? "あ" : "\x82\xA0";
        const size_t bits = 100 + random() % 3000;
        for (size_t i = 0; i < bits; ++i) {
            if (random() % 500 == 0) {
                text += static_cast<char>(random() % 256);  // any byte at all, now and then
            } else if (random() % 40 != 0) {
                // Mostly characters that fit, so that whole blocks do.
                text += encoding == Encoding::kUtf8 ? kUtf8Bits[random() % 15] : kSjisBits[random() % 13];
            } else if (encoding == Encoding::kUtf8) {
                text += kUtf8Bits[random() % std::size(kUtf8Bits)];
            } else {
                text += kSjisBits[random() % std::size(kSjisBits)];
            }
        }
        EncodingFit walked(encoding);
        EncodingFit checked(encoding);
        checked.CheckOnly();
        const size_t max_piece = random() % 2 == 0 ? 4096 : 200;
        for (const std::string &piece : RandomPieces(text, &random, max_piece)) {
            walked.Feed(piece);
            checked.Feed(piece);
        }
        // Stray bytes close together at the end: where the misfit lands (if
        // none came before) shows the position reached.
        walked.Feed("\xFF\xFF\xFF\xFF\xFF\xFF");
        checked.Feed("\xFF\xFF\xFF\xFF\xFF\xFF");
        walked.Finish();
        checked.Finish();
        SCOPED_TRACE(std::string(EncodingName(encoding)) + ", round " + std::to_string(round));
        ExpectSameFindings(checked, walked);
        if (::testing::Test::HasFailure()) return;
    }
}

}  // namespace
}  // namespace lumo::cli
