// Fuzz target: SkipHeader on fuzzer-chosen HeaderSettings (the delimiter may
// fill its whole field without a NUL) and text. The header block ends just
// behind the first line that passes the delimiter test, or is empty; the
// position lies inside the text, and neither argument changes.
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>

#include "fuzz_input.h"
#include "fuzz_settings.h"
#include "header_model.h"
#include "lumotext.h"
#include "paragraph/header.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    lumo_fuzz::FuzzInput in(data, size);
    HeaderSettings header{};
    lumo_fuzz::FuzzHeader(in, &header);
    // Most texts should have a chance to hold the delimiter.
    std::string text;
    if (in.Bit()) {
        for (uint32_t n = in.Below(4); n > 0; --n) {
            text += in.Bytes(12);
            text += std::string(header.headerdelimiter, strnlen(header.headerdelimiter, 256));
            text += in.Bit() ? "\r\n" : "\n";
        }
    }
    text += in.Rest();
    text = text.substr(0, text.find('\0'));

    const std::unique_ptr<char[]> copy(new char[text.size() + 1]);
    std::memcpy(copy.get(), text.c_str(), text.size() + 1);
    const HeaderSettings before = header;
    const char *end = lumo::SkipHeader(copy.get(), header);
    FUZZ_CHECK(end >= copy.get() && end <= copy.get() + text.size(), "position outside the text");
    FUZZ_CHECK(std::memcmp(&header, &before, sizeof header) == 0, "HeaderSettings changed");
    FUZZ_CHECK(std::memcmp(copy.get(), text.c_str(), text.size() + 1) == 0, "text changed");
    const std::string delimiter(header.headerdelimiter, strnlen(header.headerdelimiter, 256));
    const size_t expected = lumo_fuzz::HeaderLength(text, header.lumoheader, delimiter);
    const auto actual = static_cast<size_t>(end - copy.get());
    FUZZ_CHECK(actual == expected, "header of " + std::to_string(actual) + " bytes, expected " +
                                       std::to_string(expected) + " in " +
                                       lumo_fuzz::Hex(text.substr(0, 200)));
    return 0;
}
