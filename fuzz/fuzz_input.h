// The fuzzer's bytes read as the choices of one case: numbers, flags, short
// byte strings, and the rest of the input as text. An exhausted input reads
// as zeros, so every byte string is a valid case. Also the check that stops
// a run with a message when a property fails.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace lumo_fuzz {

class FuzzInput {
public:
    FuzzInput(const uint8_t *data, size_t size) : data_(data), size_(size) {}

    uint8_t Byte() { return pos_ < size_ ? data_[pos_++] : 0; }

    uint32_t U32() {
        uint32_t value = 0;
        for (int i = 0; i < 4; ++i) value |= uint32_t{Byte()} << (8 * i);
        return value;
    }

    // A number in 0 .. n - 1 (n > 0), from one byte when n fits one.
    uint32_t Below(uint32_t n) { return (n <= 256 ? uint32_t{Byte()} : U32()) % n; }

    bool Bit() { return (Byte() & 1) != 0; }

    // A byte string of up to max bytes, its length read first.
    std::string Bytes(size_t max) {
        const size_t length = Below(static_cast<uint32_t>(max + 1));
        std::string bytes;
        for (size_t i = 0; i < length && pos_ < size_; ++i) bytes += static_cast<char>(Byte());
        return bytes;
    }

    // Everything not read yet.
    std::string Rest() {
        std::string rest(reinterpret_cast<const char *>(data_ + pos_), size_ - pos_);
        pos_ = size_;
        return rest;
    }

private:
    const uint8_t *data_;
    size_t size_;
    size_t pos_ = 0;
};

// "81 40 20" for messages.
inline std::string Hex(const std::string &bytes) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string out;
    for (const char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        if (!out.empty()) out += ' ';
        out += kDigits[b >> 4];
        out += kDigits[b & 0xF];
    }
    return out.empty() ? "(empty)" : out;
}

// A failed property ends the run the way a crash does, so that the fuzzer
// keeps the input; the message says which property.
[[noreturn]] inline void Fail(const char *file, int line, const std::string &what) {
    std::fprintf(stderr, "%s:%d: property failed: %s\n", file, line, what.c_str());
    std::fflush(stderr);
    std::abort();
}

}  // namespace lumo_fuzz

#define FUZZ_CHECK(condition, message)                                        \
    do {                                                                      \
        if (!(condition)) ::lumo_fuzz::Fail(__FILE__, __LINE__, (message));   \
    } while (0)
