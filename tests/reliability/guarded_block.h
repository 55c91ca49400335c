// A block of memory with an inaccessible page directly behind it (or directly
// in front of it), so that a read or write one byte outside the block faults
// on the spot: mmap and mprotect here, VirtualAlloc and VirtualProtect on
// Windows.
#pragma once

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/mman.h>
#include <unistd.h>
#endif

#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <string>

namespace lumo_test {

class GuardedBlock {
public:
    enum class Guard { kAfter, kBefore };

    GuardedBlock(size_t size, Guard guard) : size_(size) {
        const size_t page = PageSize();
        length_ = ((size + page - 1) / page + 1) * page;
#ifdef _WIN32
        base_ = static_cast<char *>(VirtualAlloc(nullptr, length_, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE));
        if (base_ == nullptr) std::abort();
        char *guard_page = guard == Guard::kAfter ? base_ + length_ - page : base_;
        DWORD old = 0;
        if (!VirtualProtect(guard_page, page, PAGE_NOACCESS, &old)) std::abort();
#else
        void *mapped = mmap(nullptr, length_, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (mapped == MAP_FAILED) std::abort();
        base_ = static_cast<char *>(mapped);
        char *guard_page = guard == Guard::kAfter ? base_ + length_ - page : base_;
        if (mprotect(guard_page, page, PROT_NONE) != 0) std::abort();
#endif
        data_ = guard == Guard::kAfter ? base_ + length_ - page - size : base_ + page;
    }
    ~GuardedBlock() {
        if (base_ == nullptr) return;
#ifdef _WIN32
        VirtualFree(base_, 0, MEM_RELEASE);
#else
        munmap(base_, length_);
#endif
    }
    GuardedBlock(const GuardedBlock &) = delete;
    GuardedBlock &operator=(const GuardedBlock &) = delete;

    char *data() { return data_; }
    size_t size() const { return size_; }

    // A NUL-terminated copy of text whose NUL is the block's last byte (kAfter)
    // or whose first byte is the block's first (kBefore).
    static GuardedBlock Text(const std::string &text, Guard guard) {
        GuardedBlock block(text.size() + 1, guard);
        std::memcpy(block.data(), text.c_str(), text.size() + 1);
        return block;
    }
    GuardedBlock(GuardedBlock &&other) noexcept
        : size_(other.size_), length_(other.length_), base_(other.base_), data_(other.data_) {
        other.base_ = nullptr;
        other.length_ = 0;
    }

private:
    static size_t PageSize() {
#ifdef _WIN32
        SYSTEM_INFO info;
        GetSystemInfo(&info);
        return info.dwPageSize;
#else
        return static_cast<size_t>(sysconf(_SC_PAGESIZE));
#endif
    }

    size_t size_;
    size_t length_ = 0;
    char *base_ = nullptr;
    char *data_ = nullptr;
};

// Fills a text field to its last byte, no NUL anywhere in it.
template <size_t N>
void FillWithoutNul(char (&field)[N], const std::string &unit) {
    for (size_t i = 0; i < N; ++i) field[i] = unit[i % unit.size()];
}

// A record copied so that it ends (kAfter) or begins (kBefore) at the guard.
template <typename Record>
Record *Place(GuardedBlock *block, const Record &record) {
    std::memcpy(block->data(), &record, sizeof record);
    return reinterpret_cast<Record *>(block->data());
}

}  // namespace lumo_test
