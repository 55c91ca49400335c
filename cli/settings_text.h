// The settings records as the slot commands show and take them: a table of
// every stored field under its "record.value" name, flag words by bit name,
// numbers in decimal or hexadecimal, and texts in the terminal's encoding.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "encoding.h"
#include "lumotext.h"

namespace lumo::cli {

// ---- The terminal's encoding ---------------------------------------------

// How texts cross the command line: UTF-8 converted to and from code page
// 932 when the locale's character set is UTF-8, else Shift-JIS byte for byte.
class TerminalText {
public:
    // Asks the locale (setlocale(LC_ALL, "") and nl_langinfo(CODESET), the
    // locale being put back afterwards). False, with *error set, when the
    // terminal is UTF-8 and the system has no code page 932 converter.
    bool Open(std::string *error);
    // For tests: a fixed choice, without asking the locale.
    bool Open(bool utf8, std::string *error);

    bool utf8() const { return utf8_; }

    // A text from the command line as code page 932. False, with *error set
    // ("character 3, U+00E9 "é", has no Shift-JIS (code page 932) form"),
    // for ill-formed input or a character without an exact counterpart.
    bool FromTerminal(std::string_view text, std::string *cp932, std::string *error) const;

    // Code page 932 bytes for the terminal. Backslash, control bytes, bytes
    // that are no character and characters whose terminal form would read
    // back as other bytes come out as escapes (see ParseEscapes), so the
    // result reads back exactly through FromTerminal and ParseEscapes.
    std::string ToTerminal(std::string_view cp932) const;

private:
    bool utf8_ = false;
    std::unique_ptr<Cp932Codec> codec_;
};

// Replaces the escapes \\ \t \n \r and \xHH (HH from 01 to FF) in code page
// 932 text; a backslash that is the second byte of a two-byte character is
// no escape. False, with *error set, for any other backslash.
bool ParseEscapes(std::string_view cp932, std::string *bytes, std::string *error);

// ---- Numbers and flag words -----------------------------------------------

struct FlagName {
    const char *name;
    uint32_t bit;
};

struct FlagGroup {
    const FlagName *names;
    size_t count;
};

// Decimal digits, or 0x and hexadecimal digits, from 0 to 4294967295.
bool ParseNumber(std::string_view text, uint32_t *value);

// "STYLE_INDENT|STYLE_QUOTE|0x100": the names of the known bits in the
// group's order, then the other bits as one hexadecimal number; "0" for none.
std::string FlagsToText(uint32_t value, const FlagGroup &group);

// Names of the group (any case) and numbers joined with '|', blanks around
// each allowed. False, with *error set, for an unknown name or a bad number.
bool ParseFlags(std::string_view text, const FlagGroup &group, uint32_t *value, std::string *error);

// ---- The stored fields ----------------------------------------------------

enum class Record { kIndent, kFold, kHeader };

// The record's name in field names ("indent", "fold", "header") and its
// group key under the slot ("indent", "foldpos", "lumoheader").
const char *RecordName(Record record);
const char *RecordGroupKey(Record record);

enum class FieldKind {
    kNumber,  // u32
    kFlags,   // u32, shown and taken by bit names
    kText,    // NUL-terminated code page 932 in a fixed field
};

struct FieldSpec {
    std::string name;        // "indent.styles"
    std::string value_name;  // "styles": the value in the store
    Record record;
    FieldKind kind;
    size_t offset;             // within the record
    uint32_t size;             // bytes of the field
    uint32_t mask;             // the record's load and save mask bit
    const FlagGroup *flags;    // kFlags only
    const char *what;          // a few words for the help
};

// Every stored field, in the order of the records and of the store.
const std::vector<FieldSpec> &Fields();
const FieldSpec *FindField(std::string_view name);

// The three records of a slot, as the fields address them.
struct SlotRecords {
    IndentSettings indent;
    FoldSettings fold;
    HeaderSettings header;
};

// The names of record's fields whose bit is in mask; the ten indent strings
// (and their ten property words) share one bit, so each bit is one name:
// "indent_string-0..9".
std::vector<std::string> ValuesOfMask(Record record, uint32_t mask);

// The field's value as "slot show" prints it: flags by name, numbers in
// decimal, texts in double quotes for the terminal.
std::string FieldValueText(const SlotRecords &records, const FieldSpec &field, const TerminalText &terminal);

// Copies the field's bytes from one set of records to another.
void CopyField(SlotRecords *to, const SlotRecords &from, const FieldSpec &field);

// Sets the field from its command-line form. False, with *error set (a
// sentence naming the field), when the value does not suit the field.
bool SetFieldValue(SlotRecords *records, const FieldSpec &field, std::string_view value,
                   const TerminalText &terminal, std::string *error);

// "a, b and c".
std::string JoinWords(const std::vector<std::string> &words);

}  // namespace lumo::cli
