// The formatting core's shortcuts against the plain walks they replace: set
// tables, StartsDoubleByte, the fold position, and every line-end rule with
// and without the fold settings' tables. Seeded random bytes, heavy in lead
// bytes, line ends and control bytes, where the shortcuts could go wrong.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <random>
#include <string>

#include "format/find_break.h"
#include "support/break_search.h"
#include "format/line_end_rules.h"
#include "text/text.h"
#include "lumotext.h"
#include "settings/presets.h"
#include "support/sjis.h"

namespace {

using lumo_test::Hex;

class Random {
public:
    explicit Random(uint32_t seed) : engine_(seed) {}
    uint32_t Below(uint32_t n) { return static_cast<uint32_t>(engine_() % n); }
    bool Chance(uint32_t percent) { return Below(100) < percent; }

private:
    std::mt19937 engine_;
};

// Bytes where one-byte and two-byte characters, terminators and tabs meet.
constexpr unsigned char kBytes[] = {0x00, 0x01, 0x09, 0x0A, 0x0B, 0x0D, 0x0E, 0x20, 0x28, 0x29, 0x2E,
                                    0x40, 0x41, 0x61, 0x7E, 0x7F, 0x80, 0x81, 0x82, 0x9F, 0xA0, 0xA1,
                                    0xB0, 0xDF, 0xE0, 0xEA, 0xFC, 0xFD, 0xFF};

// Lead bytes of code page 932: long runs of them are where the characters'
// boundaries are hardest to tell.
constexpr unsigned char kLeads[] = {0x81, 0x82, 0x88, 0x9F, 0xE0, 0xEA, 0xFC};

unsigned char RandomByte(Random &r, bool nul) {
    for (;;) {
        const uint32_t k = r.Below(10);
        const unsigned char b = k < 4   ? kLeads[r.Below(sizeof kLeads)]
                                : k < 8 ? kBytes[r.Below(sizeof kBytes)]
                                        : static_cast<unsigned char>(r.Below(256));
        if (b != 0 || nul) return b;
    }
}

std::string RandomBytes(Random &r, size_t length, bool nul) {
    std::string s;
    for (size_t i = 0; i < length; ++i) s += static_cast<char>(RandomByte(r, nul));
    return s;
}

// The walk that StartsDoubleByte stands for.
bool WalkStartsDoubleByte(const lumo::CodePage &cp, const char *start, const char *pos) {
    if (pos < start) return false;
    const char *p = start;
    while (p < pos) {
        if (*p == '\0') return false;
        p += cp.CharLength(p);
    }
    return p == pos && cp.CharLength(p) == 2;
}

TEST(StartsDoubleByte, AnswersAsTheWalkFromStart) {
    const lumo::CodePage cp;
    Random r(11);
    for (int round = 0; round < 3000; ++round) {
        const bool nul = r.Chance(20);
        const std::string text = RandomBytes(r, r.Below(40), nul);
        const char *s = text.c_str();
        for (size_t start = 0; start <= text.size(); ++start) {
            for (size_t pos = 0; pos <= text.size(); ++pos) {
                const bool want = WalkStartsDoubleByte(cp, s + start, s + pos);
                ASSERT_EQ(lumo::StartsDoubleByte(cp, s + start, s + pos), want)
                    << Hex(text) << " start " << start << " pos " << pos;
                if (pos >= start && std::memchr(s + start, '\0', pos - start) == nullptr) {
                    ASSERT_EQ(lumo::StartsDoubleByteInText(cp, s + start, s + pos), want)
                        << Hex(text) << " start " << start << " pos " << pos;
                }
            }
        }
    }
}

// Sets of a few characters, with lead bytes at the end or in front of a line
// end, which the walk over the set takes as one-byte characters.
std::string RandomSet(Random &r) {
    std::string set = RandomBytes(r, r.Below(16), false);
    if (r.Chance(20)) set += '\x81';
    return set;
}

TEST(CharTable, AnswersAsTheWalkOverTheSetForEveryCode) {
    const lumo::CodePage cp;
    Random r(12);
    FoldSettings preset{};
    lumo::FillFoldPreset(&preset, 2);
    for (int round = 0; round < 60; ++round) {
        const std::string set = round == 0 ? preset.chars_not_for_head
                                : round == 1 ? preset.chars_not_for_tail
                                             : RandomSet(r);
        const auto table = std::make_unique<lumo::CharTable>(cp, set.c_str());
        for (uint32_t code = 0; code < 0x10000; ++code) {
            ASSERT_EQ(table->Contains(code), cp.InSet(set.c_str(), code)) << Hex(set) << " code " << code;
        }
    }
}

// The fold column found by walking the columns one character at a time.
const char *WalkFold(const lumo::CodePage &cp, const char *segment, uint32_t tab_width, uint32_t foldnum) {
    uint64_t column = 0;
    const char *p = segment;
    while (column < foldnum && !lumo::IsLineEnd(static_cast<unsigned char>(*p))) {
        const size_t length = cp.CharLength(p);
        if (length == 2) {
            column += 2;
        } else if (*p == '\t' && tab_width != 0) {
            column = (column / tab_width + 1) * tab_width;
        } else {
            column += 1;
        }
        p += length;
    }
    return p;
}

// With neither word wrap nor kinsoku the break is the fold position itself,
// or the line's end when the rest fits.
TEST(FindBreak, RulesOffBreaksWhereTheColumnWalkEnds) {
    const lumo::CodePage cp;
    Random r(13);
    FoldSettings fold{};
    lumo::FillFoldPreset(&fold, 2);
    fold.tailwrap_flag = 0;
    for (int round = 0; round < 20000; ++round) {
        std::string line = RandomBytes(r, r.Below(120), false);
        line.erase(std::remove_if(line.begin(), line.end(), [](char c) { return c == '\r' || c == '\n'; }),
                   line.end());
        const std::string terminator = r.Chance(50) ? "\r\n" : r.Chance(50) ? "\n" : "";
        const std::string text = line + terminator;
        const size_t segment = line.empty() ? 0 : r.Below(static_cast<uint32_t>(line.size()));
        if (segment >= line.size()) continue;
        fold.foldnum = 1 + r.Below(r.Chance(80) ? 40 : 200);
        const uint32_t tab_width = r.Below(9);
        const std::unique_ptr<char[]> exact(new char[text.size() + 1]);  // a read past the NUL shows
        std::memcpy(exact.get(), text.c_str(), text.size() + 1);
        const char *s = exact.get();
        const char *fold_position = WalkFold(cp, s + segment, tab_width, fold.foldnum);
        const char *want = lumo::IsLineEnd(static_cast<unsigned char>(*fold_position)) ? s + text.size()
                                                                                           : fold_position;
        ASSERT_EQ(lumo_fold::BreakSearch(cp, fold, tab_width).Find(s, s + text.size(), s + segment) - s, want - s)
            << Hex(text) << " segment " << segment << " fold " << fold.foldnum << " tab " << tab_width;
    }
}

FoldSettings RandomFold(Random &r) {
    FoldSettings fold{};
    lumo::FillFoldPreset(&fold, 2);
    fold.foldnum = 1 + r.Below(40);
    fold.tailwrap_flag = r.Below(4);
    fold.wraptype = r.Below(4) | (r.Below(8) << 4);
    fold.maxmove_leftwise = r.Below(25);
    fold.maxmove_rightwise = r.Below(5);
    if (r.Chance(40)) std::strcpy(fold.chars_not_for_head, RandomSet(r).c_str());
    if (r.Chance(40)) std::strcpy(fold.chars_not_for_tail, RandomSet(r).c_str());
    if (r.Chance(60)) std::strcpy(fold.chars_for_wordwrap, RandomSet(r).c_str());
    return fold;
}

// The tables answer as walking the sets does (whole character against
// whole character), and the word class as IsWordByte.
TEST(FoldTables, AnswerAsTheSetsDo) {
    const lumo::CodePage cp;
    Random r(14);
    for (int round = 0; round < 400; ++round) {
        const FoldSettings fold = RandomFold(r);
        const auto tables = std::make_unique<lumo::FoldTables>(cp, fold);
        std::string line = RandomBytes(r, 1 + r.Below(80), false);
        line.erase(std::remove_if(line.begin(), line.end(), [](char c) { return c == '\r' || c == '\n'; }),
                   line.end());
        if (line.empty()) continue;
        const std::string text = line + "\r\n";
        SCOPED_TRACE(Hex(text));
        for (size_t i = 0; i < line.size(); ++i) {
            const char *p = text.c_str() + i;
            const uint32_t code = cp.CharCode(p);
            const int walked = cp.InSet(fold.chars_not_for_head, code)   ? 1
                               : cp.InSet(fold.chars_not_for_tail, code) ? 2
                                                                          : 0;
            ASSERT_EQ(lumo::KinsokuClass(cp, p, *tables), walked) << i;
        }
        for (int byte = 0; byte < 256; ++byte) {
            ASSERT_EQ(tables->word_byte[static_cast<unsigned char>(byte)],
                      lumo::IsWordByte(static_cast<unsigned char>(byte), fold.wraptype, fold.chars_for_wordwrap));
        }
    }
}

}  // namespace
