// The streaming binder: it takes a folded text in parts of any size and
// joins each block of lines that folding made of one logical line back into
// one, handing each on as its lines come. Where a block ends is decided line
// by line (paragraph/block_end.h); with whole, the text is one block, bound
// as the library's BindLines binds it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "engine/formatter.h"
#include "engine/stream_rules.h"
#include "format/jlreq_measure.h"
#include "paragraph/block_end.h"
#include "text/byte_buffer.h"
#include "text/line_image.h"

namespace lumo::engine {

struct BinderSetup {
    RulesSetup rules;
    uint32_t fold_column = 0;     // the column the text was folded at; 0 when not known
    bool whole = false;           // the whole text is one block
    bool byte_order_mark = true;  // a UTF-8 text's byte order mark is kept apart from its first line
    bool keep_header = true;      // a header block (the settings') goes on as it is, as formatting left it
};

class Binder {
public:
    // nullptr when memory ran out.
    static std::unique_ptr<Binder> Make(const BinderSetup &setup, StreamOutput *output);
    ~Binder();
    Binder(const Binder &) = delete;
    Binder &operator=(const Binder &) = delete;

    // As the formatter's: kOk, or the problem that stopped the stream.
    Status Feed(const char *bytes, size_t length);
    Status Flush();
    Status Finish();

    const Problem &problem() const { return problem_; }

private:
    Binder(const BinderSetup &setup, StreamOutput *output, std::unique_ptr<const StreamRules> rules);
    Status Take(const char *bytes, size_t length);
    Status Start();
    Status Lines(const char *p, const char *end);
    Status Line(const char *p, const char *stop, const char *next);
    Status BindWhole();
    bool EndsHeader(size_t length);
    Status EndHeader();
    Status FailAtNul();
    Status Fail(Status status, uint64_t line = 0, uint64_t column = 0);
    Status FlushOut();
    size_t BlankAt(const char *p, const char *stop) const;
    const char *MeasuredAt(const BlockLine &line, const char *p) const;
    jlreq::Traits LastTraits(const BlockLine &line) const;

    const BinderSetup setup_;
    StreamOutput *output_;
    std::unique_ptr<const StreamRules> rules_;
    std::unique_ptr<JlreqCodes> codes_;      // with the Japanese rules: each code's traits
    std::unique_ptr<JlreqMeasure> measure_;  // and the measure over them
    std::unique_ptr<BlockRules> block_rules_;
    std::unique_ptr<BlockEnds> ends_;
    std::unique_ptr<text::LineImage> image_;  // UTF-8 text only
    ByteBuffer pending_;  // the bytes behind the last whole line (with whole: the text)
    ByteBuffer out_;
    char line_end_[2] = {};   // the line end of the last line, which ends its block unless the next continues it
    size_t line_end_length_ = 0;
    ByteBuffer header_;       // the lines that may still be a header block
    bool in_header_ = false;  // they may
    bool strip_ = false;      // the open block's lines lose their leading blanks
    jlreq::Traits last_traits_ = 0;  // of the last line's last character, with the Japanese rules
    bool started_ = false;    // the byte order mark is decided
    bool finished_ = false;
    uint64_t lines_ = 0;
    Problem problem_;
};

}  // namespace lumo::engine
