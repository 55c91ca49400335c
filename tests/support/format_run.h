// One call of LumoMultiLines in a guarded output buffer: the buffer and a
// guard behind it are filled with 0xBD, and the outcome records what was
// written inside the capacity and whether anything else was touched.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "lumotext.h"
#include "support/sjis.h"

namespace lumo_fold {

constexpr char kOutputFill = '\xBD';

struct FormatOutcome {
    int32_t result = 0;
    std::string output;          // the bytes before the first NUL inside the capacity
    bool terminated = false;     // a NUL lies inside the capacity
    bool untouched = false;      // no byte inside the capacity was written
    bool guard_intact = false;   // no byte at or past the capacity was written
    bool request_intact = false; // the request record is as the caller filled it
    bool fold_intact = false;    // the FoldSettings are byte for byte as before
    bool header_intact = false;  // the HeaderSettings are byte for byte as before
    uint32_t foldnum_after = 0;
};

// indent is passed as the caller's record, since the call may lower its fixed
// indent column; fold and header are copies that the outcome compares.
inline FormatOutcome RunFormat(const std::string &source, IndentSettings *indent,
                               FoldSettings fold, HeaderSettings header, uint32_t tab_width,
                               uint32_t capacity) {
    constexpr size_t kGuard = 64;
    std::vector<char> buffer(static_cast<size_t>(capacity) + kGuard, kOutputFill);
    lumo_test::ExactText text(source);
    FormatRequest request{};
    request.record_size = 24;
    request.source = text.c_str();
    request.output = buffer.data();
    request.capacity = capacity;
    request.tab_width = tab_width;
    request.display_width = 80;
    const FormatRequest request_before = request;
    const FoldSettings fold_before = fold;
    const HeaderSettings header_before = header;

    FormatOutcome o;
    o.result = LumoMultiLines(&request, indent, &fold, &header);
    o.foldnum_after = fold.foldnum;
    o.fold_intact = std::memcmp(&fold, &fold_before, sizeof(FoldSettings)) == 0;
    o.header_intact = std::memcmp(&header, &header_before, sizeof(HeaderSettings)) == 0;
    o.request_intact = std::memcmp(&request, &request_before, sizeof(FormatRequest)) == 0;
    o.guard_intact = std::all_of(buffer.begin() + capacity, buffer.end(),
                                 [](char c) { return c == kOutputFill; });
    o.untouched = std::all_of(buffer.begin(), buffer.begin() + capacity,
                              [](char c) { return c == kOutputFill; });
    const void *nul = std::memchr(buffer.data(), 0, capacity);
    o.terminated = nul != nullptr;
    if (o.terminated) {
        o.output.assign(buffer.data(),
                        static_cast<size_t>(static_cast<const char *>(nul) - buffer.data()));
    }
    return o;
}

}  // namespace lumo_fold
