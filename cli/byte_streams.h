// Input and output a piece at a time for the streaming commands: a source
// that tells whether more bytes wait, so that a slow pipe's lines go out as
// they come, and sinks for a stream and for the files that -o and -i name
// (output_target.h: a regular file is replaced only at the end, anything
// else written into as it is).
#pragma once

#include <cstdio>
#include <memory>
#include <string>
#include <string_view>

namespace lumo::cli {

class ByteSource {
public:
    virtual ~ByteSource() = default;
    // Reads at most size bytes into data: their number, 0 at the end, or -1
    // with *error set ("cannot read 'memo.txt': Is a directory").
    virtual long long Read(char *data, size_t size, std::string *error) = 0;
    // Whether a Read now would find bytes without waiting for a writer
    // that has paused (for more than a few milliseconds).
    virtual bool MoreWaiting() = 0;
};

// path, or stdin_stream for "-"; nullptr with *error set when it cannot be
// opened. The stream is read below its buffer, so nothing may have been
// read from it through stdio before.
std::unique_ptr<ByteSource> OpenSource(const std::string &path, std::FILE *stdin_stream, std::string *error);

class ByteSink {
public:
    virtual ~ByteSink() = default;
    // False, with *error set, when the bytes cannot be written. A closed
    // pipe on standard output sets *broken_pipe instead of a message.
    virtual bool Write(std::string_view data, std::string *error) = 0;
    // Makes what was written final: flushes a stream, renames a new file
    // over the one it replaces. A sink dropped without Commit leaves the
    // target as it was.
    virtual bool Commit(std::string *error) = 0;
    bool broken_pipe = false;
};

// A stream that stays open; name is for messages.
std::unique_ptr<ByteSink> StreamSink(std::FILE *stream, const char *name);

struct FileOutputRules {
    // --in-place: path must be a regular file (behind any links), and its
    // owner and group are kept or nothing is done.
    bool in_place = false;
    // --in-place on a file with other hard links: replace it all the same
    // (it becomes a file of its own); without, such a file is refused.
    bool split_links = false;
};

// The sink for the file that path names (-o, -i). A regular file is
// replaced by a new file beside it, renamed over it on Commit, with its
// permission bits, owner and group (a new file gets 0666 less the umask);
// the temporary file goes when the sink goes uncommitted, or when a signal
// ends the process (signals.h). A device, a FIFO, a socket or a descriptor
// is written into directly. nullptr, with *error set, when it cannot be
// written.
std::unique_ptr<ByteSink> FileSink(const std::string &path, const FileOutputRules &rules, std::string *error);

}  // namespace lumo::cli
