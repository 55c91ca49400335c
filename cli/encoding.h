// Text encodings of the lumotext tool. The formatter works on code page 932
// (Shift-JIS); UTF-8 text is converted to it and back, and every character
// that code page 932 cannot hold exactly is reported with its line and column.
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

// The position of the character that begins at byte offset in text, text
// being UTF-8 (kUtf8) or code page 932 (kShiftJis).
TextPosition PositionOf(std::string_view text, size_t offset, Encoding encoding);

// "line 3, column 7" for that position, lines counted from first_line.
std::string PlaceOf(std::string_view text, size_t offset, Encoding encoding, size_t first_line = 1);

// Offset of the first byte that does not begin or continue a well-formed
// UTF-8 character (overlong forms, surrogates, code points above U+10FFFF and
// truncated sequences are all ill-formed); npos when the text is valid.
size_t FindInvalidUtf8(std::string_view text);

// The platform's converter between UTF-8 and code page 932: glibc iconv off
// Windows, the Win32 conversion functions on Windows. Both directions append
// to *out and return false, with *out as it was, when some character of the
// input has no exact counterpart; they never substitute a character. The
// input holds whole characters and is smaller than 1 GiB.
class Cp932Codec {
public:
    // nullptr, with *error set, when the platform has no code page 932.
    static std::unique_ptr<Cp932Codec> Open(std::string *error);
    virtual ~Cp932Codec() = default;

    virtual bool FromUtf8(std::string_view utf8, std::string *out) = 0;
    virtual bool ToUtf8(std::string_view cp932, std::string *out) = 0;
};

// The input as the formatter gets it, and what is needed to write the
// formatted text back in the input's own encoding.
struct DecodedText {
    Encoding encoding = Encoding::kShiftJis;  // kShiftJis or kUtf8, never kAuto
    bool bom = false;                         // a UTF-8 byte order mark was removed
    std::string cp932;                        // the text for the formatter, no NUL in it
};

// The conversions work on pieces of at most this many bytes, cut between
// characters; tests pass a small value to exercise the cuts.
constexpr size_t kDefaultChunkBytes = size_t{16} << 20;

// Where the text handed to DecodeInput stands in the whole input: the number
// of its first line, for messages, and whether it is the input's beginning,
// the one place where a byte order mark is taken off.
struct PieceOfText {
    size_t first_line = 1;
    bool text_start = true;
};

// Decides the encoding (kAuto) and converts the input to code page 932. On
// failure returns false and sets *error to a message that names the line and
// column: a NUL byte, ill-formed UTF-8 (with kUtf8), or a character that code
// page 932 cannot hold exactly (U+XXXX).
bool DecodeInput(std::string_view input, Encoding requested, Cp932Codec *codec, DecodedText *decoded,
                 std::string *error, size_t chunk_bytes = kDefaultChunkBytes, const PieceOfText &piece = {});

// The formatter's code page 932 output in the input's encoding: the raw
// bytes for Shift-JIS, else UTF-8 with the byte order mark restored. False,
// with *error set, when the text is not code page 932.
bool EncodeOutput(std::string_view cp932, const DecodedText &decoded, Cp932Codec *codec, std::string *output,
                  std::string *error, size_t chunk_bytes = kDefaultChunkBytes);

}  // namespace lumo::cli
