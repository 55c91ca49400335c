// Settings records chosen by the fuzzer: a preset, then any field replaced
// by small, huge or raw values, flag words with every bit in play, and text
// fields of raw bytes or chosen characters (two-byte characters, stray lead
// bytes, line breaks), now and then full to the last byte without a NUL.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>

#include "fuzz_input.h"
#include "lumotext.h"
#include "settings/presets.h"

namespace lumo_fuzz {

// Two-byte characters and bytes that the rules care about, so that short
// fuzzed sets hit the texts' characters more often than raw bytes would.
inline std::string InterestingChar(FuzzInput &in) {
    static const char *const kChars[] = {
        " ",        "\t",       "\r",       "\n",       "\x81\x40" /* full-width space */,
        "\x81\x42" /* 。 */,    "\x81\x41" /* 、 */,    "\x81\x75" /* 「 */,
        "\x81\x76" /* 」 */,    "\x81\x45" /* ・ */,    "\x81\x69" /* （ */,
        "\x81\x6A" /* ） */,    ">",        "#",        "*",        "-",
        "1",        ".",        ")",        "a",        "\x82\xA0" /* あ */,
        "\x81",     "\xE0",     "\xFC",     "\xA1",     "\x5C",     "\x7F",
        "\x82\x4F" /* ０ */,    "\x87\x40" /* ① */};
    return kChars[in.Below(sizeof kChars / sizeof kChars[0])];
}

// A text for a set or string field: raw bytes or a few chosen characters.
inline std::string FieldText(FuzzInput &in, size_t max) {
    if (in.Bit()) return in.Bytes(max);
    std::string text;
    for (uint32_t n = in.Below(6); n > 0; --n) text += InterestingChar(in);
    return text.substr(0, max);
}

// Replaces a text field now and then (a zero byte keeps the preset's):
// emptied, a short text, or the whole field filled by repeating a short
// text, with or without a NUL at its end.
template <size_t N>
void MaybeSetField(FuzzInput &in, char (&field)[N]) {
    switch (in.Below(8)) {
    case 4:
        std::memset(field, 0, N);
        break;
    case 5:
    case 6: {
        const std::string text = FieldText(in, N - 1);
        std::memset(field, 0, N);
        std::memcpy(field, text.data(), text.size());
        break;
    }
    case 7: {
        std::string unit = FieldText(in, 8);
        if (unit.empty()) unit = "\x81";
        for (size_t i = 0; i < N; ++i) field[i] = unit[i % unit.size()];
        if (in.Bit()) field[N - 1] = '\0';
        break;
    }
    default:
        break;  // the preset's value
    }
}

// A column count or limit: the preset's (for a zero byte), small, tiny,
// huge or raw.
inline uint32_t Number(FuzzInput &in, uint32_t preset, uint32_t small) {
    switch (in.Below(8)) {
    case 1:
    case 2:
    case 3: return in.Below(small + 1);
    case 4: return in.Below(4);
    case 5: return in.U32();
    case 6: {
        static const uint32_t kEdges[] = {254, 255, 256, 1000, 0x7FFFFFFFu, 0x80000000u,
                                          0xFFFFFFFEu, 0xFFFFFFFFu};
        return kEdges[in.Below(8)];
    }
    default: return preset;
    }
}

// A flag word: the preset's, raw, or the preset with a few bits flipped.
inline uint32_t Flags(FuzzInput &in, uint32_t preset) {
    switch (in.Below(4)) {
    case 0: return preset;
    case 1: return in.U32();
    default: {
        uint32_t flags = preset;
        for (uint32_t n = 1 + in.Below(3); n > 0; --n) flags ^= uint32_t{1} << in.Below(32);
        return flags;
    }
    }
}

inline void FuzzIndent(FuzzInput &in, IndentSettings *s) {
    lumo::FillIndentPreset(s, static_cast<int32_t>(in.Below(3)));
    s->styles = Flags(in, s->styles);
    s->sub_styles = Flags(in, s->sub_styles);
    s->fixed_indent_column = Number(in, s->fixed_indent_column, 40);
    MaybeSetField(in, s->chars_for_quote);
    MaybeSetField(in, s->chars_for_empha);
    MaybeSetField(in, s->chars_for_sole_itemize);
    MaybeSetField(in, s->chars_for_combi_itemize);
    MaybeSetField(in, s->chars_for_itemize_end);
    for (uint32_t n = in.Below(4); n > 0; --n) {
        const uint32_t k = in.Below(LUMO_INDENT_STRING_COUNT);
        MaybeSetField(in, s->indent_string[k]);
        s->indent_string_property[k] = in.Bit() ? in.U32() : in.Below(2);
    }
}

inline void FuzzFold(FuzzInput &in, FoldSettings *s) {
    lumo::FillFoldPreset(s, static_cast<int32_t>(in.Below(3)));
    s->foldnum = 20 + in.Below(60);
    s->foldnum = Number(in, s->foldnum, 100);
    s->foldnum_from_head = Number(in, s->foldnum_from_head, 100);
    s->foldnum_from_tail = Number(in, s->foldnum_from_tail, 100);
    s->tailwrap_flag = Flags(in, s->tailwrap_flag);
    s->wraptype = Flags(in, s->wraptype);
    s->maxmove_leftwise = Number(in, s->maxmove_leftwise, 40);
    s->maxmove_rightwise = Number(in, s->maxmove_rightwise, 10);
    MaybeSetField(in, s->chars_not_for_tail);
    MaybeSetField(in, s->chars_not_for_head);
    MaybeSetField(in, s->chars_for_wordwrap);
}

inline void FuzzHeader(FuzzInput &in, HeaderSettings *s) {
    lumo::FillHeaderPreset(s, static_cast<int32_t>(in.Below(3)));
    s->lumoheader = Flags(in, s->lumoheader);
    MaybeSetField(in, s->headerdelimiter);
}

// A text field as the core reads it after copying the record: up to its
// first NUL, and never its last byte.
template <size_t N>
std::string FieldString(const char (&field)[N]) {
    return std::string(field, strnlen(field, N - 1));
}

}  // namespace lumo_fuzz
