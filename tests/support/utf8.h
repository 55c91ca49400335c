// UTF-8 forms of code page 932 test data, converted with the same glibc table
// as the tool: texts, and settings records whose every set and string is
// converted field by field.
#pragma once

#include <iconv.h>

#include <cstring>
#include <optional>
#include <string>
#include <string_view>

#include "lumotext.h"

namespace lumo_test {

// The UTF-8 form of a code page 932 text; nothing when some byte sequence has
// none (a stray lead byte).
inline std::optional<std::string> Utf8Of(std::string_view cp932) {
    iconv_t cd = iconv_open("UTF-8", "CP932");
    std::string out(cp932.size() * 3 + 4, '\0');
    char *in = const_cast<char *>(cp932.data());
    size_t left = cp932.size();
    char *dst = out.data();
    size_t room = out.size();
    const size_t r = iconv(cd, &in, &left, &dst, &room);
    iconv_close(cd);
    if (r == static_cast<size_t>(-1) || left != 0) return std::nullopt;
    out.resize(out.size() - room);
    return out;
}

// Converts a NUL-terminated field in place; false when it has no UTF-8 form
// or the form does not fit.
template <size_t N>
bool ConvertField(char (&field)[N]) {
    const auto utf8 = Utf8Of(std::string_view(field, strnlen(field, N)));
    if (!utf8 || utf8->size() >= N) return false;
    std::memset(field, 0, N);
    std::memcpy(field, utf8->data(), utf8->size());
    return true;
}

inline bool ConvertRecord(IndentSettings *r) {
    bool ok = ConvertField(r->chars_for_quote) && ConvertField(r->chars_for_empha) &&
              ConvertField(r->chars_for_sole_itemize) && ConvertField(r->chars_for_combi_itemize) &&
              ConvertField(r->chars_for_itemize_end);
    for (auto &s : r->indent_string) ok = ok && ConvertField(s);
    return ok;
}
inline bool ConvertRecord(FoldSettings *r) {
    return ConvertField(r->chars_not_for_tail) && ConvertField(r->chars_not_for_head) &&
           ConvertField(r->chars_for_wordwrap);
}
inline bool ConvertRecord(HeaderSettings *r) { return ConvertField(r->headerdelimiter); }

}  // namespace lumo_test
