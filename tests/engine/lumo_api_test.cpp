// The C API as a program meets it: defaults, options checked, slots,
// errors with their places, the sink stopping a stream, the one-call forms
// against streams, and what a stream refuses once it has ended.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>

#include "engine/engine_support.h"

namespace lumo_engine_test {
namespace {

TEST(LumoApi, DefaultsArePreset2Fold70Tab8Utf8) {
    lumo_options o;
    std::memset(&o, 0x5A, sizeof o);
    lumo_options_init(&o);
    EXPECT_EQ(o.size, sizeof o);
    EXPECT_EQ(o.preset, 2);
    EXPECT_EQ(o.slot, -1);
    EXPECT_EQ(o.fold, 70u);
    EXPECT_EQ(o.tab, 8u);
    EXPECT_EQ(o.encoding, LUMO_UTF8);
    EXPECT_EQ(o.ambiguous, LUMO_AMBIGUOUS_CP932);
    EXPECT_EQ(o.records, nullptr);
    EXPECT_EQ(o.threads, 1u);
    EXPECT_EQ(o.rules, LUMO_RULES_NORMAL);
    EXPECT_EQ(o.hang, 0);
    // The defaults fold as preset 2's records at 70 columns do.
    const std::string text = "・持ち物：防寒着、懐中電灯（赤いセロハンを貼ったものがおすすめです）、お持ちの方は双眼鏡\n"
                             "その日は晴れるでしょう。その日は晴れるでしょう。その日は晴れるでしょう。\n";
    char *out = nullptr;
    size_t n = 0;
    lumo_error err;
    ASSERT_EQ(lumo_format(text.data(), text.size(), &o, &out, &n, &err), LUMO_OK);
    EXPECT_EQ(out[n], '\0');
    const LumoRecords preset2 = PresetRecords(2, 70);
    lumo_options explicit_options = Options(&preset2, LUMO_UTF8, 8);
    explicit_options.rules = LUMO_RULES_NORMAL;
    std::mt19937 random(1);
    EXPECT_EQ(std::string(out, n), Stream(LUMO_FORMAT, explicit_options, text, &random, 0).output);
    lumo_free(out);
}

TEST(LumoApi, OptionsOutOfRangeAreRefusedByName) {
    const struct {
        const char *what;
        void (*change)(lumo_options *);
    } rows[] = {
        {"preset 3", [](lumo_options *o) { o->preset = 3; }},
        {"slot 11", [](lumo_options *o) { o->slot = 11; }},
        {"fold 0 with a preset", [](lumo_options *o) { o->fold = 0; }},
        {"fold 65536", [](lumo_options *o) { o->fold = 65536; }},
        {"tab 256", [](lumo_options *o) { o->tab = 256; }},
        {"encoding 2", [](lumo_options *o) { std::memset(&o->encoding, 2, 1); }},
        {"ambiguous 3", [](lumo_options *o) { o->ambiguous = static_cast<lumo_ambiguous>(3); }},
        {"size 0: never initialised", [](lumo_options *o) { o->size = 0; }},
    };
    for (const auto &row : rows) {
        lumo_options o;
        lumo_options_init(&o);
        row.change(&o);
        char *out = reinterpret_cast<char *>(1);
        size_t n = 5;
        lumo_error err;
        EXPECT_EQ(lumo_format("a\n", 2, &o, &out, &n, &err), LUMO_ERR_OPTIONS) << row.what;
        EXPECT_EQ(err.code, LUMO_ERR_OPTIONS) << row.what;
        EXPECT_NE(err.message[0], '\0') << row.what;
        EXPECT_EQ(out, nullptr) << row.what;
        EXPECT_EQ(n, 0u) << row.what;
    }
    // bind takes fold 0: the column the text was folded at is not known.
    lumo_options o;
    lumo_options_init(&o);
    o.fold = 0;
    char *out = nullptr;
    ASSERT_EQ(lumo_bind("a\nb\n", 4, &o, &out, nullptr, nullptr), LUMO_OK);
    lumo_free(out);
}

// A caller built against an older header passes a smaller record: the
// fields it knew are read, the others keep their defaults.
TEST(LumoApi, AShorterOptionsRecordTakesDefaultsForTheRest) {
    lumo_options o;
    lumo_options_init(&o);
    o.rules = LUMO_RULES_CLASSIC;  // beyond the size given: not read either
    o.fold = 10;
    o.size = offsetof(lumo_options, tab);
    o.tab = 200;  // beyond the size given: not read
    char *out = nullptr;
    size_t n = 0;
    const std::string text = "\tあいうえおかきくけこ\n";
    ASSERT_EQ(lumo_format(text.data(), text.size(), &o, &out, &n, nullptr), LUMO_OK);
    const LumoRecords records = PresetRecords(2, 10);
    lumo_options full = Options(&records, LUMO_UTF8, 8);
    full.rules = LUMO_RULES_NORMAL;
    std::mt19937 random(1);
    EXPECT_EQ(std::string(out, n), Stream(LUMO_FORMAT, full, text, &random, 0).output);
    lumo_free(out);
}

TEST(LumoApi, NulIsReportedWithItsLineAndColumnByTheFeedThatCarriesIt) {
    const struct {
        const char *what;
        std::string text;
        lumo_encoding encoding;
        unsigned long long line, column;
    } rows[] = {
        {"first byte", std::string("\0abc", 4), LUMO_UTF8, 1, 1},
        {"first byte, code page 932", std::string("\0abc", 4), LUMO_CP932, 1, 1},
        {"behind a lead byte, code page 932", std::string("\x82\0", 2), LUMO_CP932, 1, 2},
        {"utf-8 columns are characters", std::string("one\ntwo\nth\xc3\xa9\0e\n", 15), LUMO_UTF8, 3, 4},
        {"shift-jis columns are characters", std::string("a\nb\n\x82\xa0" "c\0d\n", 9), LUMO_CP932, 3, 3},
        {"behind a CR", std::string("ab\r\0", 4), LUMO_UTF8, 2, 1},
        {"behind CR LF", std::string("ab\r\n\0", 5), LUMO_UTF8, 2, 1},
        {"columns after a byte order mark", std::string("\xEF\xBB\xBFx\0", 5), LUMO_UTF8, 1, 2},
        {"in a header block", std::string("件名\nb\0\n\nbody\n", 15), LUMO_UTF8, 2, 2},
    };
    for (const auto &row : rows) {
        for (int preset : {1, 2}) {
            SCOPED_TRACE(std::string(row.what) + ", preset " + std::to_string(preset));
            lumo_options o;
            lumo_options_init(&o);
            o.preset = preset;
            o.encoding = row.encoding;
            Streamed s;
            lumo_stream *stream = lumo_stream_new(LUMO_FORMAT, &o, Collect, &s, nullptr);
            ASSERT_NE(stream, nullptr);
            lumo_error err;
            // All in one part: the feed that carries the NUL fails.
            EXPECT_EQ(lumo_stream_feed(stream, row.text.data(), row.text.size(), &err), LUMO_ERR_NUL);
            EXPECT_EQ(err.line, row.line);
            EXPECT_EQ(err.column, row.column);
            EXPECT_EQ(lumo_stream_finish(stream, &err), LUMO_ERR_STATE);
            lumo_stream_free(stream);
        }
    }
}

TEST(LumoApi, StrictRefusesALineWhosePrefixFillsTheFoldColumn) {
    const std::string text = "ab\n1. あいうえおかきくけこ\ncd\n";
    lumo_options o;
    lumo_options_init(&o);
    o.fold = 3;
    Streamed warned;
    std::mt19937 random(1);
    warned = Stream(LUMO_FORMAT, o, text, &random, 0);
    EXPECT_EQ(warned.result, LUMO_OK);
    EXPECT_EQ(warned.warned, std::vector<unsigned long long>{2});
    o.strict = 1;
    const Streamed strict = Stream(LUMO_FORMAT, o, text, &random, 0);
    EXPECT_EQ(strict.result, LUMO_ERR_NO_COLUMN);
    EXPECT_EQ(strict.error.line, 2u);
    EXPECT_EQ(strict.output, "ab\n");  // the lines before it
}

TEST(LumoApi, ASinkThatFailsStopsTheStream) {
    lumo_options o;
    lumo_options_init(&o);
    int calls = 0;
    const auto refuse = [](void *context, const char *, size_t) {
        ++*static_cast<int *>(context);
        return 1;
    };
    lumo_stream *stream = lumo_stream_new(LUMO_FORMAT, &o, refuse, &calls, nullptr);
    lumo_error err;
    EXPECT_EQ(lumo_stream_feed(stream, "a\nb\n", 4, &err), LUMO_ERR_SINK);
    EXPECT_EQ(err.code, LUMO_ERR_SINK);
    EXPECT_EQ(lumo_stream_feed(stream, "c\n", 2, &err), LUMO_ERR_STATE);
    EXPECT_EQ(calls, 1);
    lumo_stream_free(stream);
}

TEST(LumoApi, NullArgumentsAreRefused) {
    lumo_options o;
    lumo_options_init(&o);
    lumo_error err;
    EXPECT_EQ(lumo_stream_new(LUMO_FORMAT, &o, nullptr, nullptr, &err), nullptr);
    EXPECT_EQ(err.code, LUMO_ERR_OPTIONS);
    lumo_mode wrong;
    std::memset(&wrong, 0, sizeof wrong);
    std::memset(&wrong, 9, 1);
    EXPECT_EQ(lumo_stream_new(wrong, &o, Collect, nullptr, &err), nullptr);
    EXPECT_EQ(lumo_format(nullptr, 3, &o, nullptr, nullptr, &err), LUMO_ERR_OPTIONS);
    EXPECT_EQ(lumo_stream_feed(nullptr, "a", 1, &err), LUMO_ERR_OPTIONS);
    lumo_stream_free(nullptr);
    lumo_free(nullptr);
    char *out = nullptr;
    EXPECT_EQ(lumo_format(nullptr, 0, nullptr, &out, nullptr, &err), LUMO_OK);  // NULL options: the defaults
    ASSERT_NE(out, nullptr);
    EXPECT_EQ(out[0], '\0');
    lumo_free(out);
}

TEST(LumoApi, OneCallGivesWhatAStreamGives) {
    std::mt19937 random(12);
    for (int round = 0; round < 200; ++round) {
        const std::string text = RandomDocument(&random, 1 + random() % 8);
        lumo_options o;
        lumo_options_init(&o);
        o.fold = static_cast<unsigned>(10 + random() % 40);
        o.preset = static_cast<int>(random() % 3);
        for (lumo_mode mode : {LUMO_FORMAT, LUMO_BIND}) {
            char *out = nullptr;
            size_t n = 0;
            const int result = mode == LUMO_FORMAT ? lumo_format(text.data(), text.size(), &o, &out, &n, nullptr)
                                                   : lumo_bind(text.data(), text.size(), &o, &out, &n, nullptr);
            ASSERT_EQ(result, LUMO_OK);
            ASSERT_EQ(std::string(out, n), Stream(mode, o, text, &random, 1 + random() % 9).output);
            lumo_free(out);
        }
    }
}

}  // namespace
}  // namespace lumo_engine_test
