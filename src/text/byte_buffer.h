// A growing run of bytes that reports running out of memory instead of
// throwing, since errors leave the library as result codes: the output of
// the lines being folded, a line waiting for its end.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstring>

#include "text/line_buffer.h"

namespace lumo {

class ByteBuffer {
public:
    // Appends length bytes; false, with the buffer as it was, when memory
    // ran out. One byte more stays reserved, so that a NUL can follow.
    bool Append(const char *data, size_t length) {
        if (!Reserve(size_ + length)) return false;
        if (length > 0) std::memcpy(storage_.data() + size_, data, length);
        size_ += length;
        return true;
    }
    // Room for size bytes and a NUL behind them.
    bool Reserve(size_t size) {
        if (size < storage_.size()) return true;
        if (size + 1 < size) return false;  // overflow
        return storage_.Reserve(std::max(size + 1, storage_.size() + storage_.size() / 2 + 64));
    }
    // Puts a NUL behind the bytes (in the reserved byte) and returns them.
    const char *Terminated() {
        if (!Reserve(size_)) return nullptr;
        storage_.data()[size_] = '\0';
        return storage_.data();
    }
    // Drops the first count bytes.
    void Consume(size_t count) {
        if (count == 0) return;  // the storage may be null then
        std::memmove(storage_.data(), storage_.data() + count, size_ - count);
        size_ -= count;
    }
    void Resize(size_t size) { size_ = size; }  // only ever smaller, or after Reserve
    void Clear() { size_ = 0; }
    // Empties the buffer and gives its memory back.
    void Free() {
        storage_.Free();
        size_ = 0;
    }

    char *data() const { return storage_.data(); }
    size_t size() const { return size_; }
    bool empty() const { return size_ == 0; }

private:
    LineBuffer storage_;
    size_t size_ = 0;
};

}  // namespace lumo
