// Sources and sinks over the system's file descriptors. The replacing sink
// writes a temporary file in the target's directory, so that the rename that
// makes it final stays on one file system and either happens whole or not.
#include "byte_streams.h"

#include <cerrno>
#include <cstring>
#include <string>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <process.h>
#include <sys/stat.h>
#include <windows.h>
#else
#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace lumo::cli {
namespace {

std::string Quoted(const std::string &path) { return "'" + path + "'"; }
std::string Reason(int error_number) { return std::strerror(error_number); }

#ifdef _WIN32
constexpr char kSeparators[] = "/\\:";
#else
constexpr char kSeparators[] = "/";
#endif

std::string DirectoryOf(const std::string &path) {
    const size_t slash = path.find_last_of(kSeparators);
    if (slash == std::string::npos) return "./";
    return path.substr(0, slash + 1);
}

std::string BaseNameOf(const std::string &path) {
    const size_t slash = path.find_last_of(kSeparators);
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// A file descriptor that is closed when it goes.
class FileSource final : public ByteSource {
public:
    FileSource(int fd, std::string name, bool owned) : fd_(fd), name_(std::move(name)), owned_(owned) {}
    ~FileSource() override {
        if (owned_) CloseFd();
    }

    long long Read(char *data, size_t size, std::string *error) override {
        for (;;) {
#ifdef _WIN32
            const int got = _read(fd_, data, static_cast<unsigned>(size > (1u << 30) ? (1u << 30) : size));
#else
            const ssize_t got = read(fd_, data, size);
            if (got < 0 && errno == EINTR) continue;
#endif
            if (got >= 0) return got;
            *error = "cannot read " + name_ + ": " + Reason(errno);
            return -1;
        }
    }

    bool MoreWaiting() override {
#ifdef _WIN32
        return true;  // a pipe is read in full pieces there
#else
        pollfd one{fd_, POLLIN, 0};
        return poll(&one, 1, 0) > 0;
#endif
    }

private:
    void CloseFd() {
#ifdef _WIN32
        _close(fd_);
#else
        close(fd_);
#endif
    }
    int fd_;
    std::string name_;
    bool owned_;
};

class StreamSinkImpl final : public ByteSink {
public:
    StreamSinkImpl(std::FILE *stream, const char *name) : stream_(stream), name_(name) {}

    bool Write(std::string_view data, std::string *error) override {
        const bool whole = data.empty() || std::fwrite(data.data(), 1, data.size(), stream_) == data.size();
        if (whole && std::fflush(stream_) == 0) {
            return true;
        }
#ifdef EPIPE
        if (errno == EPIPE) {
            broken_pipe = true;
            return false;
        }
#endif
        *error = std::string("cannot write to ") + name_ + ": " + Reason(errno);
        return false;
    }
    bool Commit(std::string *error) override { return Write({}, error); }

private:
    std::FILE *stream_;
    const char *name_;
};

class ReplacingSink final : public ByteSink {
public:
    ReplacingSink(std::string path, std::string temp, int fd)
        : path_(std::move(path)), temp_(std::move(temp)), fd_(fd) {}
    ~ReplacingSink() override {
        if (fd_ >= 0) CloseFd();
        if (!committed_) Unlink();
    }

    bool Write(std::string_view data, std::string *error) override {
        while (!data.empty()) {
            const size_t block = data.size() < (size_t{1} << 30) ? data.size() : (size_t{1} << 30);
#ifdef _WIN32
            const int written = _write(fd_, data.data(), static_cast<unsigned>(block));
#else
            const ssize_t written = write(fd_, data.data(), block);
            if (written < 0 && errno == EINTR) continue;
#endif
            if (written <= 0) {
                *error = "cannot write " + Quoted(path_) + ": " + Reason(written < 0 ? errno : EIO);
                return false;
            }
            data.remove_prefix(static_cast<size_t>(written));
        }
        return true;
    }

    bool Commit(std::string *error) override {
#ifdef _WIN32
        if (_commit(fd_) != 0 || CloseFd() != 0) {
            *error = "cannot write " + Quoted(path_) + ": " + Reason(errno);
            return false;
        }
        if (!MoveFileExA(temp_.c_str(), path_.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
            *error = "cannot replace " + Quoted(path_) + ": error " + std::to_string(GetLastError());
            return false;
        }
#else
        if (fchmod(fd_, ModeFor(path_)) != 0) {
            *error = "cannot set the permissions of " + Quoted(path_) + ": " + Reason(errno);
            return false;
        }
        // The data must be on disk before the name points at it.
        if ((fsync(fd_) != 0 && errno != EINVAL) || CloseFd() != 0) {
            *error = "cannot write " + Quoted(path_) + ": " + Reason(errno);
            return false;
        }
        if (std::rename(temp_.c_str(), path_.c_str()) != 0) {
            *error = "cannot replace " + Quoted(path_) + ": " + Reason(errno);
            return false;
        }
#endif
        committed_ = true;
        return true;
    }

#ifndef _WIN32
    // Those of the file that is replaced, else what open(2) would give.
    static mode_t ModeFor(const std::string &path) {
        struct stat info;
        if (stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode)) return info.st_mode & 07777;
        const mode_t mask = umask(0);
        umask(mask);
        return 0666 & ~mask;
    }
#endif

private:
    int CloseFd() {
        const int fd = fd_;
        fd_ = -1;
#ifdef _WIN32
        return _close(fd);
#else
        return close(fd);
#endif
    }
    void Unlink() {
#ifdef _WIN32
        _unlink(temp_.c_str());
#else
        unlink(temp_.c_str());
#endif
    }
    std::string path_;
    std::string temp_;
    int fd_;
    bool committed_ = false;
};

}  // namespace

std::unique_ptr<ByteSource> OpenSource(const std::string &path, std::FILE *stdin_stream, std::string *error) {
    if (path == "-") {
#ifdef _WIN32
        return std::make_unique<FileSource>(_fileno(stdin_stream), "standard input", false);
#else
        return std::make_unique<FileSource>(fileno(stdin_stream), "standard input", false);
#endif
    }
#ifdef _WIN32
    const int fd = _open(path.c_str(), _O_RDONLY | _O_BINARY);
#else
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
#endif
    if (fd < 0) {
        *error = "cannot open " + Quoted(path) + ": " + Reason(errno);
        return nullptr;
    }
    return std::make_unique<FileSource>(fd, Quoted(path), true);
}

std::unique_ptr<ByteSink> StreamSink(std::FILE *stream, const char *name) {
    return std::make_unique<StreamSinkImpl>(stream, name);
}

std::unique_ptr<ByteSink> ReplacingFileSink(const std::string &path, std::string *error) {
    const std::string directory = DirectoryOf(path);
    std::string temp;
    int fd = -1;
#ifdef _WIN32
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        temp = directory + "." + BaseNameOf(path) + ".lumotext-" + std::to_string(_getpid()) + "-" +
               std::to_string(attempt);
        fd = _open(temp.c_str(), _O_CREAT | _O_EXCL | _O_WRONLY | _O_BINARY, _S_IREAD | _S_IWRITE);
        if (fd < 0 && errno != EEXIST) break;
    }
#else
    temp = directory + "." + BaseNameOf(path) + ".lumotext-XXXXXX";
    fd = mkstemp(temp.data());
#endif
    if (fd < 0) {
        *error = "cannot create a temporary file in " + Quoted(directory) + " for " + Quoted(path) + ": " +
                 Reason(errno);
        return nullptr;
    }
    return std::make_unique<ReplacingSink>(path, temp, fd);
}

}  // namespace lumo::cli
