// Texts between the terminal and code page 932, and a field's value as the
// slot commands show and take it. A text keeps its bytes exactly, and what
// the terminal cannot show comes out as an escape that reads back.
#include "settings_text.h"

#include <cctype>
#include <cstring>
#include <string>

#include "settings/field_text.h"
#include "text/partners.h"
#include "text/text.h"
#include "text/utf8.h"

#ifndef _WIN32
#include <clocale>
#include <langinfo.h>
#endif

namespace lumo::cli {
namespace {

using lumo::IsCp932SingleByte;

// Bytes of the code page 932 character at text[pos]: 2 for a lead byte with
// a trail byte behind it, else 1 (a stray byte stands alone).
size_t CharBytes(std::string_view text, size_t pos) {
    const auto byte = static_cast<unsigned char>(text[pos]);
    if (lumo::IsCp932LeadByte(byte) && pos + 1 < text.size() &&
        lumo::IsCp932TrailByte(static_cast<unsigned char>(text[pos + 1]))) {
        return 2;
    }
    return 1;
}

std::string HexByte(unsigned char byte) { return "\\x" + HexNumber(byte, 2); }

std::string ByteName(unsigned char byte) { return "0x" + HexNumber(byte, 2); }

uint32_t ReadWord(const unsigned char *bytes) {
    uint32_t word;
    std::memcpy(&word, bytes, sizeof word);
    return word;
}

}  // namespace

// ---- The terminal's encoding ---------------------------------------------

bool TerminalText::Open(std::string *error) {
    bool utf8 = false;
#ifndef _WIN32
    // Only the question is asked of the locale; the program's own locale
    // stays "C", so that nothing else changes its behaviour.
    const char *current = std::setlocale(LC_ALL, nullptr);
    const std::string saved = current != nullptr ? current : "C";
    if (std::setlocale(LC_ALL, "") != nullptr) {
        const char *codeset = nl_langinfo(CODESET);
        utf8 = IsNameInAnyCase(codeset, "UTF-8") || IsNameInAnyCase(codeset, "UTF8");
    }
    std::setlocale(LC_ALL, saved.c_str());
#endif
    return Open(utf8, error);
}

bool TerminalText::Open(bool utf8, std::string *error) {
    utf8_ = utf8;
    codec_.reset();
    if (!utf8) return true;
    codec_ = LegacyCodec::Open(LegacyTable::kCp932, error);
    return codec_ != nullptr;
}

bool TerminalText::FromTerminal(std::string_view text, std::string *cp932, std::string *error) const {
    cp932->clear();
    if (!utf8_) {
        // Taken as Shift-JIS already: only its form is checked.
        for (size_t pos = 0; pos < text.size();) {
            const auto byte = static_cast<unsigned char>(text[pos]);
            const size_t length = CharBytes(text, pos);
            if (length == 1 && !IsCp932SingleByte(byte)) {
                *error = "byte " + std::to_string(pos + 1) + " (" + ByteName(byte) +
                         ") is not Shift-JIS (code page 932) text; the terminal is taken to be "
                         "Shift-JIS because the locale's character set is not UTF-8";
                return false;
            }
            pos += length;
        }
        cp932->assign(text);
        return true;
    }
    const size_t invalid = FindInvalidUtf8(text);
    if (invalid != std::string_view::npos) {
        *error = "byte " + std::to_string(invalid + 1) + " (" +
                 ByteName(static_cast<unsigned char>(text[invalid])) +
                 ") is not UTF-8, the terminal's character set";
        return false;
    }
    std::string converted;
    std::string back;
    const auto converts = [&](std::string_view character) {
        converted.clear();
        back.clear();
        return codec_->FromUtf8(character, &converted) && codec_->ToUtf8(converted, &back) && back == character;
    };
    for (size_t pos = 0, number = 1; pos < text.size(); ++number) {
        const text::Decoded d = text::DecodeUtf8(text.data() + pos, text.data() + text.size());
        const std::string_view character = text.substr(pos, d.length);
        pos += d.length;
        if (converts(character)) {
            *cp932 += converted;
            continue;
        }
        // Input methods type either of a pair such as 〜 and ～; code page
        // 932 holds one, which stands for both.
        char partner[4];
        const uint32_t other = text::Cp932Partner(d.code_point);
        if (other != 0 && converts(std::string_view(partner, text::EncodeUtf8(other, partner)))) {
            *cp932 += converted;
            continue;
        }
        *error = "character " + std::to_string(number) + ", " + "U+" + HexNumber(d.code_point, 4);
        if (d.code_point >= 0xA0) *error += " \"" + std::string(character) + "\"";
        *error += ", has no Shift-JIS (code page 932) form";
        return false;
    }
    return true;
}

std::string TerminalText::ToTerminal(std::string_view cp932) const {
    std::string out;
    std::string converted;
    std::string back;
    for (size_t pos = 0; pos < cp932.size();) {
        const auto byte = static_cast<unsigned char>(cp932[pos]);
        const size_t length = CharBytes(cp932, pos);
        const std::string_view character = cp932.substr(pos, length);
        pos += length;
        if (byte == '\\') {
            out += "\\\\";
        } else if (byte == '\t') {
            out += "\\t";
        } else if (byte == '\n') {
            out += "\\n";
        } else if (byte == '\r') {
            out += "\\r";
        } else if (byte < 0x20 || byte == 0x7F || (length == 1 && !IsCp932SingleByte(byte))) {
            out += HexByte(byte);
        } else if (byte < 0x80 || !utf8_) {
            out += character;
        } else {
            // A character is printed only when it reads back as the same
            // bytes: code page 932 holds some characters twice (the NEC and
            // IBM rows), and the terminal's form would name just one of them.
            converted.clear();
            back.clear();
            if (codec_->ToUtf8(character, &converted) && codec_->FromUtf8(converted, &back) && back == character) {
                out += converted;
            } else {
                for (const char c : character) out += HexByte(static_cast<unsigned char>(c));
            }
        }
    }
    return out;
}

bool ParseEscapes(std::string_view cp932, std::string *bytes, std::string *error) {
    bytes->clear();
    for (size_t pos = 0; pos < cp932.size();) {
        const size_t length = CharBytes(cp932, pos);
        if (length == 2 || cp932[pos] != '\\') {
            bytes->append(cp932.substr(pos, length));
            pos += length;
            continue;
        }
        const char kind = pos + 1 < cp932.size() ? cp932[pos + 1] : '\0';
        switch (kind) {
        case '\\': *bytes += '\\'; break;
        case 't': *bytes += '\t'; break;
        case 'n': *bytes += '\n'; break;
        case 'r': *bytes += '\r'; break;
        case 'x': {
            uint32_t value = 0;
            const bool ok = pos + 4 <= cp932.size() && std::isxdigit(static_cast<unsigned char>(cp932[pos + 2])) &&
                            std::isxdigit(static_cast<unsigned char>(cp932[pos + 3])) &&
                            ParseNumber("0x" + std::string(cp932.substr(pos + 2, 2)), &value) && value != 0;
            if (!ok) {
                *error = "\\x must be followed by two hexadecimal digits from 01 to FF";
                return false;
            }
            *bytes += static_cast<char>(value);
            pos += 4;
            continue;
        }
        default:
            *error = kind == '\0' ? std::string("the text ends with a lone backslash")
                                  : "'\\" + std::string(1, kind) + "' is no escape";
            *error += "; write \\\\ for a backslash (escapes: \\\\ \\t \\n \\r \\xHH)";
            return false;
        }
        pos += 2;
    }
    return true;
}

// ---- The stored fields ----------------------------------------------------

std::string FieldValueText(const Records &records, const FieldSpec &field, const TerminalText &terminal) {
    const unsigned char *bytes = FieldBytes(records, field);
    switch (field.kind()) {
    case FieldKind::kNumber: return std::to_string(ReadWord(bytes));
    case FieldKind::kFlags: return FlagsToText(ReadWord(bytes), *field.flags);
    case FieldKind::kText: break;
    }
    const auto *text = reinterpret_cast<const char *>(bytes);
    return "\"" + terminal.ToTerminal(std::string_view(text, strnlen(text, field.size))) + "\"";
}

bool SetFieldValue(Records *records, const FieldSpec &field, std::string_view value,
                   const TerminalText &terminal, std::string *error) {
    unsigned char *bytes = FieldBytes(records, field);
    if (field.kind() == FieldKind::kNumber) {
        uint32_t number = 0;
        if (!ParseNumber(TrimBlanks(value), &number)) {
            *error = std::string(field.name) + ": '" + std::string(value) +
                     "' is not a number from 0 to 4294967295 (decimal, or hexadecimal after 0x)";
            return false;
        }
        std::memcpy(bytes, &number, sizeof number);
        return true;
    }
    if (field.kind() == FieldKind::kFlags) {
        uint32_t flags = 0;
        std::string why;
        if (!ParseFlags(value, *field.flags, &flags, &why)) {
            *error = std::string(field.name) + ": " + why + "; give flags (" + FlagNames(*field.flags) +
                     ") or numbers joined with '|'";
            return false;
        }
        std::memcpy(bytes, &flags, sizeof flags);
        return true;
    }
    std::string cp932;
    std::string why;
    if (!terminal.FromTerminal(value, &cp932, &why)) {
        *error = std::string(field.name) + ": " + why;
        return false;
    }
    std::string text;
    if (!ParseEscapes(cp932, &text, &why)) {
        *error = std::string(field.name) + ": " + why;
        return false;
    }
    if (text.size() > field.size - 1) {
        *error = std::string(field.name) + " holds at most " + std::to_string(field.size - 1) +
                 " bytes of Shift-JIS text, and this text has " + std::to_string(text.size());
        return false;
    }
    std::memset(bytes, 0, field.size);
    std::memcpy(bytes, text.data(), text.size());
    return true;
}

std::string JoinWords(const std::vector<std::string> &words) {
    std::string text;
    for (size_t i = 0; i < words.size(); ++i) {
        if (i > 0) text += i + 1 == words.size() ? " and " : ", ";
        text += words[i];
    }
    return text;
}

}  // namespace lumo::cli
