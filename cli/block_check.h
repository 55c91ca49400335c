// The quick check of a decided UTF-8 or Shift-JIS text, 64 bytes at a time
// with the processor's vector instructions: the validator walks every byte
// of a long input beside the formatter, and byte by byte it cost a third of
// the tool's time. A block is taken only when every character in it is one
// the byte-by-byte check would take at once; anything else is left to it.
#pragma once

#include <cstddef>
#include <cstdint>

namespace lumo::cli {

// What the blocks taken hold, counted as the byte-by-byte check counts.
struct BlockCounts {
    size_t bytes = 0;          // taken, whole characters
    size_t lines = 0;          // line ends (CR LF counts once)
    size_t extra = 0;          // bytes of characters past their first
    uint64_t units = 0;        // characters beyond ASCII
    bool line_ended = false;   // a line end among them; then:
    size_t line_start = 0;     // the offset behind the last one
    size_t extra_at_line = 0;  // extra before it
};

// Takes blocks of 64 bytes from p as long as each is whole characters of
// the kinds the quick check takes (ASCII, and for Shift-JIS a half-width
// katakana or a lead byte with its trail byte; for UTF-8 a character whose
// later bytes only need to be continuation bytes), the last block ending
// before a character that it would cut. cr_before: the byte before p is a
// CR. Takes nothing where the processor lacks the instructions.
BlockCounts CheckBlocks(bool sjis, const unsigned char *p, const unsigned char *end, bool cr_before);

}  // namespace lumo::cli
