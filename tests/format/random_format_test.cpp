// Seeded random texts and settings through LumoMultiLines: every call ends with
// 0, 2 or 8, keeps the caller's records and the bytes past the capacity, agrees
// with the plain model of the driver, and on success unfolds back to the body;
// with the rules off no segment passes the fold column but as allowed.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "lumotext.h"
#include "settings/presets.h"
#include "support/fold_settings.h"
#include "support/format_reference.h"
#include "support/format_run.h"
#include "support/sjis.h"

namespace {

using lumo_fold::FormatOutcome;
using lumo_fold::SetField;
using lumo_test::Hex;
using lumo_test::Sjis;

class Random {
public:
    explicit Random(uint32_t seed) : engine_(seed) {}
    // A number in 0 .. n - 1, taken from the engine's raw output so that the
    // sequence does not depend on the library's distributions.
    uint32_t Below(uint32_t n) { return static_cast<uint32_t>(engine_() % n); }
    bool Chance(uint32_t percent) { return Below(100) < percent; }
    template <class T>
    const T &Pick(const std::vector<T> &v) {
        return v[Below(static_cast<uint32_t>(v.size()))];
    }

private:
    std::mt19937 engine_;
};

// Characters that the texts are made of, by kind.
struct Alphabet {
    std::vector<std::string> wide;  // two-byte characters, prohibited ones among them
    std::vector<std::string> punct = {"(", ")", ".", ",", "!", "?", "$", "[", "]", "{", "}",
                                      "-", ":", ";", "\\", "\"", "'", "/", "#", ">", "|",
                                      "*", "%", "@", "_"};
    std::vector<std::string> kana = {"\xA1", "\xA2", "\xA3", "\xA4", "\xA5", "\xB0", "\xB1",
                                     "\xC1", "\xDE", "\xDF"};
    std::vector<std::string> leads = {"\x81", "\x82", "\x9F", "\xE0", "\xFC"};
    Alphabet() {
        for (const char *c : {"、", "。", "，", "．", "・", "：", "？", "！", "ー", "々",
                              "」", "』", "）", "］", "〉", "》", "「", "『", "（", "［",
                              "〈", "《", "￥", "＄", "あ", "い", "う", "ア", "ソ", "表",
                              "漢", "字", "①", "②", "Ａ", "ｂ", "１", "＝", "｜", "＞", "※"}) {
            wide.push_back(Sjis(c));
        }
    }
};

const Alphabet &Chars() {
    static const Alphabet alphabet;
    return alphabet;
}

std::string RandomChar(Random &r) {
    const Alphabet &a = Chars();
    const uint32_t k = r.Below(100);
    if (k < 30) {
        static const std::string alnum =
            "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
        return std::string(1, alnum[r.Below(static_cast<uint32_t>(alnum.size()))]);
    }
    if (k < 40) return " ";
    if (k < 48) return r.Pick(a.punct);
    if (k < 52) return "\t";
    if (k < 55) return "\r\n";
    if (k < 57) return "\n";
    if (k < 58) return "\r";
    if (k < 80) return r.Pick(a.wide);
    if (k < 85) return "\x81\x40";  // full-width space
    if (k < 90) return r.Pick(a.kana);
    if (k < 94) return r.Pick(a.leads);  // a stray lead byte: pairs with whatever follows
    return std::string(1 + r.Below(3), ' ');
}

std::string RandomText(Random &r, uint32_t max_chars) {
    std::string s;
    const uint32_t n = r.Below(max_chars + 1);
    for (uint32_t i = 0; i < n; ++i) s += RandomChar(r);
    return s;
}

// A small set: up to four characters of the texts' alphabet, no line breaks.
std::string RandomSet(Random &r) {
    std::string s;
    const uint32_t n = r.Below(5);
    for (uint32_t i = 0; i < n; ++i) {
        std::string c = RandomChar(r);
        if (c.find_first_of("\r\n") == std::string::npos) s += c;
    }
    return s;
}

uint32_t RandomBits(Random &r, const std::vector<uint32_t> &bits) {
    uint32_t v = 0;
    for (uint32_t b : bits) {
        if (r.Chance(50)) v |= b;
    }
    return v;
}

uint32_t RandomMaxmove(Random &r) {
    if (r.Chance(92)) return r.Below(31);
    return r.Pick(std::vector<uint32_t>{1000u, 0x7FFFFFFFu, 0x80000000u, 0xFFFFFFFFu});
}

struct Case {
    std::string source;
    IndentSettings indent{};
    FoldSettings fold{};
    HeaderSettings header{};
    uint32_t tab_width = 8;
};

Case RandomCase(Random &r) {
    Case c;
    const int32_t preset = static_cast<int32_t>(r.Below(3));
    lumo::FillIndentPreset(&c.indent, preset);
    lumo::FillFoldPreset(&c.fold, preset);
    lumo::FillHeaderPreset(&c.header, preset);

    IndentSettings &in = c.indent;
    if (r.Chance(80)) {
        in.styles = RandomBits(r, {STYLE_QUOTE, STYLE_EMPHA, STYLE_SCENARIO, STYLE_ITEMIZE,
                                   STYLE_PARAGRAPH, STYLE_FIXED_COLUMN, STYLE_INDENT_STRINGS,
                                   STYLE_STRIP_WHEN_INDENT, STYLE_STRIP_HEAD_SPACE});
        if (r.Chance(85)) in.styles |= STYLE_INDENT;
    }
    if (r.Chance(70)) {
        in.sub_styles = RandomBits(r, {SUB_NAMED_QUOTE, SUB_ITEM_END_SPACE, SUB_ITEM_NO_PARAGRAPH,
                                       SUB_PARAGRAPH_WIDE_SPACE, SUB_FILL_SOURCE,
                                       SUB_FILL_WIDE_SPACE, SUB_KEEP_QUOTED, SUB_BLANK_TAB,
                                       SUB_BLANK_WIDE, SUB_BLANK_NARROW});
    }
    in.fixed_indent_column = r.Chance(90) ? r.Below(12) : 200 + r.Below(101);
    if (r.Chance(30)) SetField(in.chars_for_quote, RandomSet(r));
    if (r.Chance(30)) SetField(in.chars_for_empha, RandomSet(r));
    if (r.Chance(30)) SetField(in.chars_for_sole_itemize, RandomSet(r));
    if (r.Chance(30)) SetField(in.chars_for_combi_itemize, RandomSet(r));
    if (r.Chance(30)) SetField(in.chars_for_itemize_end, RandomSet(r));
    if (r.Chance(40)) {
        const uint32_t n = 1 + r.Below(3);
        for (uint32_t i = 0; i < n; ++i) {
            const uint32_t k = r.Below(LUMO_INDENT_STRING_COUNT);
            std::string s;
            for (uint32_t j = 1 + r.Below(3); j > 0; --j) s += RandomChar(r);
            if (s.find_first_of("\r\n") != std::string::npos) s = "*";
            SetField(in.indent_string[k], s);
            in.indent_string_property[k] = r.Below(2);
        }
    }

    FoldSettings &f = c.fold;
    const uint32_t shape = r.Below(100);
    if (shape < 75) {
        f.foldnum = 1 + r.Below(100);
    } else if (shape < 95) {
        f.foldnum = 1 + r.Below(10);
    } else {
        f.foldnum = r.Pick(std::vector<uint32_t>{1000u, 100000u, 0x7FFFFFFFu, 0xFFFFFFFFu});
    }
    f.tailwrap_flag = r.Below(8);
    f.wraptype = RandomBits(r, {WRAP_PUSH_OUT, WRAP_HANG, WRAP_ALNUM, WRAP_ASCII, WRAP_ALNUM_PLUS});
    f.maxmove_leftwise = RandomMaxmove(r);
    f.maxmove_rightwise = RandomMaxmove(r);
    if (r.Chance(40)) SetField(f.chars_not_for_head, RandomSet(r));
    if (r.Chance(20)) SetField(f.chars_not_for_head, lumo_fold::PresetHeadWithoutSpace());
    if (r.Chance(40)) SetField(f.chars_not_for_tail, RandomSet(r));
    if (r.Chance(40)) SetField(f.chars_for_wordwrap, RandomSet(r));

    c.header.lumoheader = RandomBits(r, {HEADER_NO_FORMAT, HEADER_DELIM_EMPTY_LINE,
                                         HEADER_DELIM_EXACT});
    SetField(c.header.headerdelimiter,
             r.Pick(std::vector<std::string>{"", "--", "---", "#", "> ", "a", Sjis("※")}));

    c.tab_width = r.Below(10);
    c.source = RandomText(r, r.Chance(90) ? 60 : 200);
    return c;
}

std::string Describe(const Case &c) {
    std::ostringstream o;
    o << "source " << Hex(c.source) << "\n  foldnum " << c.fold.foldnum << " tailwrap "
      << c.fold.tailwrap_flag << " wraptype 0x" << std::hex << c.fold.wraptype << std::dec
      << " left " << c.fold.maxmove_leftwise << " right " << c.fold.maxmove_rightwise << " tab "
      << c.tab_width << "\n  head " << Hex(c.fold.chars_not_for_head) << "\n  tail "
      << Hex(c.fold.chars_not_for_tail) << "\n  word " << Hex(c.fold.chars_for_wordwrap)
      << "\n  styles 0x" << std::hex << c.indent.styles << " sub 0x" << c.indent.sub_styles
      << std::dec << " fixed " << c.indent.fixed_indent_column << " header 0x" << std::hex
      << c.header.lumoheader << std::dec << " delimiter " << Hex(c.header.headerdelimiter);
    return o.str();
}

// Bytes of the character at content[i], an incomplete one at the end counting one.
size_t CharAt(const std::string &content, size_t i) {
    const auto b = static_cast<unsigned char>(content[i]);
    const bool lead = (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
    return lead && i + 1 < content.size() ? 2 : 1;
}

bool IsBoundary(const std::string &content, size_t offset) {
    size_t i = 0;
    while (i < offset) i += CharAt(content, i);
    return i == offset;
}

// The columns after each character of content[start, end), with tab stops
// counted from start; false when a character starts at or past the column.
bool FitsColumn(const std::string &content, size_t start, size_t end, uint64_t column,
                uint32_t tab_width, uint64_t *width) {
    uint64_t col = 0;
    for (size_t i = start; i < end; i += CharAt(content, i)) {
        if (col >= column) return false;
        if (content[i] == '\t') {
            col = tab_width == 0 ? col + 1 : (col / tab_width + 1) * tab_width;
        } else {
            col += CharAt(content, i);
        }
    }
    *width = col;
    return true;
}

// Takes the output apart again: the header, then per line its segments,
// separated by the terminator in force and the line's prefix. Returns an
// empty string when the body comes back exactly, else what went wrong.
std::string Unfold(const Case &c, IndentSettings indent, size_t header_length,
                   const std::string &output) {
    if (output.compare(0, header_length, c.source, 0, header_length) != 0) {
        return "header not copied unchanged";
    }
    const bool rules_off = (c.fold.tailwrap_flag & (TAIL_WORDWRAP | TAIL_KINSOKU)) == 0;
    size_t pos = header_length;
    int line_number = 0;
    for (const lumo_fold::SourceLine &line : lumo_fold::SplitLines(c.source.substr(header_length))) {
        ++line_number;
        const std::string where = "line " + std::to_string(line_number) + ": ";
        const lumo_fold::LineClass lc = lumo_fold::Classify(line.text, &indent);
        if ((indent.sub_styles & SUB_KEEP_QUOTED) && (lc.flags & LINE_QUOTED)) {
            if (output.compare(pos, line.text.size(), line.text) != 0) {
                return where + "quoted line not passed through";
            }
            pos += line.text.size();
            continue;
        }
        if (line.content.empty()) {
            if (output.compare(pos, line.own_end.size(), line.own_end) != 0) {
                return where + "empty line not copied";
            }
            pos += line.own_end.size();
            continue;
        }
        const std::string between =
            line.kind == NEWLINE_NONE ? std::string("\r\n") : lumo_fold::Terminator(line.kind);
        size_t done = 0;
        for (bool first = true;; first = false) {
            if (!first) {
                if (output.compare(pos, between.size(), between) != 0) {
                    return where + "no terminator between segments at output byte " +
                           std::to_string(pos);
                }
                pos += between.size();
                if (output.compare(pos, lc.prefix.size(), lc.prefix) != 0) {
                    return where + "no prefix " + Hex(lc.prefix) + " at output byte " +
                           std::to_string(pos);
                }
                pos += lc.prefix.size();
            }
            size_t end = output.find_first_of("\r\n", pos);
            if (end == std::string::npos) end = output.size();
            const size_t length = end - pos;
            if (length == 0) return where + "empty segment";
            if (line.content.compare(done, length, output, pos, length) != 0) {
                return where + "segment " + Hex(output.substr(pos, length)) +
                       " is not the next part of the line";
            }
            if (!IsBoundary(line.content, done + length)) {
                return where + "segment ends inside a two-byte character";
            }
            if (rules_off) {
                const uint64_t column = first ? c.fold.foldnum
                                              : uint64_t{c.fold.foldnum} - lc.prefix.size();
                uint64_t width = 0;
                if (!FitsColumn(line.content, done, done + length, column, c.tab_width, &width)) {
                    return where + "segment " + Hex(output.substr(pos, length)) +
                           " has a character past column " + std::to_string(column);
                }
                if (done + length < line.content.size() && width < column) {
                    return where + "segment " + Hex(output.substr(pos, length)) +
                           " cut before column " + std::to_string(column);
                }
            }
            pos = end;
            done += length;
            if (done >= line.content.size()) break;
        }
        const std::string last = !line.own_end.empty() ? line.own_end
                                                       : lumo_fold::Terminator(line.kind);
        if (output.compare(pos, last.size(), last) != 0) {
            return where + "line not ended by " + Hex(last);
        }
        pos += last.size();
    }
    if (pos != output.size()) return "bytes after the last line: " + Hex(output.substr(pos));
    return std::string();
}

// Every check of one case; returns the description of the first failure.
std::string CheckCase(const Case &c, Random &r) {
    IndentSettings model_indent = c.indent;
    const lumo_fold::ReferenceResult ref =
        lumo_fold::ReferenceFormat(c.source, &model_indent, c.fold, c.header, c.tab_width);

    auto run = [&](uint32_t capacity, IndentSettings *indent) {
        return lumo_fold::RunFormat(c.source, indent, c.fold, c.header, c.tab_width, capacity);
    };
    auto kept = [&](const FormatOutcome &o, uint32_t capacity) -> std::string {
        const std::string at = " (capacity " + std::to_string(capacity) + ")";
        if (o.result != FORMAT_DONE && o.result != FORMAT_NO_COLUMN &&
            o.result != FORMAT_OUTPUT_TOO_SMALL) {
            return "result " + std::to_string(o.result) + at;
        }
        if (!o.guard_intact) return "written at or past the capacity" + at;
        if (o.foldnum_after != c.fold.foldnum) return "foldnum not restored" + at;
        if (!o.fold_intact) return "FoldSettings changed" + at;
        if (!o.header_intact) return "HeaderSettings changed" + at;
        if (!o.request_intact) return "FormatRequest changed" + at;
        return std::string();
    };

    const uint32_t ample = static_cast<uint32_t>(ref.output.size() + 4096);
    IndentSettings indent = c.indent;
    const FormatOutcome big = run(ample, &indent);
    if (std::string e = kept(big, ample); !e.empty()) return e;
    if (big.result != ref.result) {
        return "result " + std::to_string(big.result) + ", the model gives " +
               std::to_string(ref.result);
    }
    if (!big.terminated || big.output != ref.output) {
        return "output differs from the model:\n  model  " + Hex(ref.output) + "\n  actual " +
               Hex(big.output);
    }
    if (std::memcmp(&indent, &model_indent, sizeof(IndentSettings)) != 0) {
        return "IndentSettings changed other than by classification";
    }
    if (big.result == FORMAT_NO_COLUMN) {
        const uint32_t capacity = r.Below(static_cast<uint32_t>(ref.output.size() + 8));
        IndentSettings again = c.indent;
        const FormatOutcome o = run(capacity, &again);
        if (std::string e = kept(o, capacity); !e.empty()) return e;
        if (o.result != FORMAT_NO_COLUMN) return "result 2 not kept with a small buffer";
        return std::string();
    }

    if (std::string e = Unfold(c, c.indent, ref.header_length, big.output); !e.empty()) {
        return "output does not unfold to the source: " + e + "\n  output " + Hex(big.output);
    }

    const uint32_t total = static_cast<uint32_t>(big.output.size());
    for (uint32_t capacity : {total + 1, total, r.Below(total + 1)}) {
        IndentSettings again = c.indent;
        const FormatOutcome o = run(capacity, &again);
        if (std::string e = kept(o, capacity); !e.empty()) return e;
        const std::string at = " with capacity " + std::to_string(capacity);
        if (capacity > total) {
            if (o.result != FORMAT_DONE || o.output != big.output) return "exact fit fails" + at;
        } else {
            if (o.result != FORMAT_OUTPUT_TOO_SMALL) {
                return "result " + std::to_string(o.result) + at + ", not 8";
            }
            if (capacity == 0 && !o.untouched) return "output written" + at;
            if (capacity > 0 && (!o.terminated || !o.output.empty())) {
                return "output not the empty string" + at;
            }
        }
    }
    return std::string();
}

class RandomFormat : public testing::TestWithParam<uint32_t> {};

TEST_P(RandomFormat, PropertiesHold) {
    constexpr int kCases = 800;
    constexpr int kMaxReported = 5;
    Random r(GetParam());
    int failures = 0;
    for (int i = 0; i < kCases && failures < kMaxReported; ++i) {
        const Case c = RandomCase(r);
        const std::string failure = CheckCase(c, r);
        if (!failure.empty()) {
            ++failures;
            ADD_FAILURE() << "seed " << GetParam() << " case " << i << ": " << failure << "\n  "
                          << Describe(c);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Seeds, RandomFormat,
                         testing::Values(1u, 2u, 3u, 20240607u, 0xC0FFEEu, 0xDEADBEEFu));

}  // namespace
