// A heap buffer owned by one formatting call and reused from line to line.
// Growth reports failure instead of throwing, since errors leave the library
// as result codes.
#pragma once

#include <cstddef>
#include <cstdlib>

namespace lumo {

class LineBuffer {
public:
    LineBuffer() = default;
    LineBuffer(const LineBuffer &) = delete;
    LineBuffer &operator=(const LineBuffer &) = delete;
    ~LineBuffer() { std::free(data_); }

    // Makes room for at least size bytes; false when memory is exhausted.
    bool Reserve(size_t size) {
        if (size <= size_) return true;
        void *grown = std::realloc(data_, size);
        if (grown == nullptr) return false;
        data_ = static_cast<char *>(grown);
        size_ = size;
        return true;
    }
    // Gives the memory back.
    void Free() {
        std::free(data_);
        data_ = nullptr;
        size_ = 0;
    }
    char *data() const { return data_; }
    size_t size() const { return size_; }

private:
    char *data_ = nullptr;
    size_t size_ = 0;
};

}  // namespace lumo
