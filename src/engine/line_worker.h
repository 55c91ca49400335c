// Folding the logical lines of a stream on one thread. A line is classified
// from its head, then copied when it is a quoted line that the settings
// keep, or cut into segments: at once when the whole line is at hand, or
// window by window when it arrives in parts, so that a line of any length
// takes a bounded window.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "engine/stream_rules.h"
#include "format/jlreq_fold.h"
#include "format/line_folder.h"
#include "text/byte_buffer.h"
#include "text/line_buffer.h"
#include "text/line_image.h"

namespace lumo::engine {

// What folding a run of lines noted: the lines (numbered from the run's
// first, which is 0) folded without their prefix, and the line that failed.
struct LineNotes {
    std::vector<uint64_t> dropped;
    uint64_t lines = 0;          // line ends passed
    uint64_t failed_line = 0;    // with a result other than kDone
};

// How the lines of a stream are ended and what happens to a prefix that
// fills the fold column.
struct LinePolicy {
    // The Windows-era entries: a line without a line end of its own gets the
    // one in force behind its last segment, and CR LF joins the segments of
    // a text without any line end.
    bool library_line_ends = false;
    const char *newline = "\n";  // joins the segments of a text without any line end
    bool drop_full_prefix = true;  // else a line that needs it fails with kNoColumn
};

class LineWorker {
public:
    LineWorker(const StreamRules &rules, const LinePolicy &policy);
    LineWorker(const LineWorker &) = delete;
    LineWorker &operator=(const LineWorker &) = delete;

    // Folds the whole line [line, line + length) into out. It ends with its
    // own line end unless own_line_end is false; line[length] is readable,
    // and NUL when the line has no line end. kind is the line end in force
    // (its own, or the one before it).
    FoldResult FoldWhole(const char *line, size_t length, bool own_line_end, uint32_t kind, ByteBuffer *out);

    // Folds the whole lines [p, end), each with its line end, into out.
    // *kind is the line end in force before them and after them. When a
    // line fails, out holds the lines before it.
    FoldResult FoldLines(const char *p, const char *end, uint32_t *kind, ByteBuffer *out, LineNotes *notes);

    // A line that arrives in parts. StartLong classifies it from its first
    // length bytes (a few kilobytes, or the whole line: kMore asks for
    // more). FoldLong then folds from the start of the bytes not yet taken,
    // as far as a window allows, *consumed telling how many were taken. Its
    // segments are joined with a NUL each, which the caller replaces once
    // the line's end shows; EndLong says how it ends, before the last
    // FoldLong, which is given the rest of the line (complete).
    FoldResult StartLong(const char *line, size_t length);
    FoldResult FoldLong(const char *bytes, size_t length, bool complete, ByteBuffer *out, size_t *consumed);
    void EndLong(bool own_line_end, uint32_t kind);

    // The characters of the length bytes at p, as places in a line are
    // counted: a UTF-8 code point or a byte that is not UTF-8, a code page
    // 932 character. imaged: they are the start of the bytes that the last
    // FoldLong built its image of, which tells whether they are well-formed.
    uint64_t Characters(const char *p, size_t length, bool imaged) const;

    // What joins the segments of a line whose line end in force is kind.
    const char *JoinBytes(uint32_t kind) const;

    // The indent record as classification left it (its fixed column may
    // have been lowered).
    const IndentSettings &indent() const { return indent_; }

    // Whether the last line was folded without its prefix because the
    // prefix would have filled the fold column.
    bool prefix_dropped() const { return fold_.prefix_dropped; }

private:
    FoldResult Fold(const LineView &view, bool complete, ByteBuffer *out, size_t *consumed);
    void Classify(const char *measured);
    bool PrefixFrom(const text::LineImage &image, const char *line);
    void Begin(bool own_line_end, uint32_t kind);

    const StreamRules &rules_;
    const LinePolicy policy_;
    IndentSettings indent_;  // classification may lower its fixed column
    LineJob job_{};
    LineFold fold_;
    JlreqLine jlreq_;        // the Japanese line-break rules' search and units
    std::unique_ptr<JlreqCodes> codes_;  // their traits of each code
    bool kept_ = false;      // a quoted line kept as it is
    char head_[1024 + 1];    // a code page 932 line's head, for classification
    text::LineImage *image_ = nullptr;  // UTF-8 text only
    LineBuffer prefix_;      // the UTF-8 prefix
    std::unique_ptr<text::LineImage> image_storage_;
};

}  // namespace lumo::engine
