// The field table of the slot commands and the conversions around it. Flag
// names are the public header's names; a text keeps its bytes exactly, and
// what the terminal cannot show comes out as an escape that reads back.
#include "settings_text.h"

#include <cctype>
#include <cstddef>
#include <cstdio>
#include <cstring>
#include <string>

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

std::string HexByte(unsigned char byte) {
    char buffer[8];
    std::snprintf(buffer, sizeof buffer, "\\x%02X", static_cast<unsigned>(byte));
    return buffer;
}

std::string ByteName(unsigned char byte) {
    char buffer[8];
    std::snprintf(buffer, sizeof buffer, "0x%02X", static_cast<unsigned>(byte));
    return buffer;
}

std::string CodePointName(uint32_t code_point) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "U+%04X", static_cast<unsigned>(code_point));
    return buffer;
}

std::string Trim(std::string_view text) {
    size_t begin = 0;
    size_t end = text.size();
    while (begin < end && (text[begin] == ' ' || text[begin] == '\t')) ++begin;
    while (end > begin && (text[end - 1] == ' ' || text[end - 1] == '\t')) --end;
    return std::string(text.substr(begin, end - begin));
}

std::string Upper(std::string_view text) {
    std::string upper(text);
    for (char &c : upper) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    }
    return upper;
}

// ---- Flag names, in bit order ----------------------------------------------

const FlagName kStyleNames[] = {
    {"STYLE_INDENT", STYLE_INDENT},
    {"STYLE_QUOTE", STYLE_QUOTE},
    {"STYLE_EMPHA", STYLE_EMPHA},
    {"STYLE_SCENARIO", STYLE_SCENARIO},
    {"STYLE_ITEMIZE", STYLE_ITEMIZE},
    {"STYLE_PARAGRAPH", STYLE_PARAGRAPH},
    {"STYLE_FIXED_COLUMN", STYLE_FIXED_COLUMN},
    {"STYLE_INDENT_STRINGS", STYLE_INDENT_STRINGS},
    {"STYLE_STRIP_WHEN_INDENT", STYLE_STRIP_WHEN_INDENT},
    {"STYLE_STRIP_HEAD_SPACE", STYLE_STRIP_HEAD_SPACE},
};
const FlagName kSubStyleNames[] = {
    {"SUB_NAMED_QUOTE", SUB_NAMED_QUOTE},
    {"SUB_ITEM_END_SPACE", SUB_ITEM_END_SPACE},
    {"SUB_ITEM_NO_PARAGRAPH", SUB_ITEM_NO_PARAGRAPH},
    {"SUB_PARAGRAPH_WIDE_SPACE", SUB_PARAGRAPH_WIDE_SPACE},
    {"SUB_FILL_SOURCE", SUB_FILL_SOURCE},
    {"SUB_FILL_WIDE_SPACE", SUB_FILL_WIDE_SPACE},
    {"SUB_KEEP_QUOTED", SUB_KEEP_QUOTED},
    {"SUB_BLANK_TAB", SUB_BLANK_TAB},
    {"SUB_BLANK_WIDE", SUB_BLANK_WIDE},
    {"SUB_BLANK_NARROW", SUB_BLANK_NARROW},
};
const FlagName kIndentStringNames[] = {
    {"INDSTR_NEED_BLANK", INDSTR_NEED_BLANK},
};
const FlagName kTailwrapNames[] = {
    {"TAIL_WORDWRAP", TAIL_WORDWRAP},
    {"TAIL_KINSOKU", TAIL_KINSOKU},
    {"TAIL_FOLLOW_WIDTH", TAIL_FOLLOW_WIDTH},
};
const FlagName kWraptypeNames[] = {
    {"WRAP_PUSH_OUT", WRAP_PUSH_OUT}, {"WRAP_HANG", WRAP_HANG},           {"WRAP_ALNUM", WRAP_ALNUM},
    {"WRAP_ASCII", WRAP_ASCII},       {"WRAP_ALNUM_PLUS", WRAP_ALNUM_PLUS},
};
const FlagName kHeaderNames[] = {
    {"HEADER_NO_FORMAT", HEADER_NO_FORMAT},
    {"HEADER_DELIM_EMPTY_LINE", HEADER_DELIM_EMPTY_LINE},
    {"HEADER_DELIM_EXACT", HEADER_DELIM_EXACT},
};

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

