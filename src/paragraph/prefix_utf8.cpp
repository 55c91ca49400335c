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
    const char *text = image.text();
    // Whether the prefix's character at i, n bytes, is the line's own at
    // the same place, whole.
    const auto own = [&](size_t i, size_t n) {
        return i + n <= image_length && offsets[i] != text::LineImage::kTrail &&
               (i + n == image_length || offsets[i + n] != text::LineImage::kTrail) && prefix[i] == text[i] &&
               (n == 1 || prefix[i + 1] == text[i + 1]);
    };
    for (size_t i = 0; i < prefix_length;) {
        // A run of the line's own characters goes over in one copy.
        size_t j = i;
        for (size_t n; j < prefix_length && own(j, n = cp.CharLength(prefix + j));) j += n;
        if (j > i) {
            std::memcpy(write, utf8 + offsets[i], offsets[j] - offsets[i]);
            write += offsets[j] - offsets[i];
            i = j;
            continue;
        }
        const size_t n = cp.CharLength(prefix + i);
        if (n == 2) {
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
