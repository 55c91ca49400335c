// Fuzz target: LumoMultiLinesUtf8 and BindLinesUtf8 on any bytes with any
// settings. Every call ends with a result of the code page 932 entries and
// writes nothing past the capacity; without prefixes the output, inserted
// line breaks taken out, is the body byte for byte and no break falls inside
// a grapheme cluster (ICU's, with the half-width sound marks and the bytes
// that are not UTF-8 as characters of their own); binding only drops bytes.
#include <unicode/ubrk.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "fuzz_input.h"
#include "fuzz_settings.h"
#include "lumotext.h"
#include "text/utf8.h"

namespace {

using lumo_fuzz::FuzzInput;
using lumo_fuzz::Hex;

constexpr char kFill = '\xBD';

struct Case {
    IndentSettings indent{};
    FoldSettings fold{};
    HeaderSettings header{};
    uint32_t tab_width = 8;
    std::string source;
};

struct Outcome {
    int32_t result;
    std::string output;
    bool terminated;
    bool untouched;
};

Outcome Format(Case c, uint32_t capacity) {
    const std::unique_ptr<char[]> source(new char[c.source.size() + 1]);
    std::memcpy(source.get(), c.source.c_str(), c.source.size() + 1);
    const std::unique_ptr<char[]> output(new char[capacity + 1]);
    std::memset(output.get(), kFill, capacity + 1);
    FormatRequest request{FORMAT_REQUEST_SIZE, source.get(), output.get(), capacity, c.tab_width, 80};
    const FoldSettings fold_before = c.fold;
    const HeaderSettings header_before = c.header;
    Outcome o;
    o.result = LumoMultiLinesUtf8(&request, &c.indent, &c.fold, &c.header);
    FUZZ_CHECK(std::memcmp(&c.fold, &fold_before, sizeof fold_before) == 0, "FoldSettings changed");
    FUZZ_CHECK(std::memcmp(&c.header, &header_before, sizeof header_before) == 0, "HeaderSettings changed");
    FUZZ_CHECK(output[capacity] == kFill, "a byte written past the capacity");
    const void *nul = std::memchr(output.get(), 0, capacity);
    o.terminated = nul != nullptr;
    if (o.terminated) o.output.assign(output.get(), static_cast<size_t>(static_cast<const char *>(nul) - output.get()));
    o.untouched = true;
    for (uint32_t i = 0; i < capacity; ++i) o.untouched = o.untouched && output[i] == kFill;
    return o;
}

// Where clusters may end in content (no CR or LF in it): ICU's boundaries,
// and around each byte that is not UTF-8 and before each half-width sound mark.
std::set<size_t> ClusterBoundaries(const std::string &content) {
    std::vector<UChar> units;
    std::vector<size_t> unit_at;
    std::set<size_t> bounds = {0, content.size()};
    for (size_t i = 0; i < content.size();) {
        const lumo::text::Decoded d = lumo::text::DecodeUtf8(content.data() + i, content.data() + content.size());
        if (d.code_point == lumo::text::kInvalidByte) {
            bounds.insert(i);
            bounds.insert(i + 1);
            unit_at.push_back(i);
            units.push_back(0xFFFD);
        } else if (d.code_point >= 0x10000) {
            unit_at.push_back(i);
            unit_at.push_back(i);
            units.push_back(static_cast<UChar>(0xD7C0 + (d.code_point >> 10)));
            units.push_back(static_cast<UChar>(0xDC00 | (d.code_point & 0x3FF)));
        } else {
            if (d.code_point == 0xFF9E || d.code_point == 0xFF9F) bounds.insert(i);
            unit_at.push_back(i);
            units.push_back(static_cast<UChar>(d.code_point));
        }
        i += d.length;
    }
    unit_at.push_back(content.size());
    UErrorCode status = U_ZERO_ERROR;
    UBreakIterator *bi = ubrk_open(UBRK_CHARACTER, "", units.data(), static_cast<int32_t>(units.size()), &status);
    FUZZ_CHECK(U_SUCCESS(status), "ICU's break iterator did not open");
    for (int32_t b = ubrk_first(bi); b != UBRK_DONE; b = ubrk_next(bi)) bounds.insert(unit_at[static_cast<size_t>(b)]);
    ubrk_close(bi);
    return bounds;
}

// Without prefixes and header: each line comes back as its segments, joined
// by the line's terminator (CR LF for a text without any), each segment a
// run of clusters; a last line without terminator takes the one before it.
void CheckUnfolds(const std::string &source, const std::string &output) {
    size_t pos = 0;
    std::string kind_terminator = "\r\n";
    bool kind_known = false;  // a line before had a terminator
    for (size_t at = 0; at < source.size();) {
        size_t content_end = source.find_first_of("\r\n", at);
        if (content_end == std::string::npos) content_end = source.size();
        size_t line_end = content_end;
        if (line_end < source.size()) line_end += (source.compare(line_end, 2, "\r\n") == 0) ? 2 : 1;
        const std::string content = source.substr(at, content_end - at);
        const std::string own = source.substr(content_end, line_end - content_end);
        if (!own.empty()) {
            kind_terminator = own;
            kind_known = true;
        }
        const std::set<size_t> bounds = ClusterBoundaries(content);
        size_t done = 0;
        while (done < content.size()) {
            if (done != 0) {
                FUZZ_CHECK(output.compare(pos, kind_terminator.size(), kind_terminator) == 0,
                           "no terminator between segments at output byte " + std::to_string(pos));
                pos += kind_terminator.size();
            }
            size_t end = output.find_first_of("\r\n", pos);
            if (end == std::string::npos) end = output.size();
            const size_t length = end - pos;
            FUZZ_CHECK(length > 0 && content.compare(done, length, output, pos, length) == 0,
                       "segment " + Hex(output.substr(pos, length)) + " is not the next part of " + Hex(content));
            done += length;
            FUZZ_CHECK(bounds.count(done) != 0, "a break inside a cluster of " + Hex(content));
            pos = end;
        }
        // A last line without terminator takes the one before it.
        const std::string last = !own.empty() ? own : (kind_known && !content.empty()) ? kind_terminator : "";
        FUZZ_CHECK(output.compare(pos, last.size(), last) == 0, "line not ended by " + Hex(last));
        pos += last.size();
        at = line_end;
    }
    FUZZ_CHECK(pos == output.size(), "bytes after the last line: " + Hex(output.substr(pos)));
}

void CheckBind(const Case &c, uint32_t newline) {
    const std::unique_ptr<char[]> block(new char[c.source.size() + 1]);
    std::memcpy(block.get(), c.source.c_str(), c.source.size() + 1);
    const std::unique_ptr<char[]> output(new char[c.source.size() + 3]);
    std::memset(output.get(), kFill, c.source.size() + 3);
    LineJob job{};
    job.record_size = LINE_JOB_SIZE;
    job.text = block.get();
    job.output = output.get();
    job.newline = newline;
    IndentSettings indent = c.indent;
    FUZZ_CHECK(BindLinesUtf8(&job, &indent) == 0, "binding failed");
    FUZZ_CHECK(std::memchr(job.prefix, 0, sizeof job.prefix) != nullptr, "prefix not terminated");
    const std::string bound(output.get());
    FUZZ_CHECK(bound.size() <= c.source.size() + 1, "binding made the block longer");
    // Every bound byte is the block's, in order: binding only drops bytes.
    size_t i = 0;
    for (const char ch : bound) {
        while (i < c.source.size() && c.source[i] != ch) ++i;
        FUZZ_CHECK(i < c.source.size(), "binding wrote a byte the block does not have in that place");
        ++i;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    FuzzInput in(data, size);
    Case c;
    lumo_fuzz::FuzzIndent(in, &c.indent);
    lumo_fuzz::FuzzFold(in, &c.fold);
    lumo_fuzz::FuzzHeader(in, &c.header);
    c.tab_width = lumo_fuzz::Number(in, 8, 16);
    const uint32_t capacity_choice = in.U32();
    const uint32_t newline = in.Below(4);
    const std::string rest = in.Rest();
    c.source = rest.substr(0, rest.find('\0'));
    c.tab_width %= 64;

    const auto ample = static_cast<uint32_t>((c.source.size() + 1) * 400 + 64);
    const Outcome big = Format(c, ample);
    if (c.fold.foldnum == 0) {
        FUZZ_CHECK(big.result == FORMAT_FOLD_ZERO && big.untouched, "fold column 0 not refused");
        return 0;
    }
    FUZZ_CHECK(big.result == FORMAT_DONE || big.result == FORMAT_NO_COLUMN,
               "result " + std::to_string(big.result) + " with an ample buffer");
    FUZZ_CHECK(big.terminated, "output not terminated");
    if (big.result == FORMAT_DONE) {
        const uint32_t needed = static_cast<uint32_t>(big.output.size() + 1);
        const uint32_t capacity = capacity_choice % (needed + 1);
        const Outcome small = Format(c, capacity);
        if (capacity == needed) {
            FUZZ_CHECK(small.result == FORMAT_DONE && small.output == big.output, "a buffer that fits differs");
        } else {
            FUZZ_CHECK(small.result == FORMAT_OUTPUT_TOO_SMALL, "a buffer too small not reported");
        }
    }

    // The same text with no prefixes and no header.
    Case plain = c;
    plain.indent.styles = 0;
    plain.header.lumoheader = 0;
    const Outcome bare = Format(plain, ample);
    if (std::getenv("LUMOTEXT_FUZZ_SHOW") != nullptr) {
        std::fprintf(stderr, "source %s\noutput %s\nfold %u tail %u wrap 0x%x left %u right %u\n",
                     Hex(plain.source).c_str(), Hex(bare.output).c_str(), plain.fold.foldnum,
                     plain.fold.tailwrap_flag, plain.fold.wraptype, plain.fold.maxmove_leftwise,
                     plain.fold.maxmove_rightwise);
    }
    FUZZ_CHECK(bare.result == FORMAT_DONE, "result " + std::to_string(bare.result) + " without prefixes");
    CheckUnfolds(plain.source, bare.output);

    CheckBind(c, newline);
    return 0;
}
