// The lines at the start of a stream's text that may still be a header
// block (the settings' header), held until a line ends the block, which
// then goes on as it is, or the text ends, when they were body lines.
// The formatter and the binder hold them alike.
#pragma once

#include <cstddef>

#include "lumotext.h"
#include "paragraph/header.h"
#include "text/byte_buffer.h"

namespace lumo::engine {

class HeaderBlock {
public:
    enum class Took { kHeld, kEnded, kNoMemory };

    // Holds the next line, its line end included (none for the text's last
    // line), and says whether it ends the block.
    Took Take(const char *line, size_t length, const HeaderSettings &header) {
        if (!lines_.Append(line, length)) return Took::kNoMemory;
        const char *text = lines_.Terminated();
        if (text == nullptr) return Took::kNoMemory;
        const char *taken = text + lines_.size() - length;
        return SkipHeader(taken, header) != taken ? Took::kEnded : Took::kHeld;
    }
    // The text's last line, without a line end, which only counts when it
    // ends the block: else the lines held were body lines all along, and it
    // is left to the caller with them.
    Took TakeLast(const char *line, size_t length, const HeaderSettings &header) {
        const Took took = Take(line, length, header);
        if (took == Took::kHeld) lines_.Resize(lines_.size() - length);
        return took;
    }

    const char *data() const { return lines_.data(); }
    size_t size() const { return lines_.size(); }
    const char *end() const { return lines_.data() + lines_.size(); }
    void Free() { lines_.Free(); }

private:
    ByteBuffer lines_;
};

}  // namespace lumo::engine
