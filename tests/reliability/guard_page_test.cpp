// Buffers against an inaccessible page: LumoMultiLines writes nothing at or
// past any capacity from 0 up, BindLines nothing past the text's length plus
// one, neither reads outside its text, records whose text fields run to
// their last byte are not read beyond their ends, and the clipboard commands
// read a text block without a NUL only within the block.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "text/text.h"
#include "lumotext.h"
#include "platform/clipboard.h"
#include "reliability/guarded_block.h"
#include "settings/presets.h"
#include "support/fold_settings.h"
#include "support/sjis.h"

namespace {

using lumo_test::FillWithoutNul;
using lumo_test::GuardedBlock;
using lumo_test::Place;
using lumo_test::Hex;
using lumo_test::Sjis;
using Guard = GuardedBlock::Guard;

constexpr Guard kGuards[] = {Guard::kAfter, Guard::kBefore};

const char *Name(Guard guard) { return guard == Guard::kAfter ? "guard after" : "guard before"; }

struct FormatCase {
    const char *name;
    std::string source;
    IndentSettings indent;
    FoldSettings fold;
    HeaderSettings header;
    uint32_t tab_width;
};

IndentSettings Preset(int32_t preset) {
    IndentSettings indent{};
    lumo::FillIndentPreset(&indent, preset);
    return indent;
}

std::vector<FormatCase> FormatCases() {
    using lumo_fold::Fold;
    return {
        {"itemised line folded under its mark",
         Sjis("・持ち物：防寒着、懐中電灯（赤いセロハンを貼ったものがおすすめです）、お持ちの方は双眼鏡\r\n"),
         Preset(2), Fold(20), lumo_fold::NoHeader(), 8},
        {"header block and a quoted line kept whole",
         Sjis("件名：お知らせ\r\n\r\n> 去年は土星の環がはっきり見えて、子どもたちが大喜びでした。\r\n本文です。"),
         Preset(1), Fold(16), lumo_fold::HeaderToEmptyLine(), 8},
        {"one line without terminator", "alpha beta gamma delta epsilon zeta eta theta iota kappa",
         lumo_fold::NoIndent(), Fold(10), lumo_fold::NoHeader(), 8},
        {"tabs", "\tA\tB\tC\tD\tE\tF\tG\r\n\t\t\t\t\n", lumo_fold::NoIndent(), Fold(12).Off(),
         lumo_fold::NoHeader(), 8},
        {"stray lead bytes before line ends and the NUL", "ab\x82\r\ncd\xE0\nxyzxyzxyzxyz\x81",
         Preset(2), Fold(3), lumo_fold::NoHeader(), 4},
        {"hanging past the column", Sjis("あいうえお。、」」」かきくけこ\r\n"), Preset(2),
         Fold(10).Wrap(WRAP_HANG | WRAP_ALNUM).Right(5), lumo_fold::NoHeader(), 8},
        {"paragraph of mixed terminators", "one\rtwo two two two\n\r\nthree three three\r\n",
         lumo_fold::FixedIndent(2), Fold(6).Off(), lumo_fold::NoHeader(), 8},
        {"a prefix that fills the fold column", "abcdefghijklmnopqrstuvwxyz\r\n",
         lumo_fold::FixedIndent(10), Fold(10), lumo_fold::NoHeader(), 8},
        {"the empty text", "", Preset(2), Fold(70), lumo_fold::NoHeader(), 8},
        {"a text that is all header", "Subject\r\nFrom\r\n\r\n", Preset(1), Fold(5),
         lumo_fold::HeaderToEmptyLine(), 8},
    };
}

struct Result {
    int32_t code;
    std::string output;
};

// The reference: ordinary memory and a buffer far larger than needed.
Result FormatAmply(const FormatCase &c) {
    std::vector<char> output(c.source.size() * 300 + 64, '\xBD');
    IndentSettings indent = c.indent;
    FoldSettings fold = c.fold;
    HeaderSettings header = c.header;
    FormatRequest request{FORMAT_REQUEST_SIZE, c.source.c_str(), output.data(),
                          static_cast<uint32_t>(output.size()), c.tab_width, 80};
    const int32_t code = LumoMultiLines(&request, &indent, &fold, &header);
    return Result{code, output.data()};
}

TEST(GuardPages, FormattingStaysInsideEveryCapacity) {
    for (const FormatCase &c : FormatCases()) {
        SCOPED_TRACE(c.name);
        const Result reference = FormatAmply(c);
        ASSERT_TRUE(reference.code == FORMAT_DONE || reference.code == FORMAT_NO_COLUMN)
            << "reference result " << reference.code;
        const auto length = static_cast<uint32_t>(reference.output.size());
        for (const Guard source_guard : kGuards) {
            GuardedBlock source = GuardedBlock::Text(c.source, source_guard);
            for (const Guard output_guard : kGuards) {
                for (uint32_t capacity = 0; capacity <= length + 2; ++capacity) {
                    SCOPED_TRACE("source " + std::string(Name(source_guard)) + ", output " +
                                 Name(output_guard) + ", capacity " + std::to_string(capacity));
                    GuardedBlock output(capacity, output_guard);
                    std::memset(output.data(), 0xBD, capacity);
                    IndentSettings indent = c.indent;
                    FoldSettings fold = c.fold;
                    HeaderSettings header = c.header;
                    FormatRequest request{FORMAT_REQUEST_SIZE, source.data(), output.data(), capacity,
                                          c.tab_width, 80};
                    const int32_t code = LumoMultiLines(&request, &indent, &fold, &header);
                    if (reference.code == FORMAT_NO_COLUMN) {
                        ASSERT_EQ(code, FORMAT_NO_COLUMN);
                    } else if (capacity > length) {
                        ASSERT_EQ(code, FORMAT_DONE);
                        ASSERT_EQ(std::string(output.data()), reference.output);
                    } else {
                        ASSERT_EQ(code, FORMAT_OUTPUT_TOO_SMALL);
                        if (capacity > 0) {
                            ASSERT_EQ(output.data()[0], '\0');
                        }
                    }
                }
            }
        }
    }
}

// A fold column of 0 is refused before anything is written, even into a
// buffer of no bytes at all.
TEST(GuardPages, FoldColumnZeroWritesNothing) {
    GuardedBlock output(0, Guard::kAfter);
    GuardedBlock source = GuardedBlock::Text("text", Guard::kAfter);
    IndentSettings indent = Preset(2);
    FoldSettings fold = lumo_fold::Fold(0);
    HeaderSettings header = lumo_fold::NoHeader();
    FormatRequest request{FORMAT_REQUEST_SIZE, source.data(), output.data(), 0, 8, 80};
    EXPECT_EQ(LumoMultiLines(&request, &indent, &fold, &header), FORMAT_FOLD_ZERO);
}

// The records and the request themselves against the guard, their last text
// fields full to the last byte: the library reads each field only up to its
// second-to-last byte and nothing beyond the record.
TEST(GuardPages, RecordsAreNotReadBeyondTheirEnds) {
    IndentSettings indent = Preset(2);
    indent.styles |= STYLE_INDENT_STRINGS;
    FillWithoutNul(indent.indent_string[9], "\x81\x40");  // full-width spaces
    indent.indent_string_property[9] = 0xFFFFFFFFu;
    FoldSettings fold = lumo_fold::Fold(12);
    FillWithoutNul(fold.chars_for_wordwrap, "\x81\x42");  // 。 bytes as word bytes
    fold.wraptype = WRAP_PUSH_OUT | WRAP_ALNUM_PLUS;
    HeaderSettings header{};
    header.record_size = HEADER_SETTINGS_SIZE;
    header.lumoheader = HEADER_NO_FORMAT | HEADER_DELIM_EXACT;
    FillWithoutNul(header.headerdelimiter, "-");
    const std::string delimiter_line(255, '-');
    const std::string text = "header line\r\n" + delimiter_line + "\r\n" +
                             Sjis("　　　全角の字下げがある段落の文章です。折り返します。\r\n");

    FormatCase plain{"", text, indent, fold, header, 8};
    const Result reference = FormatAmply(plain);
    ASSERT_EQ(reference.code, FORMAT_DONE);
    const size_t header_length = text.find(delimiter_line) + delimiter_line.size() + 2;
    ASSERT_EQ(reference.output.compare(0, header_length, text, 0, header_length), 0)
        << "the 255 bytes of the delimiter did not end the header";
    ASSERT_NE(reference.output.size(), text.size()) << "the body was not folded";

    for (const Guard guard : kGuards) {
        SCOPED_TRACE(Name(guard));
        GuardedBlock indent_block(sizeof indent, guard);
        GuardedBlock fold_block(sizeof fold, guard);
        GuardedBlock header_block(sizeof header, guard);
        GuardedBlock request_block(sizeof(FormatRequest), guard);
        GuardedBlock source = GuardedBlock::Text(text, guard);
        std::vector<char> output(reference.output.size() + 1, '\xBD');
        FormatRequest request{FORMAT_REQUEST_SIZE, source.data(), output.data(),
                              static_cast<uint32_t>(output.size()), 8, 80};
        FormatRequest *placed_request = Place(&request_block, request);
        EXPECT_EQ(LumoMultiLines(placed_request, Place(&indent_block, indent), Place(&fold_block, fold),
                                 Place(&header_block, header)),
                  FORMAT_DONE);
        EXPECT_EQ(std::string(output.data()), reference.output);
    }
}

struct BindCase {
    const char *name;
    std::string text;
    uint32_t newline;
    IndentSettings indent;
    std::string expected;  // empty: only compared with ordinary memory
};

std::vector<BindCase> BindCases() {
    IndentSettings strip_all = Preset(2);
    strip_all.sub_styles |= SUB_BLANK_TAB;
    return {
        {"paragraph with its final CR LF", Sjis("　AAA\r\nBBB\r\n"), NEWLINE_CRLF, Preset(2),
         Sjis("　AAABBB\r\n")},
        {"itemised block", Sjis("・項目の説明が\r\n　続きます"), NEWLINE_NONE, Preset(2),
         Sjis("・項目の説明が続きます")},
        {"quoted block", Sjis("> 引用文\n> の続き\n"), NEWLINE_LF, Preset(2), Sjis("> 引用文の続き\n")},
        {"line breaks only", "\r\n\r\n\n\r\r\n", NEWLINE_CRLF, Preset(2), "\r\n"},
        {"blanks and tabs stripped", "a\n \t\x81\x40 b\n\t\tc\r", NEWLINE_CR, strip_all, "abc\r"},
        {"stray lead bytes", "x\x81\r\n\x81\n\xE0", NEWLINE_LF, Preset(0), ""},
        {"the empty text", "", NEWLINE_CRLF, Preset(2), ""},
        {"a scenario name running past the line break", "Taro\r\nHanako  text\r\nmore\r\n",
         NEWLINE_CRLF, Preset(2), ""},
    };
}

TEST(GuardPages, BindingWritesAtMostTheTextAndItsNul) {
    for (BindCase c : BindCases()) {
        SCOPED_TRACE(c.name);
        if (std::string(c.name).find("scenario") != std::string::npos) {
            c.indent.styles = STYLE_INDENT | STYLE_SCENARIO | STYLE_STRIP_HEAD_SPACE;
        }
        std::vector<char> plain_output(c.text.size() + 1, '\xBD');
        LineJob plain{LINE_JOB_SIZE, c.text.c_str(), plain_output.data(), 0, c.newline, 0, {}};
        IndentSettings plain_indent = c.indent;
        ASSERT_EQ(BindLines(&plain, &plain_indent), 0);
        const std::string reference = plain_output.data();
        if (!c.expected.empty()) {
            EXPECT_EQ(Hex(reference), Hex(c.expected));
        }

        for (const Guard text_guard : kGuards) {
            for (const Guard output_guard : kGuards) {
                SCOPED_TRACE(std::string("text ") + Name(text_guard) + ", output " + Name(output_guard));
                GuardedBlock text = GuardedBlock::Text(c.text, text_guard);
                GuardedBlock output(c.text.size() + 1, output_guard);
                std::memset(output.data(), 0xBD, output.size());
                GuardedBlock job_block(sizeof(LineJob), output_guard);
                LineJob job{LINE_JOB_SIZE, text.data(), output.data(), 0, c.newline, 0, {}};
                IndentSettings indent = c.indent;
                EXPECT_EQ(BindLines(Place(&job_block, job), &indent), 0);
                EXPECT_EQ(Hex(output.data()), Hex(reference));
            }
        }
    }
}

// The clipboard's text block placed against the page, as a program that
// put its text there without a NUL may leave it. With the page behind the
// block, the first byte read past it faults.
TEST(GuardPages, ClipboardTextIsReadWithinItsBlock) {
    using lumo::platform::GetClipboardText;
    using lumo::platform::SetClipboardBlockOverride;
    using lumo::platform::SetClipboardText;
    const std::string page = [] {
        std::string text;
        while (text.size() < 4096) text += Sjis("・見出しの行が続きます、") + std::string(30, 'w') + "\r\n";
        text.resize(4096);
        return text;
    }();
    struct Row {
        const char *label;
        std::string block;
        std::string text;  // what the commands are to read
    };
    const Row rows[] = {
        {"1 byte without a NUL", "a", "a"},
        {"8 bytes without a NUL", "abcdefgh", "abcdefgh"},
        {"4,096 bytes without a NUL", page, page},
        {"a NUL in the middle: the bytes behind it are ignored", std::string("abc\r\ndef\0ghi", 12),
         "abc\r\ndef"},
        {"no bytes at all: the empty text", "", ""},
    };
    const std::string placeholder = "placeholder";
    for (const Row &row : rows) {
        SCOPED_TRACE(row.label);
        IndentSettings indent = Preset(2);
        FoldSettings fold = lumo_fold::Fold(20);
        HeaderSettings header = lumo_fold::NoHeader();
        const FormatCase reference_case{"", row.text, indent, fold, header, 8};
        const Result formatted = FormatAmply(reference_case);
        ASSERT_EQ(formatted.code, FORMAT_DONE);
        std::vector<char> bound(row.text.size() + 1, '\xBD');
        LineJob job{LINE_JOB_SIZE, row.text.c_str(), bound.data(), 0, lumo::NewlineKindOf(row.text.c_str()), 0, {}};
        IndentSettings bind_indent = indent;
        ASSERT_EQ(BindLines(&job, &bind_indent), 0);

        for (const Guard guard : kGuards) {
            SCOPED_TRACE(Name(guard));
            GuardedBlock block(row.block.size(), guard);
            std::memcpy(block.data(), row.block.data(), row.block.size());
            std::string text;

            SetClipboardText(placeholder);  // the clipboard announces text
            SetClipboardBlockOverride(block.data(), block.size());
            FormatRequest request{FORMAT_REQUEST_SIZE, nullptr, nullptr, 0, 8, 80};
            EXPECT_EQ(LumoClipBoard(&request, &indent, &fold, &header), 0);
            SetClipboardBlockOverride(nullptr, 0);
            ASSERT_TRUE(GetClipboardText(&text));
            EXPECT_EQ(Hex(text), Hex(formatted.output));

            SetClipboardText(placeholder);
            SetClipboardBlockOverride(block.data(), block.size());
            EXPECT_EQ(BindClipBoard(&indent), 0);
            SetClipboardBlockOverride(nullptr, 0);
            ASSERT_TRUE(GetClipboardText(&text));
            EXPECT_EQ(Hex(text), Hex(bound.data()));
        }
    }
}

}  // namespace
