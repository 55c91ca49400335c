// The record fields a UTF-8 call spells, as one table per record. Sets bring
// the partners of their characters along; indent strings are compared byte
// for byte and are spelt as they are.
#include "text/spelt_records.h"

namespace lumo::text {
namespace {

using IndentSet = char (IndentSettings::*)[LUMO_SET_BYTES];
using FoldSet = char (FoldSettings::*)[LUMO_SET_BYTES];

constexpr IndentSet kIndentSets[] = {
    &IndentSettings::chars_for_quote,         &IndentSettings::chars_for_empha,
    &IndentSettings::chars_for_sole_itemize,  &IndentSettings::chars_for_combi_itemize,
    &IndentSettings::chars_for_itemize_end,
};
constexpr FoldSet kFoldSets[] = {
    &FoldSettings::chars_not_for_tail,
    &FoldSettings::chars_not_for_head,
    &FoldSettings::chars_for_wordwrap,
};

}  // namespace

void CollectSets(const IndentSettings &indent, const FoldSettings *fold, Alphabet *alphabet) {
    for (const IndentSet set : kIndentSets) alphabet->Collect(indent.*set, LUMO_SET_BYTES);
    for (const auto &string : indent.indent_string) alphabet->Collect(string, LUMO_INDENT_STRING_BYTES);
    if (fold != nullptr) {
        for (const FoldSet set : kFoldSets) alphabet->Collect(fold->*set, LUMO_SET_BYTES);
    }
    alphabet->Seal();
}

void SpellRecord(const Alphabet &alphabet, const IndentSettings &in, IndentSettings *out) {
    *out = in;
    for (const IndentSet set : kIndentSets) alphabet.Spell(in.*set, LUMO_SET_BYTES, out->*set, true);
    for (size_t k = 0; k < LUMO_INDENT_STRING_COUNT; ++k) {
        alphabet.Spell(in.indent_string[k], LUMO_INDENT_STRING_BYTES, out->indent_string[k], false);
    }
}

void SpellRecord(const Alphabet &alphabet, const FoldSettings &in, FoldSettings *out) {
    *out = in;
    for (const FoldSet set : kFoldSets) alphabet.Spell(in.*set, LUMO_SET_BYTES, out->*set, true);
}

}  // namespace lumo::text
