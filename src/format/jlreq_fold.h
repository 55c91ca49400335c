// A logical line cut into segments by the Japanese line-break rules (the
// rules of jlreq_break.h): the same line views, prefixes, joins and windows
// as the classic rules' FoldSegments, with the line's characters turned
// into units (first code point, width, traits) for the segment search.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "format/find_break.h"
#include "format/jlreq_break.h"
#include "format/line_folder.h"
#include "text/byte_buffer.h"

namespace lumo {

// The traits of the character with code_point whose measured code is code,
// with the settings' kinsoku sets (as tables).
jlreq::Traits CodeTraits(const FoldTables &tables, uint32_t code_point, uint32_t code);

// The traits of each measured character code (code page 932, or the code
// page 932 image of UTF-8 text), the settings' kinsoku sets included,
// worked out once per code as the codes come: one load a character instead
// of a decoding and a classification. A code that stands for more than one
// character (the image's stand-ins) is marked, and its characters are
// decoded from their bytes each time.
class JlreqCodes {
public:
    JlreqCodes(const FoldTables &tables, bool utf8, bool ascii_as_itself);
    JlreqCodes(const JlreqCodes &) = delete;
    JlreqCodes &operator=(const JlreqCodes &) = delete;

    // The traits of code, or false when its character must be decoded.
    bool Lookup(uint32_t code, jlreq::Traits *traits) {
        uint32_t entry = entries_[code];
        if (entry == 0) entry = Learn(code);
        *traits = static_cast<jlreq::Traits>(entry);
        return !(entry & kDecoded);
    }
    jlreq::Traits Of(uint32_t code_point, uint32_t code) const { return CodeTraits(tables_, code_point, code); }

private:
    static constexpr uint32_t kKnown = 0x10000;    // the entry holds the code's traits
    static constexpr uint32_t kDecoded = 0x20000;  // the code's characters are decoded each time

    uint32_t Learn(uint32_t code);

    const FoldTables &tables_;
    bool utf8_;
    bool ascii_as_itself_;
    std::unique_ptr<uint32_t[]> entries_;  // 0: not learnt yet
};

// What every line of a call folded by these rules shares.
struct JlreqContext {
    const FoldContext &fold;  // the fold column, tab width, and the settings' kinsoku sets as tables
    jlreq::BreakRules rules;
    JlreqCodes &codes;        // the thread's own
    bool quick = true;        // plain segments are decided by the characters at the fold alone
};

// Where a segment's search stands from window to window, and the units of
// the window being folded (kept to spare an allocation per line).
struct JlreqLine {
    std::optional<jlreq::SegmentSearch> search;  // the open segment's, if any
    uint64_t taken = 0;                          // units of the open segment written already
    std::vector<jlreq::BreakUnit> units;
};

// The traits of the character with code point cp (text::kInvalidByte for a
// byte that is not UTF-8) for the segment search, the user's bits aside.
jlreq::Traits TraitsOf(uint32_t code_point);

// The code point of the measured character at p of view (its first code
// point, for a UTF-8 cluster), or text::kInvalidByte.
uint32_t CodePointAt(const CodePage &cp, const LineView &view, const char *p);

// As FoldSegments (line_folder.h), by these rules.
FoldResult FoldSegmentsJlreq(const JlreqContext &context, const LineView &view, bool complete, LineFold *line,
                             JlreqLine *state, ByteBuffer *out, size_t *consumed);

}  // namespace lumo
