// The UTF-8 entries against the code page 932 ones: for every text that code
// page 932 holds, LumoMultiLinesUtf8 on its UTF-8 form gives exactly the UTF-8
// form of what LumoMultiLines gives, and BindLinesUtf8 likewise, over random
// texts and settings, the bundled sample and every preset.
#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "lumotext.h"
#include "settings/presets.h"
#include "support/fold_settings.h"
#include "support/sjis.h"
#include "support/utf8.h"

namespace {

using lumo_fold::SetField;
using lumo_test::Sjis;
using lumo_test::Utf8Of;

struct Settings {
    IndentSettings indent{};
    FoldSettings fold{};
    HeaderSettings header{};
    uint32_t tab_width = 8;
};

struct Outcome {
    int32_t result;
    std::string output;
};

// One call either way, in a buffer large enough for any of these texts.
Outcome Format(const std::string &source, Settings s, bool utf8) {
    std::vector<char> out(source.size() * 8 + 4096);
    FormatRequest request{24, source.c_str(), out.data(), static_cast<uint32_t>(out.size()), s.tab_width, 80};
    const int32_t result = utf8 ? lumo_test::FormatUtf8(&request, &s.indent, &s.fold, &s.header)
                                : LumoMultiLines(&request, &s.indent, &s.fold, &s.header);
    return {result, result == FORMAT_DONE ? std::string(out.data()) : std::string()};
}

struct BindOutcome {
    int32_t result;
    std::string output;
    uint32_t flags;
    std::string prefix;
};

BindOutcome Bind(const std::string &block, IndentSettings indent, uint32_t newline, bool utf8) {
    std::vector<char> out(block.size() + 1);
    LineJob job{};
    job.record_size = 280;
    job.text = block.c_str();
    job.output = out.data();
    job.newline = newline;
    const int32_t result = utf8 ? lumo_test::BindUtf8(&job, &indent) : BindLines(&job, &indent);
    return {result, out.data(), job.flags, job.prefix};
}

// Code page 932 settings and their UTF-8 form; false when a field's form
// does not fit (the case is skipped).
bool Utf8Settings(const Settings &cp932, Settings *utf8) {
    *utf8 = cp932;
    return lumo_test::ConvertRecord(&utf8->indent) && lumo_test::ConvertRecord(&utf8->fold) &&
           lumo_test::ConvertRecord(&utf8->header);
}

class Random {
public:
    explicit Random(uint32_t seed) : engine_(seed) {}
    uint32_t Below(uint32_t n) { return static_cast<uint32_t>(engine_() % n); }
    bool Chance(uint32_t percent) { return Below(100) < percent; }
    template <class T>
    const T &Pick(const std::vector<T> &v) { return v[Below(static_cast<uint32_t>(v.size()))]; }

private:
    std::mt19937 engine_;
};

// Characters of the texts, in code page 932: kana and kanji, the kinsoku
// characters, ambiguous ones (○ ※ Greek, Cyrillic, box drawing) and two-byte
// characters whose trail byte is an ASCII letter (ア is 83 41), which word
// wrap counts as letters.
const std::vector<std::string> &WideChars() {
    static const std::vector<std::string> chars = [] {
        std::vector<std::string> v;
        for (const char *c : {"、", "。", "，", "．", "・", "：", "？", "！", "ー", "々", "」", "』", "）", "］",
                              "〉", "》", "「", "『", "（", "［", "〈", "《", "￥", "＄", "あ", "い", "ア", "イ",
                              "ソ", "表", "漢", "字", "①", "Ａ", "ｂ", "１", "＝", "｜", "＞", "※", "○", "α",
                              "Ω", "Я", "д", "─", "┃", "～", "∥", "－", "―", "￠", "￡", "￢", "　"}) {
            v.push_back(Sjis(c));
        }
        return v;
    }();
    return chars;
}

std::string RandomChar(Random &r) {
    static const std::string alnum = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    static const std::vector<std::string> punct = {"(", ")", ".", ",", "!", "?", "-", ":", ">", "|", "*", "#", "'"};
    static const std::vector<std::string> kana = {"\xA1", "\xA4", "\xB1", "\xC1", "\xDE", "\xDF"};
    const uint32_t k = r.Below(100);
    if (k < 25) return std::string(1, alnum[r.Below(static_cast<uint32_t>(alnum.size()))]);
    if (k < 35) return " ";
    if (k < 42) return r.Pick(punct);
    if (k < 45) return "\t";
    if (k < 48) return "\r\n";
    if (k < 50) return "\n";
    if (k < 51) return "\r";
    if (k < 88) return r.Pick(WideChars());
    if (k < 95) return r.Pick(kana);
    return std::string(1 + r.Below(3), ' ');
}

std::string RandomText(Random &r, uint32_t max_chars) {
    std::string s;
    for (uint32_t n = r.Below(max_chars + 1); n > 0; --n) s += RandomChar(r);
    return s;
}

std::string RandomSet(Random &r) {
    std::string s;
    for (uint32_t n = r.Below(5); n > 0; --n) {
        const std::string c = RandomChar(r);
        if (c.find_first_of("\r\n") == std::string::npos) s += c;
    }
    return s;
}

uint32_t RandomBits(Random &r, const std::vector<uint32_t> &bits) {
    uint32_t v = 0;
    for (const uint32_t b : bits) {
        if (r.Chance(50)) v |= b;
    }
    return v;
}

Settings RandomSettings(Random &r) {
    Settings s;
    const auto preset = static_cast<int32_t>(r.Below(3));
    lumo::FillIndentPreset(&s.indent, preset);
    lumo::FillFoldPreset(&s.fold, preset);
    lumo::FillHeaderPreset(&s.header, preset);
    IndentSettings &in = s.indent;
    if (r.Chance(70)) {
        in.styles = RandomBits(r, {STYLE_QUOTE, STYLE_EMPHA, STYLE_SCENARIO, STYLE_ITEMIZE, STYLE_PARAGRAPH,
                                   STYLE_FIXED_COLUMN, STYLE_INDENT_STRINGS, STYLE_STRIP_WHEN_INDENT,
                                   STYLE_STRIP_HEAD_SPACE}) |
                    (r.Chance(85) ? STYLE_INDENT : 0);
    }
    if (r.Chance(60)) {
        in.sub_styles = RandomBits(r, {SUB_NAMED_QUOTE, SUB_ITEM_END_SPACE, SUB_ITEM_NO_PARAGRAPH,
                                       SUB_PARAGRAPH_WIDE_SPACE, SUB_FILL_SOURCE, SUB_FILL_WIDE_SPACE,
                                       SUB_KEEP_QUOTED, SUB_BLANK_TAB, SUB_BLANK_WIDE, SUB_BLANK_NARROW});
    }
    in.fixed_indent_column = r.Below(12);
    if (r.Chance(30)) SetField(in.chars_for_quote, RandomSet(r));
    if (r.Chance(30)) SetField(in.chars_for_empha, RandomSet(r));
    if (r.Chance(30)) SetField(in.chars_for_sole_itemize, RandomSet(r));
    if (r.Chance(30)) SetField(in.chars_for_combi_itemize, RandomSet(r));
    if (r.Chance(30)) SetField(in.chars_for_itemize_end, RandomSet(r));
    if (r.Chance(40)) {
        const uint32_t k = r.Below(LUMO_INDENT_STRING_COUNT);
        std::string text;
        for (uint32_t j = 1 + r.Below(3); j > 0; --j) text += RandomChar(r);
        if (text.find_first_of("\r\n") == std::string::npos) SetField(in.indent_string[k], text);
        in.indent_string_property[k] = r.Below(2);
    }
    FoldSettings &f = s.fold;
    f.foldnum = r.Chance(80) ? 1 + r.Below(60) : 1 + r.Below(8);
    f.tailwrap_flag = r.Below(8);
    f.wraptype = RandomBits(r, {WRAP_PUSH_OUT, WRAP_HANG, WRAP_ALNUM, WRAP_ASCII, WRAP_ALNUM_PLUS});
    f.maxmove_leftwise = r.Below(25);
    f.maxmove_rightwise = r.Below(6);
    if (r.Chance(40)) SetField(f.chars_not_for_head, RandomSet(r));
    if (r.Chance(40)) SetField(f.chars_not_for_tail, RandomSet(r));
    if (r.Chance(40)) SetField(f.chars_for_wordwrap, RandomSet(r));
    s.header.lumoheader = RandomBits(r, {HEADER_NO_FORMAT, HEADER_DELIM_EMPTY_LINE, HEADER_DELIM_EXACT});
    SetField(s.header.headerdelimiter, r.Pick(std::vector<std::string>{"", "--", "#", "> ", Sjis("※")}));
    s.tab_width = r.Below(9);
    return s;
}

TEST(Utf8Equivalence, RandomTextsFoldAsTheirCodePage932Form) {
    Random r(20261208);
    int compared = 0;
    for (int i = 0; i < 30000; ++i) {
        const Settings cp932 = RandomSettings(r);
        const std::string text = RandomText(r, r.Chance(90) ? 60 : 300);
        Settings utf8;
        const auto text_utf8 = Utf8Of(text);
        if (!text_utf8 || !Utf8Settings(cp932, &utf8)) continue;
        const Outcome a = Format(text, cp932, false);
        const Outcome b = Format(*text_utf8, utf8, true);
        ASSERT_EQ(b.result, a.result) << "case " << i << " text " << lumo_test::Hex(text);
        ASSERT_EQ(b.output, *Utf8Of(a.output)) << "case " << i << " text " << lumo_test::Hex(text)
                                               << " fold " << cp932.fold.foldnum;
        ++compared;
    }
    EXPECT_GT(compared, 25000);
}

TEST(Utf8Equivalence, RandomBlocksBindAsTheirCodePage932Form) {
    Random r(8121);
    for (int i = 0; i < 20000; ++i) {
        const Settings cp932 = RandomSettings(r);
        const std::string block = RandomText(r, 80);
        Settings utf8;
        const auto block_utf8 = Utf8Of(block);
        if (!block_utf8 || !Utf8Settings(cp932, &utf8)) continue;
        const uint32_t newline = r.Below(4);
        const BindOutcome a = Bind(block, cp932.indent, newline, false);
        const BindOutcome b = Bind(*block_utf8, utf8.indent, newline, true);
        ASSERT_EQ(b.result, a.result);
        ASSERT_EQ(b.output, *Utf8Of(a.output)) << "case " << i << " block " << lumo_test::Hex(block);
        ASSERT_EQ(b.flags, a.flags);
        ASSERT_EQ(b.prefix, *Utf8Of(a.prefix));
    }
}

// The bundled sample at every preset, with hanging, and at many fold columns.
TEST(Utf8Equivalence, SampleAtEveryPresetAndFoldColumn) {
    std::ifstream file(LUMOTEXT_SOURCE_DIR "/examples/sample.txt", std::ios::binary);
    std::stringstream content;
    content << file.rdbuf();
    const std::string utf8_text = content.str();
    ASSERT_FALSE(utf8_text.empty());
    const std::string text = Sjis(utf8_text);
    for (int preset = 0; preset < 3; ++preset) {
        for (const bool hang : {false, true}) {
            for (uint32_t fold = 8; fold <= 100; fold += 4) {
                Settings cp932;
                lumo::FillIndentPreset(&cp932.indent, preset);
                lumo::FillFoldPreset(&cp932.fold, preset);
                lumo::FillHeaderPreset(&cp932.header, preset);
                cp932.fold.foldnum = fold;
                if (hang) cp932.fold.wraptype = (cp932.fold.wraptype & ~WRAP_PUSH_OUT) | WRAP_HANG;
                Settings utf8;
                ASSERT_TRUE(Utf8Settings(cp932, &utf8));
                const Outcome a = Format(text, cp932, false);
                const Outcome b = Format(utf8_text, utf8, true);
                ASSERT_EQ(b.result, a.result) << "preset " << preset << " fold " << fold;
                ASSERT_EQ(b.output, *Utf8Of(a.output)) << "preset " << preset << " fold " << fold;
            }
        }
    }
}

}  // namespace