std::vector<FieldSpec> MakeFields() {
    std::vector<FieldSpec> fields;
    const auto add = [&](Record record, const char *value_name, FieldKind kind, size_t offset, uint32_t size,
                         uint32_t mask, const FlagGroup *flags, const char *what) {
        fields.push_back({std::string(RecordName(record)) + "." + value_name, value_name, record, kind, offset,
                          size, mask, flags, what});
    };
    const Record indent = Record::kIndent;
    add(indent, "styles", FieldKind::kFlags, offsetof(IndentSettings, styles), 4, 0x002, &kStyles,
        "how lines are classified and indented");
    add(indent, "sub_styles", FieldKind::kFlags, offsetof(IndentSettings, sub_styles), 4, 0x004, &kSubStyles,
        "details of classification; blanks stripped by binding");
    add(indent, "fixed_indent_column", FieldKind::kNumber, offsetof(IndentSettings, fixed_indent_column), 4,
        0x008, nullptr, "indent width with STYLE_FIXED_COLUMN");
    add(indent, "chars_for_quote", FieldKind::kText, offsetof(IndentSettings, chars_for_quote),
        LUMO_SET_BYTES, 0x010, nullptr, "quote marks");
    add(indent, "chars_for_empha", FieldKind::kText, offsetof(IndentSettings, chars_for_empha),
        LUMO_SET_BYTES, 0x020, nullptr, "emphasis marks");
    add(indent, "chars_for_sole_itemize", FieldKind::kText, offsetof(IndentSettings, chars_for_sole_itemize),
        LUMO_SET_BYTES, 0x040, nullptr, "item marks by themselves");
    add(indent, "chars_for_combi_itemize", FieldKind::kText,
        offsetof(IndentSettings, chars_for_combi_itemize), LUMO_SET_BYTES, 0x080, nullptr,
        "item marks before an item-end character");
    add(indent, "chars_for_itemize_end", FieldKind::kText, offsetof(IndentSettings, chars_for_itemize_end),
        LUMO_SET_BYTES, 0x100, nullptr, "item-end characters");
    static const char *const kIndexNames[LUMO_INDENT_STRING_COUNT][2] = {
        {"indent_string-0", "indent_string_property-0"}, {"indent_string-1", "indent_string_property-1"},
        {"indent_string-2", "indent_string_property-2"}, {"indent_string-3", "indent_string_property-3"},
        {"indent_string-4", "indent_string_property-4"}, {"indent_string-5", "indent_string_property-5"},
        {"indent_string-6", "indent_string_property-6"}, {"indent_string-7", "indent_string_property-7"},
        {"indent_string-8", "indent_string_property-8"}, {"indent_string-9", "indent_string_property-9"},
    };
    for (size_t k = 0; k < LUMO_INDENT_STRING_COUNT; ++k) {
        add(indent, kIndexNames[k][0], FieldKind::kText,
            offsetof(IndentSettings, indent_string) + k * LUMO_INDENT_STRING_BYTES, LUMO_INDENT_STRING_BYTES,
            0x200, nullptr, "an indent string");
    }
    for (size_t k = 0; k < LUMO_INDENT_STRING_COUNT; ++k) {
        add(indent, kIndexNames[k][1], FieldKind::kFlags,
            offsetof(IndentSettings, indent_string_property) + k * sizeof(uint32_t), 4, 0x400,
            &kIndentStringProperty, "flags of that indent string");
    }
    const Record fold = Record::kFold;
    add(fold, "foldnum_from_head", FieldKind::kNumber, offsetof(FoldSettings, foldnum_from_head), 4, 0x004,
        nullptr, "fixed fold column");
    add(fold, "foldnum_from_tail", FieldKind::kNumber, offsetof(FoldSettings, foldnum_from_tail), 4, 0x008,
        nullptr, "columns left free of the display width");
    add(fold, "tailwrap_flag", FieldKind::kFlags, offsetof(FoldSettings, tailwrap_flag), 4, 0x010, &kTailwrap,
        "word wrap, kinsoku, fold column follows width");
    add(fold, "wraptype", FieldKind::kFlags, offsetof(FoldSettings, wraptype), 4, 0x020, &kWraptype,
        "push-out or hanging; word characters");
    add(fold, "maxmove_leftwise", FieldKind::kNumber, offsetof(FoldSettings, maxmove_leftwise), 4, 0x040,
        nullptr, "bytes a break may move back");
    add(fold, "maxmove_rightwise", FieldKind::kNumber, offsetof(FoldSettings, maxmove_rightwise), 4, 0x080,
        nullptr, "characters that may hang");
    add(fold, "chars_not_for_tail", FieldKind::kText, offsetof(FoldSettings, chars_not_for_tail),
        LUMO_SET_BYTES, 0x100, nullptr, "characters that may not end a line");
    add(fold, "chars_not_for_head", FieldKind::kText, offsetof(FoldSettings, chars_not_for_head),
        LUMO_SET_BYTES, 0x200, nullptr, "characters that may not begin a line");
    add(fold, "chars_for_wordwrap", FieldKind::kText, offsetof(FoldSettings, chars_for_wordwrap),
        LUMO_SET_BYTES, 0x400, nullptr, "extra word characters (WRAP_ALNUM_PLUS)");
    const Record header = Record::kHeader;
    add(header, "lumoheader", FieldKind::kFlags, offsetof(HeaderSettings, lumoheader), 4, 0x002, &kHeader,
        "the header block");
    add(header, "headerdelimiter", FieldKind::kText, offsetof(HeaderSettings, headerdelimiter),
        LUMO_DELIMITER_BYTES, 0x004, nullptr, "the line that ends the header block");
    return fields;
}

