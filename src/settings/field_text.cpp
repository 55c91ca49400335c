// Fields, numbers and flag words as text, for the slot commands of the tool
// and for messages about what a load or a save could not do.
#include "settings/field_text.h"

#include <algorithm>
#include <charconv>
#include <cstdio>

namespace lumo {

const FieldSpec *FindField(std::string_view name) {
    for (const FieldSpec &field : Fields()) {
        if (name == field.name) return &field;
    }
    return nullptr;
}

std::vector<std::string> ValuesOfMask(Record record, uint32_t mask) {
    std::vector<std::string> names;
    uint32_t seen = 0;
    for (const FieldSpec &field : FieldsOf(record)) {
        if ((mask & field.mask) == 0 || (seen & field.mask) != 0) continue;
        seen |= field.mask;
        // Only the indexed values ("indent_string-3") share their bit.
        std::string name = field.value_name();
        const size_t dash = name.find('-');
        names.push_back(dash == std::string::npos ? name : name.substr(0, dash + 1) + "0..9");
    }
    return names;
}

bool ParseNumber(std::string_view text, uint32_t *value) {
    int base = 10;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        base = 16;
        text.remove_prefix(2);
    }
    uint32_t number = 0;
    const char *end = text.data() + text.size();
    const std::from_chars_result read = std::from_chars(text.data(), end, number, base);
    if (text.empty() || read.ec != std::errc() || read.ptr != end) return false;
    *value = number;
    return true;
}

std::string HexNumber(uint32_t value, int digits) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%0*X", digits, static_cast<unsigned>(value));
    return buffer;
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
    if (rest != 0) text += (text.empty() ? "0x" : "|0x") + HexNumber(rest);
    return text.empty() ? "0" : text;
}

bool ParseFlags(std::string_view text, const FlagGroup &group, uint32_t *value, std::string *error) {
    uint32_t result = 0;
    for (size_t start = 0;;) {
        const size_t bar = text.find('|', start);
        const std::string word(
            TrimBlanks(text.substr(start, bar == std::string_view::npos ? bar : bar - start)));
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
            size_t i = 0;
            while (i < group.count && !IsNameInAnyCase(word, group.names[i].name)) ++i;
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

std::string FlagNames(const FlagGroup &group) {
    std::string names;
    for (size_t i = 0; i < group.count; ++i) names += (i == 0 ? "" : ", ") + std::string(group.names[i].name);
    return names;
}

bool IsNameInAnyCase(std::string_view word, const char *name) {
    const std::string_view upper(name);
    return std::equal(word.begin(), word.end(), upper.begin(), upper.end(),
                      [](char c, char u) { return (c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c) == u; });
}

std::string_view TrimBlanks(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
    return text;
}

}  // namespace lumo
