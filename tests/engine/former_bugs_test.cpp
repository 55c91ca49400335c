// Former bugs of the tool before the streaming engine, each a case named
// for what broke.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "engine/engine_support.h"
#include "lumo.h"
#include "platform/lead_byte.h"

namespace lumo_engine_test {
namespace {

// One line whose continuation prefix filled the fold column made the whole
// piece around it be formatted again line by line. Now that line alone goes
// without its prefix, named, and every other line folds as it always has.
TEST(FormerBugs, APrefixThatFillsTheFoldColumnFoldsOnlyItsLineWithoutIt) {
    std::string text;
    for (int i = 0; i < 2000; ++i) {
        text += i % 97 == 5 ? "　　　　　・項目の説明がとても長く続きます。まだ続きます。\n"
                            : "本文の一行です。本文の一行です。本文の一行です。\n";
    }
    const LumoRecords records = PresetRecords(2, 12);
    const Expected expected = Reference(text, records, LUMO_UTF8, 8);
    ASSERT_EQ(expected.warned.size(), 21u);
    std::mt19937 random(1);
    for (unsigned threads : {1u, 2u}) {
        lumo_options o = Options(&records, LUMO_UTF8, 8);
        o.threads = threads;
        const Streamed s = Stream(LUMO_FORMAT, o, text, &random, 4096);
        EXPECT_EQ(s.output, expected.output);
        EXPECT_EQ(s.warned, expected.warned);
    }
}

// A single long line cost time that grew faster than its length and eight
// times its size in memory. Now a line longer than a megabyte is folded
// window by window, with the bytes that one call on the whole line gives.
TEST(FormerBugs, ALineLongerThanAWindowFoldsAsTheWholeLineDoes) {
    std::mt19937 random(9);
    const char *const kBits[] = {"あ", "い", "。", "」", "（", "word ", "12345", "ｶﾅ", "、", "　"};
    std::string line = "・";
    while (line.size() < (size_t{5} << 20) / 2) line += kBits[random() % std::size(kBits)];
    for (const char *head : {"", "・", "> "}) {
        for (lumo_encoding encoding : {LUMO_UTF8, LUMO_CP932}) {
            for (int32_t preset : {1, 2}) {
                std::string text = "短い行\n" + std::string(head) + line + "\r\nその次の行\n";
                if (encoding == LUMO_CP932) text = Cp932Of(text);
                LumoRecords records = PresetRecords(preset, 40);
                if (preset == 1) records.fold.wraptype = WRAP_HANG | WRAP_ALNUM;  // the window looks ahead further
                std::string library;
                ASSERT_EQ(LibraryFormat(text, records, encoding, 8, &library), FORMAT_DONE);
                // Small parts: every part is a window, ending anywhere.
                const Streamed s = Stream(LUMO_FORMAT, Options(&records, encoding, 8), text, &random,
                                          preset == 1 ? 300000 : 3000);
                ASSERT_EQ(s.result, LUMO_OK);
                ASSERT_TRUE(SameBytes(s.output, library)) << "head '" << head << "', preset " << preset
                                             << (encoding == LUMO_CP932 ? ", sjis" : ", utf-8");
            }
        }
    }
}

// A NUL byte was reported only after its whole line had been read, so a
// stream of NUL bytes was never reported. Now the feed that carries it
// fails, with the characters before it on its line counted, also across
// the windows of a long line and its bytes that are not UTF-8.
TEST(FormerBugs, ANulByteIsReportedByTheFeedThatCarriesIt) {
    lumo_options o;
    lumo_options_init(&o);
    Streamed s;
    lumo_stream *stream = lumo_stream_new(LUMO_FORMAT, &o, Collect, &s, nullptr);
    lumo_error err;
    const std::string zeros(1 << 16, '\0');
    EXPECT_EQ(lumo_stream_feed(stream, zeros.data(), zeros.size(), &err), LUMO_ERR_NUL);
    EXPECT_EQ(err.line, 1u);
    EXPECT_EQ(err.column, 1u);
    lumo_stream_free(stream);

    for (lumo_encoding encoding : {LUMO_UTF8, LUMO_CP932}) {
        std::string long_line;
        unsigned long long characters = 0;
        for (; long_line.size() < (size_t{3} << 20); characters += 4) {
            long_line += encoding == LUMO_UTF8 ? "あa\xff" "b" : "\x82\xa0" "a\x80" "b";
        }
        o.encoding = encoding;
        Streamed t;
        stream = lumo_stream_new(LUMO_FORMAT, &o, Collect, &t, nullptr);
        const std::string text = "first\n" + long_line;
        for (size_t at = 0; at < text.size(); at += 100000) {
            ASSERT_EQ(lumo_stream_feed(stream, text.data() + at, std::min<size_t>(100000, text.size() - at), &err),
                      LUMO_OK);
        }
        EXPECT_EQ(lumo_stream_feed(stream, "x\0", 2, &err), LUMO_ERR_NUL);
        EXPECT_EQ(err.line, 2u);
        EXPECT_EQ(err.column, characters + 2);
        lumo_stream_free(stream);
    }
}

// The characters before a NUL in a long code page 932 line are counted 64
// bytes at a time; trail bytes that are lead bytes themselves (0x81 0x81,
// 0x9F 0x9F), runs of them cut by every block end, and a lone lead byte
// last before the NUL still count as the walk from character to character.
TEST(FormerBugs, ANulInALongCodePage932LineHasTheColumnOfTheCharactersBeforeIt) {
    std::mt19937 random(41);
    static const char *const kChars[] = {"\x81\x81", "\x9F\x9F", "\x88\x9F", "\xE0\x40", "\xFC\xFC", "a", "\xB1", " "};
    for (int round = 0; round < 6; ++round) {
        std::string line;
        unsigned long long characters = 0;
        while (line.size() < (size_t{1} << 20) + 5000) {
            line += kChars[random() % std::size(kChars)];
            ++characters;
        }
        if (round % 2 == 1) {
            line += "\x82";  // a lead byte with nothing behind it but the NUL
            ++characters;
        }
        lumo_options o;
        lumo_options_init(&o);
        o.encoding = LUMO_CP932;
        Streamed s;
        lumo_stream *stream = lumo_stream_new(LUMO_FORMAT, &o, Collect, &s, nullptr);
        lumo_error err;
        for (size_t at = 0; at < line.size();) {
            const size_t part = std::min<size_t>(1 + random() % 70000, line.size() - at);
            ASSERT_EQ(lumo_stream_feed(stream, line.data() + at, part, &err), LUMO_OK);
            at += part;
        }
        EXPECT_EQ(lumo_stream_feed(stream, "\0", 1, &err), LUMO_ERR_NUL);
        EXPECT_EQ(err.line, 1u);
        EXPECT_EQ(err.column, characters + 1) << "round " << round;
        lumo_stream_free(stream);
    }
}

// A text whose last line had no line end got one when it had more than
// one line, so that folding changed an already folded file.
TEST(FormerBugs, ALastLineWithoutALineEndStaysWithout) {
    std::mt19937 random(2);
    lumo_options o;
    lumo_options_init(&o);
    o.fold = 10;
    for (const char *text : {"あいう\nえお", "あいう\r\nえおかきくけこさしす", "ab\rcdefghijklmnopq", "abc"}) {
        const Streamed once = Stream(LUMO_FORMAT, o, text, &random, 0);
        EXPECT_NE(once.output.back(), '\n') << text;
        EXPECT_NE(once.output.back(), '\r') << text;
        // Folding what is folded changes nothing.
        EXPECT_EQ(Stream(LUMO_FORMAT, o, once.output, &random, 3).output, once.output) << text;
    }
}

#ifndef _WIN32
// The Windows tool took Shift-JIS's lead bytes from the system's code page,
// so on a system whose code page is not 932 a Shift-JIS text was cut inside
// its characters. The library's own API reads code page 932 as code page
// 932 whatever the system's code page is.
TEST(FormerBugs, ShiftJisIsReadWithCodePage932sLeadBytesOnAnySystem) {
    // 表 and ソ end in a backslash, 日本語 has lead bytes that 1252 lacks.
    const std::string text = "\x95\x5C\x83\x5C\x93\xFA\x96\x7B\x8C\xEA\x82\xCC\x95\xB6\x8F\xCD\x82\xC5\x82\xB7\x81\x42\n";
    lumo_options o;
    lumo_options_init(&o);
    o.encoding = LUMO_CP932;
    o.fold = 7;
    const auto fold = [&] {
        char *out = nullptr;
        size_t n = 0;
        lumo_error error;
        EXPECT_EQ(lumo_format(text.data(), text.size(), &o, &out, &n, &error), 0);
        std::string folded(out, n);
        lumo_free(out);
        return folded;
    };
    const std::string on932 = fold();
    EXPECT_EQ(on932.find('\n'), 6u);  // three two-byte characters, whole
    for (const uint32_t code_page : {1252u, 65001u}) {
        lumo::platform::SetAnsiCodePageStandIn(code_page);
        EXPECT_EQ(fold(), on932) << "code page " << code_page;
        lumo::platform::SetAnsiCodePageStandIn(0);
    }
}
#endif

}  // namespace
}  // namespace lumo_engine_test
