// Writing a whole text to a stream, and the two platform hints that the
// commands' buffers and streams need.
#include "file_io.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <process.h>
#include <sys/stat.h>
#include <windows.h>
#else
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace lumo::cli {
namespace {

constexpr size_t kBlockBytes = size_t{1} << 20;

std::string Reason(int error_number) { return std::strerror(error_number); }

}  // namespace

bool WriteToStream(std::FILE *stream, std::string_view data, const char *name, std::string *error) {
    size_t done = 0;
    while (done < data.size()) {
        const size_t block = data.size() - done < kBlockBytes ? data.size() - done : kBlockBytes;
        const size_t written = std::fwrite(data.data() + done, 1, block, stream);
        done += written;
        if (written < block) break;
    }
    if (done < data.size() || std::fflush(stream) != 0) {
        *error = std::string("cannot write to ") + name + ": " + Reason(errno);
        return false;
    }
    return true;
}

void PreferHugePages(void *data, size_t size) {
#if defined(__linux__) && defined(MADV_HUGEPAGE)
    constexpr size_t kLarge = size_t{8} << 20;
    if (size < kLarge) return;
    // madvise takes whole pages; the buffer's first and last part pages keep
    // small ones.
    const auto page = static_cast<uintptr_t>(sysconf(_SC_PAGESIZE));
    const auto begin = (reinterpret_cast<uintptr_t>(data) + page - 1) & ~(page - 1);
    const auto end = (reinterpret_cast<uintptr_t>(data) + size) & ~(page - 1);
    madvise(reinterpret_cast<void *>(begin), end - begin, MADV_HUGEPAGE);
#else
    (void)data;
    (void)size;
#endif
}

void UseBinaryMode(std::FILE *stream) {
#ifdef _WIN32
    _setmode(_fileno(stream), _O_BINARY);
#else
    (void)stream;
#endif
}

}  // namespace lumo::cli
