// What an output path names, decided before anything is written, so that
// -o and -i never turn a device, a pipe or a link into a regular file:
//
//   the path names                             it is written
//   /dev/stdout, /dev/stderr, /dev/fd/N,       into descriptor N as it is
//     /proc/self/fd/N (also through links)
//   a device, a FIFO or a socket               into it, opened as it is
//   a regular file                             by a new file beside it,
//                                              renamed over it at the end
//   nothing                                    by a new file, renamed into place
//   a directory                                not: an error
//
// A symbolic link is followed to the file it names, and that file is
// replaced; the link stays. --in-place takes regular files only.
#pragma once

#include <string>

namespace lumo::cli {

enum class TargetKind {
    kDescriptor,  // an open descriptor of the process
    kSpecial,     // a device, a FIFO or a socket
    kReplace,     // an existing regular file
    kCreate,      // nothing yet
};

struct OutputTarget {
    TargetKind kind = TargetKind::kCreate;
    int descriptor = -1;  // kDescriptor
    std::string path;     // the file itself, behind any symbolic links
    bool socket = false;  // kSpecial: a socket, which is connected to rather than opened
    // kReplace: what the new file keeps (off Windows).
    unsigned mode = 0;
    unsigned owner = 0;
    unsigned group = 0;
    unsigned long links = 1;
};

// What path names; false, with *error set, for a directory, a chain of
// links that does not end, or a path that cannot be looked at.
bool ResolveOutput(const std::string &path, OutputTarget *target, std::string *error);

}  // namespace lumo::cli
