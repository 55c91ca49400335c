// From a prefix in image characters to the UTF-8 prefix of the line.
#include "paragraph/prefix_utf8.h"

#include <cstring>

namespace lumo {

bool Utf8Prefix(const CodePage &cp, const char *prefix, const text::LineImage &image, const char *utf8,
                LineBuffer *out, size_t *length) {
    const size_t prefix_length = std::strlen(prefix);
    const uint32_t *offsets = image.offsets();
    const size_t image_length = image.length();
    // Every copied character comes from the line once; blanks take at most
    // three bytes for two columns.
    if (!out->Reserve(offsets[image_length] + 2 * prefix_length + 1)) return false;
    char *write = out->data();
    for (size_t i = 0; i < prefix_length;) {
        const size_t n = cp.CharLength(prefix + i);
        const bool aligned = i + n <= image_length && offsets[i] != text::LineImage::kTrail &&
                             (i + n == image_length || offsets[i + n] != text::LineImage::kTrail);
        if (aligned && std::memcmp(prefix + i, image.text() + i, n) == 0) {
            const uint32_t from = offsets[i];
            const uint32_t to = offsets[i + n];
            std::memcpy(write, utf8 + from, to - from);
            write += to - from;
        } else if (n == 2) {
            std::memcpy(write, "\xE3\x80\x80", 3);  // U+3000, the full-width space
            write += 3;
        } else {
            *write++ = ' ';
        }
        i += n;
    }
    *write = '\0';
    *length = static_cast<size_t>(write - out->data());
    return true;
}

}  // namespace lumo
