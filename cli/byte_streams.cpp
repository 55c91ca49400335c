// Sources and sinks over the system's file descriptors. The replacing sink
// writes a temporary file in the target's directory, so that the rename that
// makes it final stays on one file system and either happens whole or not.
#include "byte_streams.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <string>

#include "output_target.h"
#include "signals.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <process.h>
#include <sys/stat.h>
#include <windows.h>
#else
#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>
#endif

namespace lumo::cli {
namespace {

constexpr int kPauseMilliseconds = 10;

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

int CloseDescriptor(int fd) {
#ifdef _WIN32
    return _close(fd);
#else
    return close(fd);
#endif
}

// A write that failed: a closed pipe is noted as such (the tool ends
// quietly then, as a filter does), anything else is an error saying what.
bool WriteFailed(ByteSink *sink, const std::string &what, std::string *error) {
#ifdef EPIPE
    if (errno == EPIPE) {
        sink->broken_pipe = true;
        return false;
    }
#endif
    *error = what + ": " + Reason(errno);
    return false;
}

// A file descriptor that is closed when it goes.
class FileSource final : public ByteSource {
public:
    FileSource(int fd, std::string name, bool owned) : fd_(fd), name_(std::move(name)), owned_(owned) {}
    ~FileSource() override {
        if (owned_) CloseDescriptor(fd_);
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
        // A writer that pauses for less than a few milliseconds is still
        // writing (cat between two writes): only a longer pause counts, or
        // each would hand the text's folding back to one thread.
        pollfd one{fd_, POLLIN, 0};
        return poll(&one, 1, kPauseMilliseconds) > 0;
#endif
    }

private:
    int fd_;
    std::string name_;
    bool owned_;
};

class StreamSinkImpl final : public ByteSink {
public:
    StreamSinkImpl(std::FILE *stream, const char *name) : stream_(stream), name_(name) {}

    bool Write(std::string_view data, std::string *error) override {
        const bool whole = data.empty() || std::fwrite(data.data(), 1, data.size(), stream_) == data.size();
        if (whole && std::fflush(stream_) == 0) return true;
        return WriteFailed(this, std::string("cannot write to ") + name_, error);
    }
    bool Commit(std::string *error) override { return Write({}, error); }

private:
    std::FILE *stream_;
    const char *name_;
};

// Writing all of data to a descriptor; false with errno set.
bool WriteAll(int fd, std::string_view data) {
    while (!data.empty()) {
        const size_t block = data.size() < (size_t{1} << 30) ? data.size() : (size_t{1} << 30);
#ifdef _WIN32
        const int written = _write(fd, data.data(), static_cast<unsigned>(block));
#else
        const ssize_t written = write(fd, data.data(), block);
        if (written < 0 && errno == EINTR) continue;
#endif
        if (written <= 0) {
            if (written == 0) errno = EIO;
            return false;
        }
        data.remove_prefix(static_cast<size_t>(written));
    }
    return true;
}

// A device, a FIFO, a socket or a descriptor of the process, written into
// as it is. One that the sink opened is closed on Commit.
class DescriptorSink final : public ByteSink {
public:
    DescriptorSink(int fd, std::string name, bool owned) : fd_(fd), name_(std::move(name)), owned_(owned) {}
    ~DescriptorSink() override {
        if (owned_ && fd_ >= 0) CloseDescriptor(fd_);
    }

    bool Write(std::string_view data, std::string *error) override {
        if (WriteAll(fd_, data)) return true;
        return WriteFailed(this, "cannot write " + name_, error);
    }

    bool Commit(std::string *error) override {
        if (!owned_ || fd_ < 0) return true;
        const int fd = fd_;
        fd_ = -1;
        if (CloseDescriptor(fd) != 0) {
            *error = "cannot write " + name_ + ": " + Reason(errno);
            return false;
        }
        return true;
    }

private:
    int fd_;
    std::string name_;
    bool owned_;
};

// A new file beside the one it is to replace, registered for removal on a
// fatal signal from before it exists until it is renamed into place.
class TemporaryFile {
public:
    ~TemporaryFile() {
        if (fd_ >= 0) CloseDescriptor(fd_);
        if (!renamed_ && !path_.empty()) {
#ifdef _WIN32
            _unlink(path_.c_str());
#else
            unlink(path_.c_str());
#endif
        }
    }

