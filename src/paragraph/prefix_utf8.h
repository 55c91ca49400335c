// The continuation prefix of a UTF-8 line. Classification reads the line's
// image and writes the prefix in image characters, each either a copy of the
// image character at the same place or a blank of its width; the UTF-8
// prefix copies the line's own bytes for the first kind and writes a space
// or U+3000 for the second.
#pragma once

#include <cstddef>

#include "text/line_buffer.h"
#include "text/line_image.h"
#include "text/text.h"

namespace lumo {

// Writes the UTF-8 form of prefix (NUL-terminated, in image characters) for
// the line utf8 spelt as image into *out, NUL-terminated, and sets *length.
// False when memory ran out.
bool Utf8Prefix(const CodePage &cp, const char *prefix, const text::LineImage &image, const char *utf8,
                LineBuffer *out, size_t *length);

}  // namespace lumo
