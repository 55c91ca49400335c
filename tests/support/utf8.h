// UTF-8 forms of code page 932 test data: texts, and settings records whose
// every set and string is converted field by field. Where the tests are
// built with LUMOTEXT_TEST_ICONV (native builds), glibc's iconv converts, as
// the tool does; elsewhere (i386, Windows) the library's own code page 932
// table, which the native tests hold against iconv code by code. Also the
// UTF-8 entries by one name on every target (Lumotext.dll exports neither).
#pragma once

#ifdef LUMOTEXT_TEST_ICONV
#include <iconv.h>
#endif

#include <cstring>
#include <optional>
#include <string>
#include <string_view>

#include "format/driver_utf8.h"
#include "lumotext.h"
#include "paragraph/bind_utf8.h"
#include "text/unicode_data.h"
#include "text/utf8.h"

namespace lumo_test {

// The UTF-8 form of a code page 932 text; nothing when some byte sequence has
// none (a stray lead byte).
inline std::optional<std::string> Utf8Of(std::string_view cp932) {
#ifdef LUMOTEXT_TEST_ICONV
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
#else
    std::string out;
    for (size_t i = 0; i < cp932.size();) {
        const auto byte = static_cast<unsigned char>(cp932[i]);
        const bool lead = (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
        uint16_t code = byte;
        if (lead) {
            if (i + 1 == cp932.size()) return std::nullopt;
            code = static_cast<uint16_t>(byte << 8 | static_cast<unsigned char>(cp932[i + 1]));
        }
        const uint32_t cp = lumo::text::Cp932CodePoint(code);
        if (cp == lumo::text::kNoCodePoint) return std::nullopt;
        char bytes[4];
        out.append(bytes, lumo::text::EncodeUtf8(cp, bytes));
        i += lead ? 2 : 1;
    }
    return out;
#endif
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

// LumoMultiLinesUtf8 and BindLinesUtf8, or on Windows the functions behind them.
inline int32_t FormatUtf8(FormatRequest *request, IndentSettings *indent, FoldSettings *fold,
                          HeaderSettings *header) {
#ifdef _WIN32
    return lumo::MultiLinesUtf8(request, indent, fold, header);
#else
    return LumoMultiLinesUtf8(request, indent, fold, header);
#endif
}
inline int32_t BindUtf8(LineJob *job, IndentSettings *indent) {
#ifdef _WIN32
    return lumo::BindUtf8(job, indent);
#else
    return BindLinesUtf8(job, indent);
#endif
}

}  // namespace lumo_test
