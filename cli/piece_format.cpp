// Formatting a piece. The library formats each logical line on its own; the
// one tie between lines is that a last line without a line end takes the
// line end of the line before it. A piece that is only such a line gets an
// empty line with that line end put in front, whose output is taken off
// again. A line whose continuation prefix fills the fold column is folded
// without the prefix unless the context is strict.
#include "piece_format.h"

#include <cstring>
#include <string_view>

#include "paragraph/header.h"
#include "utf8_settings.h"

namespace lumo::cli {
namespace {

const char *NewlineBytes(uint32_t kind) {
    switch (kind) {
    case NEWLINE_CR: return "\r";
    case NEWLINE_CRLF: return "\r\n";
    case NEWLINE_LF: return "\n";
    default: return "\n";
    }
}

const char *LineEnd(const char *p, const char *end, uint32_t *kind) {
    while (p < end && *p != '\r' && *p != '\n') ++p;
    if (p == end) return p;
    if (*p == '\n') {
        *kind = NEWLINE_LF;
        return p + 1;
    }
    if (p + 1 < end && p[1] == '\n') {
        *kind = NEWLINE_CRLF;
        return p + 2;
    }
    *kind = NEWLINE_CR;
    return p + 1;
}

std::string FailureText(int32_t result) {
    switch (result) {
    case FORMAT_OUTPUT_TOO_SMALL: return "the formatted text would need 4 GiB or more";
    case FORMAT_NO_MEMORY: return "out of memory while formatting";
    default: return "the formatter failed with result " + std::to_string(result);
    }
}

// Formats lines (a NUL behind them when they hold a line end) into
// *formatted; newline_before is the line end of the line before them.
int32_t FormatRun(const char *text, size_t length, uint32_t newline_before, FormatSettings *settings,
                  std::string *formatted) {
    formatted->clear();
    if (length == 0) return FORMAT_DONE;
    uint32_t kind = NEWLINE_NONE;
    if (LineEnd(text, text + length, &kind) != text + length || kind != NEWLINE_NONE) {
        return FormatLines(text, length, settings, formatted);
    }
    if (newline_before == NEWLINE_NONE) {
        // A text without any line end: the library joins its folded lines
        // with CR LF, the tool with the platform's line end. The text has no
        // CR or LF of its own, so every CR LF is one that joins.
        const std::string lone(text, length);
        const int32_t result = FormatLines(lone.c_str(), lone.size(), settings, formatted);
        if (kPlatformNewline == NEWLINE_LF) {
            size_t kept = 0;
            for (size_t at = 0; at < formatted->size(); ++at) {
                if (!((*formatted)[at] == '\r' && at + 1 < formatted->size() && (*formatted)[at + 1] == '\n')) {
                    (*formatted)[kept++] = (*formatted)[at];
                }
            }
            formatted->resize(kept);
        }
        return result;
    }
    const char *head = NewlineBytes(newline_before);
    const std::string lone = head + std::string(text, length);
    const int32_t result = FormatLines(lone.c_str(), lone.size(), settings, formatted);
    if (result == FORMAT_DONE) formatted->erase(0, std::strlen(head));
    return result;
}

// Line by line, for a run in which some line's prefix fills the fold
// column: that line is folded with the indent styles off, so without
// prefix, and noted; or, when strict, the run fails naming it.
bool FormatLineByLine(PieceContext *context, const char *text, size_t length, uint32_t newline_before,
                      size_t first_line, FormatSettings *settings, std::string *out, PieceOutput *result) {
    std::string line, formatted;
    const char *end = text + length;
    size_t number = first_line;
    for (const char *p = text; p < end; ++number) {
        uint32_t kind = newline_before;
        const char *next = LineEnd(p, end, &kind);
        line.assign(p, next);
        int32_t code = FormatRun(line.c_str(), line.size(), newline_before, settings, &formatted);
        if (code == FORMAT_NO_COLUMN && !context->strict) {
            FormatSettings plain = *settings;
            plain.indent.styles &= ~STYLE_INDENT;
            code = FormatRun(line.c_str(), line.size(), newline_before, &plain, &formatted);
            if (code == FORMAT_DONE) result->lines_without_prefix.push_back(number);
        }
        if (code == FORMAT_NO_COLUMN) {
            result->error = NoColumnText(number, settings->fold.foldnum);
            return false;
        }
        if (code != FORMAT_DONE) {
            result->error = FailureText(code);
            return false;
        }
        *out += formatted;
        newline_before = kind;
        p = next;
    }
    return true;
}

// Formats the text of piece (a NUL behind it) with the settings of its
// encoding into *out.
bool FormatText(PieceContext *context, const FormatSettings &piece_settings, const std::string &text,
                const Piece &piece, std::string *out, PieceOutput *result) {
    FormatSettings settings = piece_settings;
    const char *source = text.c_str();
    // The header block is copied as it is; it can only be in the first piece.
    const char *body = piece.text_start ? SkipHeader(source, settings.header) : source;
    settings.header.lumoheader = 0;
    out->assign(source, body);
    const size_t length = text.size() - static_cast<size_t>(body - source);

    std::string formatted;
    const int32_t code = FormatRun(body, length, piece.newline_before, &settings, &formatted);
    if (code == FORMAT_DONE) {
        *out += formatted;
        return true;
    }
    if (code != FORMAT_NO_COLUMN) {
        result->error = FailureText(code);
        return false;
    }
    const size_t first_line = piece.first_line + CountLineEnds(std::string_view(source, body - source));
    return FormatLineByLine(context, body, length, piece.newline_before, first_line, &settings, out, result);
}

}  // namespace

Cp932Codec *PieceContext::Codec(std::string *error) {
    if (codec == nullptr) codec = Cp932Codec::Open(error);
    return codec.get();
}

const FormatSettings *PieceContext::Utf8Settings(std::string *error) {
    if (utf8_settings == nullptr) {
        Cp932Codec *converter = Codec(error);
        if (converter == nullptr) return nullptr;
        auto converted = std::make_unique<FormatSettings>(settings);
        ConvertRecordsToUtf8(&converted->indent, &converted->fold, &converted->header, converter, &utf8_cut);
        converted->utf8 = true;
        utf8_settings = std::move(converted);
    }
    return utf8_settings.get();
}

bool DecodePiece(PieceContext *context, Encoding encoding, const Piece &piece, std::string *storage,
                 const std::string **cp932, bool *bom, std::string *error) {
    *bom = false;
    const PieceOfText where{piece.first_line, piece.text_start};
    if (encoding != Encoding::kUtf8) {
        // Shift-JIS is the formatter's own code: the piece is used in place.
        if (piece.bytes.find('\0') != std::string::npos) {
            DecodedText decoded;
            DecodeInput(piece.bytes, Encoding::kShiftJis, nullptr, &decoded, error, kDefaultChunkBytes, where);
            return false;
        }
        *cp932 = &piece.bytes;
        return true;
    }
    Cp932Codec *codec = context->Codec(error);
    if (codec == nullptr) return false;
    DecodedText decoded;
    if (!DecodeInput(piece.bytes, Encoding::kUtf8, codec, &decoded, error, kDefaultChunkBytes, where)) {
        // With auto, the text was taken for UTF-8 from its first part.
        const std::string hint = "; for Shift-JIS text use --encoding sjis or auto";
        const size_t at = error->find(hint);
        if (piece.guessed && at != std::string::npos) {
            error->replace(at, hint.size(),
                           "; the text began as UTF-8, so all of it must be (--encoding sjis for Shift-JIS)");
        }
        return false;
    }
    *storage = std::move(decoded.cp932);
    *cp932 = storage;
    *bom = decoded.bom;
    return true;
}

bool EncodePiece(PieceContext *context, Encoding encoding, bool bom, std::string *cp932, std::string *out,
                 std::string *error) {
    if (encoding != Encoding::kUtf8) {
        *out = std::move(*cp932);
        return true;
    }
    DecodedText decoded;
    decoded.encoding = Encoding::kUtf8;
    decoded.bom = bom;
    Cp932Codec *codec = context->Codec(error);
    return codec != nullptr && EncodeOutput(*cp932, decoded, codec, out, error);
}

namespace {

constexpr std::string_view kBom = "\xEF\xBB\xBF";

// A UTF-8 piece formatted as it is: every character kept, a byte that is not
// UTF-8 too. The byte order mark is taken off and put back, so that the
// header block and the first line are read from the text's first character.
bool FormatUtf8(PieceContext *context, const Piece &piece, PieceOutput *out) {
    const FormatSettings *settings = context->Utf8Settings(&out->error);
    if (settings == nullptr) return false;
    const size_t nul = piece.bytes.find('\0');
    if (nul != std::string::npos) {
        out->error = PlaceOf(piece.bytes, nul, Encoding::kUtf8, piece.first_line) +
                     ": the input contains a NUL byte, so it is not text";
        return false;
    }
    const bool bom = piece.text_start && piece.bytes.compare(0, kBom.size(), kBom) == 0;
    std::string formatted;
    bool done;
    if (bom) {
        const std::string text = piece.bytes.substr(kBom.size());
        done = FormatText(context, *settings, text, piece, &formatted, out);
    } else {
        done = FormatText(context, *settings, piece.bytes, piece, &formatted, out);
    }
    if (!done) return false;
    out->bytes.assign(bom ? kBom : std::string_view());
    out->bytes += formatted;
    return true;
}

}  // namespace

bool FormatPiece(PieceContext *context, Encoding encoding, const Piece &piece, PieceOutput *out) {
    if (kNativeUtf8 && encoding == Encoding::kUtf8) return FormatUtf8(context, piece, out);
    std::string storage;
    const std::string *cp932 = nullptr;
    bool bom = false;
    if (!DecodePiece(context, encoding, piece, &storage, &cp932, &bom, &out->error)) return false;
    std::string formatted;
    if (!FormatText(context, context->settings, *cp932, piece, &formatted, out)) return false;
    storage.clear();
    storage.shrink_to_fit();
    return EncodePiece(context, encoding, bom, &formatted, &out->bytes, &out->error);
}

}  // namespace lumo::cli
