// The three built-in presets written out by hand, byte for byte, so that tests
// can check the library's preset fill against them and can classify or format
// with preset settings without trusting that fill.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>

#include "lumotext.h"
#include "support/sjis.h"

namespace lumo_test {

// The seven character sets; every preset carries the same copies.
namespace preset_sets {

// > | 》 ｜
inline constexpr const char *kQuoteHex = "3E 7C 81 74 81 62";
// #
inline constexpr const char *kEmphaHex = "23";
// ・ * - and the circled numbers ① to ⑳
inline constexpr const char *kSoleItemizeHex =
    "81 45 2A 2D "
    "87 40 87 41 87 42 87 43 87 44 87 45 87 46 87 47 87 48 87 49 "
    "87 4A 87 4B 87 4C 87 4D 87 4E 87 4F 87 50 87 51 87 52 87 53";
// 0-9, ０-９, Ⅰ-Ⅹ, a-z, A-Z, ａ-ｚ, Ａ-Ｚ, - － ( （
inline constexpr const char *kCombiItemizeHex =
    "30 31 32 33 34 35 36 37 38 39 "
    "82 4F 82 50 82 51 82 52 82 53 82 54 82 55 82 56 82 57 82 58 "
    "87 54 87 55 87 56 87 57 87 58 87 59 87 5A 87 5B 87 5C 87 5D "
    "61 62 63 64 65 66 67 68 69 6A 6B 6C 6D 6E 6F 70 71 72 73 74 75 76 77 78 79 7A "
    "41 42 43 44 45 46 47 48 49 4A 4B 4C 4D 4E 4F 50 51 52 53 54 55 56 57 58 59 5A "
    "82 81 82 82 82 83 82 84 82 85 82 86 82 87 82 88 82 89 82 8A 82 8B 82 8C 82 8D "
    "82 8E 82 8F 82 90 82 91 82 92 82 93 82 94 82 95 82 96 82 97 82 98 82 99 82 9A "
    "82 60 82 61 82 62 82 63 82 64 82 65 82 66 82 67 82 68 82 69 82 6A 82 6B 82 6C "
    "82 6D 82 6E 82 6F 82 70 82 71 82 72 82 73 82 74 82 75 82 76 82 77 82 78 82 79 "
    "2D 81 7C 28 81 69";
// . ) ． ）
inline constexpr const char *kItemizeEndHex = "2E 29 81 44 81 6A";
// opening brackets and currency signs; the last four one-byte ones repeat
inline constexpr const char *kNotForTailHex =
    "81 65 81 67 81 69 81 6B 81 6D 81 6F 81 71 81 73 81 75 81 77 81 79 81 8F 81 90 "
    "24 28 5B 5C 7B A2 28 5B 7B A2";
// the half-width space, then closing brackets, punctuation and small marks
inline constexpr const char *kNotForHeadHex =
    "20 81 41 81 42 81 43 81 44 81 45 81 46 81 47 81 48 81 49 81 4A 81 4B 81 52 81 53 "
    "81 54 81 55 81 58 81 5B 81 66 81 68 81 6A 81 6C 81 6E 81 70 81 72 81 74 81 76 "
    "81 78 81 7A 81 8B 81 8C 81 8D 81 8E 81 91 81 93 "
    "21 25 29 2C 2E 3A 3B 3F 5D 7D A1 A3 A4 A5 B0 DE DF";

}  // namespace preset_sets

// The scalar values of one preset.
struct PresetScalars {
    uint32_t styles;
    uint32_t sub_styles;
    uint32_t foldnum_from_head;
    uint32_t foldnum_from_tail;
    uint32_t tailwrap_flag;
    uint32_t wraptype;
    uint32_t maxmove_leftwise;
    uint32_t maxmove_rightwise;
    uint32_t lumoheader;
};

inline constexpr PresetScalars kPresetScalars[3] = {
    {0x800000B1u, 0xC000000Eu, 70, 5, 3, 0x11, 20, 3, 0x10002u},
    {0x800000B7u, 0xC000004Eu, 70, 5, 3, 0x11, 20, 3, 0x10003u},
    {0x800000B7u, 0xC000000Eu, 70, 5, 3, 0x11, 20, 3, 0x10002u},
};

inline void CopySet(char (&field)[LUMO_SET_BYTES], const char *hex) {
    std::string bytes = FromHex(hex);
    std::memcpy(field, bytes.data(), bytes.size());
    field[bytes.size()] = '\0';
}

// preset must be 0, 1 or 2.
inline IndentSettings ExpectedIndentPreset(int preset) {
    IndentSettings r;
    std::memset(&r, 0, sizeof r);
    r.record_size = 7736;
    r.styles = kPresetScalars[preset].styles;
    r.sub_styles = kPresetScalars[preset].sub_styles;
    CopySet(r.chars_for_quote, preset_sets::kQuoteHex);
    CopySet(r.chars_for_empha, preset_sets::kEmphaHex);
    CopySet(r.chars_for_sole_itemize, preset_sets::kSoleItemizeHex);
    CopySet(r.chars_for_combi_itemize, preset_sets::kCombiItemizeHex);
    CopySet(r.chars_for_itemize_end, preset_sets::kItemizeEndHex);
    return r;
}

inline FoldSettings ExpectedFoldPreset(int preset) {
    FoldSettings r;
    std::memset(&r, 0, sizeof r);
    const PresetScalars &s = kPresetScalars[preset];
    r.record_size = 3104;
    r.foldnum_from_head = s.foldnum_from_head;
    r.foldnum_from_tail = s.foldnum_from_tail;
    r.tailwrap_flag = s.tailwrap_flag;
    r.wraptype = s.wraptype;
    r.maxmove_leftwise = s.maxmove_leftwise;
    r.maxmove_rightwise = s.maxmove_rightwise;
    CopySet(r.chars_not_for_tail, preset_sets::kNotForTailHex);
    CopySet(r.chars_not_for_head, preset_sets::kNotForHeadHex);
    return r;
}

inline HeaderSettings ExpectedHeaderPreset(int preset) {
    HeaderSettings r;
    std::memset(&r, 0, sizeof r);
    r.record_size = 264;
    r.lumoheader = kPresetScalars[preset].lumoheader;
    return r;
}

}  // namespace lumo_test
