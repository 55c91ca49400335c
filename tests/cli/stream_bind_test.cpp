// Binding block by block: pieces of any size give what one piece gives (a
// block runs on from piece to piece), and binding at the fold column gives
// back random documents that format folded, whenever a block's end is plain:
// paragraphs and items as long lines, with empty lines between paragraphs.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>

#include "bind_blocks.h"
#include "formatter.h"
#include "paragraph/bind.h"
#include "stream_pipeline.h"
#include "text/text.h"
#include "stream_support.h"

namespace lumo::cli {
namespace {

std::string BindInPieces(const std::string &cp932, const BindRules &rules, std::mt19937 *random) {
    BlockBinder binder(rules);
    std::string out;
    size_t at = 0;
    while (at < cp932.size()) {
        // Pieces end behind a line end, as the reader cuts them.
        size_t end = std::min(cp932.size(), at + 1 + (*random)() % 40);
        while (end < cp932.size() && cp932[end - 1] != '\n' && cp932[end - 1] != '\r') ++end;
        if (end < cp932.size() && cp932[end - 1] == '\r' && cp932[end] == '\n') ++end;
        binder.Add(cp932.substr(at, end - at), &out);
        at = end;
    }
    binder.Finish(&out);
    return out;
}

std::string Fold(const std::string &cp932, FormatSettings settings) {
    std::string output, error;
    EXPECT_TRUE(FormatText(cp932, &settings, &output, &error)) << error;
    return output;
}

TEST(StreamBind, PiecesOfAnySizeGiveWhatOnePieceGives) {
    std::mt19937 random(11);
    for (int round = 0; round < 300; ++round) {
        const std::string cp932 = testing::ToCp932(testing::RandomDocument(&random, 1 + random() % 10));
        BindRules rules;
        rules.indent = SettingsFromPreset(static_cast<int32_t>(random() % 3), 70, 8).indent;
        rules.fold = random() % 2 == 0 ? 0 : static_cast<uint32_t>(10 + random() % 40);
        rules.whole = random() % 5 == 0;
        BlockBinder whole(rules);
        std::string expected;
        whole.Add(cp932, &expected);
        whole.Finish(&expected);
        ASSERT_EQ(BindInPieces(cp932, rules, &random), expected) << "round " << round;
    }
}

// Through the pipeline on two workers, pieces cut behind empty lines where
// they can and carried on from one to the next where they cannot: the same
// as one binder over the whole text.
TEST(StreamBind, TwoWorkersGiveWhatOneBinderGives) {
    std::mt19937 random(3);
    for (int round = 0; round < 300; ++round) {
        const std::string cp932 = testing::ToCp932(testing::RandomDocument(&random, 1 + random() % 14));
        BindRules rules;
        rules.indent = SettingsFromPreset(static_cast<int32_t>(random() % 3), 70, 8).indent;
        rules.fold = random() % 2 == 0 ? 0 : static_cast<uint32_t>(10 + random() % 40);
        BlockBinder whole(rules);
        std::string expected;
        whole.Add(cp932, &expected);
        whole.Finish(&expected);

        StreamJob job;
        job.reader.piece_bytes = 1 + random() % 48;
        job.reader.encoding = Encoding::kShiftJis;
        job.reader.block_ends = true;
        std::vector<PieceTransform> transforms;
        for (int worker = 0; worker < 2; ++worker) {
            auto binder = std::make_shared<BlockBinder>(rules);
            transforms.push_back([binder](const Piece &piece, PieceOutput *out) {
                binder->Restart(piece.continues ? *static_cast<const BinderState *>(piece.carried.get())
                                                : BinderState());
                binder->Add(piece.bytes, &out->bytes);
                if (piece.last || !piece.runs_on) {
                    binder->Finish(&out->bytes);
                } else {
                    out->carry = std::make_shared<BinderState>(binder->state());
                }
                return true;
            });
        }
        std::string streamed;
        testing::MemorySink sink(&streamed);
        const int status = StreamText(std::make_unique<testing::MemorySource>(cp932, round, 1 + random() % 9),
                                      &sink, job, std::move(transforms), stderr);
        ASSERT_EQ(status, 0);
        ASSERT_EQ(streamed, expected) << "round " << round;
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
        const IndentSettings indent = SettingsFromPreset(preset, 70, 8).indent;
        auto content = [&] {
            std::string text = "星";  // a line of the block never begins with a blank or a mark
            for (size_t i = random() % 12; i > 0; --i) text += kBits[random() % std::size(kBits)];
            return testing::ToCp932(text);
        };
        const char *end = kEnds[random() % std::size(kEnds)];
        std::string first = testing::ToCp932(kHeads[random() % std::size(kHeads)]) + content();
        LineJob job{};
        job.record_size = LINE_JOB_SIZE;
        job.text = first.c_str();
        IndentSettings copy = indent;
        Bind(&job, &copy);  // no output: the prefix only
        // Quoted lines that the settings keep are never folded: each is a
        // block of its own, which the table below checks.
        if ((indent.sub_styles & SUB_KEEP_QUOTED) && (job.flags & LINE_QUOTED)) continue;
        std::string block = first + end;
        for (size_t i = random() % 4; i > 0; --i) block += job.prefix + content() + end;
        if (random() % 3 == 0) block.resize(block.size() - std::strlen(end));

        BindRules rules;
        rules.indent = indent;
        BlockBinder binder(rules);
        std::string bound;
        binder.Add(block, &bound);
        binder.Finish(&bound);
        std::string expected = block;
        LineJob whole{};
        whole.record_size = LINE_JOB_SIZE;
        whole.text = block.c_str();
        whole.output = expected.data();
        whole.capacity = static_cast<uint32_t>(expected.size() + 1);
        whole.newline = NewlineKindOf(block.c_str());
        copy = indent;
        Bind(&whole, &copy);
        ASSERT_EQ(testing::ToUtf8(bound), testing::ToUtf8(expected.c_str()))
            << "round " << round << ", preset " << preset << "\n" << testing::ToUtf8(block);
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
        const std::string doc = testing::ToCp932(PlainDocument(&random));
        const auto preset = static_cast<int32_t>(random() % 3);
        const auto fold = static_cast<uint32_t>(20 + random() % 81);
        BindRules rules;
        rules.indent = SettingsFromPreset(preset, fold, 8).indent;
        rules.fold = fold;
        const std::string folded = Fold(doc, SettingsFromPreset(preset, fold, 8));
        ASSERT_EQ(testing::ToUtf8(BindInPieces(folded, rules, &random)), testing::ToUtf8(doc))
            << "round " << round << ", preset " << preset << ", fold " << fold << "\n"
            << testing::ToUtf8(folded);
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
    };
    for (const Row &row : rows) {
        BindRules rules;
        rules.indent = SettingsFromPreset(2, 10, 8).indent;
        rules.fold = 10;
        BlockBinder binder(rules);
        std::string out;
        binder.Add(testing::ToCp932(row.folded), &out);
        binder.Finish(&out);
        EXPECT_EQ(testing::ToUtf8(out), row.bound) << row.what;
    }
}

}  // namespace
}  // namespace lumo::cli
