// The table of the records' stored fields, and the flag names its flag
// fields are shown by (the public header's names, in bit order).
#include "settings/record_fields.h"

#include <algorithm>
#include <cstring>
#include <iterator>

namespace lumo {
namespace {

// Each bit by the public header's name for it.
#define LUMO_FLAG(name) {#name, name}
const FlagName kStyleNames[] = {
    LUMO_FLAG(STYLE_INDENT),          LUMO_FLAG(STYLE_QUOTE),          LUMO_FLAG(STYLE_EMPHA),
    LUMO_FLAG(STYLE_SCENARIO),        LUMO_FLAG(STYLE_ITEMIZE),        LUMO_FLAG(STYLE_PARAGRAPH),
    LUMO_FLAG(STYLE_FIXED_COLUMN),    LUMO_FLAG(STYLE_INDENT_STRINGS), LUMO_FLAG(STYLE_STRIP_WHEN_INDENT),
    LUMO_FLAG(STYLE_STRIP_HEAD_SPACE)};
const FlagName kSubStyleNames[] = {LUMO_FLAG(SUB_NAMED_QUOTE),       LUMO_FLAG(SUB_ITEM_END_SPACE),
                                   LUMO_FLAG(SUB_ITEM_NO_PARAGRAPH), LUMO_FLAG(SUB_PARAGRAPH_WIDE_SPACE),
                                   LUMO_FLAG(SUB_FILL_SOURCE),       LUMO_FLAG(SUB_FILL_WIDE_SPACE),
                                   LUMO_FLAG(SUB_KEEP_QUOTED),       LUMO_FLAG(SUB_BLANK_TAB),
                                   LUMO_FLAG(SUB_BLANK_WIDE),        LUMO_FLAG(SUB_BLANK_NARROW)};
const FlagName kIndentStringNames[] = {LUMO_FLAG(INDSTR_NEED_BLANK)};
const FlagName kTailwrapNames[] = {LUMO_FLAG(TAIL_WORDWRAP), LUMO_FLAG(TAIL_KINSOKU),
                                   LUMO_FLAG(TAIL_FOLLOW_WIDTH)};
const FlagName kWraptypeNames[] = {LUMO_FLAG(WRAP_PUSH_OUT), LUMO_FLAG(WRAP_HANG), LUMO_FLAG(WRAP_ALNUM),
                                   LUMO_FLAG(WRAP_ASCII), LUMO_FLAG(WRAP_ALNUM_PLUS)};
const FlagName kHeaderNames[] = {LUMO_FLAG(HEADER_NO_FORMAT), LUMO_FLAG(HEADER_DELIM_EMPTY_LINE),
                                 LUMO_FLAG(HEADER_DELIM_EXACT)};
#undef LUMO_FLAG

template <size_t N>
constexpr FlagGroup Group(const FlagName (&names)[N]) {
    return {names, N};
}
const FlagGroup kStyles = Group(kStyleNames);
const FlagGroup kSubStyles = Group(kSubStyleNames);
const FlagGroup kIndentStringProperty = Group(kIndentStringNames);
const FlagGroup kTailwrap = Group(kTailwrapNames);
const FlagGroup kWraptype = Group(kWraptypeNames);
const FlagGroup kHeader = Group(kHeaderNames);

using I = IndentSettings;
using F = FoldSettings;
using H = HeaderSettings;
constexpr Record kIndent = Record::kIndent;
constexpr Record kFold = Record::kFold;
constexpr Record kHeaderRecord = Record::kHeader;
constexpr uint32_t kSet = LUMO_SET_BYTES;
constexpr uint32_t kWord = sizeof(uint32_t);

// The ten indent strings and their property words lie apart in the record
// but are stored pair by pair: string k, then its property word.
#define LUMO_INDENT_STRING(k)                                                                      \
    {"indent.indent_string-" #k, kIndent, Stored::kText,                                             \
     offsetof(I, indent_string) + (k) * LUMO_INDENT_STRING_BYTES, LUMO_INDENT_STRING_BYTES, 0x200,    \
     8 + 2 * (k), 8 + 2 * (k), nullptr, "string: the ten indent strings"}
#define LUMO_INDENT_PROPERTY(k)                                                                    \
    {"indent.indent_string_property-" #k, kIndent, Stored::kNumber,                                \
     offsetof(I, indent_string_property) + (k) * kWord, kWord, 0x400, 9 + 2 * (k), 9 + 2 * (k),    \
     &kIndentStringProperty, "flags of each indent string:"}

// name, record, stored as, offset, size, mask bit, read at, written at, flag
// names, help words.
const FieldSpec kFields[] = {
    {"indent.styles", kIndent, Stored::kNumber, offsetof(I, styles), kWord, 0x002, 0, 0, &kStyles, "flags:"},
    {"indent.sub_styles", kIndent, Stored::kNumber, offsetof(I, sub_styles), kWord, 0x004, 1, 1, &kSubStyles,
     "flags:"},
    {"indent.fixed_indent_column", kIndent, Stored::kNumber, offsetof(I, fixed_indent_column), kWord, 0x008,
     2, 2, nullptr, "number: the indent width with STYLE_FIXED_COLUMN"},
    {"indent.chars_for_quote", kIndent, Stored::kText, offsetof(I, chars_for_quote), kSet, 0x010, 3, 3,
     nullptr, "set: quote marks"},
    {"indent.chars_for_empha", kIndent, Stored::kText, offsetof(I, chars_for_empha), kSet, 0x020, 4, 4,
     nullptr, "set: emphasis marks"},
    {"indent.chars_for_sole_itemize", kIndent, Stored::kText, offsetof(I, chars_for_sole_itemize), kSet,
     0x040, 5, 5, nullptr, "set: item marks by themselves"},
    {"indent.chars_for_combi_itemize", kIndent, Stored::kText, offsetof(I, chars_for_combi_itemize), kSet,
     0x080, 6, 6, nullptr, "set: item marks before an item-end"},
    {"indent.chars_for_itemize_end", kIndent, Stored::kText, offsetof(I, chars_for_itemize_end), kSet, 0x100,
     7, 7, nullptr, "set: item-end characters"},
    LUMO_INDENT_STRING(0), LUMO_INDENT_STRING(1), LUMO_INDENT_STRING(2), LUMO_INDENT_STRING(3),
    LUMO_INDENT_STRING(4), LUMO_INDENT_STRING(5), LUMO_INDENT_STRING(6), LUMO_INDENT_STRING(7),
    LUMO_INDENT_STRING(8), LUMO_INDENT_STRING(9),
    LUMO_INDENT_PROPERTY(0), LUMO_INDENT_PROPERTY(1), LUMO_INDENT_PROPERTY(2), LUMO_INDENT_PROPERTY(3),
    LUMO_INDENT_PROPERTY(4), LUMO_INDENT_PROPERTY(5), LUMO_INDENT_PROPERTY(6), LUMO_INDENT_PROPERTY(7),
    LUMO_INDENT_PROPERTY(8), LUMO_INDENT_PROPERTY(9),
    // foldnum is derived from the display width, never stored.
    {"fold.foldnum_from_head", kFold, Stored::kNumber, offsetof(F, foldnum_from_head), kWord, 0x004, 0, 0,
     nullptr, "number: the fold column when it is fixed"},
    {"fold.foldnum_from_tail", kFold, Stored::kNumber, offsetof(F, foldnum_from_tail), kWord, 0x008, 1, 1,
     nullptr, "number: columns left free of the display width when the fold column follows it"},
    {"fold.tailwrap_flag", kFold, Stored::kNumber, offsetof(F, tailwrap_flag), kWord, 0x010, 2, 2, &kTailwrap,
     "flags:"},
    {"fold.wraptype", kFold, Stored::kNumber, offsetof(F, wraptype), kWord, 0x020, 3, 3, &kWraptype,
     "flags:"},
    {"fold.maxmove_leftwise", kFold, Stored::kNumber, offsetof(F, maxmove_leftwise), kWord, 0x040, 4, 4,
     nullptr, "number: bytes a break may move back"},
    {"fold.maxmove_rightwise", kFold, Stored::kNumber, offsetof(F, maxmove_rightwise), kWord, 0x080, 5, 5,
     nullptr, "number: characters that may hang"},
    // chars_not_for_head is read before chars_not_for_tail, and written after it.
    {"fold.chars_not_for_tail", kFold, Stored::kWholeField, offsetof(F, chars_not_for_tail), kSet, 0x100, 7,
     6, nullptr, "set: characters that may not end a line"},
    {"fold.chars_not_for_head", kFold, Stored::kWholeField, offsetof(F, chars_not_for_head), kSet, 0x200, 6,
     7, nullptr, "set: characters that may not begin a line"},
    {"fold.chars_for_wordwrap", kFold, Stored::kWholeField, offsetof(F, chars_for_wordwrap), kSet, 0x400, 8,
     8, nullptr, "set: more word characters (WRAP_ALNUM_PLUS)"},
    {"header.lumoheader", kHeaderRecord, Stored::kNumber, offsetof(H, lumoheader), kWord, 0x002, 0, 0,
     &kHeader, "flags:"},
    {"header.headerdelimiter", kHeaderRecord, Stored::kWholeField, offsetof(H, headerdelimiter),
     LUMO_DELIMITER_BYTES, 0x004, 1, 1, nullptr, "string: the line that ends the header"},
};

#undef LUMO_INDENT_STRING
#undef LUMO_INDENT_PROPERTY

// By Record: the name in field names, the group key under a slot.
const struct {
    const char *name;
    const char *group_key;
} kRecordNames[] = {{"indent", "indent"}, {"fold", "foldpos"}, {"header", "lumoheader"}};

}  // namespace

const char *RecordName(Record record) { return kRecordNames[static_cast<int>(record)].name; }

const char *RecordGroupKey(Record record) { return kRecordNames[static_cast<int>(record)].group_key; }

const void *RecordBytes(const Records &records, Record record) {
    switch (record) {
    case Record::kIndent: return &records.indent;
    case Record::kFold: return &records.fold;
    case Record::kHeader: return &records.header;
    }
    return nullptr;
}

const char *FieldSpec::value_name() const { return std::strchr(name, '.') + 1; }

FieldKind FieldSpec::kind() const {
    if (stored != Stored::kNumber) return FieldKind::kText;
    return flags != nullptr ? FieldKind::kFlags : FieldKind::kNumber;
}

FieldRange Fields() { return {std::begin(kFields), std::end(kFields)}; }

FieldRange FieldsOf(Record record) {
    const auto of_record = [record](const FieldSpec &field) { return field.record == record; };
    const FieldSpec *first = std::find_if(std::begin(kFields), std::end(kFields), of_record);
    return {first, std::find_if_not(first, std::end(kFields), of_record)};
}

std::vector<const FieldSpec *> StoreOrder(Record record, bool reading) {
    const FieldRange fields = FieldsOf(record);
    std::vector<const FieldSpec *> order(fields.size());
    for (const FieldSpec &field : fields) order[reading ? field.read : field.written] = &field;
    return order;
}

const unsigned char *FieldBytes(const Records &records, const FieldSpec &field) {
    return static_cast<const unsigned char *>(RecordBytes(records, field.record)) + field.offset;
}

unsigned char *FieldBytes(Records *records, const FieldSpec &field) {
    return const_cast<unsigned char *>(FieldBytes(*records, field));
}

}  // namespace lumo
