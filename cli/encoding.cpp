// The encodings the tool reads by name, and the checks of UTF-8 that the
// slot commands make on what the terminal gives them.
#include "encoding.h"

#include <cctype>
#include <string>
#include <string_view>

#include "text/utf8.h"

namespace lumo::cli {
namespace {

// Each encoding's names: the one --encoding documents first, then the other
// spellings it accepts, and the name in messages.
struct EncodingRow {
    Encoding encoding;
    const char *spellings[5];  // nullptr-terminated when shorter
    const char *name;
};

constexpr EncodingRow kEncodingRows[] = {
    {Encoding::kAuto, {"auto"}, "auto"},
    {Encoding::kUtf8, {"utf-8", "utf8"}, "UTF-8"},
    {Encoding::kShiftJis, {"sjis", "shift-jis", "shift_jis", "cp932"}, "Shift-JIS"},
    {Encoding::kEucJp, {"euc-jp", "eucjp", "euc_jp"}, "EUC-JP"},
    {Encoding::kIso2022Jp, {"iso-2022-jp", "iso2022jp", "iso_2022_jp", "jis"}, "ISO-2022-JP"},
};

const EncodingRow &RowOf(Encoding encoding) {
    for (const EncodingRow &row : kEncodingRows) {
        if (row.encoding == encoding) return row;
    }
    return kEncodingRows[0];
}

}  // namespace

const char kEncodingChoices[] = "auto, utf-8, sjis, euc-jp, iso-2022-jp";

bool ParseEncoding(std::string_view name, Encoding *encoding) {
    std::string lower;
    for (const char c : name) lower += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    for (const EncodingRow &row : kEncodingRows) {
        for (const char *spelling : row.spellings) {
            if (spelling != nullptr && lower == spelling) {
                *encoding = row.encoding;
                return true;
            }
        }
    }
    return false;
}

const char *EncodingName(Encoding encoding) { return RowOf(encoding).name; }
const char *EncodingOption(Encoding encoding) { return RowOf(encoding).spellings[0]; }

size_t FindInvalidUtf8(std::string_view text) {
    const char *p = text.data();
    const char *const end = p + text.size();
    while (p < end) {
        const text::Decoded d = text::DecodeUtf8(p, end);
        if (d.code_point == text::kInvalidByte) return static_cast<size_t>(p - text.data());
        p += d.length;
    }
    return std::string_view::npos;
}

}  // namespace lumo::cli
