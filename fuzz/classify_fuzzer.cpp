// Fuzz target: ClassifyLine on fuzzer-chosen IndentSettings and line. The
// prefix is terminated and at most 255 bytes, the same with walked sets and
// with tables, the named fill for a fixed column, and otherwise a mirror of
// the line's head (each character copied or a blank of its width).
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>

#include "fuzz_input.h"
#include "fuzz_settings.h"
#include "lumotext.h"
#include "paragraph/classify.h"
#include "settings/terminate.h"
#include "sjis_model.h"

namespace {

using lumo_fuzz::FuzzInput;
using lumo_fuzz::Hex;

struct Classified {
    const char *result;
    std::string prefix;
    uint32_t flags;
    uint32_t fixed_column_after;
};

Classified Classify(const lumo::CodePage &cp, const char *text, IndentSettings indent,
                    bool with_tables) {
    LineJob job{};
    job.text = text;
    job.flags = 0xFFFFFFFFu;
    std::memset(job.prefix, 0xBD, sizeof job.prefix);
    const lumo::ClassifyTables tables(cp, indent);
    const char *result = lumo::ClassifyLine(cp, &job, &indent, with_tables ? &tables : nullptr);
    FUZZ_CHECK(std::memchr(job.prefix, 0, sizeof job.prefix) != nullptr, "prefix not terminated");
    FUZZ_CHECK(result == nullptr || result == job.prefix, "result is neither null nor the prefix");
    return Classified{result == nullptr ? nullptr : "", job.prefix, job.flags,
                      indent.fixed_indent_column};
}

// Whether prefix[0, length) renders text's head: every character of the
// text either copied or a blank of its width.
bool Mirrors(const std::string &prefix, size_t length, const std::string &text) {
    size_t i = 0;
    while (i < length) {
        if (i >= text.size()) return false;
        const size_t n = lumo_fuzz::CharLength(text, i);
        if (i + n > length) return false;
        const std::string own = text.substr(i, n);
        const std::string blank = n == 1 ? " " : "\x81\x40";
        if (prefix.compare(i, n, own) != 0 && prefix.compare(i, n, blank) != 0) return false;
        i += n;
    }
    return true;
}

// Whether prefix is made of the line's own bytes and of blanks: what is
// left to check where an indent string was matched by bytes, since the
// string's characters need not fall where the line's do (a string that ends
// in a lead byte stops in the middle of a character of the line).
bool OwnBytesAndBlanks(const std::string &prefix, const std::string &text) {
    if (prefix.size() > text.size()) return false;
    for (size_t i = 0; i < prefix.size();) {
        if (prefix.compare(i, 2, "\x81\x40") == 0) {
            i += 2;
        } else if (prefix[i] == ' ' || prefix[i] == text[i]) {
            ++i;
        } else {
            return false;
        }
    }
    return true;
}

// Whether one of the indent strings begins the line behind its leading
// blanks, compared byte for byte.
bool IndentStringMatches(const IndentSettings &indent, const std::string &text) {
    if (!(indent.styles & STYLE_INDENT_STRINGS)) return false;
    size_t i = 0;
    while (i < text.size()) {
        const size_t n = lumo_fuzz::CharLength(text, i);
        if (!(n == 1 && text[i] == ' ') && !(n == 2 && text.compare(i, 2, "\x81\x40") == 0)) break;
        i += n;
    }
    for (const auto &field : indent.indent_string) {
        const std::string candidate = lumo_fuzz::FieldString(field);
        if (!candidate.empty() && text.compare(i, candidate.size(), candidate) == 0) return true;
    }
    return false;
}

std::string FixedFill(const std::string &text, const IndentSettings &indent, uint32_t column) {
    if (indent.sub_styles & SUB_FILL_SOURCE) {
        // The line's bytes before its first line break, less a last lead
        // byte (also one with the line break behind it, which in front of a
        // segment would pair with the segment's first byte).
        const size_t end = text.find_first_of("\r\n");
        std::string head = text.substr(0, end).substr(0, column);
        if (!head.empty() && lumo_fuzz::IsLead(head.back()) &&
            lumo_fuzz::IsBoundary(text, head.size() - 1)) {
            head.pop_back();
        }
        return head;
    }
    if (indent.sub_styles & SUB_FILL_WIDE_SPACE) {
        std::string fill;
        for (uint32_t i = 0; i < column / 2; ++i) fill += "\x81\x40";
        if (column % 2) fill += ' ';
        return fill;
    }
    return std::string(column, ' ');
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    FuzzInput in(data, size);
    IndentSettings indent{};
    lumo_fuzz::FuzzIndent(in, &indent);
    lumo::TerminateFields(&indent);  // as every caller in the library does
    const std::string rest = in.Rest();
    const std::string text = rest.substr(0, rest.find('\0'));
    const std::unique_ptr<char[]> line(new char[text.size() + 1]);
    std::memcpy(line.get(), text.c_str(), text.size() + 1);

    const lumo::CodePage cp;
    const Classified walked = Classify(cp, line.get(), indent, false);
    const Classified looked_up = Classify(cp, line.get(), indent, true);
    FUZZ_CHECK(walked.prefix == looked_up.prefix && walked.flags == looked_up.flags &&
                   (walked.result == nullptr) == (looked_up.result == nullptr),
               "tables and walked sets disagree: " + Hex(walked.prefix) + " against " +
                   Hex(looked_up.prefix));
    const std::string &prefix = walked.prefix;
    FUZZ_CHECK(prefix.size() <= 255, "prefix of " + std::to_string(prefix.size()) + " bytes");
    FUZZ_CHECK((walked.flags & ~uint32_t{LINE_QUOTED | LINE_EMPHASISED | LINE_ITEMISED}) == 0,
               "flags outside the three line bits");

    const uint32_t fixed_before = indent.fixed_indent_column;
    const bool fixed = (indent.styles & STYLE_INDENT) && (indent.styles & STYLE_FIXED_COLUMN);
    const uint32_t fixed_expected = fixed && fixed_before > 255 ? 255 : fixed_before;
    FUZZ_CHECK(walked.fixed_column_after == fixed_expected, "fixed indent column not lowered to 255");

    if (!(indent.styles & STYLE_INDENT)) {
        FUZZ_CHECK(walked.result == nullptr && prefix.empty() && walked.flags == 0,
                   "a prefix or flags without STYLE_INDENT");
        return 0;
    }
    FUZZ_CHECK(walked.result != nullptr, "null result with STYLE_INDENT");
    if (fixed) {
        const std::string expected = FixedFill(text, indent, fixed_expected);
        FUZZ_CHECK(prefix == expected && walked.flags == 0,
                   "fixed-column prefix " + Hex(prefix) + ", expected " + Hex(expected));
        return 0;
    }
    // The paragraph rule leaves the mirror whole, shortened by two bytes of
    // blank, or with a last full-width and half-width space made one space.
    const bool whole = Mirrors(prefix, prefix.size(), text);
    const bool last_space_made = !prefix.empty() && prefix.back() == ' ' &&
                                 Mirrors(prefix, prefix.size() - 1, text) &&
                                 (indent.styles & STYLE_PARAGRAPH);
    FUZZ_CHECK(whole || last_space_made ||
                   (IndentStringMatches(indent, text) && OwnBytesAndBlanks(prefix, text)),
               "prefix " + Hex(prefix) + " does not mirror the head of " + Hex(text.substr(0, 300)));
    return 0;
}
