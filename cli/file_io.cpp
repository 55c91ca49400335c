// Whole-file input and output. The replacement of an output file is the one
// place where the platforms differ: a temporary file beside the target, then
// rename(2) on POSIX systems and MoveFileEx on Windows.
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

std::string Quoted(const std::string &path) { return "'" + path + "'"; }

std::string Reason(int error_number) { return std::strerror(error_number); }

// The directory part of path ("." when it has none), where the temporary
// file must live so that the final rename stays on one file system.
std::string DirectoryOf(const std::string &path) {
#ifdef _WIN32
    const size_t slash = path.find_last_of("/\\:");
#else
    const size_t slash = path.find_last_of('/');
#endif
    if (slash == std::string::npos) return ".";
    if (slash == 0) return path.substr(0, 1);
    return path.substr(0, slash + 1);
}

std::string BaseNameOf(const std::string &path) {
#ifdef _WIN32
    const size_t slash = path.find_last_of("/\\:");
#else
    const size_t slash = path.find_last_of('/');
#endif
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

#ifdef _WIN32

std::string WindowsReason(DWORD code) {
    char *text = nullptr;
    const DWORD length = FormatMessageA(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
        code, 0, reinterpret_cast<char *>(&text), 0, nullptr);
    std::string reason = length > 0 ? std::string(text, length) : "error " + std::to_string(code);
    if (text != nullptr) LocalFree(text);
    while (!reason.empty() && (reason.back() == '\r' || reason.back() == '\n' || reason.back() == '.')) {
        reason.pop_back();
    }
    return reason;
}

bool ReplaceByRename(const std::string &path, std::string_view data, std::string *error) {
    std::string directory = DirectoryOf(path);
    if (directory.back() != '/' && directory.back() != '\\' && directory.back() != ':') directory += '\\';
    std::string temp;
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        temp = directory + "." + BaseNameOf(path) + ".lumotext-" + std::to_string(_getpid()) + "-" +
               std::to_string(attempt);
        fd = _open(temp.c_str(), _O_CREAT | _O_EXCL | _O_WRONLY | _O_BINARY, _S_IREAD | _S_IWRITE);
        if (fd < 0 && errno != EEXIST) break;
    }
    if (fd < 0) {
        *error = "cannot create a temporary file for " + Quoted(path) + ": " + Reason(errno);
        return false;
    }
    size_t done = 0;
    while (done < data.size()) {
        const size_t block = data.size() - done < kBlockBytes ? data.size() - done : kBlockBytes;
        const int written = _write(fd, data.data() + done, static_cast<unsigned>(block));
        if (written <= 0) {
            *error = "cannot write " + Quoted(path) + ": " + Reason(errno);
            _close(fd);
            _unlink(temp.c_str());
            return false;
        }
        done += static_cast<size_t>(written);
    }
    if (_commit(fd) != 0 || _close(fd) != 0) {
        *error = "cannot write " + Quoted(path) + ": " + Reason(errno);
        _unlink(temp.c_str());
        return false;
    }
    if (!MoveFileExA(temp.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        *error = "cannot replace " + Quoted(path) + ": " + WindowsReason(GetLastError());
        _unlink(temp.c_str());
        return false;
    }
    return true;
}

#else

// Permission bits for the new file: those of the file it replaces, else
// what open(2) would give under the process's umask.
mode_t ModeFor(const std::string &path) {
    struct stat info;
    if (stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode)) return info.st_mode & 07777;
    const mode_t mask = umask(0);
    umask(mask);
    return 0666 & ~mask;
}

bool ReplaceByRename(const std::string &path, std::string_view data, std::string *error) {
    std::string directory = DirectoryOf(path);
    if (directory.back() != '/') directory += '/';
    std::string temp = directory + "." + BaseNameOf(path) + ".lumotext-XXXXXX";
    const int fd = mkstemp(temp.data());
    if (fd < 0) {
        *error = "cannot create a temporary file in " + Quoted(DirectoryOf(path)) + " for " + Quoted(path) +
                 ": " + Reason(errno);
        return false;
    }
    const auto fail = [&](const std::string &what, int error_number) {
        *error = what + ": " + Reason(error_number);
        close(fd);
        unlink(temp.c_str());
        return false;
    };
    size_t done = 0;
    while (done < data.size()) {
        const size_t block = data.size() - done < kBlockBytes ? data.size() - done : kBlockBytes;
        const ssize_t written = write(fd, data.data() + done, block);
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) return fail("cannot write " + Quoted(path), written < 0 ? errno : EIO);
        done += static_cast<size_t>(written);
    }
    if (fchmod(fd, ModeFor(path)) != 0) return fail("cannot set the permissions of " + Quoted(path), errno);
    // The data must be on disk before the name points at it.
    if (fsync(fd) != 0 && errno != EINVAL) return fail("cannot write " + Quoted(path), errno);
    if (close(fd) != 0) {
        *error = "cannot write " + Quoted(path) + ": " + Reason(errno);
        unlink(temp.c_str());
        return false;
    }
    if (std::rename(temp.c_str(), path.c_str()) != 0) {
        *error = "cannot replace " + Quoted(path) + ": " + Reason(errno);
        unlink(temp.c_str());
        return false;
    }
    return true;
}

#endif

// The size of an open regular file, so that it is read into a buffer of that
// size at once; 0 for a pipe or terminal, or when it cannot be told.
size_t RegularFileSize(std::FILE *file) {
#ifdef _WIN32
    struct _stat64 info;
    if (_fstat64(_fileno(file), &info) != 0 || (info.st_mode & _S_IFMT) != _S_IFREG) return 0;
#else
    struct stat info;
    if (fstat(fileno(file), &info) != 0 || !S_ISREG(info.st_mode)) return 0;
#endif
    // A size that a 32-bit process cannot hold is no help either.
    if (info.st_size <= 0 || static_cast<uint64_t>(info.st_size) >= SIZE_MAX / 2) return 0;
    return static_cast<size_t>(info.st_size);
}

}  // namespace

bool ReadWholeFile(const std::string &path, std::FILE *stdin_stream, std::string *data, std::string *error) {
    const bool standard = path == "-";
    const std::string name = standard ? std::string(kStandardInputName) : Quoted(path);
    std::FILE *file = standard ? stdin_stream : std::fopen(path.c_str(), "rb");
    if (file == nullptr) {
        *error = "cannot open " + name + ": " + Reason(errno);
        return false;
    }
    data->clear();
    // One byte more than the file's size, so that its end shows at once; a
    // file that grows meanwhile, and a stream, take more rounds.
    size_t capacity = std::max(RegularFileSize(file) + 1, kBlockBytes);
    size_t size = 0;
    for (;;) {
        data->reserve(capacity);
        PreferHugePages(data->data(), data->capacity());
        data->resize(capacity);
        const size_t want = capacity - size;
        const size_t got = std::fread(data->data() + size, 1, want, file);
        size += got;
        if (got < want) break;
        capacity += capacity;
    }
    data->resize(size);
    const bool failed = std::ferror(file) != 0;
    const int error_number = errno;
    if (!standard) std::fclose(file);
    if (failed) {
        *error = "cannot read " + name + ": " + Reason(error_number);
        return false;
    }
    return true;
}

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

bool ReplaceFileContents(const std::string &path, std::string_view data, std::string *error) {
    return ReplaceByRename(path, data, error);
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