    // nullptr, with *error set, when none can be made in target's directory.
    static std::unique_ptr<TemporaryFile> Beside(const std::string &target, std::string *error) {
        auto file = std::unique_ptr<TemporaryFile>(new TemporaryFile());
        const std::string directory = DirectoryOf(target);
        static std::atomic<unsigned> counter{0};
        for (int attempt = 0; attempt < 100; ++attempt) {
            const auto ticks = static_cast<unsigned long long>(
                std::chrono::steady_clock::now().time_since_epoch().count());
            const std::string path = directory + "." + BaseNameOf(target) + ".lumotext-" +
                                     std::to_string(ProcessId()) + "-" + std::to_string(counter++) + "-" +
                                     std::to_string(ticks % 1000000007ULL);
            // Registered before it exists: a signal between the two
            // removes a name that is not there yet, which is harmless.
            file->cleanup_ = SignalCleanup::Register(path);
#ifdef _WIN32
            const int fd = _open(path.c_str(), _O_CREAT | _O_EXCL | _O_WRONLY | _O_BINARY, _S_IREAD | _S_IWRITE);
#else
            const int fd = open(path.c_str(), O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC, 0600);
#endif
            if (fd >= 0) {
                file->fd_ = fd;
                file->path_ = path;
                return file;
            }
            file->cleanup_.reset();
            if (errno != EEXIST) break;
        }
        *error = "cannot create a temporary file in " + Quoted(directory) + " for " + Quoted(target) + ": " +
                 Reason(errno);
        return nullptr;
    }

    int fd() const { return fd_; }
    int Close() {
        const int fd = fd_;
        fd_ = -1;
        return CloseDescriptor(fd);
    }
    // Renames it over target; from then on it is target's.
    bool RenameOver(const std::string &target) {
#ifdef _WIN32
        if (!MoveFileExA(path_.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
            errno = EACCES;
            return false;
        }
#else
        if (std::rename(path_.c_str(), target.c_str()) != 0) return false;
#endif
        renamed_ = true;
        cleanup_.reset();
        return true;
    }

private:
    TemporaryFile() = default;
    static long ProcessId() {
#ifdef _WIN32
        return _getpid();
#else
        return static_cast<long>(getpid());
#endif
    }

    int fd_ = -1;
    std::string path_;
    bool renamed_ = false;
    std::unique_ptr<SignalCleanup> cleanup_;
};

#ifndef _WIN32
// Those of a new file: what open(2) would give.
mode_t NewFileMode() {
    const mode_t mask = umask(0);
    umask(mask);
    return 0666 & ~mask;
}
#endif

class ReplacingSink final : public ByteSink {
public:
    ReplacingSink(OutputTarget target, std::unique_ptr<TemporaryFile> temp)
        : target_(std::move(target)), temp_(std::move(temp)) {}

    bool Write(std::string_view data, std::string *error) override {
        if (WriteAll(temp_->fd(), data)) return true;
        *error = "cannot write " + Quoted(target_.path) + ": " + Reason(errno);
        return false;
    }

