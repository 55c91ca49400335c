// Following an output path to what it names. Links are followed one at a
// time (a relative link from the link's own directory), so that the file
// replaced is the one the last link names, in its own directory, where the
// rename stays on one file system.
#include "output_target.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>
#include <sys/stat.h>

#ifndef _WIN32
#include <unistd.h>
#endif

namespace lumo::cli {
namespace {

std::string Quoted(const std::string &path) { return "'" + path + "'"; }

#ifndef _WIN32
// The descriptors that a path stands for, whatever the file behind them.
struct DescriptorName {
    const char *prefix;  // the whole path, or a prefix followed by the number
    int descriptor;      // -1: the number follows the prefix
};
constexpr DescriptorName kDescriptorNames[] = {
    {"/dev/stdout", 1},
    {"/dev/stderr", 2},
    {"/dev/fd/", -1},
    {"/proc/self/fd/", -1},
};

int DescriptorOf(const std::string &path) {
    for (const DescriptorName &name : kDescriptorNames) {
        const size_t length = std::strlen(name.prefix);
        if (path.compare(0, length, name.prefix) != 0) continue;
        if (name.descriptor >= 0) {
            if (path.size() == length) return name.descriptor;
            continue;
        }
        const std::string number = path.substr(length);
        if (number.empty() || number.size() > 9 || number.find_first_not_of("0123456789") != std::string::npos) {
            continue;
        }
        return std::atoi(number.c_str());
    }
    return -1;
}

std::string DirectoryOf(const std::string &path) {
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

constexpr int kMaxLinks = 40;  // as the kernel allows

// The path behind every symbolic link of path's last part.
bool FollowLinks(const std::string &path, std::string *final, int *descriptor, std::string *error) {
    std::string at = path;
    for (int hop = 0; hop <= kMaxLinks; ++hop) {
        *descriptor = DescriptorOf(at);
        if (*descriptor >= 0) return true;
        struct stat info {};
        if (lstat(at.c_str(), &info) != 0) {
            if (errno == ENOENT) break;  // a new file, or a link to one
            *error = "cannot look at " + Quoted(at) + ": " + std::strerror(errno);
            return false;
        }
        if (!S_ISLNK(info.st_mode)) break;
        std::string target(static_cast<size_t>(info.st_size > 0 ? info.st_size : 255) + 1, '\0');
        const ssize_t length = readlink(at.c_str(), target.data(), target.size());
        if (length < 0) {
            *error = "cannot read the link " + Quoted(at) + ": " + std::strerror(errno);
            return false;
        }
        target.resize(static_cast<size_t>(length));
        at = !target.empty() && target[0] == '/' ? target : DirectoryOf(at) + target;
        if (hop == kMaxLinks) {
            *error = "cannot follow the links of " + Quoted(path) + ": " + std::strerror(ELOOP);
            return false;
        }
    }
    *final = at;
    return true;
}
#endif

}  // namespace

bool ResolveOutput(const std::string &path, OutputTarget *target, std::string *error) {
    *target = OutputTarget();
#ifdef _WIN32
    target->path = path;
    struct _stat64 info {};
    if (_stat64(path.c_str(), &info) != 0) {
        target->kind = TargetKind::kCreate;
        return true;
    }
    if (info.st_mode & _S_IFDIR) {
        *error = "cannot write " + Quoted(path) + ": " + std::strerror(EISDIR);
        return false;
    }
    target->kind = (info.st_mode & _S_IFREG) ? TargetKind::kReplace : TargetKind::kSpecial;
    target->mode = info.st_mode & 0777;
    return true;
#else
    int descriptor = -1;
    if (!FollowLinks(path, &target->path, &descriptor, error)) return false;
    if (descriptor >= 0) {
        target->kind = TargetKind::kDescriptor;
        target->descriptor = descriptor;
        target->path = path;
        return true;
    }
    struct stat info {};
    if (stat(target->path.c_str(), &info) != 0) {
        if (errno != ENOENT) {
            *error = "cannot look at " + Quoted(target->path) + ": " + std::strerror(errno);
            return false;
        }
        target->kind = TargetKind::kCreate;
        return true;
    }
    if (S_ISDIR(info.st_mode)) {
        *error = "cannot write " + Quoted(path) + ": " + std::strerror(EISDIR);
        return false;
    }
    if (!S_ISREG(info.st_mode)) {
        target->kind = TargetKind::kSpecial;
        target->socket = S_ISSOCK(info.st_mode);
        return true;
    }
    target->kind = TargetKind::kReplace;
    target->mode = info.st_mode & 07777;
    target->owner = info.st_uid;
    target->group = info.st_gid;
    target->links = info.st_nlink;
    return true;
#endif
}

}  // namespace lumo::cli
