// Formatting a whole text with the core driver. The driver reports an output
// buffer that is too small only at the end, without the size it needed, so
// the buffer doubles until the text fits; the first size is generous enough
// that ordinary texts need one pass.
#include "formatter.h"

#include <cstring>
#include <limits>
#include <string>

#include "format/driver.h"
#include "paragraph/header.h"
#include "settings/presets.h"

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
    const size_t line = LineWithoutColumn(text, settings);
    std::string message = "the continuation prefix";
    if (line > 0) message += " of line " + std::to_string(line);
    const uint32_t fold = settings->fold.foldnum;
    message += " fills the whole fold column (" + std::to_string(fold) +
               (fold == 1 ? " column" : " columns") + "); use a larger --fold";
    return message;
}

}  // namespace

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
    uint64_t capacity = first_capacity != 0 ? first_capacity : FirstCapacity(text.size());
    if (capacity > kMaxCapacity) capacity = kMaxCapacity;
    for (;;) {
        output->assign(static_cast<size_t>(capacity), '\0');
        const int32_t result =
            RunDriver(text.c_str(), settings, output->data(), static_cast<uint32_t>(capacity));
        switch (result) {
        case FORMAT_DONE: output->resize(std::strlen(output->c_str())); return true;
        case FORMAT_OUTPUT_TOO_SMALL:
            if (capacity == kMaxCapacity) {
                output->clear();
                *error = "the formatted text would need 4 GiB or more";
                return false;
            }
            capacity = capacity * 2 < kMaxCapacity ? capacity * 2 : kMaxCapacity;
            continue;
        case FORMAT_NO_COLUMN:
            output->clear();
            *error = NoColumnMessage(text, settings);
            return false;
        case FORMAT_NO_MEMORY:
            output->clear();
            *error = "out of memory while formatting";
            return false;
        default:
            output->clear();
            *error = "the formatter failed with result " + std::to_string(result);
            return false;
        }
    }
}

}  // namespace lumo::cli
