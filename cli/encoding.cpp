// Encoding detection and the checked conversion between UTF-8 and code page
// 932. A piece of text counts as converted only when it comes back from code
// page 932 byte for byte; otherwise the first character at fault is found by
// halving the piece and reported with its line and column.
#include "encoding.h"

#include <cctype>
#include <cstdio>
#include <string>
#include <string_view>

#include "text/text.h"
#include "text/utf8.h"

namespace lumo::cli {
namespace {

constexpr std::string_view kBom = "\xEF\xBB\xBF";

bool IsContinuation(unsigned char byte) { return (byte & 0xC0) == 0x80; }

// Bytes of the well-formed UTF-8 character at text[pos], or 0 when none
// begins there (the core's decoding: overlong forms, surrogates, code
// points above U+10FFFF and truncated sequences are ill-formed).
size_t Utf8Length(std::string_view text, size_t pos) {
    const text::Decoded d = text::DecodeUtf8(text.data() + pos, text.data() + text.size());
    return d.code_point == text::kInvalidByte ? 0 : d.length;
}

uint32_t Utf8CodePoint(std::string_view text, size_t pos) {
    const text::Decoded d = text::DecodeUtf8(text.data() + pos, text.data() + text.size());
    return d.code_point == text::kInvalidByte ? 0xFFFD : d.code_point;
}

// Bytes of the code page 932 character at text[pos]: a lead byte takes the
// next byte with it, unless that is a line end or there is none (the
// formatter measures such a lead byte alone, and so does a position).
size_t Cp932Length(std::string_view text, size_t pos) {
    if (!IsCp932LeadByte(static_cast<unsigned char>(text[pos])) || pos + 1 >= text.size()) return 1;
    const char next = text[pos + 1];
    return (next == '\0' || next == '\r' || next == '\n') ? 1 : 2;
}

size_t CharLength(std::string_view text, size_t pos, Encoding encoding) {
    if (encoding == Encoding::kShiftJis) return Cp932Length(text, pos);
    // Inside valid UTF-8 this is the character; at an ill-formed byte the
    // byte alone stands for one character.
    const size_t length = Utf8Length(text, pos);
    return length == 0 ? 1 : length;
}

// The largest character boundary in text at or below limit that lies after
// 0; text holds more than one character, so one exists.
size_t BoundaryBefore(std::string_view text, size_t limit, Encoding encoding) {
    if (encoding == Encoding::kUtf8) {
        size_t pos = limit;
        while (pos > 0 && IsContinuation(static_cast<unsigned char>(text[pos]))) --pos;
        return pos > 0 ? pos : CharLength(text, 0, encoding);
    }
    size_t pos = 0;
    size_t last = CharLength(text, 0, encoding);
    while (pos < limit) {
        pos += CharLength(text, pos, encoding);
        if (pos <= limit) last = pos;
    }
    return last;
}

// Whether piece (whole characters) converts and comes back unchanged.
bool RoundTrips(std::string_view utf8, Cp932Codec *codec, std::string *cp932, std::string *back) {
    cp932->clear();
    back->clear();
    return codec->FromUtf8(utf8, cp932) && codec->ToUtf8(*cp932, back) && *back == utf8;
}

bool Converts(std::string_view cp932, Cp932Codec *codec, std::string *utf8) {
    utf8->clear();
    return codec->ToUtf8(cp932, utf8);
}

// Offset of the first character of piece that fails test, found by halving:
// the conversions are stateless, so a piece fails exactly when one of its
// characters does. piece as a whole is known to fail.
template <typename Test>
size_t FirstFailingChar(std::string_view piece, Encoding encoding, Test test) {
    size_t base = 0;
    while (CharLength(piece, 0, encoding) < piece.size()) {
        const size_t middle = BoundaryBefore(piece, piece.size() / 2, encoding);
        if (!test(piece.substr(0, middle))) {
            piece = piece.substr(0, middle);
        } else {
            base += middle;
            piece = piece.substr(middle);
        }
    }
    return base;
}

std::string Hex(uint32_t value, int digits) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%0*X", digits, static_cast<unsigned>(value));
    return buffer;
}

std::string CodePointName(uint32_t code_point) { return "U+" + Hex(code_point, 4); }

// Whether the character itself may be shown in a message: visible, and the
// message is read as UTF-8 (on Windows the console expects the ANSI page).
bool Showable(uint32_t c) {
#ifdef _WIN32
    (void)c;
    return false;
#else
    if (c < 0xA0 || c == 0xAD || c == 0xFEFF) return false;
    if (c >= 0x0300 && c <= 0x036F) return false;  // combining marks
    if (c >= 0x2000 && c <= 0x200F) return false;  // spaces and direction marks
    if (c >= 0x2028 && c <= 0x202F) return false;
    if (c >= 0x2060 && c <= 0x206F) return false;
    if (c >= 0xFE00 && c <= 0xFE0F) return false;  // variation selectors
    if (c >= 0xE0000) return false;
    return true;
#endif
}

// first_line is the number of the text's first line in the whole input, for
// a piece of a text that is read in pieces.
std::string Where(std::string_view text, size_t offset, Encoding encoding, size_t first_line = 1) {
    const TextPosition at = PositionOf(text, offset, encoding);
    return "line " + std::to_string(at.line + first_line - 1) + ", column " + std::to_string(at.column);
}

// The message for a UTF-8 character that code page 932 cannot hold exactly.
std::string UnconvertibleMessage(std::string_view utf8, size_t offset, Cp932Codec *codec, size_t first_line) {
    const size_t length = Utf8Length(utf8, offset);
    const std::string_view character = utf8.substr(offset, length);
    const uint32_t code_point = Utf8CodePoint(utf8, offset);
    std::string message = Where(utf8, offset, Encoding::kUtf8, first_line) + ": " + CodePointName(code_point);
    if (Showable(code_point)) message += " \"" + std::string(character) + "\"";
    message += " cannot be converted to Shift-JIS (code page 932)";
    std::string cp932, back;
    if (codec->FromUtf8(character, &cp932) && codec->ToUtf8(cp932, &back) && back != character &&
        Utf8Length(back, 0) == back.size()) {
        message += "; it would come back as " + CodePointName(Utf8CodePoint(back, 0));
    }
    return message;
}

bool DecodeUtf8(std::string_view text, Encoding requested, Cp932Codec *codec, DecodedText *decoded,
                std::string *error, size_t chunk_bytes, size_t first_line) {
    if (requested == Encoding::kUtf8) {
        const size_t bad = FindInvalidUtf8(text);
        if (bad != std::string_view::npos) {
            *error = Where(text, bad, Encoding::kUtf8, first_line) + ": not valid UTF-8 (byte 0x" +
                     Hex(static_cast<unsigned char>(text[bad]), 2) +
                     "); for Shift-JIS text use --encoding sjis or auto";
            return false;
        }
    }
    const size_t nul = text.find('\0');
    if (nul != std::string_view::npos) {
        *error = Where(text, nul, Encoding::kUtf8, first_line) + ": the input contains a NUL byte, so it is not text";
        return false;
    }
    std::string &out = decoded->cp932;
    out.clear();
    out.reserve(text.size());
    std::string piece_cp932, piece_back;
    for (size_t start = 0; start < text.size();) {
        size_t end = text.size();
        if (end - start > chunk_bytes) {
            end = start + BoundaryBefore(text.substr(start), chunk_bytes, Encoding::kUtf8);
        }
        const std::string_view piece = text.substr(start, end - start);
        if (!RoundTrips(piece, codec, &piece_cp932, &piece_back)) {
            const size_t bad = FirstFailingChar(piece, Encoding::kUtf8, [&](std::string_view part) {
                return RoundTrips(part, codec, &piece_cp932, &piece_back);
            });
            *error = UnconvertibleMessage(text, start + bad, codec, first_line);
            return false;
        }
        out += piece_cp932;
        start = end;
    }
    return true;
}

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

TextPosition PositionOf(std::string_view text, size_t offset, Encoding encoding) {
    TextPosition at;
    size_t pos = 0;
    while (pos < offset && pos < text.size()) {
        const char c = text[pos];
        if (c == '\r' || c == '\n') {
            // CR LF is one line end; CR alone and LF alone are one each.
            if (c == '\r' && pos + 1 < text.size() && text[pos + 1] == '\n') {
                if (pos + 1 == offset) break;  // on the LF: still the line of the CR
                ++pos;
            }
            ++pos;
            ++at.line;
            at.column = 1;
            continue;
        }
        pos += CharLength(text, pos, encoding);
        ++at.column;
    }
    return at;
}

std::string PlaceOf(std::string_view text, size_t offset, Encoding encoding, size_t first_line) {
    return Where(text, offset, encoding, first_line);
}

size_t FindInvalidUtf8(std::string_view text) {
    size_t pos = 0;
    while (pos < text.size()) {
        const size_t length = Utf8Length(text, pos);
        if (length == 0) return pos;
        pos += length;
    }
    return std::string_view::npos;
}

bool DecodeInput(std::string_view input, Encoding requested, Cp932Codec *codec, DecodedText *decoded,
                 std::string *error, size_t chunk_bytes, const PieceOfText &piece) {
    Encoding encoding = requested;
    if (encoding == Encoding::kAuto) {
        encoding = FindInvalidUtf8(input) == std::string_view::npos ? Encoding::kUtf8 : Encoding::kShiftJis;
    }
    decoded->encoding = encoding;
    decoded->bom = false;
    if (encoding == Encoding::kShiftJis) {
        const size_t nul = input.find('\0');
        if (nul != std::string_view::npos) {
            *error =
                Where(input, nul, Encoding::kShiftJis, piece.first_line) + ": the input contains a NUL byte, so it is not text";
            return false;
        }
        decoded->cp932.assign(input);
        return true;
    }
    // The byte order mark has no code page 932 counterpart: it is taken off
    // here and put back by EncodeOutput. Positions count from behind it.
    if (piece.text_start && input.substr(0, kBom.size()) == kBom) {
        decoded->bom = true;
        input.remove_prefix(kBom.size());
    }
    return DecodeUtf8(input, requested, codec, decoded, error, chunk_bytes, piece.first_line);
}

bool EncodeOutput(std::string_view cp932, const DecodedText &decoded, Cp932Codec *codec, std::string *output,
                  std::string *error, size_t chunk_bytes) {
    output->clear();
    if (decoded.encoding != Encoding::kUtf8) {
        output->assign(cp932);
        return true;
    }
    if (decoded.bom) output->assign(kBom);
    output->reserve(output->size() + cp932.size() + cp932.size() / 2);
    std::string piece_utf8;
    for (size_t start = 0; start < cp932.size();) {
        size_t end = cp932.size();
        if (end - start > chunk_bytes) {
            end = start + BoundaryBefore(cp932.substr(start), chunk_bytes, Encoding::kShiftJis);
        }
        const std::string_view piece = cp932.substr(start, end - start);
        if (!Converts(piece, codec, &piece_utf8)) {
            const size_t bad =
                start + FirstFailingChar(piece, Encoding::kShiftJis, [&](std::string_view part) {
                    return Converts(part, codec, &piece_utf8);
                });
            std::string bytes;
            for (size_t i = 0; i < Cp932Length(cp932, bad); ++i) {
                bytes += " 0x" + Hex(static_cast<unsigned char>(cp932[bad + i]), 2);
            }
            *error = "the formatted text has bytes that are not code page 932 at " +
                     Where(cp932, bad, Encoding::kShiftJis) + " (" + bytes.substr(1) + ")";
            return false;
        }
        *output += piece_utf8;
        start = end;
    }
    return true;
}

}  // namespace lumo::cli
