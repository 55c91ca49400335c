// The stored fields as text: fields by name, the values behind a mask bit,
// numbers in decimal or hexadecimal, and flag words by the names of their
// bits. Nothing here knows the terminal's encoding.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "settings/record_fields.h"

namespace lumo {

// The field named "record.value"; nullptr for another name.
const FieldSpec *FindField(std::string_view name);

// The value names of record's fields whose bit is in mask. The ten indent
// strings share one bit, and so do their ten property words: each such bit
// is one name, "indent_string-0..9".
std::vector<std::string> ValuesOfMask(Record record, uint32_t mask);

// Decimal digits, or 0x and hexadecimal digits, from 0 to 4294967295.
bool ParseNumber(std::string_view text, uint32_t *value);

// "1F": value in upper-case hexadecimal, at least digits digits long.
std::string HexNumber(uint32_t value, int digits = 1);

// "STYLE_INDENT|STYLE_QUOTE|0x100": the names of the known bits in the
// group's order, then the other bits as one hexadecimal number; "0" for none.
std::string FlagsToText(uint32_t value, const FlagGroup &group);

// Names of the group (any case) and numbers joined with '|', blanks around
// each allowed. False, with *error set, for an unknown name or a bad number.
bool ParseFlags(std::string_view text, const FlagGroup &group, uint32_t *value, std::string *error);

// "STYLE_INDENT, STYLE_QUOTE, ...": the group's names.
std::string FlagNames(const FlagGroup &group);

// Whether word is name (upper case) in any case of its letters.
bool IsNameInAnyCase(std::string_view word, const char *name);

// text without the blanks and tabs around it.
std::string_view TrimBlanks(std::string_view text);

}  // namespace lumo
