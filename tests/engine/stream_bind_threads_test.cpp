// Binding on workers: a text longer than many pieces, fed in random parts
// and bound on two threads, gives what one thread gives with the whole text
// in one part, for documents of every kind of line (empty lines, header
// blocks, items, quotations, indents), in UTF-8 and code page 932, with
// every kind of line end, by the Japanese and the classic rules; two such
// binds at once give what each gives alone; a NUL far into a text is found
// at the same place with the same output before it. Former bugs last.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <thread>

#include "engine/engine_support.h"

namespace lumo_engine_test {
namespace {

struct Case {
    lumo_options options;
    std::string folded;  // what binding reads
};

// A random document of about lines lines, folded as format folds it.
Case FoldedCase(std::mt19937 *random, size_t lines, bool empty_lines = true) {
    Case c;
    lumo_options_init(&c.options);
    c.options.preset = static_cast<int32_t>((*random)() % 3);
    c.options.fold = static_cast<unsigned>(16 + (*random)() % 60);
    c.options.encoding = (*random)() % 2 == 0 ? LUMO_UTF8 : LUMO_CP932;
    c.options.rules = (*random)() % 2 == 0 ? LUMO_RULES_NORMAL : LUMO_RULES_CLASSIC;
    std::string text = RandomDocument(random, lines);
    if (!empty_lines) {
        // No line is empty: the text never shows where a block surely begins.
        for (size_t at = 0; (at = text.find("\n\n", at)) != std::string::npos;) text.insert(at + 1, "x");
        for (size_t at = 0; (at = text.find("\r\r", at)) != std::string::npos;) text.insert(at + 1, "x");
        for (size_t at = 0; (at = text.find("\n\r", at)) != std::string::npos;) text.insert(at + 1, "x");
        if (text.compare(0, 1, "\n") == 0 || text.compare(0, 1, "\r") == 0) text.insert(0, "x");
    }
    if (c.options.encoding == LUMO_CP932) text = Cp932Of(text);
    std::mt19937 unused(0);
    const Streamed folded = Stream(LUMO_FORMAT, c.options, text, &unused, 0);
    EXPECT_EQ(folded.result, LUMO_OK);
    c.folded = folded.output;
    return c;
}

Streamed Bind(const Case &c, unsigned threads, std::mt19937 *random, size_t max_part) {
    lumo_options o = c.options;
    o.threads = threads;
    return Stream(LUMO_BIND, o, c.folded, random, max_part);
}

std::string Describe(const Case &c) {
    return std::string(c.options.encoding == LUMO_UTF8 ? "UTF-8" : "CP932") + ", preset " +
           std::to_string(c.options.preset) + ", fold " + std::to_string(c.options.fold) +
           (c.options.rules == LUMO_RULES_CLASSIC ? ", classic" : ", normal") + ", " +
           std::to_string(c.folded.size()) + " bytes";
}

TEST(StreamBindThreads, TwoThreadsGiveWhatOneGives) {
    std::mt19937 random(29);
    for (int round = 0; round < 8; ++round) {
        const Case c = FoldedCase(&random, 4000 + random() % 12000);
        SCOPED_TRACE(Describe(c) + ", round " + std::to_string(round));
        const Streamed one = Bind(c, 1, &random, 0);
        ASSERT_EQ(one.result, LUMO_OK);
        // Parts of up to a few pieces, then of a few lines.
        for (const size_t max_part : {size_t{600000}, size_t{90000}, size_t{3000}}) {
            const Streamed two = Bind(c, 2, &random, max_part);
            ASSERT_EQ(two.result, LUMO_OK);
            ASSERT_TRUE(SameBytes(two.output, one.output)) << "parts up to " << max_part;
        }
        const Streamed all_at_once = Bind(c, 2, &random, 0);
        ASSERT_TRUE(SameBytes(all_at_once.output, one.output));
        const Streamed one_in_parts = Bind(c, 1, &random, 90000);
        ASSERT_TRUE(SameBytes(one_in_parts.output, one.output));
    }
}

TEST(StreamBindThreads, TwoBindsAtOnceGiveWhatEachGivesAlone) {
    std::mt19937 random(37);
    const Case a = FoldedCase(&random, 12000);
    const Case b = FoldedCase(&random, 12000);
    std::mt19937 random_a(1), random_b(2);
    const std::string alone_a = Bind(a, 1, &random_a, 0).output;
    const std::string alone_b = Bind(b, 1, &random_b, 0).output;
    Streamed at_once_a, at_once_b;
    std::thread other([&] { at_once_a = Bind(a, 2, &random_a, 400000); });
    at_once_b = Bind(b, 2, &random_b, 400000);
    other.join();
    EXPECT_TRUE(SameBytes(at_once_a.output, alone_a));
    EXPECT_TRUE(SameBytes(at_once_b.output, alone_b));
}

TEST(StreamBindThreads, ANulFarIntoTheTextIsFoundWhereOneThreadFindsIt) {
    std::mt19937 random(41);
    for (int round = 0; round < 3; ++round) {
        Case c = FoldedCase(&random, 8000);
        c.folded.insert(c.folded.size() / 2 + random() % 1000, 1, '\0');
        SCOPED_TRACE(Describe(c));
        const Streamed one = Bind(c, 1, &random, 0);
        const Streamed two = Bind(c, 2, &random, 300000);
        ASSERT_EQ(one.result, LUMO_ERR_NUL);
        ASSERT_EQ(two.result, LUMO_ERR_NUL);
        EXPECT_EQ(two.error.line, one.error.line);
        EXPECT_EQ(two.error.column, one.error.column);
        EXPECT_TRUE(SameBytes(two.output, one.output));
    }
}

// Former bugs.

// The binder, going on here at the start of a block, once stopped there
// again at once, for ever.
TEST(StreamBindThreadsFormerBugs, ATextWithoutEmptyLinesIsBoundAsOneThreadBindsIt) {
    std::mt19937 random(31);
    for (int round = 0; round < 2; ++round) {
        const Case c = FoldedCase(&random, 20000, false);
        SCOPED_TRACE(Describe(c));
        const Streamed one = Bind(c, 1, &random, 0);
        const Streamed two = Bind(c, 2, &random, 700000);
        ASSERT_EQ(two.result, LUMO_OK);
        ASSERT_TRUE(SameBytes(two.output, one.output));
    }
}

// The search for where a piece may end once looked for an LF behind every
// line ended by CR alone, through the rest of the text.
TEST(StreamBindThreadsFormerBugs, LinesEndedByCrAloneAreBoundAsOneThreadBindsThem) {
    std::mt19937 random(43);
    Case c = FoldedCase(&random, 12000);
    for (char &byte : c.folded) {
        if (byte == '\n') byte = '\r';
    }
    SCOPED_TRACE(Describe(c));
    const Streamed one = Bind(c, 1, &random, 0);
    const Streamed two = Bind(c, 2, &random, 500000);
    ASSERT_EQ(two.result, LUMO_OK);
    ASSERT_TRUE(SameBytes(two.output, one.output));
}

}  // namespace
}  // namespace lumo_engine_test
