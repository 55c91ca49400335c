// The settings records as the slot commands show and take them: the library's
// fields (settings/record_fields.h) with their texts in the terminal's
// encoding, and escapes for the bytes a terminal cannot show.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "encoding.h"
#include "legacy_codec.h"
#include "settings/record_fields.h"

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
    std::unique_ptr<LegacyCodec> codec_;
};

// Replaces the escapes \\ \t \n \r and \xHH (HH from 01 to FF) in code page
// 932 text; a backslash that is the second byte of a two-byte character is
// no escape. False, with *error set, for any other backslash.
bool ParseEscapes(std::string_view cp932, std::string *bytes, std::string *error);

// ---- The stored fields (settings/record_fields.h) ---------------------------

// The field's value as "slot show" prints it: flags by name, numbers in
// decimal, texts in double quotes for the terminal.
std::string FieldValueText(const Records &records, const FieldSpec &field, const TerminalText &terminal);

// Sets the field from its command-line form. False, with *error set (a
// sentence naming the field), when the value does not suit the field.
bool SetFieldValue(Records *records, const FieldSpec &field, std::string_view value,
                   const TerminalText &terminal, std::string *error);

// "a, b and c".
std::string JoinWords(const std::vector<std::string> &words);

}  // namespace lumo::cli
