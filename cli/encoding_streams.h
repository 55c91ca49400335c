// The input's encoding at the two ends of a stream. A decoding source sits
// between the file and the text stream: it holds back the text from its
// first byte beyond ASCII until the encoding is decided (encoding_detect.h),
// refuses a text that fits no encoding or not the one named, goes on
// checking the rest, and hands on EUC-JP and ISO-2022-JP as UTF-8. An
// encoding sink sits in front of the output and writes UTF-8 back in the
// input's encoding. Text before the first byte beyond ASCII reads the same
// in every encoding, so it streams out before anything is decided.
#pragma once

#include <memory>
#include <string>

#include "byte_streams.h"
#include "encoding.h"
#include "text_convert.h"

namespace lumo::cli {

// What the source found, for the sink and the text stream (all on one
// thread, the one reading).
class InputEncoding {
public:
    // The input's own encoding; kAuto until decided.
    Encoding text() const { return text_; }
    const IsoStyle &style() const { return style_; }

    // The reader had to start on an ASCII beginning before anything was
    // decided (it holds no more than a megabyte of it), in UTF-8: a text
    // that then turns out to be Shift-JIS is refused instead of cut.
    void AssumeUtf8() { assumed_utf8_ = true; }
    bool assumed_utf8() const { return assumed_utf8_; }

    void Publish(Encoding text, const IsoStyle &style) {
        style_ = style;
        text_ = text;
    }

private:
    Encoding text_ = Encoding::kAuto;
    IsoStyle style_;
    bool assumed_utf8_ = false;
};

struct EncodingRequest {
    Encoding encoding = Encoding::kAuto;  // --encoding
    bool force = false;                   // --force-encoding
    std::string input_name;               // in front of messages
};

// Whether a text read with request needs a decoding source at all: not when
// a named UTF-8 or Shift-JIS is taken whatever the text.
bool NeedsDecodingSource(const EncodingRequest &request);

// What the pieces of such a text are in: kUtf8 for EUC-JP and ISO-2022-JP
// (converted), the named encoding, or kAuto when the source decides.
Encoding PieceEncoding(const EncodingRequest &request);

// The source over raw. A text that is refused, or stops fitting further on,
// makes a Read fail with "memo.txt: line 3, column 7: ..." in *error, before
// any byte of the part at fault is handed on.
std::unique_ptr<ByteSource> DecodingSource(std::unique_ptr<ByteSource> raw, const EncodingRequest &request,
                                           std::shared_ptr<InputEncoding> found);

// A sink that writes into to (which must outlive it) in the encoding found;
// bytes pass as they are until then, and unless it is EUC-JP or
// ISO-2022-JP. Its Commit ends the text and commits to.
std::unique_ptr<ByteSink> EncodingSink(ByteSink *to, std::shared_ptr<const InputEncoding> found,
                                       std::string input_name);

}  // namespace lumo::cli
