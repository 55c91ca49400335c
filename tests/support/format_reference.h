// A plain model of the formatting driver, built only from the header-block
// search, line classification and the break search: it cuts every logical
// line with an unlimited buffer, so that the driver's exact bytes (and its
// results 0 and 2) can be checked against it for any text and settings.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "support/break_search.h"
#include "text/text.h"
#include "lumotext.h"
#include "paragraph/classify.h"
#include "paragraph/header.h"
#include "support/sjis.h"

namespace lumo_fold {

// The terminator bytes of a NewlineKind.
inline std::string Terminator(uint32_t kind) {
    std::string t;
    if (kind & NEWLINE_CR) t += '\r';
    if (kind & NEWLINE_LF) t += '\n';
    return t;
}

// One logical line of a body as the driver splits it.
struct SourceLine {
    std::string text;     // the line with its own terminator
    std::string content;  // the bytes before the terminator
    std::string own_end;  // its own terminator, empty for an unterminated line
    uint32_t kind;        // the kind in force: own, or inherited when unterminated
};

// Splits the body into logical lines: CR LF, CR or LF ends a line; an
// unterminated last line keeps the kind of the line before it (none at first).
inline std::vector<SourceLine> SplitLines(const std::string &body) {
    std::vector<SourceLine> lines;
    uint32_t kind = NEWLINE_NONE;
    size_t pos = 0;
    while (pos < body.size()) {
        size_t end = pos;
        while (end < body.size() && body[end] != '\r' && body[end] != '\n') ++end;
        SourceLine line;
        line.content = body.substr(pos, end - pos);
        if (end < body.size()) {
            if (body[end] == '\r' && end + 1 < body.size() && body[end + 1] == '\n') {
                kind = NEWLINE_CRLF;
            } else {
                kind = body[end] == '\r' ? NEWLINE_CR : NEWLINE_LF;
            }
            line.own_end = Terminator(kind);
        }
        line.kind = kind;
        line.text = line.content + line.own_end;
        pos = end + line.own_end.size();
        lines.push_back(line);
    }
    return lines;
}

// The classification of one line, as the driver makes it.
struct LineClass {
    std::string prefix;
    uint32_t flags;
};

inline LineClass Classify(const std::string &line, IndentSettings *indent) {
    lumo::CodePage cp;
    lumo_test::ExactText copy(line);
    LineJob job{};
    job.record_size = 280;
    job.text = copy.c_str();
    lumo::ClassifyLine(cp, &job, indent);
    return LineClass{std::string(job.prefix), job.flags};
}

// The model's own code for a break search that made no progress.
constexpr int32_t kReferenceBadBreak = -100;

struct ReferenceResult {
    int32_t result;      // 0, 2 or 3
    std::string output;  // with an unlimited output buffer
    size_t header_length;
};

// The expected output of LumoMultiLines with an unlimited output buffer.
// indent is updated as the driver updates the caller's record.
inline ReferenceResult ReferenceFormat(const std::string &source, IndentSettings *indent,
                                       const FoldSettings &fold, const HeaderSettings &header,
                                       uint32_t tab_width) {
    if (fold.foldnum == 0) return ReferenceResult{FORMAT_FOLD_ZERO, std::string(), 0};
    lumo::CodePage cp;
    lumo_test::ExactText whole(source);
    const size_t header_length =
        static_cast<size_t>(lumo::SkipHeader(whole.c_str(), header) - whole.c_str());
    std::string out = source.substr(0, header_length);
    for (const SourceLine &line : SplitLines(source.substr(header_length))) {
        const LineClass lc = Classify(line.text, indent);
        if ((indent->sub_styles & SUB_KEEP_QUOTED) && (lc.flags & LINE_QUOTED)) {
            out += line.text;
            continue;
        }
        if (line.content.empty()) {
            out += line.text;
            continue;
        }
        lumo_test::ExactText text(line.text);
        const char *begin = text.c_str();
        const char *end = begin + line.text.size();
        const std::string between =
            line.kind == NEWLINE_NONE ? std::string("\r\n") : Terminator(line.kind);
        const uint32_t prefix_length = static_cast<uint32_t>(lc.prefix.size());
        std::string formatted;
        size_t pos = 0;
        bool first = true;
        while (pos < line.content.size()) {
            FoldSettings segment_fold = fold;
            if (!first) {
                if (prefix_length >= fold.foldnum) {
                    return ReferenceResult{FORMAT_NO_COLUMN, out, header_length};
                }
                formatted += lc.prefix;
                segment_fold.foldnum = fold.foldnum - prefix_length;
            }
            const char *brk = BreakSearch(cp, segment_fold, tab_width).Find(begin, end, begin + pos);
            const size_t next = static_cast<size_t>(brk - begin);
            if (brk <= begin + pos || next > line.text.size()) {
                // No progress or a break outside the line: report it as a
                // result the driver never gives, so that every comparison fails.
                return ReferenceResult{kReferenceBadBreak, out, header_length};
            }
            formatted.append(begin + pos, next - pos);
            if (line.kind == NEWLINE_NONE) {
                if (next < line.content.size()) formatted += between;
            } else if (!lumo::EndsWithNewline(formatted.c_str(), line.kind)) {
                formatted += between;
            }
            pos = next;
            first = false;
        }
        out += formatted;
    }
    return ReferenceResult{FORMAT_DONE, out, header_length};
}

}  // namespace lumo_fold