    bool Commit(std::string *error) override {
#ifdef _WIN32
        if (_commit(temp_->fd()) != 0 || temp_->Close() != 0) {
            *error = "cannot write " + Quoted(target_.path) + ": " + Reason(errno);
            return false;
        }
        if (!temp_->RenameOver(target_.path)) {
            *error = "cannot replace " + Quoted(target_.path) + ": error " + std::to_string(GetLastError());
            return false;
        }
#else
        // The permission bits last: a change of owner clears set-user-ID.
        const mode_t mode = target_.kind == TargetKind::kReplace ? static_cast<mode_t>(target_.mode) : NewFileMode();
        if (fchmod(temp_->fd(), mode) != 0) {
            *error = "cannot set the permissions of " + Quoted(target_.path) + ": " + Reason(errno);
            return false;
        }
        // The data must be on disk before the name points at it.
        if ((fsync(temp_->fd()) != 0 && errno != EINVAL) || temp_->Close() != 0) {
            *error = "cannot write " + Quoted(target_.path) + ": " + Reason(errno);
            return false;
        }
        if (!temp_->RenameOver(target_.path)) {
            *error = "cannot replace " + Quoted(target_.path) + ": " + Reason(errno);
            return false;
        }
#endif
        return true;
    }

private:
    OutputTarget target_;
    std::unique_ptr<TemporaryFile> temp_;
};

// Gives the new file the owner and group of the one it replaces. Root can
// give any; another user only its own user and one of its groups.
bool KeepOwner(const OutputTarget &target, int fd, bool strict, std::string *error) {
#ifdef _WIN32
    (void)target;
    (void)fd;
    (void)strict;
    (void)error;
    return true;
#else
    if (target.kind != TargetKind::kReplace) return true;
    if (target.owner == geteuid() && target.group == getegid()) return true;
    if (fchown(fd, static_cast<uid_t>(target.owner), static_cast<gid_t>(target.group)) == 0 || !strict) return true;
    *error = "cannot keep the owner and group (" + std::to_string(target.owner) + ":" +
             std::to_string(target.group) + ") of " + Quoted(target.path) + ": " + Reason(errno);
    return false;
#endif
}

std::unique_ptr<ByteSink> OpenSpecial(const OutputTarget &target, const std::string &name, std::string *error) {
#ifdef _WIN32
    const int fd = _open(target.path.c_str(), _O_WRONLY | _O_BINARY);
#else
    int fd = -1;
    if (target.socket) {
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        if (target.path.size() >= sizeof address.sun_path) {
            errno = ENAMETOOLONG;
        } else {
            std::memcpy(address.sun_path, target.path.c_str(), target.path.size() + 1);
            fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
            if (fd >= 0 && connect(fd, reinterpret_cast<const sockaddr *>(&address), sizeof address) != 0) {
                const int saved = errno;
                close(fd);
                fd = -1;
                errno = saved;
            }
        }
    } else {
        fd = open(target.path.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC);
    }
#endif
    if (fd < 0) {
        *error = "cannot open " + Quoted(name) + " for writing: " + Reason(errno);
        return nullptr;
    }
    return std::make_unique<DescriptorSink>(fd, Quoted(name), true);
}

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

std::unique_ptr<ByteSink> FileSink(const std::string &path, const FileOutputRules &rules, std::string *error) {
    OutputTarget target;
    if (!ResolveOutput(path, &target, error)) return nullptr;
    if (rules.in_place && target.kind != TargetKind::kReplace) {
        *error = "cannot rewrite " + Quoted(path) + ": " +
                 (target.kind == TargetKind::kCreate ? Reason(ENOENT) : std::string("not a regular file"));
        return nullptr;
    }
    if (rules.in_place && target.links > 1 && !rules.split_links) {
        *error = Quoted(path) + " has " + std::to_string(target.links) +
                 " hard links; rewriting it would part it from the others (--split-links to do so)";
        return nullptr;
    }
    switch (target.kind) {
    case TargetKind::kDescriptor: return std::make_unique<DescriptorSink>(target.descriptor, Quoted(path), false);
    case TargetKind::kSpecial: return OpenSpecial(target, path, error);
    case TargetKind::kReplace:
    case TargetKind::kCreate: break;
    }
    std::unique_ptr<TemporaryFile> temp = TemporaryFile::Beside(target.path, error);
    if (temp == nullptr || !KeepOwner(target, temp->fd(), rules.in_place, error)) return nullptr;
    return std::make_unique<ReplacingSink>(std::move(target), std::move(temp));
}

}  // namespace lumo::cli
