// Line classification: the run scanner SpanChars and ClassifyLine's prefix and
// flags, as tables of vectors grouped by behaviour. Lines and prefixes are
// written in UTF-8 with ␣ for a half-width and □ for a full-width space and
// converted to Shift-JIS at run time; raw byte rows use escapes.
#include "paragraph/classify.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "support/preset_records.h"
#include "support/sjis.h"

namespace {

using lumo_test::ExactText;
using lumo_test::Hex;
using lumo_test::SjisMarked;

const lumo::CodePage &Cp() {
    static const lumo::CodePage cp;
    return cp;
}

constexpr uint32_t kQ = LINE_QUOTED;
constexpr uint32_t kE = LINE_EMPHASISED;
constexpr uint32_t kI = LINE_ITEMISED;

std::string M(const char *marked) { return SjisMarked(marked); }
std::string Sp(size_t n) { return std::string(n, ' '); }
std::string Rep(const std::string &s, size_t n) {
    std::string out;
    for (size_t i = 0; i < n; ++i) out += s;
    return out;
}

// ---- Settings --------------------------------------------------------------

// Settings start from preset 2 as written out by hand (its character sets);
// the row names the style words and whatever else differs.
struct Config {
    std::string label;
    uint32_t styles;
    uint32_t sub_styles;
    uint32_t fixed_indent_column = 0;
    std::vector<std::pair<int, std::string>> indent_strings = {};
    std::vector<std::pair<int, uint32_t>> properties = {};
    const char *quote_set = nullptr;  // raw bytes replacing the preset's quote marks
};

IndentSettings Build(const Config &s) {
    IndentSettings r = lumo_test::ExpectedIndentPreset(2);
    r.styles = s.styles;
    r.sub_styles = s.sub_styles;
    r.fixed_indent_column = s.fixed_indent_column;
    for (const auto &[k, bytes] : s.indent_strings) {
        std::memcpy(r.indent_string[k], bytes.data(), bytes.size());
        r.indent_string[k][bytes.size()] = '\0';
    }
    for (const auto &[k, bits] : s.properties) {
        r.indent_string_property[k] = bits;
    }
    if (s.quote_set != nullptr) {
        std::memset(r.chars_for_quote, 0, sizeof r.chars_for_quote);
        std::strcpy(r.chars_for_quote, s.quote_set);
    }
    return r;
}

constexpr uint32_t kP2Styles = lumo_test::kPresetScalars[2].styles;       // 0x800000B7
constexpr uint32_t kP2Sub = lumo_test::kPresetScalars[2].sub_styles;      // 0xC000000E

Config Preset2() { return {"preset 2", kP2Styles, kP2Sub}; }
Config Preset2Plain() {
    return {"preset 2 without SUB_ITEM_NO_PARAGRAPH and SUB_PARAGRAPH_WIDE_SPACE", kP2Styles,
            kP2Sub & ~(SUB_ITEM_NO_PARAGRAPH | SUB_PARAGRAPH_WIDE_SPACE)};
}
Config Styles(const char *label, uint32_t styles, uint32_t sub = 0) {
    return {label, styles, sub};
}
Config IndentOnly() { return Styles("STYLE_INDENT only", STYLE_INDENT); }
Config IndentParagraph() {
    return Styles("STYLE_INDENT and STYLE_PARAGRAPH only", STYLE_INDENT | STYLE_PARAGRAPH);
}
Config Scenario() {
    return Styles("STYLE_INDENT and STYLE_SCENARIO only", STYLE_INDENT | STYLE_SCENARIO);
}
Config NamedQuote() {
    return Styles("STYLE_INDENT, STYLE_QUOTE, SUB_NAMED_QUOTE", STYLE_INDENT | STYLE_QUOTE,
                  SUB_NAMED_QUOTE);
}
Config Fixed(const char *label, uint32_t column, uint32_t sub) {
    return {label, STYLE_INDENT | STYLE_FIXED_COLUMN, sub, column};
}
Config WithStrings(const char *label, uint32_t styles,
                  std::vector<std::pair<int, std::string>> strings,
                  std::vector<std::pair<int, uint32_t>> properties = {}) {
    Config s{label, styles, 0};
    s.indent_strings = std::move(strings);
    s.properties = std::move(properties);
    return s;
}

// ---- ClassifyLine rows -----------------------------------------------------

struct Row {
    std::string label;
    Config config;
    std::string line;    // Shift-JIS, as the formatter hands it over
    std::string prefix;  // Shift-JIS
    uint32_t flags;
    bool null_result = false;
    int64_t fixed_after = -1;  // fixed_indent_column afterwards; -1: unchanged
};

// A row whose line and prefix are marked UTF-8; the line is its own label.
Row R(const Config &config, const char *line, const char *prefix, uint32_t flags) {
    return {line, config, M(line), M(prefix), flags};
}

// A row of raw bytes, or of lines built at run time.
Row B(std::string label, const Config &config, std::string line, std::string prefix,
      uint32_t flags) {
    return {std::move(label), config, std::move(line), std::move(prefix), flags};
}

std::string Printable(const std::string &label) {
    std::string out;
    for (char c : label) {
        if (c == '\r') {
            out += "\\r";
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '\t') {
            out += "\\t";
        } else {
            out += c;
        }
    }
    return out;
}

void CheckRow(const Row &row) {
    IndentSettings settings = Build(row.config);
    IndentSettings settings_after = settings;
    if (row.fixed_after >= 0) {
        settings_after.fixed_indent_column = static_cast<uint32_t>(row.fixed_after);
    }

    ExactText text(row.line);
    char output_marker = 0;
    LineJob job;
    std::memset(&job, 0xBD, sizeof job);
    job.record_size = 280;
    job.text = text.c_str();
    job.output = &output_marker;
    job.capacity = 0x1234;
    job.newline = NEWLINE_CRLF;
    job.flags = 0xBDBDBDBDu;

    const char *result = lumo::ClassifyLine(Cp(), &job, &settings);

    if (row.null_result) {
        EXPECT_EQ(result, nullptr) << "STYLE_INDENT is clear";
    } else {
        EXPECT_EQ(result, job.prefix);
    }
    const void *nul = std::memchr(job.prefix, '\0', sizeof job.prefix);
    ASSERT_NE(nul, nullptr) << "prefix not NUL-terminated within its 256 bytes";
    std::string prefix(job.prefix);
    EXPECT_LE(prefix.size(), 255u);
    EXPECT_EQ(Hex(prefix), Hex(row.prefix))
        << "prefix of " << prefix.size() << " bytes, want " << row.prefix.size();
    EXPECT_EQ(job.flags, row.flags);

    EXPECT_EQ(job.record_size, 280u);
    EXPECT_EQ(job.text, text.c_str());
    EXPECT_EQ(job.output, &output_marker);
    EXPECT_EQ(job.capacity, 0x1234u);
    EXPECT_EQ(job.newline, NEWLINE_CRLF);
    EXPECT_EQ(std::string(text.c_str(), text.size()), row.line) << "the line was changed";
    EXPECT_EQ(settings.fixed_indent_column, settings_after.fixed_indent_column);
    EXPECT_EQ(std::memcmp(&settings, &settings_after, sizeof settings), 0)
        << "settings changed beyond the fixed column clamp";
}

void RunRows(const std::vector<Row> &rows) {
    for (const Row &row : rows) {
        SCOPED_TRACE("line \"" + Printable(row.label) + "\" (" + Hex(row.line) +
                     ") with " + row.config.label);
        CheckRow(row);
    }
}

// ---- The classification table ---------------------------------------------

TEST(ClassifyLine, ClassificationTable) {
    const Config p2 = Preset2();
    const Config plain = Preset2Plain();
    const Config para = IndentParagraph();
    const Config scen = Scenario();
    const Config p2scen = {"preset 2 plus STYLE_SCENARIO", kP2Styles | STYLE_SCENARIO, kP2Sub};
    const Config named = NamedQuote();
    const Config note = WithStrings("STYLE_INDENT, STYLE_INDENT_STRINGS; string 0 is ※ with "
                                   "INDSTR_NEED_BLANK",
                                   STYLE_INDENT | STYLE_INDENT_STRINGS, {{0, M("※")}},
                                   {{0, INDSTR_NEED_BLANK}});
    const Config source5 = Fixed("STYLE_FIXED_COLUMN, c = 5, SUB_FILL_SOURCE", 5, SUB_FILL_SOURCE);
    const Config wide5 = Fixed("STYLE_FIXED_COLUMN, c = 5, SUB_FILL_WIDE_SPACE", 5,
                              SUB_FILL_WIDE_SPACE);
    const Config half5 = Fixed("STYLE_FIXED_COLUMN, c = 5, neither fill bit", 5, 0);
    const std::string name31 = "abcdefghijklmnopqrstuvwxyzABCDE";
    const std::string name32 = name31 + "F";

    RunRows({
        R(p2, "・項目です\r\n", "□", kI),
        R(p2, "␣␣・項目\r\n", "␣␣□", kI),
        R(p2, "1.␣項目\r\n", "␣␣␣", kI),
        R(p2, "(1)␣項目\r\n", "␣␣␣␣", kI),
        R(p2, "1.項目\r\n", "", 0),
        R(p2, "Hello.␣World\r\n", "␣␣␣␣␣␣␣", kI),
        R(p2, ">␣>␣引用文\r\n", ">␣>␣", kQ),
        R(p2, "#␣見出し\r\n", "#␣", kE),
        R(p2, ">␣#␣強調\r\n", ">␣#␣", kQ | kE),
        R(p2, "□段落です。\r\n", "", 0),
        R(p2, "␣␣text\r\n", "␣␣", 0),
        R(p2, "□␣text\r\n", "␣", 0),
        R(p2, "\tabc\r\n", "", 0),
        R(p2, "\r\n", "", 0),
        R(p2, "\n", "", 0),
        R(p2, "\r", "", 0),
        R(p2, "", "", 0),
        R(plain, "␣␣・項目\r\n", "␣␣", kI),
        R(plain, "・項目\r\n", "", kI),
        R(plain, "1.␣項目\r\n", "␣", kI),
        R(para, "␣text\r\n", "␣", 0),
        R(para, "␣␣␣text\r\n", "␣", 0),
        R(para, "␣␣␣␣text\r\n", "␣␣", 0),
        R(para, "□□text\r\n", "□", 0),
        R(scen, "太郎□こんにちは\r\n", "□□□", 0),
        R(scen, "太郎「こんにちは」\r\n", "", 0),
        B("a 31-byte name, then a blank", scen, name31 + M("␣台詞です\r\n"), Sp(32), 0),
        B("a 32-byte name, then a blank", scen, name32 + M("␣台詞です\r\n"), "", 0),
        R(p2scen, "・項目\r\n", "", 0),
        R(named, "太郎>␣こんにちは\r\n", "太郎>␣", kQ),
        R(named, "a>b\r\n", "a>", kQ),
        R(named, "␣␣引用符のない行\r\n", "␣␣", 0),
        R(named, "引用符のない行\r\n", "", 0),
        R(note, "※注意\r\n", "", 0),
        R(note, "※␣注意\r\n", "□␣", 0),
        R(source5, "ab漢字xyz\r\n", "ab漢", 0),
        R(wide5, "ab漢字xyz\r\n", "□□␣", 0),
        R(half5, "ab漢字xyz\r\n", "␣␣␣␣␣", 0),
    });
}

// ---- Further behaviour at the edges ---------------------------------------

TEST(ClassifyLine, IndentClearGivesNullAndNothingElse) {
    Config all_but_indent = {"every bit but STYLE_INDENT, fixed column 300", ~STYLE_INDENT,
                            0xFFFFFFFFu, 300};
    Row fixed_untouched = R(all_but_indent, ">␣#␣1.␣項目\r\n", "", 0);
    fixed_untouched.null_result = true;
    fixed_untouched.fixed_after = 300;  // the clamp belongs to classification, which is off
    Row p2_off = R({"preset 2 without STYLE_INDENT", kP2Styles & ~STYLE_INDENT, kP2Sub},
                   "・項目\r\n", "", 0);
    p2_off.null_result = true;
    Row nothing = R({"no bits at all", 0, 0}, "␣␣text\r\n", "", 0);
    nothing.null_result = true;
    RunRows({fixed_untouched, p2_off, nothing});
}

TEST(ClassifyLine, FixedColumnAbove255IsLoweredInTheRecord) {
    Row half = B("fixed column 300, half-width fill", Fixed("c = 300, half", 300, 0),
                 Sp(10) + "text\r\n", Sp(255), 0);
    half.fixed_after = 255;
    Row wide = B("fixed column 300, full-width fill",
                 Fixed("c = 300, wide", 300, SUB_FILL_WIDE_SPACE), "text\r\n",
                 Rep(M("□"), 127) + " ", 0);
    wide.fixed_after = 255;
    Row source = B("fixed column 300, source fill", Fixed("c = 300, source", 300, SUB_FILL_SOURCE),
                   std::string(300, 'a') + "\r\n", std::string(255, 'a'), 0);
    source.fixed_after = 255;
    Row at255 = B("fixed column 255 stays", Fixed("c = 255, half", 255, 0), "x\r\n", Sp(255), 0);
    Row at256 = B("fixed column 256", Fixed("c = 256, half", 256, 0), "x\r\n", Sp(255), 0);
    at256.fixed_after = 255;
    Row huge = B("fixed column 0x80000000 compared unsigned",
                 Fixed("c = 0x80000000, half", 0x80000000u, 0), "x\r\n", Sp(255), 0);
    huge.fixed_after = 255;
    Row all = B("fixed column 0xFFFFFFFF", Fixed("c = 0xFFFFFFFF, half", 0xFFFFFFFFu, 0), "x\r\n",
                Sp(255), 0);
    all.fixed_after = 255;
    Row not_fixed = B("fixed column 300 without STYLE_FIXED_COLUMN is left alone",
                      {"STYLE_INDENT, c = 300", STYLE_INDENT, 0, 300}, M("␣␣x\r\n"), Sp(2), 0);
    not_fixed.fixed_after = 300;
    RunRows({half, wide, source, at255, at256, huge, all, not_fixed});
}

TEST(ClassifyLine, FixedColumnSecondCallFindsTheClampedValue) {
    IndentSettings settings = Build(Fixed("c = 300", 300, 0));
    ExactText text("abc\r\n");
    LineJob job{};
    job.text = text.c_str();
    lumo::ClassifyLine(Cp(), &job, &settings);
    ASSERT_EQ(settings.fixed_indent_column, 255u);
    lumo::ClassifyLine(Cp(), &job, &settings);
    EXPECT_EQ(settings.fixed_indent_column, 255u);
    EXPECT_EQ(std::string(job.prefix), Sp(255));
}

TEST(ClassifyLine, FixedColumnClassifiesNothing) {
    const Config quoted = {"preset 2 plus STYLE_FIXED_COLUMN and SUB_KEEP_QUOTED, c = 4",
                          kP2Styles | STYLE_FIXED_COLUMN, kP2Sub | SUB_KEEP_QUOTED, 4};
    const Config two = {"preset 2 plus STYLE_FIXED_COLUMN, c = 2", kP2Styles | STYLE_FIXED_COLUMN,
                       kP2Sub, 2};
    const Config para_two = {"STYLE_INDENT, STYLE_PARAGRAPH, STYLE_FIXED_COLUMN, c = 2",
                            STYLE_INDENT | STYLE_PARAGRAPH | STYLE_FIXED_COLUMN, 0, 2};
    RunRows({
        R(quoted, ">␣引用文\r\n", "␣␣␣␣", 0),
        R(quoted, "#␣見出し\r\n", "␣␣␣␣", 0),
        R(two, "・項目\r\n", "␣␣", 0),
        // the paragraph rule would empty a prefix of two half-width spaces
        R(para_two, "□段落\r\n", "␣␣", 0),
    });
}

TEST(ClassifyLine, FixedColumnFills) {
    const uint32_t both = SUB_FILL_SOURCE | SUB_FILL_WIDE_SPACE;
    RunRows({
        R(Fixed("c = 0, source", 0, SUB_FILL_SOURCE), "abc\r\n", "", 0),
        R(Fixed("c = 0, wide", 0, SUB_FILL_WIDE_SPACE), "abc\r\n", "", 0),
        R(Fixed("c = 0, half", 0, 0), "abc\r\n", "", 0),
        R(Fixed("c = 1, wide", 1, SUB_FILL_WIDE_SPACE), "abc\r\n", "␣", 0),
        R(Fixed("c = 2, wide", 2, SUB_FILL_WIDE_SPACE), "abc\r\n", "□", 0),
        R(Fixed("c = 4, wide", 4, SUB_FILL_WIDE_SPACE), "abc\r\n", "□□", 0),
        R(Fixed("c = 3, half", 3, 0), "□□abc\r\n", "␣␣␣", 0),
        R(Fixed("c = 5, source and wide: source wins", 5, both), "ab漢字xyz\r\n", "ab漢", 0),
        R(Fixed("c = 4, source", 4, SUB_FILL_SOURCE), "ab漢字xyz\r\n", "ab漢", 0),
        R(Fixed("c = 3, source", 3, SUB_FILL_SOURCE), "ab漢字xyz\r\n", "ab", 0),
        R(Fixed("c = 6, source", 6, SUB_FILL_SOURCE), "ab漢字xyz\r\n", "ab漢字", 0),
        R(Fixed("c = 3, source", 3, SUB_FILL_SOURCE), "␣□ab\r\n", "␣□", 0),
        // 亜 is 88 9F: its trail byte lies in the lead-byte range, so only a
        // walk from the line start tells that byte 2 ends a character
        R(Fixed("c = 2, source", 2, SUB_FILL_SOURCE), "亜亜x\r\n", "亜", 0),
        R(Fixed("c = 3, source", 3, SUB_FILL_SOURCE), "亜亜x\r\n", "亜", 0),
        R(Fixed("c = 4, source", 4, SUB_FILL_SOURCE), "亜亜x\r\n", "亜亜", 0),
        R(Fixed("c = 3, source", 3, SUB_FILL_SOURCE), "a亜亜\r\n", "a亜", 0),
        R(Fixed("c = 4, source", 4, SUB_FILL_SOURCE), "a亜亜\r\n", "a亜", 0),
    });
}

// The source fill stops before the line's first CR, LF or NUL and never ends
// on a lone lead byte.
TEST(ClassifyLine, SourceFillNeverHoldsALineBreak) {
    const Config ten = Fixed("c = 10, source", 10, SUB_FILL_SOURCE);
    const Config three = Fixed("c = 3, source", 3, SUB_FILL_SOURCE);
    RunRows({
        R(ten, "abc\r\n", "abc", 0),
        R(ten, "abc\n", "abc", 0),
        R(ten, "abc\r", "abc", 0),
        R(ten, "abc", "abc", 0),
        R(ten, "\r\n", "", 0),
        R(ten, "\n", "", 0),
        R(ten, "", "", 0),
        R(ten, "漢字\r\n", "漢字", 0),
        R(three, "ab\r\n", "ab", 0),
        B("lead byte before CR LF", ten, "ab\x81\r\n", "ab", 0),
        B("lead byte before LF", ten, "ab\x81\n", "ab", 0),
        B("lead byte before NUL", ten, "ab\x81", "ab", 0),
        B("lead byte before NUL, c = 3", three, "ab\x81", "ab", 0),
        B("full-width char then lead byte before CR", ten, M("漢") + "\x81\r\n", M("漢"), 0),
    });
}

TEST(ClassifyLine, IndentStringEndsClassificationEvenWhenRejected) {
    const uint32_t styles = STYLE_INDENT | STYLE_INDENT_STRINGS | STYLE_QUOTE | STYLE_EMPHA |
                            STYLE_ITEMIZE;
    const Config need = WithStrings("quote, empha, itemize, strings; ※ needs a blank", styles,
                                   {{0, M("※")}}, {{0, INDSTR_NEED_BLANK}});
    const Config no_need = WithStrings("quote, empha, itemize, strings; ※ needs no blank", styles,
                                   {{0, M("※")}});
    RunRows({
        R(need, "※>␣引用\r\n", "", 0),
        R(need, "※#␣強調\r\n", "", 0),
        R(need, "※・項目\r\n", "", 0),
        R(need, "␣※>␣引用\r\n", "␣", 0),
        R(no_need, "※>␣引用\r\n", "□", 0),
        R(no_need, "※␣>␣引用\r\n", "□␣", 0),
        R(no_need, "※␣・項目\r\n", "□␣", 0),
        // without the indent string at the head the other tests run as usual
        R(no_need, ">␣※引用\r\n", ">␣", kQ),
    });
}

TEST(ClassifyLine, SoleItemMarkNeedsNoBlank) {
    const Config p2 = Preset2();
    const Config no_end_space = {"preset 2 without SUB_ITEM_END_SPACE", kP2Styles,
                                kP2Sub & ~SUB_ITEM_END_SPACE};
    RunRows({
        R(p2, "①手順\r\n", "□", kI),
        R(p2, "・・項目\r\n", "□□", kI),
        R(p2, "*項目\r\n", "␣", kI),
        R(p2, "1.項目\r\n", "", 0),
        R(no_end_space, "1.項目\r\n", "␣␣", kI),
        R(no_end_space, "a)x\r\n", "␣␣", kI),
        R(no_end_space, "1項目\r\n", "", 0),
    });
}

// ---- Indent strings --------------------------------------------------------

TEST(ClassifyLine, IndentStrings) {
    const uint32_t strings = STYLE_INDENT | STYLE_INDENT_STRINGS;
    const Config several = WithStrings("strings 3 \"--\", 5 \"-\", 9 \"=>\"", strings,
                                      {{3, "--"}, {5, "-"}, {9, "=>"}});
    const Config no_need = WithStrings("string 0 ※ without INDSTR_NEED_BLANK", strings,
                                   {{0, M("※")}});
    const Config other_bits = WithStrings("string 0 ※, property bits all but INDSTR_NEED_BLANK",
                                         strings, {{0, M("※")}}, {{0, ~INDSTR_NEED_BLANK}});
    const Config need = WithStrings("string 0 ※ with INDSTR_NEED_BLANK", strings, {{0, M("※")}},
                                   {{0, INDSTR_NEED_BLANK}});
    const Config need_para =
        WithStrings("paragraph; string 0 ※ with INDSTR_NEED_BLANK", strings | STYLE_PARAGRAPH,
                    {{0, M("※")}}, {{0, INDSTR_NEED_BLANK}});
    const Config long_first = WithStrings("string 0 ※※※, string 1 ※", strings,
                                         {{0, M("※※※")}, {1, M("※")}});
    const Config quote_string = WithStrings("quote; string 0 \">\"", strings | STYLE_QUOTE,
                                           {{0, ">"}});
    const Config dash_item = WithStrings("itemize; string 0 \"-\"", strings | STYLE_ITEMIZE,
                                        {{0, "-"}});
    const Config dash_item_off = WithStrings("itemize, strings off; string 0 \"-\"",
                                            STYLE_INDENT | STYLE_ITEMIZE, {{0, "-"}});
    RunRows({
        R(several, "--␣x\r\n", "␣␣␣", 0),
        R(several, "-␣x\r\n", "␣␣", 0),
        R(several, "-x\r\n", "␣", 0),
        R(several, "=>□x\r\n", "␣␣□", 0),
        R(several, "x--␣\r\n", "", 0),
        R(several, "␣␣--␣x\r\n", "␣␣␣␣␣", 0),
        R(no_need, "※注意\r\n", "□", 0),
        R(other_bits, "※注意\r\n", "□", 0),
        R(need, "※□注意\r\n", "□□", 0),
        R(need, "␣※␣注意\r\n", "␣□␣", 0),
        R(need, "※\r\n", "", 0),
        R(need, "※", "", 0),
        R(need_para, "※␣注意\r\n", "␣", 0),
        R(need_para, "␣␣※注意\r\n", "", 0),
        R(long_first, "※※注意\r\n", "□", 0),
        R(long_first, "※※", "□", 0),
        R(long_first, "※※※␣注意\r\n", "□□□␣", 0),
        R(quote_string, ">␣x\r\n", "␣␣", 0),
        R(dash_item, "-␣x\r\n", "␣␣", 0),
        R(dash_item_off, "-␣x\r\n", "␣␣", kI),
    });
}

// ---- Quotes, emphasis, items, scenario --------------------------------------

TEST(ClassifyLine, Quotes) {
    const Config p2 = Preset2();
    const Config quote = Styles("STYLE_INDENT, STYLE_QUOTE", STYLE_INDENT | STYLE_QUOTE);
    const Config named = NamedQuote();
    RunRows({
        R(p2, "␣>␣引用\r\n", "␣>␣", kQ),
        R(p2, ">>␣>引用\r\n", ">>␣>", kQ),
        R(p2, "》｜引用\r\n", "》｜", kQ),
        R(p2, "|␣x\r\n", "|␣", kQ),
        R(p2, "□>␣x\r\n", "□>␣", kQ),
        R(p2, ">\r\n", ">", kQ),
        R(quote, "a>b\r\n", "", 0),
        R(quote, "␣␣a>b\r\n", "␣␣", 0),
        R(named, "太郎␣>␣x\r\n", "太郎␣>␣", kQ),
        R(named, "␣太郎>x\r\n", "␣太郎>", kQ),
        R(named, ">␣x\r\n", ">␣", kQ),
        R(named, "太郎》␣>x\r\n", "太郎》␣>", kQ),
        R(named, "abc", "", 0),
        R(named, "␣abc", "␣", 0),
    });
}

TEST(ClassifyLine, Emphasis) {
    const Config p2 = Preset2();
    const Config empha = Styles("STYLE_INDENT, STYLE_EMPHA", STYLE_INDENT | STYLE_EMPHA);
    const Config quote = Styles("STYLE_INDENT, STYLE_QUOTE", STYLE_INDENT | STYLE_QUOTE);
    RunRows({
        R(p2, "##見出し\r\n", "##", kE),
        R(p2, "#見出し\r\n", "#", kE),
        R(p2, "#␣・項目\r\n", "#␣□", kE | kI),
        R(p2, ">␣#␣1.␣x\r\n", ">␣#␣␣␣␣", kQ | kE | kI),
        R(empha, "␣#␣x\r\n", "␣#␣", kE),
        R(empha, "#□x\r\n", "#□", kE),
        R(empha, "x#␣\r\n", "", 0),
        R(quote, "#␣x\r\n", "", 0),
    });
}

TEST(ClassifyLine, Items) {
    const Config p2 = Preset2();
    const Config para_items = {"preset 2 without SUB_ITEM_NO_PARAGRAPH", kP2Styles,
                              kP2Sub & ~SUB_ITEM_NO_PARAGRAPH};
    const Config no_items = IndentParagraph();
    RunRows({
        R(p2, "・・␣x\r\n", "□□␣", kI),
        R(p2, "12.␣x\r\n", "␣␣␣␣", kI),
        R(p2, "1.)␣x\r\n", "␣␣␣␣", kI),
        R(p2, "１．␣項目\r\n", "□□␣", kI),
        R(p2, "（１）␣項目\r\n", "□□□␣", kI),
        R(p2, "Ⅳ.␣x\r\n", "□␣␣", kI),
        R(p2, "ａ）□x\r\n", "□□□", kI),
        R(p2, "a)x\r\n", "", 0),
        R(p2, "1.□x\r\n", "␣␣□", kI),
        R(p2, "・1.␣x\r\n", "□", kI),
        R(p2, "-␣x\r\n", "␣␣", kI),
        R(p2, "1.␣\r\n", "␣␣␣", kI),
        R(p2, "1.", "", 0),
        R(para_items, "□・x\r\n", "□", kI),
        R(para_items, "␣␣・x\r\n", "␣␣□", kI),
        R(no_items, "・項目\r\n", "", 0),
    });
}

TEST(ClassifyLine, Scenario) {
    const Config scen = Scenario();
    const Config scen_para = Styles("STYLE_INDENT, STYLE_SCENARIO, STYLE_PARAGRAPH",
                                   STYLE_INDENT | STYLE_SCENARIO | STYLE_PARAGRAPH);
    const Config scen_items = Styles("STYLE_INDENT, STYLE_SCENARIO, STYLE_ITEMIZE",
                                    STYLE_INDENT | STYLE_SCENARIO | STYLE_ITEMIZE);
    const Config scen_quote = Styles("STYLE_INDENT, STYLE_QUOTE, STYLE_SCENARIO",
                                    STYLE_INDENT | STYLE_QUOTE | STYLE_SCENARIO);
    const std::string kan15 = Rep(M("漢"), 15);
    RunRows({
        R(scen, "␣太郎␣x\r\n", "␣□□␣", 0),
        R(scen, "A太␣x\r\n", "␣□␣", 0),
        R(scen, "太郎□□x\r\n", "□□□□", 0),
        R(scen, "太郎", "", 0),
        R(scen, "␣␣", "␣␣", 0),
        B("15 two-byte characters and one byte, then a blank", scen, kan15 + "a" + M("␣x\r\n"),
          Rep(M("□"), 15) + "  ", 0),
        B("16 two-byte characters, then a blank", scen, kan15 + M("漢␣x\r\n"), "", 0),
        R(scen_para, "太郎□x\r\n", "□□", 0),
        R(scen_items, "1.␣x\r\n", "␣␣␣", 0),
        R(scen_quote, ">␣太郎␣x\r\n", ">␣□□␣", kQ),
    });
}

// ---- Paragraph rule --------------------------------------------------------

TEST(ClassifyLine, ParagraphRule) {
    const Config para = IndentParagraph();
    const Config para_wide = Styles("STYLE_INDENT, STYLE_PARAGRAPH, SUB_PARAGRAPH_WIDE_SPACE",
                                   STYLE_INDENT | STYLE_PARAGRAPH, SUB_PARAGRAPH_WIDE_SPACE);
    const Config qpara = Styles("STYLE_INDENT, STYLE_QUOTE, STYLE_PARAGRAPH",
                               STYLE_INDENT | STYLE_QUOTE | STYLE_PARAGRAPH);
    RunRows({
        R(para, "x\r\n", "", 0),
        R(para, "␣␣x\r\n", "", 0),
        R(para, "□x\r\n", "", 0),
        R(para, "␣□x\r\n", "␣", 0),
        R(para, "␣□␣x\r\n", "␣␣", 0),
        R(para, "□␣␣x\r\n", "□", 0),
        R(para, "□□□x\r\n", "□□", 0),
        R(para_wide, "␣␣x\r\n", "␣␣", 0),
        R(para_wide, "□x\r\n", "", 0),
        R(para_wide, "□␣␣x\r\n", "□", 0),
        R(para_wide, "␣␣␣x\r\n", "␣␣␣", 0),
        R(qpara, ">␣␣x\r\n", ">", kQ),
        R(qpara, ">□x\r\n", ">", kQ),
        R(qpara, ">□␣x\r\n", ">␣", kQ),
        // a full-width space before a last one-byte character that is no blank
        R(qpara, "□>x\r\n", "□>", kQ),
        R(qpara, "》␣x\r\n", "》␣", kQ),
        R(qpara, "》␣␣x\r\n", "》", kQ),
        R(qpara, ">》␣x\r\n", ">》␣", kQ),
    });
}

// Quote sets chosen so that a trail byte looks like a lead byte or like part
// of a full-width space: the rule must walk characters, not bytes.
TEST(ClassifyLine, ParagraphRuleWalksCharacters) {
    Config a_mark = Styles("quote, paragraph; quote set 亜 (88 9F)",
                          STYLE_INDENT | STYLE_QUOTE | STYLE_PARAGRAPH);
    a_mark.quote_set = "\x88\x9F";
    Config split = Styles("quote, paragraph; quote set 88 81 and @",
                         STYLE_INDENT | STYLE_QUOTE | STYLE_PARAGRAPH);
    split.quote_set = "\x88\x81@";
    Config split_wide = split;
    split_wide.label = "quote, paragraph, SUB_PARAGRAPH_WIDE_SPACE; quote set 88 81 and @";
    split_wide.sub_styles = SUB_PARAGRAPH_WIDE_SPACE;
    RunRows({
        // byte n-3 is the trail 9F, not a lead byte: two half-width spaces go
        B("88 9F, two spaces", a_mark, "\x88\x9F  x\r\n", "\x88\x9F", kQ),
        // byte n-3 is the lead 88; the last two bytes 81 40 are no full-width space
        B("88 81 40", split, "\x88\x81@x\r\n", "\x88\x81@", kQ),
        B("88 81 40, two spaces", split, "\x88\x81@  x\r\n", "\x88\x81@", kQ),
        // 81 40 across two characters is no full-width space in the line
        B("88 81 40, two spaces, wide-space rule", split_wide, "\x88\x81@  x\r\n",
          "\x88\x81@  ", kQ),
    });
}

// ---- The prefix budget -------------------------------------------------------

TEST(ClassifyLine, PrefixBudget) {
    const Config only = IndentOnly();
    const Config p2 = Preset2();
    const Config para = IndentParagraph();
    const uint32_t strings = STYLE_INDENT | STYLE_INDENT_STRINGS;
    const Config six = WithStrings("string 0 ABCDEF", strings, {{0, "ABCDEF"}});
    const Config six_three = WithStrings("string 0 ABCDEF, string 1 ABC", strings,
                                        {{0, "ABCDEF"}, {1, "ABC"}});
    const Config full = WithStrings("string 0 is 255 hyphens", strings,
                                   {{0, std::string(255, '-')}});
    const Config full_need = WithStrings("string 0 is 255 hyphens, INDSTR_NEED_BLANK", strings,
                                        {{0, std::string(255, '-')}}, {{0, INDSTR_NEED_BLANK}});
    const Config named = NamedQuote();
    const Config scen = Scenario();
    const Config empha = Styles("STYLE_INDENT, STYLE_EMPHA", STYLE_INDENT | STYLE_EMPHA);
    const std::string wide = M("□");
    RunRows({
        B("300 half-width spaces", only, Sp(300) + "text\r\n", Sp(255), 0),
        B("300 half-width spaces", p2, Sp(300) + "text\r\n", Sp(255), 0),
        B("300 half-width spaces", para, Sp(300) + "text\r\n", Sp(253), 0),
        B("300 half-width spaces, no line break", only, Sp(300), Sp(255), 0),
        B("254 half-width spaces, full-width space", only, Sp(254) + wide + "x\r\n", Sp(254), 0),
        B("254 half-width spaces, full-width space", p2, Sp(254) + wide + "x\r\n", Sp(254), 0),
        B("253 half-width spaces, full-width space", only, Sp(253) + wide + "x\r\n",
          Sp(253) + wide, 0),
        B("253 half-width spaces, full-width space", p2, Sp(253) + wide + "x\r\n", Sp(253), 0),
        B("200 full-width spaces", only, Rep(wide, 200) + "x\r\n", Rep(wide, 127), 0),
        B("indent string longer than the budget left", six, Sp(250) + "ABCDEF x\r\n", Sp(250),
          0),
        B("indent string exactly the budget left", six, Sp(249) + "ABCDEF x\r\n", Sp(255), 0),
        B("a shorter later string matches instead", six_three, Sp(250) + "ABCDEF x\r\n",
          Sp(253), 0),
        B("indent string of 255 bytes", full, std::string(255, '-') + " x\r\n", Sp(255), 0),
        // no budget is left for the blank that the string needs
        B("indent string of 255 bytes needing a blank", full_need,
          std::string(255, '-') + " x\r\n", "", 0),
        B("sole marks at the budget", p2, Sp(253) + M("・・x\r\n"), Sp(253) + wide, kI),
        B("sole mark beyond the budget", p2, Sp(254) + M("・x\r\n"), Sp(254), 0),
        B("combined mark filling the budget", p2, Sp(252) + "1. x\r\n", Sp(255), kI),
        // the blank behind the end character no longer fits
        B("combined mark without room for its blank", p2, Sp(253) + "1. x\r\n", Sp(253), 0),
        B("quote marks at the budget", p2, Sp(253) + "> >x\r\n", Sp(253) + "> ", kQ),
        B("name of a named quote uses up the budget", named,
          Sp(200) + std::string(55, 'a') + ">x\r\n", Sp(200), 0),
        B("name of a named quote leaves one byte", named,
          Sp(200) + std::string(54, 'a') + ">x\r\n", Sp(200) + std::string(54, 'a') + ">", kQ),
        B("speaker's name fills the budget", scen, Sp(240) + "abcdefghijklmno x\r\n", Sp(255),
          0),
        B("speaker's name cut by the budget", scen, Sp(240) + "abcdefghijklmnopqrst x\r\n",
          Sp(255), 0),
        B("speaker's name of 32 bytes within the budget", scen,
          Sp(220) + std::string(40, 'n') + " x\r\n", Sp(220), 0),
        // 漢字 fits, the next 漢 does not, and then no blank follows
        B("two-byte name character beyond the budget", scen,
          Sp(250) + M("漢字漢␣x\r\n"), Sp(250), 0),
        B("emphasis marks at the budget", empha, Sp(254) + "##x\r\n", Sp(254) + "#", kE),
    });
}

// ---- Incomplete and multi-byte characters ------------------------------------

TEST(ClassifyLine, LeadBytesWithoutTrail) {
    const Config p2 = Preset2();
    const Config only = IndentOnly();
    const Config scen = Scenario();
    const Config named = NamedQuote();
    RunRows({
        B("lone lead byte", p2, "\x81", "", 0),
        B("blanks, lead byte before CR LF", p2, "  \x81\r\n", Sp(2), 0),
        B("blank, lead byte before NUL", only, " \x81", Sp(1), 0),
        B("name of one lead byte", scen, "\x81", "", 0),
        B("name ending in a lead byte", named, "ab\x81", "", 0),
        B("lead byte before LF after a quote mark", p2, "> \x81\n", "> ", kQ),
    });
}

// A lead byte takes the next byte as its trail, whatever that byte is.
TEST(ClassifyLine, TrailBytesAreNotCharacters) {
    const Config named = NamedQuote();
    const Config scen = Scenario();
    RunRows({
        // 81 3E and 81 7C: the quote mark is the trail of the character before it
        B("81 then >", named, "\x81> x\r\n", "", 0),
        B("81 then |", named, "\x81| x\r\n", "", 0),
        // 81 20 is one character of the name, not the blank behind it
        B("81 then a space inside a name", scen, "A\x81 B y\r\n", " \x81\x40  ", 0),
    });
}

// ---- One job used for line after line ----------------------------------------

TEST(ClassifyLine, EachCallRewritesFlagsAndPrefix) {
    IndentSettings settings = Build(Preset2());
    LineJob job{};
    ExactText first(SjisMarked(">␣#␣・長い項目\r\n"));
    ExactText second("plain\r\n");
    job.text = first.c_str();
    lumo::ClassifyLine(Cp(), &job, &settings);
    ASSERT_EQ(job.flags, kQ | kE | kI);
    job.text = second.c_str();
    lumo::ClassifyLine(Cp(), &job, &settings);
    EXPECT_EQ(job.flags, 0u);
    EXPECT_EQ(std::string(job.prefix), "");
}

// ---- SpanChars ----------------------------------------------------------------

struct SpanRow {
    std::string label;
    std::string source;
    std::string set;
    uint32_t mode;
    size_t budget;
    size_t count;
    std::string rendering;
};

constexpr uint32_t FILL = lumo::SPAN_BLANK_FILL;
constexpr uint32_t COPY = lumo::SPAN_COPY;
constexpr uint32_t EXCL = lumo::SPAN_EXCLUDE;

void RunSpanRows(const std::vector<SpanRow> &rows) {
    for (const SpanRow &row : rows) {
        SCOPED_TRACE(row.label + ": source " + Hex(row.source) + ", set " + Hex(row.set) +
                     ", mode " + std::to_string(row.mode) + ", budget " +
                     std::to_string(row.budget));
        ExactText source(row.source);
        ExactText set(row.set);
        char dest[300];
        std::memset(dest, 0xBD, sizeof dest);
        size_t count = lumo::SpanChars(Cp(), dest, source.c_str(), set.c_str(), row.mode,
                                       row.budget);
        EXPECT_EQ(count, row.count);
        const void *nul = std::memchr(dest, '\0', sizeof dest);
        ASSERT_NE(nul, nullptr) << "no NUL written";
        EXPECT_EQ(Hex(dest), Hex(row.rendering));
        const size_t end = std::strlen(dest) + 1;
        for (size_t i = end; i < end + 8; ++i) {
            EXPECT_EQ(static_cast<unsigned char>(dest[i]), 0xBD)
                << "byte " << i << " behind the NUL was written";
        }
        EXPECT_EQ(std::string(source.c_str(), source.size()), row.source);
    }
}

TEST(SpanChars, RunsAndRenderings) {
    const std::string blanks = M("␣□");
    RunSpanRows({
        {"blank run", M("␣□␣x"), blanks, FILL, 255, 4, M("␣□␣")},
        {"blank run copied", M("␣□␣x"), blanks, COPY, 255, 4, M("␣□␣")},
        {"non-blanks as blanks", M("漢字x␣y"), blanks, FILL | EXCL, 255, 5, M("□□␣")},
        {"non-blanks copied", M("漢字x␣y"), blanks, COPY | EXCL, 255, 5, M("漢字x")},
        {"one-byte characters as blanks", "abc", "ba", FILL, 255, 2, "  "},
        {"empty run writes the NUL alone", "xyz", "ab", COPY, 255, 0, ""},
        {"empty source", "", "ab", COPY, 255, 0, ""},
        {"empty set matches nothing", "abc", "", COPY, 255, 0, ""},
        {"empty set excluded: everything up to the NUL", M("ab漢"), "", COPY | EXCL, 255, 4,
         M("ab漢")},
        {"line break is an ordinary character", "a\r\nb", "", FILL | EXCL, 255, 4, "    "},
        {"quote marks copied", M("》>｜|x"), M(">|》｜"), COPY, 255, 6, M("》>｜|")},
        {"name before a quote mark", M("太郎>x"), M(">|》｜"), COPY | EXCL, 255, 4, M("太郎")},
    });
}

TEST(SpanChars, Budget) {
    RunSpanRows({
        {"budget 0", "aaa", "a", COPY, 0, 0, ""},
        {"budget cuts a one-byte run", "aaaa", "a", COPY, 2, 2, "aa"},
        {"budget cuts a one-byte run, blanks", "aaaa", "a", FILL, 3, 3, "   "},
        {"two-byte character does not fit", M("a漢"), "", COPY | EXCL, 2, 1, "a"},
        {"two-byte character does not fit, blanks", M("a漢"), "", FILL | EXCL, 2, 1, " "},
        {"two-byte character fits exactly", M("a漢b"), "", COPY | EXCL, 3, 3, M("a漢")},
        {"budget 1 and a two-byte character", M("□"), M("␣□"), FILL, 1, 0, ""},
        {"budget 1 and a one-byte character", M("␣□"), M("␣□"), FILL, 1, 1, " "},
        {"budget 255 over a long run", std::string(300, ' '), " ", FILL, 255, 255,
         std::string(255, ' ')},
    });
}

TEST(SpanChars, WholeCharacterMembership) {
    RunSpanRows({
        // the trail bytes 74 and 62 of 》 and ｜ are no "t" and "b"
        {"t against the trail of 》", "t", M("》"), COPY, 255, 0, ""},
        {"b against the trail of ｜", "b", M("｜"), COPY, 255, 0, ""},
        {"@ against the full-width space", "@", M("□"), FILL, 255, 0, ""},
        {"different trail byte", "\x81\x40", "\x81\x41", COPY, 255, 0, ""},
        // ー is 81 5B: its trail byte is "["
        {"ー against [", M("ー"), "[", COPY, 255, 0, ""},
        {"ー is not [", M("ー[x"), "[", COPY | EXCL, 255, 2, M("ー")},
        {"[ is not the trail of ー", "[x", M("ー"), COPY, 255, 0, ""},
        {"[ after a two-byte character", M("ー[x"), M("ー["), COPY, 255, 3, M("ー[")},
        {"ャ is 83 62, not 83 and b", "\x83\x62" "b", "b", COPY | EXCL, 255, 2, "\x83\x62"},
    });
}

// A lead byte followed by NUL, CR or LF is a one-byte character of its own.
TEST(SpanChars, LeadByteBeforeTerminator) {
    const std::string blanks = M("␣□");
    RunSpanRows({
        {"lead byte before CR LF, as blanks", "a\x81\r\n", blanks, FILL | EXCL, 255, 4,
         "    "},
        {"lead byte before LF, copied", "a\x81\nb", blanks, COPY | EXCL, 255, 4, "a\x81\nb"},
        {"lead byte before NUL, as blanks", "\x81", blanks, FILL | EXCL, 255, 1, " "},
        {"lead byte before NUL, copied", "ab\x81", blanks, COPY | EXCL, 255, 3, "ab\x81"},
        {"lead byte before CR is no full-width space", "\x81\r", blanks, FILL, 255, 0, ""},
        {"lead byte before NUL is no full-width space", "\x81", blanks, FILL, 255, 0, ""},
        {"lone lead byte in the set", "\x81\n", "\x81", COPY, 255, 1, "\x81"},
        {"lone lead byte in the set against a two-byte character", "\x81\x40", "\x81", COPY,
         255, 0, ""},
        {"lead byte before CR within budget 1", "\x81\r", "", COPY | EXCL, 1, 1, "\x81"},
    });
}

}  // namespace
