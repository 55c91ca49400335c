// The settings records of a UTF-8 call, spelt for the code page 932 rules:
// every set (with the partners of its characters) and every indent string in
// the call's alphabet. The header settings stay UTF-8: the header block is
// found by comparing bytes.
#pragma once

#include "lumotext.h"
#include "text/alphabet.h"

namespace lumo::text {

// Names the characters of the records' sets and indent strings in alphabet
// and seals it. Call once, before spelling.
void CollectSets(const IndentSettings &indent, const FoldSettings *fold, Alphabet *alphabet);

// Copies of the records with their texts spelt (every other field as it is).
void SpellRecord(const Alphabet &alphabet, const IndentSettings &in, IndentSettings *out);
void SpellRecord(const Alphabet &alphabet, const FoldSettings &in, FoldSettings *out);

}  // namespace lumo::text