const unsigned char *FieldBytes(const SlotRecords &records, const FieldSpec &field) {
    const void *record = &records.indent;
    if (field.record == Record::kFold) record = &records.fold;
    if (field.record == Record::kHeader) record = &records.header;
    return static_cast<const unsigned char *>(record) + field.offset;
}

unsigned char *FieldBytes(SlotRecords *records, const FieldSpec &field) {
    return const_cast<unsigned char *>(FieldBytes(*records, field));
}

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
        const std::string codeset = Upper(nl_langinfo(CODESET));
        utf8 = codeset == "UTF-8" || codeset == "UTF8";
    }
    std::setlocale(LC_ALL, saved.c_str());
#endif
    return Open(utf8, error);
}

bool TerminalText::Open(bool utf8, std::string *error) {
    utf8_ = utf8;
    codec_.reset();
    if (!utf8) return true;
    codec_ = Cp932Codec::Open(error);
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
        *error = "character " + std::to_string(number) + ", " + CodePointName(d.code_point);
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

// ---- Numbers and flag words -----------------------------------------------

bool ParseNumber(std::string_view text, uint32_t *value) {
    int base = 10;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        base = 16;
        text.remove_prefix(2);
    }
    if (text.empty()) return false;
    uint64_t number = 0;
    for (const char c : text) {
        int digit;
        if (c >= '0' && c <= '9') {
            digit = c - '0';
        } else if (base == 16 && c >= 'a' && c <= 'f') {
            digit = c - 'a' + 10;
        } else if (base == 16 && c >= 'A' && c <= 'F') {
            digit = c - 'A' + 10;
        } else {
            return false;
        }
        number = number * static_cast<uint64_t>(base) + static_cast<uint64_t>(digit);
        if (number > 0xFFFFFFFFu) return false;
    }
    *value = static_cast<uint32_t>(number);
    return true;
}

std::string FlagsToText(uint32_t value, const FlagGroup &group) {
    std::string text;
    uint32_t rest = value;
    for (size_t i = 0; i < group.count; ++i) {
        if ((value & group.names[i].bit) == 0) continue;
        if (!text.empty()) text += '|';
        text += group.names[i].name;
        rest &= ~group.names[i].bit;
    }
    if (rest != 0) {
        char buffer[16];
        std::snprintf(buffer, sizeof buffer, "0x%X", static_cast<unsigned>(rest));
        if (!text.empty()) text += '|';
        text += buffer;
    }
    return text.empty() ? "0" : text;
}

