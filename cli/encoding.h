// Text encodings of the lumotext tool: their names, a place in a text, and
// the check of UTF-8.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace lumo::cli {

enum class Encoding {
    kAuto,       // decided from the text (encoding_detect.h)
    kShiftJis,   // code page 932, passed to the formatter as it is
    kUtf8,
    kEucJp,      // read and written in EUC-JP, formatted as its UTF-8 form
    kIso2022Jp,  // read and written in ISO-2022-JP, formatted as its UTF-8 form
};

// Parses "auto", "sjis", "utf-8", "euc-jp" or "iso-2022-jp" (also
// "shift-jis", "cp932", "utf8", "eucjp", "jis"; any case). False for
// anything else.
bool ParseEncoding(std::string_view name, Encoding *encoding);

// "UTF-8", "Shift-JIS", "EUC-JP", "ISO-2022-JP" (or "auto"), for messages.
const char *EncodingName(Encoding encoding);
// The value of --encoding that names it: "utf-8", "sjis", "euc-jp" ...
const char *EncodingOption(Encoding encoding);
// The values --encoding takes, for messages: "auto, utf-8, sjis, euc-jp, iso-2022-jp".
extern const char kEncodingChoices[];

// A place in a text: 1-based line and column. Lines end at CR LF, CR or LF,
// as the formatter counts them; the column counts characters, not bytes.
struct TextPosition {
    size_t line = 1;
    size_t column = 1;
};

// Offset of the first byte that does not begin or continue a well-formed
// UTF-8 character (overlong forms, surrogates, code points above U+10FFFF and
// truncated sequences are all ill-formed); npos when the text is valid.
size_t FindInvalidUtf8(std::string_view text);

}  // namespace lumo::cli
