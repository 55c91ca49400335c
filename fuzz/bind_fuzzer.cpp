// Fuzz target: BindLines on fuzzer-chosen IndentSettings, terminator kind and
// block, into an output of exactly the text's length plus one byte. The bound
// text must be what a plain walk gives: line breaks dropped, the head's prefix
// and the chosen blanks taken off each joined line, the final break restored.
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>

#include "text/text.h"
#include "fuzz_input.h"
#include "fuzz_settings.h"
#include "lumotext.h"
#include "paragraph/classify.h"
#include "settings/terminate.h"
#include "sjis_model.h"

namespace {

using lumo_fuzz::FuzzInput;
using lumo_fuzz::Hex;

bool StartsWith(const std::string &text, size_t pos, const std::string &what) {
    return text.compare(pos, what.size(), what) == 0;
}

std::string Terminator(uint32_t kind) {
    std::string t;
    if (kind & NEWLINE_CR) t += '\r';
    if (kind & NEWLINE_LF) t += '\n';
    return t;
}

// The bound text by the plain walk. prefix and flags are those of the
// block's head.
std::string ExpectedBinding(const std::string &text, const std::string &prefix, uint32_t flags,
                            const IndentSettings &indent, uint32_t newline) {
    const bool strip = (indent.styles & STYLE_STRIP_HEAD_SPACE) &&
                       (!(flags & LINE_ITEMISED) || (indent.styles & STYLE_STRIP_WHEN_INDENT));
    std::string out;
    size_t pos = 0;
    while (pos < text.size()) {
        if (text[pos] != '\r' && text[pos] != '\n') {
            out += text[pos++];
            continue;
        }
        while (pos < text.size() && (text[pos] == '\r' || text[pos] == '\n')) ++pos;
        if (StartsWith(text, pos, prefix)) pos += prefix.size();
        while (strip && pos < text.size()) {
            const size_t length = lumo_fuzz::CharLength(text, pos);
            const bool narrow = length == 1 && text[pos] == ' ' && (indent.sub_styles & SUB_BLANK_NARROW);
            const bool wide = length == 2 && StartsWith(text, pos, "\x81\x40") &&
                              (indent.sub_styles & SUB_BLANK_WIDE);
            const bool tab = length == 1 && text[pos] == '\t' && (indent.sub_styles & SUB_BLANK_TAB);
            if (!narrow && !wide && !tab) break;
            pos += length;
        }
    }
    const std::string end = Terminator(newline);
    const bool kind_known = newline >= NEWLINE_LF && newline <= NEWLINE_CRLF;
    if (kind_known && text.size() >= end.size() &&
        text.compare(text.size() - end.size(), end.size(), end) == 0) {
        out += end;
    }
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    FuzzInput in(data, size);
    IndentSettings indent{};
    lumo_fuzz::FuzzIndent(in, &indent);
    const uint32_t newline = in.Bit() ? in.U32() : in.Below(4);
    const std::string rest = in.Rest();
    const std::string text = rest.substr(0, rest.find('\0'));

    const std::unique_ptr<char[]> block(new char[text.size() + 1]);
    std::memcpy(block.get(), text.c_str(), text.size() + 1);
    const std::unique_ptr<char[]> output(new char[text.size() + 1]);
    std::memset(output.get(), 0xBD, text.size() + 1);
    LineJob job{};
    job.record_size = LINE_JOB_SIZE;
    job.text = block.get();
    job.output = output.get();
    job.capacity = 0xFFFFFFFFu;  // not read
    job.newline = newline;
    std::memset(job.prefix, 0xBD, sizeof job.prefix);
    IndentSettings record = indent;
    FUZZ_CHECK(BindLines(&job, &record) == 0, "BindLines did not return 0");

    FUZZ_CHECK(job.text == block.get() && job.output == output.get() && job.newline == newline,
               "the request's text, output or kind changed");
    FUZZ_CHECK(std::memcmp(block.get(), text.c_str(), text.size() + 1) == 0, "the block changed");
    FUZZ_CHECK(std::memchr(job.prefix, 0, sizeof job.prefix) != nullptr, "prefix not terminated");
    FUZZ_CHECK((job.flags & ~uint32_t{LINE_QUOTED | LINE_EMPHASISED | LINE_ITEMISED}) == 0,
               "flags outside the three line bits");

    // The head is classified as classification alone would classify it.
    IndentSettings classified = indent;
    lumo::TerminateFields(&classified);
    LineJob head{};
    head.text = block.get();
    lumo::ClassifyLine(lumo::CodePage(), &head, &classified);
    FUZZ_CHECK(std::strcmp(head.prefix, job.prefix) == 0 && head.flags == job.flags,
               "the block's head classified otherwise than by ClassifyLine");
    IndentSettings expected_record = indent;
    expected_record.fixed_indent_column = classified.fixed_indent_column;
    FUZZ_CHECK(std::memcmp(&record, &expected_record, sizeof record) == 0,
               "IndentSettings changed other than by lowering the fixed indent column");

    const void *nul = std::memchr(output.get(), 0, text.size() + 1);
    FUZZ_CHECK(nul != nullptr, "output not terminated within the text's length plus one");
    const std::string bound(output.get(), static_cast<size_t>(static_cast<const char *>(nul) - output.get()));
    const std::string expected = ExpectedBinding(text, job.prefix, job.flags, classified, newline);
    FUZZ_CHECK(bound == expected, "bound " + Hex(bound) + ", expected " + Hex(expected));
    return 0;
}
