// The UTF-8 entries against an inaccessible page: LumoMultiLinesUtf8 writes
// nothing at or past any capacity and reads nothing outside its text, a
// truncated character right before the guard included; BindLinesUtf8 writes
// at most the text and its NUL; UTF-8 set fields full to the last byte, a
// character cut by the field's end, are read no further.
#if defined(LUMOTEXT_UNICODE) && !defined(_WIN32)  // Lumotext.dll has no UTF-8 exports
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "lumotext.h"
#include "reliability/guarded_block.h"
#include "settings/presets.h"
#include "support/fold_settings.h"

namespace {

using lumo_test::FillWithoutNul;
using lumo_test::GuardedBlock;
using lumo_test::Place;
using Guard = GuardedBlock::Guard;

constexpr Guard kGuards[] = {Guard::kAfter, Guard::kBefore};

struct Records {
    IndentSettings indent{};
    FoldSettings fold{};
    HeaderSettings header{};
};

Records Utf8Preset(uint32_t foldnum) {
    Records r;
    lumo::FillIndentPreset(&r.indent, 2);
    lumo::FillFoldPreset(&r.fold, 2);
    lumo::FillHeaderPreset(&r.header, 0);
    lumo_fold::SetField(r.indent.chars_for_sole_itemize, u8"・*-");
    lumo_fold::SetField(r.indent.chars_for_quote, u8">|》｜");
    lumo_fold::SetField(r.fold.chars_not_for_head, u8"、。）」〜");
    lumo_fold::SetField(r.fold.chars_not_for_tail, u8"（「");
    r.fold.foldnum = foldnum;
    return r;
}

const std::vector<std::string> &Texts() {
    static const std::vector<std::string> texts = {
        u8"・持ち物：防寒着、懐中電灯（赤いセロハン👍🏽を貼ったもの）、お持ちの方は双眼鏡🇯🇵\n",
        u8"> 引用か\u3099続きます〜と\r\n> 続きます\r\n",
        "ab\xE3\x81",          // a character cut by the end of the text
        "\xF0\x9F\x91\x8D\xCC",  // an emoji and half a combining mark
        u8"Le café est bon, très bon\n\u200b\n",
        "",
    };
    return texts;
}

std::string FormatAmply(const std::string &text, Records r) {
    std::vector<char> out(text.size() * 300 + 64);
    FormatRequest request{FORMAT_REQUEST_SIZE, text.c_str(), out.data(), static_cast<uint32_t>(out.size()), 8, 80};
    EXPECT_EQ(LumoMultiLinesUtf8(&request, &r.indent, &r.fold, &r.header), FORMAT_DONE);
    return out.data();
}

TEST(GuardPagesUtf8, FormattingStaysInsideEveryCapacity) {
    const Records records = Utf8Preset(12);
    for (const std::string &text : Texts()) {
        const std::string reference = FormatAmply(text, records);
        const auto length = static_cast<uint32_t>(reference.size());
        for (const Guard source_guard : kGuards) {
            GuardedBlock source = GuardedBlock::Text(text, source_guard);
            for (uint32_t capacity = 0; capacity <= length + 2; ++capacity) {
                SCOPED_TRACE("capacity " + std::to_string(capacity));
                GuardedBlock output(capacity, Guard::kAfter);
                Records r = records;
                FormatRequest request{FORMAT_REQUEST_SIZE, source.data(), output.data(), capacity, 8, 80};
                const int32_t code = LumoMultiLinesUtf8(&request, &r.indent, &r.fold, &r.header);
                if (capacity > length) {
                    ASSERT_EQ(code, FORMAT_DONE);
                    ASSERT_EQ(std::string(output.data()), reference);
                } else {
                    ASSERT_EQ(code, FORMAT_OUTPUT_TOO_SMALL);
                }
            }
        }
    }
}

TEST(GuardPagesUtf8, BindingWritesAtMostTheTextAndItsNul) {
    const Records records = Utf8Preset(12);
    for (const std::string &text : Texts()) {
        for (const Guard guard : kGuards) {
            GuardedBlock block = GuardedBlock::Text(text, guard);
            GuardedBlock output(text.size() + 1, Guard::kAfter);
            LineJob job{LINE_JOB_SIZE, block.data(), output.data(), 0, NEWLINE_LF, 0, {}};
            IndentSettings indent = records.indent;
            EXPECT_EQ(BindLinesUtf8(&job, &indent), 0);
        }
    }
}

// The set fields are filled with three-byte characters, the last one cut by
// the field's end.
TEST(GuardPagesUtf8, RecordsAreNotReadBeyondTheirEnds) {
    Records r = Utf8Preset(12);
    r.indent.styles |= STYLE_INDENT_STRINGS;
    FillWithoutNul(r.indent.indent_string[9], u8"　");
    FillWithoutNul(r.indent.chars_for_itemize_end, u8"〜");
    FillWithoutNul(r.fold.chars_for_wordwrap, u8"é");
    FillWithoutNul(r.header.headerdelimiter, "-");
    const std::string text = Texts()[0];
    const std::string reference = FormatAmply(text, r);
    for (const Guard guard : kGuards) {
        GuardedBlock indent_block(sizeof r.indent, guard);
        GuardedBlock fold_block(sizeof r.fold, guard);
        GuardedBlock header_block(sizeof r.header, guard);
        std::vector<char> output(reference.size() + 1);
        FormatRequest request{FORMAT_REQUEST_SIZE, text.c_str(), output.data(),
                              static_cast<uint32_t>(output.size()), 8, 80};
        EXPECT_EQ(LumoMultiLinesUtf8(&request, Place(&indent_block, r.indent), Place(&fold_block, r.fold),
                                     Place(&header_block, r.header)),
                  FORMAT_DONE);
        EXPECT_EQ(std::string(output.data()), reference);
        LineJob job{LINE_JOB_SIZE, text.c_str(), output.data(), 0, NEWLINE_LF, 0, {}};
        EXPECT_EQ(BindLinesUtf8(&job, Place(&indent_block, r.indent)), 0);
    }
}

}  // namespace
#endif
