// The block-end decisions read a head the way classification does: the
// flags and prefix that BlockEnds opens a block with are ClassifyLine's for
// random heads of the characters that classification takes (blanks, indent
// strings, quotation, emphasis and item marks, names, words) under random
// styles, line after line, so that the heads it learns or does not read at
// all are checked against the classifier itself.
#include "paragraph/block_end.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "settings/presets.h"
#include "text/word_class.h"

namespace {

// Pieces of heads, in code page 932.
const char *const kBits[] = {
    " ",    " ",    "  ",   "\x81\x40", ">",    "|",    "\x81\x74", "#",     "\x81\x45", "*",  "-",
    "1",    "12",   "a",    "Z",        ".",    ")",    "\x81\x44", "\x82\xA0", "\x90\xAF", "\x88\xEA",
    "word", "\t",   "::",   "\x87\x40", "(",    "\x82\x60", "x",    "\xB1",     "\x81\x69", "name "};

std::string RandomHead(std::mt19937 *random) {
    std::string head;
    const size_t spaces = (*random)() % 3 == 0 ? (*random)() % 40 : 0;
    head.append(spaces, ' ');
    const size_t bits = (*random)() % 8;
    for (size_t i = 0; i < bits; ++i) head += kBits[(*random)() % std::size(kBits)];
    if ((*random)() % 2 == 0) head += "\x96\x7B\x95\xB6";  // a word of kanji behind
    return head;
}

TEST(BlockEndsHeads, OpenClassifiesAsClassifyLine) {
    const lumo::CodePage cp = lumo::CodePage::Cp932();
    std::mt19937 random(53);
    for (int round = 0; round < 300; ++round) {
        IndentSettings indent{};
        FoldSettings fold{};
        lumo::FillIndentPreset(&indent, static_cast<int32_t>(random() % 3));
        lumo::FillFoldPreset(&fold, 0);
        // Random styles and sub-styles, the fixed column and names among them.
        indent.styles = (indent.styles & ~0xFFu) | static_cast<uint32_t>(random() & 0xFFu) | STYLE_INDENT;
        if (random() % 4 == 0) indent.styles &= ~STYLE_INDENT;
        indent.sub_styles = (indent.sub_styles & ~0x7Fu) | static_cast<uint32_t>(random() & 0x7Fu);
        indent.fixed_indent_column = static_cast<uint32_t>(random() % 300);
        if (random() % 2 == 0) std::strcpy(indent.indent_string[random() % 4], random() % 2 ? "::" : "  *");
        const lumo::ClassifyTables tables(cp, indent);
        const lumo::CharTable head_set(cp, fold.chars_not_for_head);
        const lumo::CharTable tail_set(cp, fold.chars_not_for_tail);
        const lumo::WordBytes words(fold);
        const lumo::BlockRules rules{cp, indent, tables, head_set, tail_set, words, 20, 0, 8, nullptr};
        lumo::BlockEnds ends(rules);
        IndentSettings scratch = indent;
        for (int line = 0; line < 40; ++line) {
            const std::string head = RandomHead(&random);
            SCOPED_TRACE("round " + std::to_string(round) + ", head \"" + head + "\"");
            const lumo::BlockLine block{head.c_str(), head.c_str() + head.size(), head.c_str(), nullptr};
            if (random() % 2 == 0) ends.Starts(block);  // as binding asks before it opens
            ASSERT_TRUE(ends.Open(block));
            LineJob job{};
            job.record_size = LINE_JOB_SIZE;
            job.text = head.c_str();
            const char *prefix = lumo::ClassifyLine(cp, &job, &scratch, &tables);
            EXPECT_EQ(ends.flags(), job.flags);
            EXPECT_EQ(std::string(ends.prefix_bytes(), ends.prefix_bytes_length()),
                      prefix != nullptr ? std::string(prefix) : std::string());
            ends.Pass(block);
        }
    }
}

}  // namespace
