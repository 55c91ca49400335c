// The streaming formatter against the Windows-era entries: a text fed in
// parts of any size, down to one byte, on one thread or two, gives the bytes
// that one call of LumoMultiLines (or its UTF-8 form) gives line by line;
// and for texts whose lines all have their line end and no prefix fills the
// fold column, the bytes of one call on the whole text.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <thread>
#include <vector>

#include "engine/engine_support.h"

namespace lumo_engine_test {
namespace {

struct Case {
    std::string text;  // in the encoding below
    lumo_encoding encoding;
    LumoRecords records;
    uint32_t tab;
};

Case RandomCase(std::mt19937 *random, int round) {
    const std::string utf8 = RandomDocument(random, 1 + (*random)() % 12);
    const auto preset = static_cast<int32_t>((*random)() % 3);
    // Small fold columns now and then, so that some prefixes fill them.
    const auto fold = static_cast<uint32_t>((*random)() % 5 == 0 ? 2 + (*random)() % 6 : 8 + (*random)() % 60);
    const bool sjis = round % 2 == 0;
    std::string text = sjis ? Cp932Of(utf8) : utf8;
    if (!sjis && (*random)() % 4 == 0) text = "\xEF\xBB\xBF" + text;
    return Case{text, sjis ? LUMO_CP932 : LUMO_UTF8, PresetRecords(preset, fold),
                static_cast<uint32_t>((*random)() % 9)};
}

TEST(StreamFormat, PartsOfAnySizeGiveTheLibrarysLinesEachAlone) {
    std::mt19937 random(20261208);
    for (int round = 0; round < 1500; ++round) {
        const Case c = RandomCase(&random, round);
        const Expected expected = Reference(c.text, c.records, c.encoding, c.tab);
        lumo_options o = Options(&c.records, c.encoding, c.tab);
        const size_t part = round % 3 == 0 ? 1 + random() % 8 : round % 3 == 1 ? 1 + random() % 64 : 0;
        o.threads = round % 4 == 0 ? 2 : 1;
        SCOPED_TRACE("round " + std::to_string(round) + ", fold " + std::to_string(c.records.fold.foldnum) +
                     ", part " + std::to_string(part) + (c.encoding == LUMO_CP932 ? ", sjis" : ", utf-8"));
        const Streamed s = Stream(LUMO_FORMAT, o, c.text, &random, part);
        ASSERT_EQ(s.result, LUMO_OK) << s.error.message;
        ASSERT_EQ(s.output, expected.output);
        ASSERT_EQ(s.warned, expected.warned);
    }
}

// Where nothing differs by design, one call of the library on the whole text
// is the reference itself.
TEST(StreamFormat, TerminatedTextsGiveOneLibraryCallsBytes) {
    std::mt19937 random(41);
    int compared = 0;
    for (int round = 0; round < 1000; ++round) {
        Case c = RandomCase(&random, round);
        if (c.text.compare(0, 3, "\xEF\xBB\xBF") == 0) c.text.erase(0, 3);
        if (c.text.empty() || (c.text.back() != '\n' && c.text.back() != '\r')) c.text += "\n";
        std::string library;
        if (LibraryFormat(c.text, c.records, c.encoding, c.tab, &library) != FORMAT_DONE) continue;
        ++compared;
        const Streamed s = Stream(LUMO_FORMAT, Options(&c.records, c.encoding, c.tab), c.text, &random, 1 + random() % 32);
        ASSERT_EQ(s.result, LUMO_OK);
        ASSERT_EQ(s.output, library) << "round " << round;
    }
    EXPECT_GT(compared, 500);
}

// Texts that Shift-JIS holds fold the same in both encodings.
TEST(StreamFormat, ShiftJisAndUtf8GiveTheSameLines) {
    std::mt19937 random(8);
    for (int round = 0; round < 500; ++round) {
        const std::string utf8 = RandomDocument(&random, 1 + random() % 10);
        const LumoRecords records = PresetRecords(static_cast<int32_t>(random() % 3), static_cast<uint32_t>(6 + random() % 50));
        const Streamed u = Stream(LUMO_FORMAT, Options(&records, LUMO_UTF8, 8), utf8, &random, 1 + random() % 20);
        const Streamed s =
            Stream(LUMO_FORMAT, Options(&records, LUMO_CP932, 8), Cp932Of(utf8), &random, 1 + random() % 20);
        ASSERT_EQ(u.result, LUMO_OK);
        ASSERT_EQ(s.result, LUMO_OK);
        ASSERT_EQ(Cp932Of(u.output), s.output) << "round " << round;
    }
}

// Edges, each a text streamed with every part size from 1 to 20 bytes.
TEST(StreamFormat, Edges) {
    const LumoRecords records = PresetRecords(2, 10);
    const struct {
        const char *what;
        std::string text;
    } cases[] = {
        {"CR LF cut between CR and LF", "あいうえおかきくけこさし\r\nすせそ\r\n"},
        {"a last line without a line end stays without", "あいうえおかきくけこさし\r\nすせそたちつてとなにぬね"},
        {"no line end at all", "あいうえおかきくけこさしすせそ"},
        {"empty text", ""},
        {"a byte order mark alone", "\xEF\xBB\xBF"},
        {"half a byte order mark", "\xEF\xBB"},
        {"only line ends", "\n\r\n\r\r\n"},
        {"a CR at the very end", "あいうえおかきくけこさし\r"},
        {"a long line between short ones", std::string(40, 'a') + "\n" + "あいうえおかきくけこさしすせそ\n"},
    };
    std::mt19937 random(3);
    for (const auto &c : cases) {
        const Expected expected = Reference(c.text, records, LUMO_UTF8, 8);
        for (size_t part = 1; part <= 20; ++part) {
            SCOPED_TRACE(std::string(c.what) + ", part " + std::to_string(part));
            lumo_options o = Options(&records, LUMO_UTF8, 8);
            const Streamed s = Stream(LUMO_FORMAT, o, c.text, &random, part);
            ASSERT_EQ(s.result, LUMO_OK);
            ASSERT_EQ(s.output, expected.output);
        }
    }
}

TEST(StreamFormat, HeaderLongerThanAnyPartStaysWhole) {
    const LumoRecords records = PresetRecords(1, 10);
    const std::string text =
        "件名：とても長い件名の行がここにあります\n差出人：だれか\n\n本文はここから始まり折り返されます。\n";
    const Expected expected = Reference(text, records, LUMO_UTF8, 8);
    EXPECT_EQ(expected.output.substr(0, text.find("\n\n") + 2), text.substr(0, text.find("\n\n") + 2));
    std::mt19937 random(1);
    for (size_t part : {1, 5, 17, 0}) {
        EXPECT_EQ(Stream(LUMO_FORMAT, Options(&records, LUMO_UTF8, 8), text, &random, part).output, expected.output);
    }
    // A text whose header block never ends is all body; one whose last line,
    // without a line end, is the delimiter is all header.
    const std::string unended = "件名：とても長い件名の行がここにあります\n差出人：だれか";
    EXPECT_EQ(Stream(LUMO_FORMAT, Options(&records, LUMO_UTF8, 8), unended, &random, 3).output,
              Reference(unended, records, LUMO_UTF8, 8).output);
}

// The formatter keeps no state but its own: streams with different texts
// and options on two threads at once give what each gives alone.
TEST(StreamFormat, TwoThreadsAtOnceGiveWhatEachGivesAlone) {
    std::mt19937 random(77);
    std::vector<Case> cases;
    for (int i = 0; i < 40; ++i) cases.push_back(RandomCase(&random, i));
    std::vector<std::string> alone;
    for (const Case &c : cases) {
        std::mt19937 r(1);
        alone.push_back(Stream(LUMO_FORMAT, Options(&c.records, c.encoding, c.tab), c.text, &r, 5).output);
    }
    std::vector<std::string> together[2];
    std::thread threads[2];
    for (int t = 0; t < 2; ++t) {
        threads[t] = std::thread([&, t] {
            std::mt19937 r(static_cast<uint32_t>(t));
            for (int repeat = 0; repeat < 20; ++repeat) {
                for (size_t i = t; i < cases.size(); i += 2) {
                    const Case &c = cases[i];
                    lumo_options o = Options(&c.records, c.encoding, c.tab);
                    o.threads = repeat % 2 == 0 ? 2 : 1;
                    together[t].push_back(Stream(LUMO_FORMAT, o, c.text, &r, 1 + r() % 30).output);
                }
            }
        });
    }
    for (std::thread &t : threads) t.join();
    for (int t = 0; t < 2; ++t) {
        size_t k = 0;
        for (int repeat = 0; repeat < 20; ++repeat) {
            for (size_t i = t; i < cases.size(); i += 2) ASSERT_EQ(together[t][k++], alone[i]) << i;
        }
    }
}

// Long texts through workers: pieces folded on two threads come back in
// order, the same as on the stream's own thread.
TEST(StreamFormat, WorkersGiveWhatOneThreadGives) {
    std::mt19937 random(5);
    std::string text;
    while (text.size() < (size_t{3} << 20)) text += RandomDocument(&random, 50);
    for (lumo_encoding encoding : {LUMO_UTF8, LUMO_CP932}) {
        const std::string input = encoding == LUMO_CP932 ? Cp932Of(text) : text;
        const LumoRecords records = PresetRecords(2, 30);
        lumo_options one = Options(&records, encoding, 8);
        lumo_options two = one;
        two.threads = 2;
        const Streamed a = Stream(LUMO_FORMAT, one, input, &random, 0);
        const Streamed b = Stream(LUMO_FORMAT, two, input, &random, 700000);
        ASSERT_EQ(a.result, LUMO_OK);
        ASSERT_EQ(b.result, LUMO_OK);
        ASSERT_TRUE(SameBytes(a.output, b.output));
        ASSERT_EQ(a.warned, b.warned);
    }
}

// Parts of a pipe's size (below what a worker takes at once) are gathered
// into pieces for the workers: the same bytes, and a flush hands on every
// whole line fed before it, gathered or not.
TEST(StreamFormat, SmallPartsGatheredForWorkersAndHandedOnAtAFlush) {
    std::mt19937 random(11);
    std::string text;
    while (text.size() < (size_t{2} << 20)) text += RandomDocument(&random, 50);
    const LumoRecords records = PresetRecords(2, 30);
    lumo_options one = Options(&records, LUMO_UTF8, 8);
    lumo_options two = one;
    two.threads = 2;
    const Streamed a = Stream(LUMO_FORMAT, one, text, &random, 0);
    const Streamed b = Stream(LUMO_FORMAT, two, text, &random, size_t{64} << 10);
    ASSERT_EQ(b.result, LUMO_OK);
    ASSERT_TRUE(SameBytes(a.output, b.output));

    // Whole lines up to the last LF of a part fed: all out after the flush.
    Streamed s;
    lumo_stream *stream = lumo_stream_new(LUMO_FORMAT, &two, Collect, &s, &s.error);
    ASSERT_NE(stream, nullptr);
    const size_t part = size_t{40} << 10;
    for (size_t at = 0; at + part <= (size_t{1} << 20); at += part) {
        ASSERT_EQ(lumo_stream_feed(stream, text.data() + at, part, &s.error), LUMO_OK);
        ASSERT_EQ(lumo_stream_flush(stream, &s.error), LUMO_OK);
        // A CR as the last byte fed may still be the start of a CR LF.
        size_t end = text.find_last_of("\r\n", at + part - 1);
        if (end == at + part - 1 && text[end] == '\r') end = text.find_last_of("\r\n", end - 1);
        const std::string fed = text.substr(0, end + 1);
        const Streamed alone = Stream(LUMO_FORMAT, one, fed, &random, 0);
        ASSERT_TRUE(SameBytes(s.output, alone.output)) << "after " << at + part << " bytes";
    }
    lumo_stream_free(stream);
}

}  // namespace
}  // namespace lumo_engine_test
