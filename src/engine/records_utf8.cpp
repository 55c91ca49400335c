// Converting the records' texts one character at a time, so that a stray
// byte stays itself instead of failing the field.
#include "engine/records_utf8.h"

#include <cstring>

#include "settings/terminate.h"
#include "text/text.h"
#include "text/unicode_data.h"
#include "text/utf8.h"

namespace lumo::engine {
namespace {

template <size_t N>
void ToUtf8(char (&field)[N]) {
    char utf8[N];
    size_t written = 0;
    const size_t length = strnlen(field, N);
    for (size_t at = 0; at < length;) {
        const auto lead = static_cast<unsigned char>(field[at]);
        const size_t bytes = IsCp932LeadByte(lead) && at + 1 < length ? 2 : 1;
        const auto code = static_cast<uint16_t>(bytes == 2 ? lead << 8 | static_cast<unsigned char>(field[at + 1]) : lead);
        const uint32_t code_point = text::Cp932CodePoint(code);
        char character[4];
        size_t size = bytes;
        if (code_point == text::kNoCodePoint) {
            std::memcpy(character, field + at, bytes);  // no UTF-8 form: the bytes stay
        } else {
            size = text::EncodeUtf8(code_point, character);
        }
        if (written + size >= N) break;  // the field is full
        std::memcpy(utf8 + written, character, size);
        written += size;
        at += bytes;
    }
    std::memset(field, 0, N);
    std::memcpy(field, utf8, written);
}

}  // namespace

void RecordsToUtf8(Records *records) {
    TerminateFields(records);
    IndentSettings &indent = records->indent;
    ToUtf8(indent.chars_for_quote);
    ToUtf8(indent.chars_for_empha);
    ToUtf8(indent.chars_for_sole_itemize);
    ToUtf8(indent.chars_for_combi_itemize);
    ToUtf8(indent.chars_for_itemize_end);
    for (auto &string : indent.indent_string) ToUtf8(string);
    FoldSettings &fold = records->fold;
    ToUtf8(fold.chars_not_for_tail);
    ToUtf8(fold.chars_not_for_head);
    ToUtf8(fold.chars_for_wordwrap);
    ToUtf8(records->header.headerdelimiter);
}

}  // namespace lumo::engine