bool ParseFlags(std::string_view text, const FlagGroup &group, uint32_t *value, std::string *error) {
    uint32_t result = 0;
    for (size_t start = 0;;) {
        const size_t bar = text.find('|', start);
        const std::string word = Trim(text.substr(start, bar == std::string_view::npos ? bar : bar - start));
        if (word.empty()) {
            *error = "a flag name or number is missing between the '|'";
            return false;
        }
        uint32_t bits = 0;
        if (word[0] >= '0' && word[0] <= '9') {
            if (!ParseNumber(word, &bits)) {
                *error = "'" + word + "' is not a number (decimal, or hexadecimal after 0x) below 2^32";
                return false;
            }
        } else {
            const std::string upper = Upper(word);
            size_t i = 0;
            while (i < group.count && upper != group.names[i].name) ++i;
            if (i == group.count) {
                *error = "'" + word + "' is not one of its flags";
                return false;
            }
            bits = group.names[i].bit;
        }
        result |= bits;
        if (bar == std::string_view::npos) break;
        start = bar + 1;
    }
    *value = result;
    return true;
}

// ---- The stored fields ----------------------------------------------------

const char *RecordName(Record record) {
    switch (record) {
    case Record::kIndent: return "indent";
    case Record::kFold: return "fold";
    case Record::kHeader: return "header";
    }
    return "";
}

const char *RecordGroupKey(Record record) {
    switch (record) {
    case Record::kIndent: return "indent";
    case Record::kFold: return "foldpos";
    case Record::kHeader: return "lumoheader";
    }
    return "";
}

const std::vector<FieldSpec> &Fields() {
    static const std::vector<FieldSpec> fields = MakeFields();
    return fields;
}

const FieldSpec *FindField(std::string_view name) {
    for (const FieldSpec &field : Fields()) {
        if (field.name == name) return &field;
    }
    return nullptr;
}

std::vector<std::string> ValuesOfMask(Record record, uint32_t mask) {
    std::vector<std::string> names;
    uint32_t seen = 0;
    for (const FieldSpec &field : Fields()) {
        if (field.record != record || (mask & field.mask) == 0 || (seen & field.mask) != 0) continue;
        seen |= field.mask;
        if (field.mask == 0x200 && record == Record::kIndent) {
            names.push_back("indent_string-0..9");
        } else if (field.mask == 0x400 && record == Record::kIndent) {
            names.push_back("indent_string_property-0..9");
        } else {
            names.push_back(field.value_name);
        }
    }
    return names;
}

std::string FieldValueText(const SlotRecords &records, const FieldSpec &field, const TerminalText &terminal) {
    const unsigned char *bytes = FieldBytes(records, field);
    switch (field.kind) {
    case FieldKind::kNumber: return std::to_string(ReadWord(bytes));
    case FieldKind::kFlags: return FlagsToText(ReadWord(bytes), *field.flags);
    case FieldKind::kText: break;
    }
    const auto *text = reinterpret_cast<const char *>(bytes);
    return "\"" + terminal.ToTerminal(std::string_view(text, strnlen(text, field.size))) + "\"";
}

void CopyField(SlotRecords *to, const SlotRecords &from, const FieldSpec &field) {
    std::memcpy(FieldBytes(to, field), FieldBytes(from, field), field.size);
}

bool SetFieldValue(SlotRecords *records, const FieldSpec &field, std::string_view value,
                   const TerminalText &terminal, std::string *error) {
    unsigned char *bytes = FieldBytes(records, field);
    if (field.kind == FieldKind::kNumber) {
        uint32_t number = 0;
        if (!ParseNumber(Trim(value), &number)) {
            *error = field.name + ": '" + std::string(value) +
                     "' is not a number from 0 to 4294967295 (decimal, or hexadecimal after 0x)";
            return false;
        }
        std::memcpy(bytes, &number, sizeof number);
        return true;
    }
    if (field.kind == FieldKind::kFlags) {
        uint32_t flags = 0;
        std::string why;
        if (!ParseFlags(value, *field.flags, &flags, &why)) {
            std::string names;
            for (size_t i = 0; i < field.flags->count; ++i) {
                names += (i == 0 ? "" : ", ") + std::string(field.flags->names[i].name);
            }
            *error = field.name + ": " + why + "; give flags (" + names +
                     ") or numbers joined with '|'";
            return false;
        }
        std::memcpy(bytes, &flags, sizeof flags);
        return true;
    }
    std::string cp932;
    std::string why;
    if (!terminal.FromTerminal(value, &cp932, &why)) {
        *error = field.name + ": " + why;
        return false;
    }
    std::string text;
    if (!ParseEscapes(cp932, &text, &why)) {
        *error = field.name + ": " + why;
        return false;
    }
    if (text.size() > field.size - 1) {
        *error = field.name + " holds at most " + std::to_string(field.size - 1) +
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
