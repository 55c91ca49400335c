// The one place where a piece of text in a given encoding is formatted:
// decoded to code page 932, folded by the library, encoded back. A piece is
// whole lines of the input, so formatting it alone gives the bytes that the
// library gives for those lines within the whole text.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "encoding.h"
#include "formatter.h"
#include "piece_reader.h"

namespace lumo::cli {

// What a piece became.
struct PieceOutput {
    std::string bytes;
    // Lines (numbers in the whole input) folded without their continuation
    // prefix because it would fill the fold column.
    std::vector<size_t> lines_without_prefix;
    std::string error;  // set when the piece failed
    // What the next piece takes on when it continues this one (Piece::carried).
    std::shared_ptr<const void> carry;
};

// One thread's formatting context: the settings and a converter of its own
// (a converter's state must not be shared between threads).
struct PieceContext {
    FormatSettings settings;  // the header settings apply to the first piece only
    bool strict = false;      // a prefix that fills the fold column fails the piece
    std::unique_ptr<Cp932Codec> codec;  // opened with the first UTF-8 piece

    // The converter, opened on first use; nullptr with *error set.
    Cp932Codec *Codec(std::string *error);

    // The settings with their texts in UTF-8, for UTF-8 pieces formatted
    // natively; made on first use. Fields cut to fit are named in utf8_cut.
    const FormatSettings *Utf8Settings(std::string *error);
    std::unique_ptr<FormatSettings> utf8_settings;
    std::vector<std::string> utf8_cut;
};

// Whether UTF-8 text is formatted as it is (builds with ICU) rather than
// through code page 932.
#ifdef LUMOTEXT_UNICODE
constexpr bool kNativeUtf8 = true;
#else
constexpr bool kNativeUtf8 = false;
#endif

// Formats piece, whose encoding is encoding (kShiftJis or kUtf8), into
// out->bytes. False, with out->error set, when the piece holds a NUL or a
// character that code page 932 cannot hold, or the formatter fails.
bool FormatPiece(PieceContext *context, Encoding encoding, const Piece &piece, PieceOutput *out);

// The code page 932 text that a piece of the given encoding stands for, in
// *cp932 (nullptr-free: it points at piece.bytes for Shift-JIS, at *storage
// otherwise); *bom tells whether a byte order mark was taken off.
bool DecodePiece(PieceContext *context, Encoding encoding, const Piece &piece, std::string *storage,
                 const std::string **cp932, bool *bom, std::string *error);

// The result of a command in the encoding of its input: the inverse of
// DecodePiece.
bool EncodePiece(PieceContext *context, Encoding encoding, bool bom, std::string *cp932, std::string *out,
                 std::string *error);

// The line end that a text with none is folded with: the platform's.
#ifdef _WIN32
constexpr uint32_t kPlatformNewline = NEWLINE_CRLF;
#else
constexpr uint32_t kPlatformNewline = NEWLINE_LF;
#endif

}  // namespace lumo::cli
