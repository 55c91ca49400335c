// Fuzz target: LumoMultiLines on fuzzer-chosen settings, tab width, capacity
// and text. The output, prefixes and inserted line breaks taken out, is the
// body again; no segment passes its fold column but as the rules allow;
// nothing past the capacity is written; the records come back as given.
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "text/text.h"
#include "fuzz_input.h"
#include "fuzz_settings.h"
#include "header_model.h"
#include "lumotext.h"
#include "paragraph/classify.h"
#include "settings/terminate.h"
#include "sjis_model.h"
#include "support/format_reference.h"

namespace {

using lumo_fuzz::FuzzInput;
using lumo_fuzz::Hex;

constexpr char kFill = '\xBD';

struct Case {
    IndentSettings indent{};
    FoldSettings fold{};
    HeaderSettings header{};
    uint32_t tab_width = 8;
    std::string source;  // up to its first NUL
};

struct Outcome {
    int32_t result = 0;
    std::string output;  // up to the NUL inside the capacity
    bool terminated = false;
    bool untouched = false;
    IndentSettings indent{};
    FoldSettings fold{};
    HeaderSettings header{};
    FormatRequest request{};
    FormatRequest request_after{};
};

// One call with an output block of exactly capacity bytes, so that a write
// past it is a heap overflow.
Outcome Run(const Case &c, uint32_t capacity) {
    Outcome o;
    o.indent = c.indent;
    o.fold = c.fold;
    o.header = c.header;
    const std::unique_ptr<char[]> source(new char[c.source.size() + 1]);
    std::memcpy(source.get(), c.source.c_str(), c.source.size() + 1);
    const std::unique_ptr<char[]> output(new char[capacity]);
    std::memset(output.get(), kFill, capacity);
    o.request.record_size = FORMAT_REQUEST_SIZE;
    o.request.source = source.get();
    o.request.output = output.get();
    o.request.capacity = capacity;
    o.request.tab_width = c.tab_width;
    o.request.display_width = 80;
    o.request_after = o.request;
    o.result = LumoMultiLines(&o.request_after, &o.indent, &o.fold, &o.header);
    const void *nul = std::memchr(output.get(), 0, capacity);
    o.terminated = nul != nullptr;
    if (o.terminated) o.output.assign(output.get(), static_cast<size_t>(static_cast<const char *>(nul) - output.get()));
    o.untouched = true;
    for (uint32_t i = 0; i < capacity; ++i) o.untouched = o.untouched && output[i] == kFill;
    return o;
}

// The records as the call must leave them: unchanged, but for the fixed
// indent column, which classification lowers to 255.
void CheckRecords(const Case &c, const Outcome &o) {
    FUZZ_CHECK(std::memcmp(&o.fold, &c.fold, sizeof c.fold) == 0, "FoldSettings changed");
    FUZZ_CHECK(std::memcmp(&o.header, &c.header, sizeof c.header) == 0, "HeaderSettings changed");
    FUZZ_CHECK(std::memcmp(&o.request_after, &o.request, sizeof o.request) == 0,
               "FormatRequest changed");
    IndentSettings expected = c.indent;
    if (o.indent.fixed_indent_column == 255 && c.indent.fixed_indent_column > 255) {
        expected.fixed_indent_column = 255;
    }
    FUZZ_CHECK(std::memcmp(&o.indent, &expected, sizeof expected) == 0,
               "IndentSettings changed other than by lowering the fixed indent column");
}

struct Line {
    lumo_fold::SourceLine source;
    std::string prefix;
    bool passed_through = false;
};

// The body's logical lines with the prefix the driver gives each, from the
// record as the driver copies it (text fields cut to their field).
std::vector<Line> BodyLines(const Case &c, size_t header_length) {
    IndentSettings indent = c.indent;
    lumo::TerminateFields(&indent);
    const lumo::CodePage cp;
    std::vector<Line> lines;
    for (const lumo_fold::SourceLine &source : lumo_fold::SplitLines(c.source.substr(header_length))) {
        const std::unique_ptr<char[]> text(new char[source.text.size() + 1]);
        std::memcpy(text.get(), source.text.c_str(), source.text.size() + 1);
        LineJob job{};
        job.text = text.get();
        lumo::ClassifyLine(cp, &job, &indent);
        Line line;
        line.source = source;
        line.prefix = job.prefix;
        FUZZ_CHECK(line.prefix.size() <= 255, "prefix longer than 255 bytes");
        line.passed_through = (indent.sub_styles & SUB_KEEP_QUOTED) && (job.flags & LINE_QUOTED);
        lines.push_back(line);
    }
    return lines;
}

// How many characters a segment may carry past its fold column: a space that
// word wrap keeps at the line end, and what hanging carries.
struct Overhang {
    uint64_t characters = 0;
    bool only_a_space = false;
};

Overhang AllowedOverhang(const FoldSettings &fold) {
    Overhang allowed;
    const bool wordwrap = (fold.tailwrap_flag & TAIL_WORDWRAP) != 0;
    const bool hang = (fold.tailwrap_flag & TAIL_KINSOKU) && !(fold.wraptype & WRAP_PUSH_OUT) &&
                      (fold.wraptype & WRAP_HANG);
    if (wordwrap) allowed.characters += 1;
    if (hang) allowed.characters += uint64_t{fold.maxmove_rightwise} + 1;
    allowed.only_a_space = wordwrap && !hang;
    return allowed;
}

// The characters of content[start, end) that begin at or past column, tab
// stops counted from start. A two-byte character begun before the column
// and a tab begun before it are inside, however far they reach.
void CheckWidth(const std::string &content, size_t start, size_t end, uint64_t column,
                uint32_t tab_width, const Overhang &allowed, const std::string &where) {
    uint64_t col = 0;
    uint64_t past = 0;
    bool rules_on = allowed.characters > 0;
    for (size_t i = start; i < end; i += lumo_fuzz::CharLength(content, i)) {
        if (col >= column) {
            ++past;
            FUZZ_CHECK(rules_on, where + "a character past the fold column with the rules off");
            FUZZ_CHECK(!allowed.only_a_space || content[i] == ' ',
                       where + "a character other than a space past the fold column");
        }
        if (content[i] == '\t') {
            col = tab_width == 0 ? col + 1 : (col / tab_width + 1) * tab_width;
        } else {
            col += lumo_fuzz::CharLength(content, i);
        }
    }
    FUZZ_CHECK(past <= allowed.characters,
               where + std::to_string(past) + " characters past the fold column, " +
                   std::to_string(allowed.characters) + " allowed");
}

// Takes a successful output apart: the header, then per line its segments
// with the prefix and terminators between them.
void CheckUnfolds(const Case &c, const std::string &output) {
    const size_t header_length = lumo_fuzz::HeaderLength(
        c.source, c.header.lumoheader, lumo_fuzz::FieldString(c.header.headerdelimiter));
    FUZZ_CHECK(output.compare(0, header_length, c.source, 0, header_length) == 0,
               "header not copied unchanged");
    const Overhang allowed = AllowedOverhang(c.fold);
    const bool rules_on = (c.fold.tailwrap_flag & (TAIL_WORDWRAP | TAIL_KINSOKU)) != 0;
    size_t pos = header_length;
    int number = 0;
    for (const Line &line : BodyLines(c, header_length)) {
        const lumo_fold::SourceLine &s = line.source;
        const std::string where = "line " + std::to_string(++number) + ": ";
        if (line.passed_through || s.content.empty()) {
            FUZZ_CHECK(output.compare(pos, s.text.size(), s.text) == 0,
                       where + "not copied unchanged");
            pos += s.text.size();
            continue;
        }
        const std::string between =
            s.kind == NEWLINE_NONE ? std::string("\r\n") : lumo_fold::Terminator(s.kind);
        size_t done = 0;
        for (bool first = true;; first = false) {
            uint64_t column = c.fold.foldnum;
            if (!first) {
                FUZZ_CHECK(output.compare(pos, between.size(), between) == 0,
                           where + "no terminator between segments at output byte " +
                               std::to_string(pos));
                pos += between.size();
                FUZZ_CHECK(output.compare(pos, line.prefix.size(), line.prefix) == 0,
                           where + "no prefix " + Hex(line.prefix) + " at output byte " +
                               std::to_string(pos));
                pos += line.prefix.size();
                FUZZ_CHECK(line.prefix.size() < c.fold.foldnum,
                           where + "a continuation whose prefix fills the fold column");
                column -= line.prefix.size();
            }
            size_t end = output.find_first_of("\r\n", pos);
            if (end == std::string::npos) end = output.size();
            const size_t length = end - pos;
            FUZZ_CHECK(length > 0, where + "empty segment at output byte " + std::to_string(pos));
            FUZZ_CHECK(s.content.compare(done, length, output, pos, length) == 0,
                       where + "segment " + Hex(output.substr(pos, length)) +
                           " is not the next part of the line");
            FUZZ_CHECK(lumo_fuzz::IsBoundary(s.content, done + length),
                       where + "segment ends inside a two-byte character");
            CheckWidth(s.content, done, done + length, column, c.tab_width,
                       rules_on ? allowed : Overhang{}, where);
            pos = end;
            done += length;
            if (done >= s.content.size()) break;
        }
        const std::string last = !s.own_end.empty() ? s.own_end : lumo_fold::Terminator(s.kind);
        FUZZ_CHECK(output.compare(pos, last.size(), last) == 0, where + "not ended by " + Hex(last));
        pos += last.size();
    }
    FUZZ_CHECK(pos == output.size(), "bytes after the last line: " + Hex(output.substr(pos)));
}

// Result 2 needs a line to be cut whose prefix is at least the fold column.
void CheckNoColumn(const Case &c) {
    const size_t header_length = lumo_fuzz::HeaderLength(
        c.source, c.header.lumoheader, lumo_fuzz::FieldString(c.header.headerdelimiter));
    bool possible = false;
    for (const Line &line : BodyLines(c, header_length)) {
        possible = possible || (!line.passed_through && !line.source.content.empty() &&
                                line.prefix.size() >= c.fold.foldnum);
    }
    FUZZ_CHECK(possible, "result 2 although every prefix leaves a column");
}

Case ReadCase(const uint8_t *data, size_t size, uint32_t *capacity_choice) {
    FuzzInput in(data, size);
    Case c;
    lumo_fuzz::FuzzIndent(in, &c.indent);
    lumo_fuzz::FuzzFold(in, &c.fold);
    lumo_fuzz::FuzzHeader(in, &c.header);
    c.tab_width = lumo_fuzz::Number(in, 8, 16);
    *capacity_choice = in.U32();
    const std::string rest = in.Rest();
    c.source = rest.substr(0, rest.find('\0'));
    // A tab reaches the next tab stop, and the work buffer of a line is
    // sized for the widest tabs: keep that to what a test can allocate.
    size_t tabs = 0;
    for (const char ch : c.source) tabs += ch == '\t';
    if (uint64_t{tabs} * c.tab_width > (uint64_t{1} << 20)) c.tab_width %= 64;
    return c;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    uint32_t capacity_choice = 0;
    const Case c = ReadCase(data, size, &capacity_choice);

    // Room for every byte as a segment of its own with a 255-byte prefix.
    const auto ample = static_cast<uint32_t>((c.source.size() + 1) * 260 + 64);
    const Outcome big = Run(c, ample);
    CheckRecords(c, big);
    if (c.fold.foldnum == 0) {
        FUZZ_CHECK(big.result == FORMAT_FOLD_ZERO && big.untouched, "fold column 0 not refused");
        return 0;
    }
    FUZZ_CHECK(big.result == FORMAT_DONE || big.result == FORMAT_NO_COLUMN,
               "result " + std::to_string(big.result) + " with an ample buffer");
    FUZZ_CHECK(big.terminated, "output not terminated");
    if (big.result == FORMAT_NO_COLUMN) {
        CheckNoColumn(c);
    } else {
        CheckUnfolds(c, big.output);
    }

    // The same case in a buffer that fits exactly, or one byte short, or any
    // size up to that: the whole text or the empty string, never a part.
    const auto needed = static_cast<uint32_t>(big.output.size() + 1);
    uint32_t capacity;
    switch (capacity_choice % 4) {
    case 0: capacity = needed; break;
    case 1: capacity = needed - 1; break;
    case 2: capacity = 0; break;
    default: capacity = (capacity_choice >> 2) % (needed + 1); break;
    }
    const Outcome small = Run(c, capacity);
    CheckRecords(c, small);
    if (big.result == FORMAT_NO_COLUMN) {
        FUZZ_CHECK(small.result == FORMAT_NO_COLUMN, "result 2 depends on the capacity");
    } else if (capacity >= needed) {
        FUZZ_CHECK(small.result == FORMAT_DONE && small.output == big.output,
                   "a buffer that fits gives another output");
    } else {
        FUZZ_CHECK(small.result == FORMAT_OUTPUT_TOO_SMALL,
                   "result " + std::to_string(small.result) + " for a buffer too small by " +
                       std::to_string(needed - capacity));
        FUZZ_CHECK(capacity == 0 ? small.untouched : (small.terminated && small.output.empty()),
                   "a buffer too small does not hold the empty string");
    }
    return 0;
}
