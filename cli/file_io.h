// Whole-file input and output for the commands: data moves in large blocks,
// every failure is a message naming the file and the system's reason, and an
// output file is replaced in one step, so that a failure leaves no partial file.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

namespace lumo::cli {

// The name used in messages for "-" and for the standard streams.
constexpr const char *kStandardInputName = "standard input";
constexpr const char *kStandardOutputName = "standard output";

// Reads all of path, or of stdin_stream when path is "-". False, with *error
// set ("cannot read 'memo.txt': No such file or directory"), on failure.
bool ReadWholeFile(const std::string &path, std::FILE *stdin_stream, std::string *data, std::string *error);

// Writes data to an open stream and flushes it.
bool WriteToStream(std::FILE *stream, std::string_view data, const char *name, std::string *error);

// Writes data to a new file beside path and renames it over path. On failure
// path is untouched and the new file is removed. A file that is replaced
// keeps its permission bits; a new one gets the usual ones (0666 less umask).
bool ReplaceFileContents(const std::string &path, std::string_view data, std::string *error);

// Asks the system to back a large buffer that is about to be filled with
// huge pages where it has them (Linux): filling it then takes a page fault
// per 2 MiB instead of per 4 KiB, which for a file of many megabytes is a
// large part of the tool's time. Only a hint; small buffers are left alone.
void PreferHugePages(void *data, size_t size);

// Puts a standard stream into binary mode where the platform distinguishes
// one (Windows); text must pass through byte for byte.
void UseBinaryMode(std::FILE *stream);

}  // namespace lumo::cli
