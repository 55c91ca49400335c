// Output of whole texts for the commands that print one (the slot
// commands), the names of the standard streams in messages, and platform
// hints for large buffers and binary streams. Text files stream through
// byte_streams.h.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

namespace lumo::cli {

// The name used in messages for "-" and for the standard streams.
constexpr const char *kStandardInputName = "standard input";
constexpr const char *kStandardOutputName = "standard output";

// Writes data to an open stream and flushes it.
bool WriteToStream(std::FILE *stream, std::string_view data, const char *name, std::string *error);

// Asks the system to back a large buffer that is about to be filled with
// huge pages where it has them (Linux): filling it then takes a page fault
// per 2 MiB instead of per 4 KiB, which for a file of many megabytes is a
// large part of the tool's time. Only a hint; small buffers are left alone.
void PreferHugePages(void *data, size_t size);

// Puts a standard stream into binary mode where the platform distinguishes
// one (Windows); text must pass through byte for byte.
void UseBinaryMode(std::FILE *stream);

}  // namespace lumo::cli
