// Where a block ends. Folding puts the continuation prefix of a logical
// line's first line in front of each later line and nothing else, so a line
// continues the open block when it begins with that prefix and what follows
// the prefix does not itself classify as the head of a logical line (an
// item mark, an indent, a quotation or emphasis mark, a scenario name). An
// empty line is a block of its own. With the fold column known, a line that
// stopped while the next line's first unit would still have fitted was not
// cut by folding, and ends its block too.
#include "bind_blocks.h"

#include <cstring>
#include <string_view>

#include "text/text.h"
#include "paragraph/bind.h"
#include "paragraph/classify.h"
#include "settings/terminate.h"

namespace lumo::cli {
namespace {

// The first CR or LF at or behind p, or end; CR comes before LF in a line
// end, so it is looked for only up to the LF.
const char *LineEndOf(const char *p, const char *end) {
    const auto *lf = static_cast<const char *>(std::memchr(p, '\n', static_cast<size_t>(end - p)));
    const char *stop = lf != nullptr ? lf : end;
    const auto *cr = static_cast<const char *>(std::memchr(p, '\r', static_cast<size_t>(stop - p)));
    return cr != nullptr ? cr : stop;
}

const char *NextLine(const char *p, const char *end) {
    p = LineEndOf(p, end);
    if (p < end && *p == '\r') ++p;
    if (p < end && *p == '\n') ++p;
    return p;
}

// The head classification of one line: the flags and the prefix that the
// library's classification gives it.
struct Head {
    uint32_t flags = 0;
    std::string prefix;
};

}  // namespace

// The settings' character sets as tables, built once for the whole text,
// since every line's head is classified.
struct BlockBinder::Tables {
    explicit Tables(const IndentSettings &rules)
        : indent(Terminated(rules)), classify(cp, indent), scratch(indent) {}
    static IndentSettings Terminated(IndentSettings indent) {
        TerminateFields(&indent);
        return indent;
    }
    CodePage cp;
    IndentSettings indent;
    ClassifyTables classify;
    IndentSettings scratch;  // the copy that classification may change
    std::string line;        // the line being classified, with a NUL behind it
    LineJob job{};           // its classification
};

BlockBinder::BlockBinder(const BindRules &rules) : rules_(rules), tables_(new Tables(rules.indent)) {}
BlockBinder::~BlockBinder() = default;

namespace {

Head Classify(const char *begin, const char *end, BlockBinder::Tables *tables) {
    tables->line.assign(begin, end);
    LineJob &job = tables->job;
    job.record_size = LINE_JOB_SIZE;
    job.text = tables->line.c_str();
    const char *prefix = ClassifyLine(tables->cp, &job, &tables->scratch, &tables->classify);
    Head head;
    head.flags = job.flags;
    if (prefix != nullptr) head.prefix = prefix;
    return head;
}

// Whether one of marks (one- or two-byte characters of code page 932) is
// at p, which has at least one byte before end.
template <size_t N>
bool OneOf(const std::string_view (&marks)[N], const char *p, const char *end) {
    for (const std::string_view mark : marks) {
        if (static_cast<size_t>(end - p) >= mark.size() && std::memcmp(p, mark.data(), mark.size()) == 0) {
            return true;
        }
    }
    return false;
}

// Characters that never begin a folded line: a break before one moves back.
bool NoLineStart(const char *p, const char *end) {
    static constexpr std::string_view kMarks[] = {
        "\x81\x42", "\x81\x41", "\x81\x76", "\x81\x6a", "\x81\x78", "\x81\x72", "\x81\x44",
        "\x81\x43", "\x81\x49", "\x81\x48", "\x81\x45", "\x81\x5b", "\x81\x5c", ".",
        ",", ")", "]", "!", "?", ":", ";"};
    return OneOf(kMarks, p, end);
}

bool OpensBracket(const char *p, const char *end) {
    static constexpr std::string_view kMarks[] = {"\x81\x75", "\x81\x69", "\x81\x77", "\x81\x71", "(", "["};
    return OneOf(kMarks, p, end);
}

bool IsWordByte(unsigned char c) { return (c >= '0' && c <= '9') || ((c | 0x20) >= 'a' && (c | 0x20) <= 'z'); }

// The columns taken by what folding would have had to move to the next line
// together at p, up to where its last character starts: a run of ASCII
// letters, digits and signs (kept whole up to 20), or one character with any
// opening brackets before it, and the closing marks behind either.
uint32_t FirstUnitLead(const CodePage &cp, const char *p, const char *end, uint32_t tab_width) {
    const char *q = p;
    const char *last = p;
    if (q < end && IsWordByte(static_cast<unsigned char>(*q))) {
        // A run of letters and digits is not cut from the character behind it.
        while (q < end && q - p < 20 && IsWordByte(static_cast<unsigned char>(*q))) last = q++;
        if (q < end && *q != '\r' && *q != '\n') {
            last = q;
            q += cp.CharLength(q);
        }
    } else {
        while (q < end && OpensBracket(q, end)) q += cp.CharLength(q);
        if (q < end && *q != '\r' && *q != '\n') {
            last = q;
            q += cp.CharLength(q);
        }
    }
    while (q < end && *q != '\r' && *q != '\n' && NoLineStart(q, end)) {
        last = q;
        q += cp.CharLength(q);
    }
    return LineWidth(cp, p, last, tab_width);
}

}  // namespace

uint32_t LineWidth(const CodePage &cp, const char *line, const char *end, uint32_t tab_width) {
    end = LineEndOf(line, end);
    // Every character but a tab is as many columns wide as it has bytes.
    if (std::memchr(line, '\t', static_cast<size_t>(end - line)) == nullptr) {
        return static_cast<uint32_t>(end - line);
    }
    uint32_t width = 0;
    for (const char *p = line; p < end && *p != '\r' && *p != '\n';) {
        const size_t length = cp.CharLength(p);
        if (*p == '\t') {
            width = tab_width == 0 ? width + 1 : (width / tab_width + 1) * tab_width;
        } else {
            width += static_cast<uint32_t>(length);  // a two-byte character is two columns
        }
        p += length;
    }
    return width;
}

bool BlockBinder::StartsBlock(const char *line, const char *end) const {
    if (rules_.whole) return state_.block.empty();
    const char *stop = end;  // the line's end, without its line end
    if (state_.previous_empty || stop == line) return true;
    if (static_cast<size_t>(stop - line) < state_.prefix.size() ||
        std::strncmp(line, state_.prefix.c_str(), state_.prefix.size()) != 0) {
        return true;
    }
    // A quoted line that the settings keep is never folded, so it never
    // runs on into the next line.
    if ((rules_.indent.sub_styles & SUB_KEEP_QUOTED) && (state_.block_flags & LINE_QUOTED)) return true;
    const char *rest = line + state_.prefix.size();
    // A character fits on a line when it starts before the fold column.
    const bool full = rules_.fold != 0 && state_.previous_width + FirstUnitLead(tables_->cp, rest, stop,
                                                                                 rules_.tab_width) >=
                                              rules_.fold;
    if (rules_.fold != 0 && !full) return true;
    const Head head = Classify(rest, stop, tables_.get());
    // Folding may cut a line before a sign that reads as an item mark (the
    // "-" of a telephone number); behind a full line that is not an item
    // itself, it continues.
    if (full && head.flags == LINE_ITEMISED && !(state_.block_flags & LINE_ITEMISED)) return false;
    // A paragraph's first-line indent (a full-width space) gives no prefix,
    // since its later lines do not repeat it; it still starts a paragraph.
    const bool indent = (rules_.indent.styles & STYLE_PARAGRAPH) && std::strncmp(rest, "\x81\x40", 2) == 0;
    return head.flags != 0 || !head.prefix.empty() || indent;
}

void BlockBinder::Add(const std::string &lines, std::string *out) {
    const char *p = lines.c_str();
    const char *end = p + lines.size();
    while (p < end) {
        const char *next = NextLine(p, end);
        const char *stop = LineEndOf(p, next);
        if (StartsBlock(p, stop)) {
            Finish(out);
            const Head head = Classify(p, stop, tables_.get());
            state_.prefix = head.prefix;
            state_.block_flags = head.flags;
        }
        state_.previous_empty = stop == p;
        state_.previous_width = LineWidth(tables_->cp, p, stop, rules_.tab_width);
        state_.block.append(p, next);
        p = next;
    }
}

void BlockBinder::Finish(std::string *out) {
    if (state_.block.empty()) return;
    if (rules_.whole) {
        LineJob job{};
        job.record_size = LINE_JOB_SIZE;
        job.text = state_.block.c_str();
        job.output = state_.block.data();  // binding never writes more than it reads
        job.capacity = static_cast<uint32_t>(state_.block.size() + 1);
        job.newline = NewlineKindOf(state_.block.c_str());
        IndentSettings indent = rules_.indent;
        Bind(&job, &indent);
        out->append(state_.block.c_str());
        state_.block.clear();
        return;
    }
    Join(out);
    state_.block.clear();
}

// The library's binding of one block, with the head classified already and
// the tables of the whole text: taking the blocks to the library one by one
// would build its tables again for each.
void BlockBinder::Join(std::string *out) const {
    const IndentSettings &indent = tables_->indent;
    const CodePage &cp = tables_->cp;
    const bool strip = (indent.styles & STYLE_STRIP_HEAD_SPACE) &&
                       (!(state_.block_flags & LINE_ITEMISED) || (indent.styles & STYLE_STRIP_WHEN_INDENT));
    const bool narrow = indent.sub_styles & SUB_BLANK_NARROW;
    const bool wide = indent.sub_styles & SUB_BLANK_WIDE;
    const bool tab = indent.sub_styles & SUB_BLANK_TAB;
    const char *read = state_.block.c_str();
    const char *end = read + state_.block.size();
    for (;;) {
        const char *stop = LineEndOf(read, end);
        out->append(read, stop);
        read = stop;
        if (read == end) break;
        while (read < end && (*read == '\r' || *read == '\n')) ++read;
        if (static_cast<size_t>(end - read) >= state_.prefix.size() &&
            std::memcmp(read, state_.prefix.data(), state_.prefix.size()) == 0) {
            read += state_.prefix.size();
        }
        while (strip && read < end) {
            if ((narrow && *read == ' ') || (tab && *read == '\t')) {
                ++read;
            } else if (wide && cp.CharLength(read) == 2 && read[0] == '\x81' && read[1] == '\x40') {
                read += 2;
            } else {
                break;
            }
        }
    }
    const uint32_t kind = NewlineKindOf(state_.block.c_str());
    if (EndsWithNewline(state_.block.c_str(), state_.block.size(), kind)) {
        char newline[3] = {};
        AppendNewline(newline, kind);
        out->append(newline);
    }
}

}  // namespace lumo::cli
