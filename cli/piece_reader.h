// Cuts an input into pieces of whole lines for the streaming commands. A
// piece ends behind a line end (never between the CR and LF of a CR LF), the
// first one not before the end of the header block, and a short read from a
// pipe or terminal hands on the lines that are complete at once.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "byte_streams.h"
#include "encoding.h"
#include "lumotext.h"

namespace lumo::cli {

// One piece of the input and where it stands in it.
struct Piece {
    std::string bytes;         // whole lines, but for the input's last line
    size_t first_line = 1;     // number of its first line, counted as the formatter counts
    size_t line_count = 0;     // line ends in it
    bool text_start = false;   // the input's first piece: a byte order mark and the header are here
    bool last = false;         // the input's end; it may be empty
    uint32_t newline_before = NEWLINE_NONE;  // the last line end of the body before the piece
    // kShiftJis or kUtf8. Until a byte above 0x7F shows, auto leaves
    // kShiftJis: ASCII is the same in both, and needs no conversion.
    Encoding encoding = Encoding::kShiftJis;
    bool guessed = false;  // the encoding was decided from the text (auto)
    // With PieceReaderSettings::block_ends, whether the piece may run on into
    // the next (runs_on) and continues the one before (continues); such a
    // piece is transformed after the one before, with what it carried.
    bool runs_on = false;
    bool continues = false;
    std::shared_ptr<const void> carried;
};

struct PieceReaderSettings {
    size_t piece_bytes = size_t{1} << 20;
    Encoding encoding = Encoding::kAuto;
    HeaderSettings header{};  // its block must be whole in the first piece
    // With auto, the encoding the source found (encoding_streams.h); the
    // reader's own guess from the piece when there is none.
    const EncodingVerdict *verdict = nullptr;
    // Prefer to end pieces behind an empty line, where a text's blocks surely
    // end, so that the pieces can be transformed at once on two threads.
    bool block_ends = false;
};

class PieceReader {
public:
    PieceReader(ByteSource *source, const PieceReaderSettings &settings) : source_(source), settings_(settings) {}

    // The next piece: true with *piece filled, false after the last one
    // (which always comes, if only empty) or, with *error set, when reading
    // fails.
    bool Next(Piece *piece, std::string *error);

private:
    size_t SafeEnd() const;
    size_t EmptyLineEnd(size_t end) const;
    bool HeaderSeen(size_t end);
    void Hand(size_t end, Piece *piece);

    ByteSource *source_;
    PieceReaderSettings settings_;
    std::string pending_;
    bool at_end_ = false;
    bool finished_ = false;  // the last piece has been handed on
    bool started_ = false;  // a piece has been handed on
    size_t header_from_ = 0;  // no line before this ends the header block
    size_t lines_ = 0;
    uint32_t newline_ = NEWLINE_NONE;
    Encoding decided_ = Encoding::kAuto;
    bool runs_on_ = false;  // the last piece handed on
};

// The number of line ends in text: CR LF, CR and LF count one each.
size_t CountLineEnds(std::string_view text);

}  // namespace lumo::cli
