// Formatting a whole text with the core driver. The driver reports an output
// buffer that is too small only at the end, without the size it needed, so
// the buffer doubles until the text fits; the first size is generous enough
// that ordinary texts need one pass. A large text is cut into stretches of
// whole lines, formatted two at a time on two threads.
#include "formatter.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <new>
#include <string>
#include <system_error>

#include "file_io.h"
#include "format/driver.h"
#ifdef LUMOTEXT_UNICODE
#include "format/driver_utf8.h"
#endif
#include "paragraph/header.h"
#include "settings/presets.h"

// mingw-w64's win32 thread model (GCC before 13) has no std::thread; there
// the stretches are formatted one after the other.
#if defined(__GLIBCXX__) && !defined(_GLIBCXX_HAS_GTHREADS)
#define LUMOTEXT_CLI_THREADS 0
#else
#define LUMOTEXT_CLI_THREADS 1
#include <thread>
#endif

namespace lumo::cli {
namespace {

constexpr uint64_t kMaxCapacity = std::numeric_limits<uint32_t>::max();

int32_t RunDriver(const char *source, FormatSettings *settings, char *output, uint32_t capacity) {
    FormatRequest request{};
    request.record_size = FORMAT_REQUEST_SIZE;
    request.source = source;
    request.output = output;
    request.capacity = capacity;
    request.tab_width = settings->tab_width;
    request.display_width = settings->display_width;
#ifdef LUMOTEXT_UNICODE
    if (settings->utf8) {
        return MultiLinesUtf8(&request, &settings->indent, &settings->fold, &settings->header, settings->ambiguous);
    }
#endif
    return MultiLines(&request, &settings->indent, &settings->fold, &settings->header);
}

// The 1-based number of the line whose continuation prefix leaves no column
// (result FORMAT_NO_COLUMN), or 0 when it cannot be found. Each line of the
// body is formatted alone: whether a line fails depends on that line only.
size_t LineWithoutColumn(const std::string &text, FormatSettings *settings) {
    const char *source = text.c_str();
    const char *body = SkipHeader(source, settings->header);
    size_t number = 1;
    for (const char *p = source; p < body; ++p) {
        if (*p == '\n' || (*p == '\r' && p[1] != '\n')) ++number;
    }
    FormatSettings alone = *settings;
    alone.header.lumoheader = 0;  // a single line must not pass for a header block
    std::string line;
    std::string buffer;
    for (const char *p = body; *p != '\0'; ++number) {
        const char *end = p;
        while (*end != '\0' && *end != '\r' && *end != '\n') ++end;
        if (*end == '\r' && end[1] == '\n') {
            end += 2;
        } else if (*end != '\0') {
            ++end;
        }
        line.assign(p, end);
        buffer.assign(line.size() * 4 + 1024, '\0');
        const int32_t result =
            RunDriver(line.c_str(), &alone, buffer.data(), static_cast<uint32_t>(buffer.size()));
        if (result == FORMAT_NO_COLUMN) return number;
        p = end;
    }
    return 0;
}

std::string NoColumnMessage(const std::string &text, FormatSettings *settings) {
    return NoColumnText(LineWithoutColumn(text, settings), settings->fold.foldnum);
}

// The message for a result other than FORMAT_DONE; FORMAT_OUTPUT_TOO_SMALL
// comes only once the buffer has reached its largest size.
std::string FailureMessage(int32_t result, const std::string &text, FormatSettings *settings) {
    switch (result) {
    case FORMAT_OUTPUT_TOO_SMALL: return "the formatted text would need 4 GiB or more";
    case FORMAT_NO_COLUMN: return NoColumnMessage(text, settings);
    case FORMAT_NO_MEMORY: return "out of memory while formatting";
    default: return "the formatter failed with result " + std::to_string(result);
    }
}

uint64_t Doubled(uint64_t capacity) { return capacity * 2 < kMaxCapacity ? capacity * 2 : kMaxCapacity; }

// Where a stretch that begins at a line start ends: behind the line in which
// it reaches stretch_bytes, or at end (the text's NUL). A last line without a
// terminator is formatted with the terminator of the line before it, so it
// never makes a stretch of its own.
const char *StretchEnd(const char *begin, const char *end, size_t stretch_bytes) {
    if (static_cast<size_t>(end - begin) <= stretch_bytes) return end;
    const char *p = begin + stretch_bytes;
    p += std::strcspn(p, "\r\n");
    if (p[0] == '\r' && p[1] == '\n') {
        p += 2;
    } else if (*p != '\0') {
        ++p;
    }
    return p[std::strcspn(p, "\r\n")] == '\0' ? end : p;
}

// One stretch of whole lines and its own buffers, kept from stretch to
// stretch.
struct Stretch {
    const char *begin = nullptr;
    const char *end = nullptr;
    std::string source;  // the stretch with a NUL behind it
    std::string output;
    size_t length = 0;  // of the formatted stretch in output
    int32_t result = FORMAT_DONE;
};

// Formats one stretch with settings of its own. It may run on a thread of
// its own, so it reports running out of memory as a result, never by throwing.
void FormatStretch(FormatSettings *settings, Stretch *stretch) noexcept {
    try {
        stretch->source.assign(stretch->begin, stretch->end);
        uint64_t capacity = FirstCapacity(stretch->source.size());
        for (;;) {
            if (stretch->output.size() < capacity) stretch->output.resize(static_cast<size_t>(capacity));
            const auto usable = static_cast<uint32_t>(std::min<uint64_t>(stretch->output.size(), kMaxCapacity));
            stretch->result = RunDriver(stretch->source.c_str(), settings, stretch->output.data(), usable);
            if (stretch->result != FORMAT_OUTPUT_TOO_SMALL || usable == kMaxCapacity) break;
            capacity = Doubled(usable);
        }
        stretch->length = stretch->result == FORMAT_DONE ? std::strlen(stretch->output.c_str()) : 0;
    } catch (const std::bad_alloc &) {
        stretch->result = FORMAT_NO_MEMORY;
    }
}

// Formats count (1 or 2) stretches, the second on a thread of its own when
// one can be had.
void FormatStretches(FormatSettings (&settings)[2], Stretch (&stretches)[2], int count) {
#if LUMOTEXT_CLI_THREADS
    std::thread worker;
    if (count == 2) {
        try {
            worker = std::thread(FormatStretch, &settings[1], &stretches[1]);
        } catch (const std::system_error &) {
            // No thread: both stretches are formatted here.
        }
    }
    FormatStretch(&settings[0], &stretches[0]);
    if (worker.joinable()) {
        worker.join();
        return;
    }
#else
    FormatStretch(&settings[0], &stretches[0]);
#endif
    if (count == 2) FormatStretch(&settings[1], &stretches[1]);
}

}  // namespace

std::string NoColumnText(size_t line, uint32_t fold) {
    std::string message = "the continuation prefix";
    if (line > 0) message += " of line " + std::to_string(line);
    message += " fills the whole fold column (" + std::to_string(fold) +
               (fold == 1 ? " column" : " columns") + "); use a larger --fold";
    return message;
}

int32_t FormatLines(const char *source, size_t length, FormatSettings *settings, std::string *output) {
    uint64_t capacity = FirstCapacity(length);
    for (;;) {
        output->resize(static_cast<size_t>(capacity));
        const int32_t result = RunDriver(source, settings, output->data(), static_cast<uint32_t>(capacity));
        if (result == FORMAT_DONE) {
            output->resize(std::strlen(output->c_str()));
            return result;
        }
        if (result != FORMAT_OUTPUT_TOO_SMALL || capacity == kMaxCapacity) {
            output->clear();
            return result;
        }
        capacity = Doubled(capacity);
    }
}

FormatSettings SettingsFromPreset(int32_t preset, uint32_t fold, uint32_t tab_width) {
    FormatSettings settings{};
    FillIndentPreset(&settings.indent, preset);
    FillFoldPreset(&settings.fold, preset);
    FillHeaderPreset(&settings.header, preset);
    settings.fold.foldnum = fold;
    settings.tab_width = tab_width;
    // Not read by the formatter; it is the width that the fold column would
    // follow, so give the one that yields this fold column.
    settings.display_width = fold + settings.fold.foldnum_from_tail;
    return settings;
}

uint64_t FirstCapacity(size_t text_length) {
    const uint64_t length = text_length;
    const uint64_t capacity = length + length / 2 + 4096;
    return capacity < kMaxCapacity ? capacity : kMaxCapacity;
}

bool FormatText(const std::string &text, FormatSettings *settings, std::string *output, std::string *error,
                uint64_t first_capacity) {
    if (first_capacity == 0 && text.size() >= kParallelBytes) {
        // An even number of stretches of one size, so that the two threads
        // have the same work in every round.
        const size_t rounds = (text.size() + 2 * kStretchBytes - 1) / (2 * kStretchBytes);
        return FormatInStretches(text, settings, output, error, text.size() / (2 * rounds) + 1);
    }
    uint64_t capacity = first_capacity != 0 ? first_capacity : FirstCapacity(text.size());
    if (capacity > kMaxCapacity) capacity = kMaxCapacity;
    for (;;) {
        output->assign(static_cast<size_t>(capacity), '\0');
        const int32_t result =
            RunDriver(text.c_str(), settings, output->data(), static_cast<uint32_t>(capacity));
        if (result == FORMAT_DONE) {
            output->resize(std::strlen(output->c_str()));
            return true;
        }
        if (result == FORMAT_OUTPUT_TOO_SMALL && capacity < kMaxCapacity) {
            capacity = Doubled(capacity);
            continue;
        }
        output->clear();
        *error = FailureMessage(result, text, settings);
        return false;
    }
}

bool FormatInStretches(const std::string &text, FormatSettings *settings, std::string *output,
                       std::string *error, size_t stretch_bytes) {
    const char *source = text.c_str();
    const char *end = source + text.size();
    // The header block is found in the whole text and copied as it is; the
    // stretches are lines of the body, so they are formatted without one.
    const char *body = SkipHeader(source, settings->header);
    output->clear();
    output->reserve(static_cast<size_t>(FirstCapacity(text.size())));  // touched only as it fills
    PreferHugePages(output->data(), output->capacity());
    output->append(source, body);

    FormatSettings copies[2] = {*settings, *settings};
    for (FormatSettings &copy : copies) copy.header.lumoheader = 0;
    Stretch stretches[2];
    int32_t result = FORMAT_DONE;
    for (const char *next = body; next < end && result == FORMAT_DONE;) {
        int count = 0;
        for (; count < 2 && next < end; ++count) {
            stretches[count].begin = next;
            next = StretchEnd(next, end, stretch_bytes);
            stretches[count].end = next;
        }
        FormatStretches(copies, stretches, count);
        for (int i = 0; i < count && result == FORMAT_DONE; ++i) {
            result = stretches[i].result;
            if (result == FORMAT_DONE) output->append(stretches[i].output.data(), stretches[i].length);
        }
    }
    // The one change the driver makes to the records.
    settings->indent.fixed_indent_column = copies[0].indent.fixed_indent_column;
    // One buffer for the whole text would have to be below 4 GiB.
    if (result == FORMAT_DONE && output->size() >= kMaxCapacity) result = FORMAT_OUTPUT_TOO_SMALL;
    if (result == FORMAT_DONE) return true;
    output->clear();
    *error = FailureMessage(result, text, settings);
    return false;
}

}  // namespace lumo::cli
