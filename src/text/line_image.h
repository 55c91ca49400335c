// A UTF-8 line spelt for the code page 932 rules: one character of the image
// for each grapheme cluster of the line, as many bytes as the cluster has
// columns, and for each image character the UTF-8 bytes it stands for. A
// cluster of no width (a lone combining mark, U+200B, U+FEFF) joins the
// character before it. The rules measure and break the image; the output
// copies the UTF-8 bytes behind it, so no byte is lost or changed.
#pragma once

#include <cstddef>
#include <cstdint>

#include "text/alphabet.h"
#include "text/line_buffer.h"

namespace lumo::text {

class LineImage {
public:
    static constexpr uint32_t kTrail = 0xFFFFFFFFu;  // the offset of a trail byte of the image

    explicit LineImage(const Alphabet &alphabet);
    LineImage(const LineImage &) = delete;
    LineImage &operator=(const LineImage &) = delete;

    // Spells [utf8, utf8 + length), which holds no NUL. False when memory
    // failed.
    bool Build(const char *utf8, size_t length);

    const char *text() const { return image_.data(); }  // NUL-terminated
    size_t length() const { return length_; }
    // offsets()[i]: where the UTF-8 bytes of the image character at i begin,
    // kTrail inside a two-byte image character; offsets()[length()] is the
    // UTF-8 length.
    const uint32_t *offsets() const { return reinterpret_cast<const uint32_t *>(offsets_.data()); }

private:
    bool Reserve(size_t length);
    // Ends an image of n bytes for a line of length UTF-8 bytes.
    bool Finish(size_t n, size_t length);
    bool BuildClusters(const char *utf8, size_t length);

    const Alphabet &alphabet_;
    const UnicodeData &data_;
    Ambiguous mode_;
    LineBuffer image_;
    LineBuffer offsets_;
    size_t length_ = 0;
};

}  // namespace lumo::text
