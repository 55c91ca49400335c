// The indent settings of a UTF-8 text spelt once for classification, and the
// buffers that classifying its lines takes: a line's image and the UTF-8 form
// of a prefix. Binding in the library and the tool's block binder share it.
#pragma once

#include "lumotext.h"
#include "text/alphabet.h"
#include "text/line_buffer.h"
#include "text/line_image.h"
#include "text/spelt_records.h"

namespace lumo {

struct Utf8Indent {
    Utf8Indent(const text::UnicodeData &data, const IndentSettings &indent_utf8, text::Ambiguous ambiguous)
        : alphabet(data, ambiguous), image(alphabet) {
        text::CollectSets(indent_utf8, nullptr, &alphabet);
        text::SpellRecord(alphabet, indent_utf8, &spelt);
    }
    text::Alphabet alphabet;
    text::LineImage image;
    IndentSettings spelt;  // the settings in the alphabet
    LineBuffer prefix;     // the UTF-8 prefix of a line
};

}  // namespace lumo
