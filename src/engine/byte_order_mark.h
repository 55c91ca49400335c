// The UTF-8 byte order mark at the start of a stream's text, which the
// formatter and the binder hand on by itself, ahead of the first line.
#pragma once

#include <cstddef>
#include <cstring>

namespace lumo::engine {

constexpr char kByteOrderMark[] = "\xEF\xBB\xBF";
constexpr size_t kByteOrderMarkBytes = 3;

// What a text's first length bytes say: a whole mark (its bytes lead the
// text), perhaps one that more bytes complete (only while the text has not
// ended), or none.
enum class MarkAt { kNone, kWhole, kPerhaps };

inline MarkAt ByteOrderMarkAt(const char *bytes, size_t length, bool ended) {
    if (length >= kByteOrderMarkBytes) {
        return std::memcmp(bytes, kByteOrderMark, kByteOrderMarkBytes) == 0 ? MarkAt::kWhole : MarkAt::kNone;
    }
    return !ended && std::memcmp(bytes, kByteOrderMark, length) == 0 ? MarkAt::kPerhaps : MarkAt::kNone;
}

}  // namespace lumo::engine
