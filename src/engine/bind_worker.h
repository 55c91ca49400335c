// Binding a run of whole folded lines on one thread: each line is decided
// on as soon as it is read (paragraph/block_end.h), the first line of a
// block going out as it is, a later one without the block's prefix and, as
// the settings ask, its leading blanks; a line's line end is held until the
// next line shows whether the block goes on. The streaming binder has one
// for the lines it binds itself, and each of its workers one for the pieces
// it binds: a piece begins right behind an empty line, where a block begins
// whatever came before, so its binding needs nothing of the lines before it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "engine/piece_queue.h"
#include "engine/stream_rules.h"
#include "format/jlreq_measure.h"
#include "paragraph/block_end.h"
#include "text/byte_buffer.h"
#include "text/line_image.h"

namespace lumo::engine {

class BindWorker final : public PieceWork {
public:
    // fold_column: the column the text was folded at, 0 when not known.
    // nullptr when memory ran out.
    static std::unique_ptr<BindWorker> Make(const StreamRules &rules, uint32_t fold_column);
    BindWorker(const BindWorker &) = delete;
    BindWorker &operator=(const BindWorker &) = delete;

    // Binds the whole lines [p, end) into out, *lines counting the line
    // ends passed; with stop_at_start, stops in front of the first line
    // after the first that follows an empty line. Returns where it
    // stopped, nullptr when memory ran out.
    const char *Lines(const char *p, const char *end, bool stop_at_start, ByteBuffer *out, uint64_t *lines);
    // One line [p, stop) with its line end [stop, next); *stop is readable.
    bool Line(const char *p, const char *stop, const char *next, ByteBuffer *out);
    // The held line end goes out: the text ends, or the next line surely
    // begins a block (it follows an empty line).
    bool EndBlock(ByteBuffer *out);
    // Whether the last line bound was empty, so that the next one surely
    // begins a block.
    bool after_empty() const { return after_empty_; }

    // A piece: its lines, bound, and the line end of the last.
    void Work(Piece &piece) override;

private:
    explicit BindWorker(const StreamRules &rules);
    size_t BlankAt(const char *p, const char *stop) const;
    const char *MeasuredAt(const BlockLine &line, const char *p) const;
    jlreq::Traits LastTraits(const BlockLine &line) const;

    const StreamRules &rules_;
    std::unique_ptr<JlreqCodes> codes_;      // with the Japanese rules: each code's traits
    std::unique_ptr<JlreqMeasure> measure_;  // and the measure over them
    std::unique_ptr<BlockRules> block_rules_;
    std::unique_ptr<BlockEnds> ends_;
    std::unique_ptr<text::LineImage> image_;  // UTF-8 text only
    char line_end_[2] = {};   // the line end of the last line, which ends its block unless the next continues it
    size_t line_end_length_ = 0;
    bool strip_ = false;      // the open block's lines lose their leading blanks
    bool after_empty_ = true;
    jlreq::Traits last_traits_ = 0;  // of the last line's last character, with the Japanese rules
};

}  // namespace lumo::engine
