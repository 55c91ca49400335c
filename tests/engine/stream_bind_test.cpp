// The streaming binder: parts of any size give what one part gives; one
// block made as folding makes one is joined as the library's BindLines joins
// it; with whole, the text is BindLines's; binding at the fold column gives
// back documents whose block ends are plain; Shift-JIS and UTF-8 agree; and
// a table of where blocks end.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>

#include "engine/engine_support.h"

namespace lumo_engine_test {
namespace {

// Options that bind as lines folded by the classic rules are bound.
lumo_options BindOptions(int32_t preset, unsigned fold, lumo_encoding encoding = LUMO_UTF8) {
    lumo_options o;
    lumo_options_init(&o);
    o.rules = LUMO_RULES_CLASSIC;
    o.preset = preset;
    o.fold = fold;
    o.encoding = encoding;
    return o;
}

// What BindLines makes of the whole text (code page 932).
std::string LibraryBind(const std::string &cp932, int32_t preset) {
    IndentSettings indent{};
    lumo::FillIndentPreset(&indent, preset);
    std::string out = cp932;
    LineJob job{};
    job.record_size = LINE_JOB_SIZE;
    job.text = cp932.c_str();
    job.output = out.data();
    job.capacity = static_cast<uint32_t>(out.size() + 1);
    job.newline = lumo::NewlineKindOf(cp932.c_str());
    BindLines(&job, &indent);
    return out.c_str();
}

TEST(StreamBind, PartsOfAnySizeGiveWhatOnePartGives) {
    std::mt19937 random(11);
    for (int round = 0; round < 600; ++round) {
        const std::string text = RandomDocument(&random, 1 + random() % 10);
        lumo_options o = BindOptions(static_cast<int32_t>(random() % 3),
                                     random() % 2 == 0 ? 0 : static_cast<unsigned>(10 + random() % 40));
        o.whole = random() % 5 == 0;
        const Streamed all = Stream(LUMO_BIND, o, text, &random, 0);
        const Streamed parts = Stream(LUMO_BIND, o, text, &random, 1 + random() % 40);
        ASSERT_EQ(all.result, LUMO_OK);
        ASSERT_EQ(parts.output, all.output) << "round " << round;
    }
}

TEST(StreamBind, WholeIsTheLibrarysBinding) {
    std::mt19937 random(2);
    for (int round = 0; round < 400; ++round) {
        const std::string utf8 = RandomDocument(&random, 1 + random() % 10);
        const auto preset = static_cast<int32_t>(random() % 3);
        lumo_options o = BindOptions(preset, 0, LUMO_CP932);
        o.whole = 1;
        const std::string cp932 = Cp932Of(utf8);
        ASSERT_EQ(Stream(LUMO_BIND, o, cp932, &random, 1 + random() % 30).output, LibraryBind(cp932, preset))
            << "round " << round;
    }
}

TEST(StreamBind, ShiftJisAndUtf8GiveTheSameLines) {
    std::mt19937 random(4);
    for (int round = 0; round < 400; ++round) {
        const std::string utf8 = RandomDocument(&random, 1 + random() % 10);
        lumo_options o = BindOptions(static_cast<int32_t>(random() % 3),
                                     random() % 2 == 0 ? 0 : static_cast<unsigned>(10 + random() % 40));
        o.whole = random() % 4 == 0;
        const Streamed u = Stream(LUMO_BIND, o, utf8, &random, 1 + random() % 20);
        o.encoding = LUMO_CP932;
        const Streamed s = Stream(LUMO_BIND, o, Cp932Of(utf8), &random, 1 + random() % 20);
        ASSERT_EQ(Cp932Of(u.output), s.output) << "round " << round;
    }
}

// A block made as folding makes one: a first line with any head, then lines
// that begin with its continuation prefix. The binder must find it one block
// and join it as the library's binding joins it.
TEST(StreamBind, OneBlockIsJoinedAsTheLibraryJoinsIt) {
    static const char *const kHeads[] = {"", "・", "1. ", "> ", "#", "係員　", "　", "* "};
    static const char *const kBits[] = {"あ", "星", "。", "、", "word", "12", "（", "）", "ｶﾅ", " ", "　"};
    static const char *const kEnds[] = {"\n", "\r\n", "\r"};
    std::mt19937 random(5);
    for (int round = 0; round < 500; ++round) {
        const auto preset = static_cast<int32_t>(random() % 3);
        IndentSettings indent{};
        lumo::FillIndentPreset(&indent, preset);
        auto content = [&] {
            std::string text = "星";  // a line of the block never begins with a blank or a mark
            for (size_t i = random() % 12; i > 0; --i) text += kBits[random() % std::size(kBits)];
            return Cp932Of(text);
        };
        const char *end = kEnds[random() % std::size(kEnds)];
        const std::string first = Cp932Of(kHeads[random() % std::size(kHeads)]) + content();
        LineJob job{};
        job.record_size = LINE_JOB_SIZE;
        job.text = first.c_str();
        IndentSettings copy = indent;
        BindLines(&job, &copy);  // no output: the prefix only
        // Quoted lines that the settings keep are never folded: each is a
        // block of its own, which the table below checks.
        if ((indent.sub_styles & SUB_KEEP_QUOTED) && (job.flags & LINE_QUOTED)) continue;
        std::string block = first + end;
        for (size_t i = random() % 4; i > 0; --i) block += job.prefix + content() + end;
        if (random() % 3 == 0) block.resize(block.size() - std::strlen(end));
        const Streamed bound = Stream(LUMO_BIND, BindOptions(preset, 0, LUMO_CP932), block, &random, 0);
        ASSERT_EQ(Utf8(bound.output), Utf8(LibraryBind(block, preset)))
            << "round " << round << ", preset " << preset << "\n" << Utf8(block);
    }
}

// A document whose every block end is plain: paragraphs (indented or not)
// and lists of items, an empty line after each paragraph and list.
std::string PlainDocument(std::mt19937 *random) {
    static const char *const kWords[] = {"星空", "観察会", "を", "今年も", "開催", "します", "。", "、",
                                         "望遠鏡", "20cm", "の", "土星", "環", "（赤い）", "「案内」"};
    auto sentence = [&](size_t words) {
        std::string text;
        for (size_t i = 0; i < words; ++i) text += kWords[(*random)() % std::size(kWords)];
        return text;
    };
    std::string doc;
    const size_t blocks = 1 + (*random)() % 5;
    for (size_t b = 0; b < blocks; ++b) {
        if ((*random)() % 2 == 0) {
            const size_t items = 1 + (*random)() % 3;
            for (size_t i = 0; i < items; ++i) doc += "・" + sentence(2 + (*random)() % 25) + "\n";
        } else {
            doc += ((*random)() % 2 == 0 ? "　" : "") + sentence(2 + (*random)() % 40) + "\n";
        }
        if (b + 1 < blocks) doc += "\n";
    }
    return doc;
}

TEST(StreamBind, BindAtTheFoldColumnGivesBackWhatFormatFolded) {
    std::mt19937 random(7);
    for (int round = 0; round < 300; ++round) {
        const std::string doc = PlainDocument(&random);
        const auto preset = static_cast<int32_t>(random() % 3);
        const auto fold = static_cast<unsigned>(20 + random() % 81);
        lumo_options o = BindOptions(preset, fold);
        const Streamed folded = Stream(LUMO_FORMAT, o, doc, &random, 0);
        ASSERT_EQ(Stream(LUMO_BIND, o, folded.output, &random, 1 + random() % 30).output, doc)
            << "round " << round << ", preset " << preset << ", fold " << fold << "\n" << folded.output;
    }
}

// Where blocks end, one table row a case: the folded text at fold 10 and what
// binding makes of it.
TEST(StreamBind, BlockEnds) {
    struct Row {
        const char *what;
        const char *folded;
        const char *bound;
    } rows[] = {
        {"an empty line is a block of its own", "あいうえお\nかき\n\nくけ\n", "あいうえおかき\n\nくけ\n"},
        {"a new item mark starts a block", "・あいうえ\n　おかき\n・くけ\n", "・あいうえおかき\n・くけ\n"},
        {"a line that stopped short ends its block", "あいう\nえお\n", "あいう\nえお\n"},
        {"a full line runs on", "あいうえお\nかき\n", "あいうえおかき\n"},
        {"a quotation mark of the block's own runs on", "> あいうえ\n> おか\n", "> あいうえおか\n"},
        {"an indent starts a paragraph", "あいうえお\n　かき\n", "あいうえお\n　かき\n"},
        {"CR LF blocks keep CR LF", "あいうえお\r\nかき\r\n", "あいうえおかき\r\n"},
        {"no final line end", "あいうえお\nかき", "あいうえおかき"},
        {"a word that would have fitted ends the block", "abc de\nfgh\n", "abc de\nfgh\n"},
        {"a word longer than the rest of the line runs on", "abc de fg\nhijklmnop\n", "abc de fghijklmnop\n"},
        {"a closing mark with its character would not have fitted", "あいうえ\nお。\n", "あいうえお。\n"},
        {"a byte order mark stays apart", "\xEF\xBB\xBFあいうえお\nかき\n", "\xEF\xBB\xBFあいうえおかき\n"},
    };
    std::mt19937 random(1);
    for (const Row &row : rows) {
        for (size_t part : {0, 1, 2, 5}) {
            EXPECT_EQ(Stream(LUMO_BIND, BindOptions(2, 10), row.folded, &random, part).output, row.bound)
                << row.what << ", part " << part;
        }
    }
}

// Where a block ends follows the settings' own sets and word limit: a
// character the settings let begin a line, and a word longer than the
// settings keep whole, would have gone to the next line alone.
TEST(StreamBind, BlockEndsFollowTheSettingsSets) {
    LumoRecords records = PresetRecords(2, 10);
    // 。 may begin a line under these settings, so "お。" is not one unit.
    std::strcpy(records.fold.chars_not_for_head, "");
    lumo_options o;
    lumo_options_init(&o);
    o.rules = LUMO_RULES_CLASSIC;
    o.records = &records;
    o.fold = 10;
    std::mt19937 random(1);
    EXPECT_EQ(Stream(LUMO_BIND, o, "あいうえ\nお。\n", &random, 0).output, "あいうえ\nお。\n");
    // Words of up to maxmove_leftwise letters are kept whole: a longer one
    // would have been cut, its start fitting behind the line before.
    records = PresetRecords(2, 10);
    EXPECT_EQ(Stream(LUMO_BIND, o, "abc de\nfghij\n", &random, 0).output, "abc defghij\n");
    records.fold.maxmove_leftwise = 3;
    EXPECT_EQ(Stream(LUMO_BIND, o, "abc de\nfghij\n", &random, 0).output, "abc de\nfghij\n");
}

}  // namespace
}  // namespace lumo_engine_test
