// The built-in presets 0, 1 and 2. They differ only in a few flag words; the
// seven character sets are the same for all three, and are kept as exact
// Shift-JIS bytes because those bytes, not their glyphs, are the contract.
#include "settings/presets.h"

#include <cstring>

namespace lumo {
namespace {

// ">|》｜"
constexpr char kQuote[] = "\x3E\x7C\x81\x74\x81\x62";
// "#"
constexpr char kEmpha[] = "\x23";
// "・*-" and the circled numbers ①..⑳
constexpr char kSoleItemize[] =
    "\x81\x45\x2A\x2D"
    "\x87\x40\x87\x41\x87\x42\x87\x43\x87\x44\x87\x45\x87\x46\x87\x47\x87\x48\x87\x49"
    "\x87\x4A\x87\x4B\x87\x4C\x87\x4D\x87\x4E\x87\x4F\x87\x50\x87\x51\x87\x52\x87\x53";
// 0-9, ０-９, Ⅰ-Ⅹ, a-z, A-Z, ａ-ｚ, Ａ-Ｚ, "-－(（"
constexpr char kCombiItemize[] =
    "0123456789"
    "\x82\x4F\x82\x50\x82\x51\x82\x52\x82\x53\x82\x54\x82\x55\x82\x56\x82\x57\x82\x58"
    "\x87\x54\x87\x55\x87\x56\x87\x57\x87\x58\x87\x59\x87\x5A\x87\x5B\x87\x5C\x87\x5D"
    "abcdefghijklmnopqrstuvwxyz"
    "ABCDEFGHIJKLMNOPQRSTUVWXYZ"
    "\x82\x81\x82\x82\x82\x83\x82\x84\x82\x85\x82\x86\x82\x87\x82\x88\x82\x89\x82\x8A"
    "\x82\x8B\x82\x8C\x82\x8D\x82\x8E\x82\x8F\x82\x90\x82\x91\x82\x92\x82\x93\x82\x94"
    "\x82\x95\x82\x96\x82\x97\x82\x98\x82\x99\x82\x9A"
    "\x82\x60\x82\x61\x82\x62\x82\x63\x82\x64\x82\x65\x82\x66\x82\x67\x82\x68\x82\x69"
    "\x82\x6A\x82\x6B\x82\x6C\x82\x6D\x82\x6E\x82\x6F\x82\x70\x82\x71\x82\x72\x82\x73"
    "\x82\x74\x82\x75\x82\x76\x82\x77\x82\x78\x82\x79"
    "\x2D\x81\x7C\x28\x81\x69";
// ".)．）"
constexpr char kItemizeEnd[] = "\x2E\x29\x81\x44\x81\x6A";
// Opening brackets and currency signs: "‘“（〔［｛〈《「『【￥＄$([\{｢([{｢"
constexpr char kNotForTail[] =
    "\x81\x65\x81\x67\x81\x69\x81\x6B\x81\x6D\x81\x6F\x81\x71\x81\x73\x81\x75\x81\x77"
    "\x81\x79\x81\x8F\x81\x90\x24\x28\x5B\x5C\x7B\xA2\x28\x5B\x7B\xA2";
// Closing brackets, punctuation and small marks, beginning with the half-width
// space: " 、。，．・：；？！゛゜ヽヾゝゞ々ー’”）〕］｝〉》」』】°′″℃￠％!%),.:;?]}｡｣､･ｰﾞﾟ"
constexpr char kNotForHead[] =
    "\x20\x81\x41\x81\x42\x81\x43\x81\x44\x81\x45\x81\x46\x81\x47\x81\x48\x81\x49\x81\x4A"
    "\x81\x4B\x81\x52\x81\x53\x81\x54\x81\x55\x81\x58\x81\x5B\x81\x66\x81\x68\x81\x6A\x81\x6C"
    "\x81\x6E\x81\x70\x81\x72\x81\x74\x81\x76\x81\x78\x81\x7A\x81\x8B\x81\x8C\x81\x8D\x81\x8E"
    "\x81\x91\x81\x93\x21\x25\x29\x2C\x2E\x3A\x3B\x3F\x5D\x7D\xA1\xA3\xA4\xA5\xB0\xDE\xDF";

static_assert(sizeof(kSoleItemize) - 1 == 44, "sole itemise marks");
static_assert(sizeof(kCombiItemize) - 1 == 212, "combined itemise characters");
static_assert(sizeof(kNotForTail) - 1 == 36, "line-end prohibited characters");
static_assert(sizeof(kNotForHead) - 1 == 86, "line-head prohibited characters");

// The words in which the presets differ; everything else is shared.
struct PresetWords {
    uint32_t styles;
    uint32_t sub_styles;
    uint32_t lumoheader;
};
constexpr PresetWords kPresets[LUMO_PRESET_COUNT] = {
    {0x800000B1u, 0xC000000Eu, 0x10002u},
    {0x800000B7u, 0xC000004Eu, 0x10003u},
    {0x800000B7u, 0xC000000Eu, 0x10002u},
};

template <size_t N, size_t M>
void CopySet(char (&field)[N], const char (&text)[M]) {
    static_assert(M <= N, "preset set fits its field");
    std::memcpy(field, text, M);
}

bool IsPreset(int32_t preset) { return preset >= 0 && preset < LUMO_PRESET_COUNT; }

}  // namespace

int32_t FillIndentPreset(IndentSettings *record, int32_t preset) {
    std::memset(record, 0, sizeof *record);
    if (!IsPreset(preset)) return ERR_BAD_NUMBER;
    record->record_size = INDENT_SETTINGS_SIZE;
    record->styles = kPresets[preset].styles;
    record->sub_styles = kPresets[preset].sub_styles;
    CopySet(record->chars_for_quote, kQuote);
    CopySet(record->chars_for_empha, kEmpha);
    CopySet(record->chars_for_sole_itemize, kSoleItemize);
    CopySet(record->chars_for_combi_itemize, kCombiItemize);
    CopySet(record->chars_for_itemize_end, kItemizeEnd);
    return 0;
}

int32_t FillFoldPreset(FoldSettings *record, int32_t preset) {
    std::memset(record, 0, sizeof *record);
    if (!IsPreset(preset)) return ERR_BAD_NUMBER;
    record->record_size = FOLD_SETTINGS_SIZE;
    record->foldnum_from_head = 70;
    record->foldnum_from_tail = 5;
    record->tailwrap_flag = TAIL_WORDWRAP | TAIL_KINSOKU;
    record->wraptype = WRAP_PUSH_OUT | WRAP_ALNUM;
    record->maxmove_leftwise = 20;
    record->maxmove_rightwise = 3;
    CopySet(record->chars_not_for_tail, kNotForTail);
    CopySet(record->chars_not_for_head, kNotForHead);
    return 0;
}

int32_t FillHeaderPreset(HeaderSettings *record, int32_t preset) {
    std::memset(record, 0, sizeof *record);
    if (!IsPreset(preset)) return ERR_BAD_NUMBER;
    record->record_size = HEADER_SETTINGS_SIZE;
    record->lumoheader = kPresets[preset].lumoheader;
    return 0;
}

}  // namespace lumo

namespace lumo {

int32_t FillPreset(Records *records, int32_t preset, uint32_t foldnum) {
    FillIndentPreset(&records->indent, preset);
    FillFoldPreset(&records->fold, preset);
    const int32_t result = FillHeaderPreset(&records->header, preset);
    if (result == 0) records->fold.foldnum = foldnum;
    return result;
}

}  // namespace lumo
