// Texts that code page 932 cannot hold, folded as a Japanese reader expects:
// emoji sequences, flags and combining marks stay whole and two columns
// wide, accented Latin words wrap whole, and a variant that input methods
// type (〜, ¢) is kept off the line head as its code page 932 partner is.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "lumotext.h"
#include "settings/presets.h"
#include "support/fold_settings.h"
#include "support/utf8.h"

namespace {

std::string Format(const std::string &text, uint32_t foldnum, const std::string &extra_head = "") {
    IndentSettings indent{};
    FoldSettings fold{};
    HeaderSettings header{};
    lumo::FillIndentPreset(&indent, 2);
    lumo::FillFoldPreset(&fold, 2);
    lumo::FillHeaderPreset(&header, 0);
    indent.styles = 0;  // no continuation prefixes: the breaks are what is tested
    fold.foldnum = foldnum;
    // The presets are code page 932; a UTF-8 call takes UTF-8 sets.
    std::string head = u8"、。）」？！ー々";
    head += extra_head;
    lumo_fold::SetField(fold.chars_not_for_head, head);
    std::vector<char> out(text.size() * 4 + 64);
    FormatRequest request{24, text.c_str(), out.data(), static_cast<uint32_t>(out.size()), 8, 80};
    EXPECT_EQ(lumo_test::FormatUtf8(&request, &indent, &fold, &header), FORMAT_DONE);
    return out.data();
}

TEST(Utf8MixedText, ClustersWidthsAndPartners) {
    struct Row {
        const char *name;
        std::string text;
        uint32_t fold;
        std::string head;
        std::string expected;
    };
    const std::vector<Row> rows = {
        {"emoji with a skin tone is one two-column character", u8"あいうえ👍🏽お\n", 10, "",
         u8"あいうえ👍🏽\nお\n"},
        {"a ZWJ sequence is one character", u8"あいうえ👨‍👩‍👧お\n", 10, "", u8"あいうえ👨‍👩‍👧\nお\n"},
        {"a flag is one character", u8"あいうえ🇯🇵お\n", 10, "", u8"あいうえ🇯🇵\nお\n"},
        {"a variation selector stays with its base", u8"あいう☀️えお\n", 8, "", u8"あいう☀️\nえお\n"},
        {"a combining dakuten stays with its kana", u8"あいうか\u3099え\n", 7, "", u8"あいうか\u3099\nえ\n"},
        {"a kana and its dakuten are taken whole at the fold column", u8"あいうか\u3099え\n", 8, "",
         u8"あいうか\u3099\nえ\n"},
        {"the wave dash 〜 is kept off the line head like ～", u8"あいうえ〜\n", 8, u8"～", u8"あいう\nえ〜\n"},
        {"～ itself", u8"あいうえ～\n", 8, u8"～", u8"あいう\nえ～\n"},
        {"¢ is kept off the line head like ￠", u8"あいうえ¢\n", 8, u8"￠", u8"あいう\nえ¢\n"},
        {"without the partner in the set it may begin a line", u8"あいうえ〜\n", 8, "", u8"あいうえ\n〜\n"},
        {"an accented word wraps whole", u8"Le café est bon\n", 6, "", u8"Le \ncafé \nest \nbon\n"},
        {"a decomposed accent too", u8"Le cafe\u0301 est bon\n", 6, "", u8"Le \ncafe\u0301 \nest \nbon\n"},
        {"ambiguous ○ is two columns, é one", u8"○○○éé x\n", 8, "", u8"○○○éé \nx\n"},
        {"a zero-width space adds nothing", u8"あい\u200bうえお\n", 8, "", u8"あい\u200bうえ\nお\n"},
        {"a byte that is not UTF-8 is one column, kept", "ab\xff\xfe" "cdef\n", 4, "", "ab\xff\xfe\ncdef\n"},
        {"an overlong form of § is three bytes of one column", "x\xE0\x82\xA7y\n", 3, "", "x\xE0\x82\n\xA7y\n"},
        {"a surrogate's form is three bytes of one column", "x\xED\xA0\x80y\n", 3, "", "x\xED\xA0\n\x80y\n"},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(Format(row.text, row.fold, row.head), row.expected);
    }
}

}  // namespace
