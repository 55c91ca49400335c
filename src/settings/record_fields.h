// The stored fields of the three settings records as one table: each row's
// record, store value and storage form, place in the record, mask bit, place
// among a load's reads and a save's writes, and text form. The slots' load and
// save, text-field termination and the tool's slot commands all walk it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "lumotext.h"
#include "settings/records.h"

namespace lumo {

enum class Record { kIndent, kFold, kHeader };
inline constexpr Record kAllRecords[] = {Record::kIndent, Record::kFold, Record::kHeader};

// The record's name in field names ("indent", "fold", "header") and its
// group key under a slot in the store ("indent", "foldpos", "lumoheader").
const char *RecordName(Record record);
const char *RecordGroupKey(Record record);

// The record's bytes within the three.
const void *RecordBytes(const Records &records, Record record);

struct FlagName {
    const char *name;  // the public header's name of the bit
    uint32_t bit;
};

// The named bits of one flag word, in bit order.
struct FlagGroup {
    const FlagName *names;
    size_t count;
};

// How a value is written to the store: a number; a string of the field's
// text and one NUL; or the whole fixed field, its NUL and every byte behind.
enum class Stored { kNumber, kText, kWholeField };

// How a field is shown and taken as text.
enum class FieldKind {
    kNumber,  // u32 in decimal (or hexadecimal after 0x)
    kFlags,   // u32 by the names of its bits
    kText,    // NUL-terminated code page 932 in a fixed field
};

struct FieldSpec {
    const char *name;  // "indent.styles": the record's name, a dot, the value's name in the store
    Record record;
    Stored stored;
    uint32_t offset;         // of the field within its record
    uint32_t size;           // bytes of the field, which is also a load's read buffer
    uint32_t mask;           // the record's load and save mask bit
    uint8_t read;            // place among the record's values as a load reads them
    uint8_t written;         // and as a save writes them
    const FlagGroup *flags;  // a number shown by bit names; nullptr for other fields
    const char *help;        // the help's words; a flag field's bit names follow them

    // "styles": the value's name in the store.
    const char *value_name() const;
    FieldKind kind() const;
};

// A run of rows of the table.
struct FieldRange {
    const FieldSpec *first;
    const FieldSpec *last;
    const FieldSpec *begin() const { return first; }
    const FieldSpec *end() const { return last; }
    size_t size() const { return static_cast<size_t>(last - first); }
};

// Every stored field, record by record, each record's fields in the order
// they lie in it: the order in which "lumotext slot show" prints them.
FieldRange Fields();
FieldRange FieldsOf(Record record);

// The record's fields in the order a load reads them (reading) or a save
// writes them.
std::vector<const FieldSpec *> StoreOrder(Record record, bool reading);

// The field's bytes within the three records.
unsigned char *FieldBytes(Records *records, const FieldSpec &field);
const unsigned char *FieldBytes(const Records &records, const FieldSpec &field);

}  // namespace lumo
