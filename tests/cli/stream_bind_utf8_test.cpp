// Binding UTF-8 text as it is: on texts that code page 932 holds it gives
// exactly the UTF-8 form of binding their Shift-JIS form; characters that
// code page 932 lacks and bytes that are not UTF-8 are bound like the
// characters of their width and kept; and bind undoes the library's UTF-8
// folding. Only where the build has the Unicode tables.
#ifdef LUMOTEXT_UNICODE
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "bind_blocks.h"
#include "formatter.h"
#include "stream_support.h"
#include "utf8_settings.h"

namespace lumo::cli {
namespace {

// The settings records in UTF-8, as the tool hands them to a UTF-8 text.
FormatSettings InUtf8(FormatSettings settings) {
    std::string error;
    const std::unique_ptr<Cp932Codec> codec = Cp932Codec::Open(&error);
    std::vector<std::string> cut;
    ConvertRecordsToUtf8(&settings.indent, &settings.fold, &settings.header, codec.get(), &cut);
    EXPECT_TRUE(cut.empty()) << cut.front();
    return settings;
}

BindRules Rules(int32_t preset, uint32_t fold, bool whole, bool utf8) {
    BindRules rules;
    const FormatSettings settings = SettingsFromPreset(preset, fold == 0 ? 70 : fold, 8);
    rules.indent = utf8 ? InUtf8(settings).indent : settings.indent;
    rules.fold = fold;
    rules.whole = whole;
    rules.utf8 = utf8;
    return rules;
}

// Pieces end behind a line end, as the reader cuts them; a block runs on
// from one to the next in the same binder.
std::string BindInPieces(const std::string &text, const BindRules &rules, std::mt19937 *random) {
    BlockBinder binder(rules);
    std::string out;
    size_t at = 0;
    while (at < text.size()) {
        size_t end = std::min(text.size(), at + 1 + (*random)() % 40);
        while (end < text.size() && text[end - 1] != '\n' && text[end - 1] != '\r') ++end;
        if (end < text.size() && text[end - 1] == '\r' && text[end] == '\n') ++end;
        binder.Add(text.substr(at, end - at), &out);
        at = end;
    }
    binder.Finish(&out);
    return out;
}

std::string Cp932Bound(const std::string &utf8, int32_t preset, uint32_t fold, bool whole, std::mt19937 *random) {
    return testing::ToUtf8(BindInPieces(testing::ToCp932(utf8), Rules(preset, fold, whole, false), random));
}

std::string Utf8Bound(const std::string &utf8, int32_t preset, uint32_t fold, bool whole, std::mt19937 *random) {
    return BindInPieces(utf8, Rules(preset, fold, whole, true), random);
}

// Folded by the tool's code page 932 formatter, in UTF-8.
std::string Folded(const std::string &utf8, int32_t preset, uint32_t fold) {
    FormatSettings settings = SettingsFromPreset(preset, fold, 8);
    std::string output, error;
    EXPECT_TRUE(FormatText(testing::ToCp932(utf8), &settings, &output, &error)) << error;
    return testing::ToUtf8(output);
}

TEST(StreamBindUtf8, GivesWhatShiftJisGivesOnTextThatBothHold) {
    std::mt19937 random(17);
    for (int round = 0; round < 400; ++round) {
        const auto preset = static_cast<int32_t>(random() % 3);
        const bool whole = random() % 5 == 0;
        const uint32_t fold = whole || random() % 3 == 0 ? 0 : static_cast<uint32_t>(10 + random() % 40);
        std::string doc = testing::RandomDocument(&random, 1 + random() % 12);
        if (fold != 0 && random() % 2 == 0) doc = Folded(doc, preset, fold);  // blocks as folding makes them
        ASSERT_EQ(Utf8Bound(doc, preset, fold, whole, &random), Cp932Bound(doc, preset, fold, whole, &random))
            << "round " << round << ", preset " << preset << ", fold " << fold << ", whole " << whole << "\n"
            << doc;
    }
}

// Characters that code page 932 lacks (or holds only as a look-alike) in
// place of ones of the same width and role, none of them a mark that any
// rule reads: binding the text with them is binding it without them, with
// them put back. The stray byte is one column, as a half-width kana.
const std::pair<std::string, std::string> kStandIns[] = {
    {"星", "\xF0\x9F\x98\x80"},          // an emoji
    {"員", "\xE3\x80\x9C"},              // U+301C, which converts only to U+FF5E
    {"あ", "\xE3\x81\x8B\xE3\x82\x9A"},  // か with a combining semi-voiced mark
    {"ｶ", "\xFF"},                       // a byte that is not UTF-8
};

std::string Replaced(std::string text, bool to_stand_ins) {
    for (const auto &[held, lacking] : kStandIns) {
        const std::string &from = to_stand_ins ? held : lacking;
        const std::string &to = to_stand_ins ? lacking : held;
        for (size_t at = 0; (at = text.find(from, at)) != std::string::npos; at += to.size()) {
            text.replace(at, from.size(), to);
        }
    }
    return text;
}

TEST(StreamBindUtf8, CharactersThatShiftJisLacksBindAsTheirWidthAndAreKept) {
    std::mt19937 random(23);
    for (int round = 0; round < 400; ++round) {
        const auto preset = static_cast<int32_t>(random() % 3);
        const bool whole = random() % 5 == 0;
        const uint32_t fold = whole || random() % 3 == 0 ? 0 : static_cast<uint32_t>(10 + random() % 40);
        std::string doc = testing::RandomDocument(&random, 1 + random() % 12);
        if (fold != 0 && random() % 2 == 0) doc = Folded(doc, preset, fold);
        const std::string bound = Utf8Bound(Replaced(doc, true), preset, fold, whole, &random);
        ASSERT_EQ(Replaced(bound, false), Utf8Bound(doc, preset, fold, whole, &random))
            << "round " << round << ", preset " << preset << ", fold " << fold << ", whole " << whole << "\n"
            << doc;
    }
}

// What the library's UTF-8 formatter folded at a column, bind at that
// column gives back, emoji and all.
std::string Utf8Folded(const std::string &doc, const FormatSettings &utf8_settings) {
    FormatSettings settings = utf8_settings;
    std::vector<char> out(doc.size() * 8 + 4096);
    FormatRequest request{24, doc.c_str(), out.data(), static_cast<uint32_t>(out.size()), 8, 80};
    EXPECT_EQ(LumoMultiLinesUtf8(&request, &settings.indent, &settings.fold, &settings.header), FORMAT_DONE);
    return out.data();
}

TEST(StreamBindUtf8, BindAtTheFoldColumnGivesBackWhatUtf8FormatFolded) {
    static const char *const kWords[] = {"星空", "観察会", "を", "今年も", "\xF0\x9F\x8C\x9F", "します", "。",
                                         "、", "望遠鏡", "20cm", "の", "\xF0\x9F\xAA\x90", "環", "（赤い）",
                                         "「案内」", "\xE3\x80\x9C"};
    std::mt19937 random(29);
    for (int round = 0; round < 300; ++round) {
        auto sentence = [&](size_t words) {
            std::string text;
            for (size_t i = 0; i < words; ++i) text += kWords[random() % std::size(kWords)];
            return text;
        };
        // Paragraphs and lists whose every block end is plain.
        std::string doc;
        for (size_t b = 0, blocks = 1 + random() % 5; b < blocks; ++b) {
            if (random() % 2 == 0) {
                for (size_t i = 0, items = 1 + random() % 3; i < items; ++i) {
                    doc += "・" + sentence(2 + random() % 25) + "\n";
                }
            } else {
                doc += (random() % 2 == 0 ? "　" : "") + sentence(2 + random() % 40) + "\n";
            }
            if (b + 1 < blocks) doc += "\n";
        }
        const auto preset = static_cast<int32_t>(random() % 3);
        const auto fold = static_cast<uint32_t>(20 + random() % 81);
        const std::string folded = Utf8Folded(doc, InUtf8(SettingsFromPreset(preset, fold, 8)));
        ASSERT_EQ(BindInPieces(folded, Rules(preset, fold, false, true), &random), doc)
            << "round " << round << ", preset " << preset << ", fold " << fold << "\n" << folded;
    }
}

// A block made as folding makes one, of characters of every kind: the
// binder must find it one block and join it as the library's UTF-8 binding
// joins it, blanks that carry combining marks included.
TEST(StreamBindUtf8, OneBlockIsJoinedAsTheLibraryJoinsIt) {
    static const char *const kHeads[] = {"", "・", "1. ", "> ", "#", "係員　", "　", "* ", "😀"};
    static const char *const kBits[] = {"あ", "星", "。", "😀", "word", "12", "（", "）", "\xFF", " ",
                                        "　", "e\xCC\x81", " \xCC\x81", "\xE3\x80\x9C", "\t"};
    static const char *const kEnds[] = {"\n", "\r\n", "\r"};
    std::mt19937 random(31);
    for (int round = 0; round < 500; ++round) {
        const auto preset = static_cast<int32_t>(random() % 3);
        BindRules rules = Rules(preset, 0, false, true);
        // Blanks at a line's head make it an indented line of its own unless
        // the settings do not indent; then they are only taken off.
        const bool blanks = random() % 3 == 0;
        if (blanks) rules.indent.styles &= ~STYLE_INDENT;
        auto content = [&] {
            std::string text = "星";  // a line of the block never begins with a blank or a mark
            for (size_t i = random() % 12; i > 0; --i) text += kBits[random() % std::size(kBits)];
            return text;
        };
        const char *end = kEnds[random() % std::size(kEnds)];
        const std::string first = kHeads[random() % std::size(kHeads)] + content();
        LineJob job{};
        job.record_size = LINE_JOB_SIZE;
        job.text = first.c_str();
        IndentSettings copy = rules.indent;
        ASSERT_EQ(BindLinesUtf8(&job, &copy), 0);  // no output: the prefix only
        if ((rules.indent.sub_styles & SUB_KEEP_QUOTED) && (job.flags & LINE_QUOTED)) continue;
        std::string block = first + end;
        for (size_t i = random() % 4; i > 0; --i) {
            block += job.prefix + std::string(blanks ? " \xCC\x81　\t " : "") + content() + end;
        }
        if (random() % 3 == 0) block.resize(block.size() - std::strlen(end));

        BindRules whole = rules;
        whole.whole = true;
        std::mt19937 cuts(round);
        const std::string expected = BindInPieces(block, whole, &cuts);  // the library's binding
        BlockBinder binder(rules);
        std::string bound;
        binder.Add(block, &bound);
        binder.Finish(&bound);
        ASSERT_EQ(bound, expected) << "round " << round << ", preset " << preset << "\n" << block;
    }
}

// Where blocks end in UTF-8 text, one row a case: the folded text at fold 10
// (preset 2) and what binding makes of it.
TEST(StreamBindUtf8, BlockEnds) {
    struct Row {
        const char *what;
        const char *folded;
        const char *bound;
    } rows[] = {
        {"emoji are two columns: a full line runs on", "😀😀😀😀😀\n😀😀\n", "😀😀😀😀😀😀😀\n"},
        {"emoji are two columns: a short line ends its block", "😀😀😀😀\n😀😀\n", "😀😀😀😀\n😀😀\n"},
        {"a combining mark takes no column", "か\xE3\x82\x9Aいうえお\nかき\n", "か\xE3\x82\x9Aいうえおかき\n"},
        {"a stray byte is one column", "\xFF\xFFいうえお\nかき\n", "\xFF\xFFいうえおかき\n"},
        {"a quotation's prefix is taken off", "> 😀いうえ\n> おか\n", "> 😀いうえおか\n"},
        {"an item's continuation indent is taken off", "・😀いうえ\n　おか\n", "・😀いうえおか\n"},
        {"U+3000 indents a paragraph", "😀いうえお\n　かき\n", "😀いうえお\n　かき\n"},
        {"CR LF blocks keep CR LF", "😀いうえお\r\nかき\r\n", "😀いうえおかき\r\n"},
        {"no final line end", "😀いうえお\nかき", "😀いうえおかき"},
    };
    for (const Row &row : rows) {
        BlockBinder binder(Rules(2, 10, false, true));
        std::string out;
        binder.Add(row.folded, &out);
        binder.Finish(&out);
        EXPECT_EQ(out, row.bound) << row.what;
    }
}

}  // namespace
}  // namespace lumo::cli
#endif
