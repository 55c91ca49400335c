// Converting the records' code page 932 texts to UTF-8, one character at a
// time so that a stray byte stays itself instead of failing the field.
#include "utf8_settings.h"

#include <cstring>
#include <string_view>

#include "text/text.h"

namespace lumo::cli {
namespace {

template <size_t N>
void ConvertField(char (&field)[N], const std::string &name, Cp932Codec *codec, std::vector<std::string> *cut) {
    const std::string_view cp932(field, strnlen(field, N));
    std::string utf8;
    for (size_t pos = 0; pos < cp932.size();) {
        const auto byte = static_cast<unsigned char>(cp932[pos]);
        const size_t length = (IsCp932LeadByte(byte) && pos + 1 < cp932.size()) ? 2 : 1;
        const std::string_view character = cp932.substr(pos, length);
        const size_t before = utf8.size();
        if (!codec->ToUtf8(character, &utf8)) {
            utf8.resize(before);
            utf8 += character;  // no UTF-8 form: the bytes stay
        }
        if (utf8.size() >= N) {
            utf8.resize(before);
            cut->push_back(name);
            break;
        }
        pos += length;
    }
    std::memset(field, 0, N);
    std::memcpy(field, utf8.data(), utf8.size());
}

}  // namespace

void ConvertRecordsToUtf8(IndentSettings *indent, FoldSettings *fold, HeaderSettings *header,
                          Cp932Codec *codec, std::vector<std::string> *cut) {
    ConvertField(indent->chars_for_quote, "chars_for_quote", codec, cut);
    ConvertField(indent->chars_for_empha, "chars_for_empha", codec, cut);
    ConvertField(indent->chars_for_sole_itemize, "chars_for_sole_itemize", codec, cut);
    ConvertField(indent->chars_for_combi_itemize, "chars_for_combi_itemize", codec, cut);
    ConvertField(indent->chars_for_itemize_end, "chars_for_itemize_end", codec, cut);
    for (size_t k = 0; k < LUMO_INDENT_STRING_COUNT; ++k) {
        ConvertField(indent->indent_string[k], "indent_string-" + std::to_string(k), codec, cut);
    }
    ConvertField(fold->chars_not_for_tail, "chars_not_for_tail", codec, cut);
    ConvertField(fold->chars_not_for_head, "chars_not_for_head", codec, cut);
    ConvertField(fold->chars_for_wordwrap, "chars_for_wordwrap", codec, cut);
    ConvertField(header->headerdelimiter, "headerdelimiter", codec, cut);
}

const OptionSpec kAmbiguousOption = {"ambiguous", '\0', "WIDTH",
                                     "width of the ambiguous characters (○ ※ α é) in\n"
                                     "UTF-8: cp932 (default), wide or narrow"};

bool ReadAmbiguous(const ParsedCommand &command, text::Ambiguous *width, std::string *error) {
    const std::string *value = command.Value("ambiguous");
    if (value == nullptr) return true;
    static const struct {
        const char *name;
        text::Ambiguous width;
    } kWidths[] = {{"cp932", text::Ambiguous::kCp932}, {"wide", text::Ambiguous::kWide},
                   {"narrow", text::Ambiguous::kNarrow}};
    for (const auto &w : kWidths) {
        if (*value == w.name) {
            *width = w.width;
            return true;
        }
    }
    *error = "--ambiguous: '" + *value + "' is not one of cp932, wide, narrow";
    return false;
}

}  // namespace lumo::cli
