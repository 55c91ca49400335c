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
#include <new>
#include <string_view>

#include "text/alphabet.h"
#include "text/text.h"
#include "paragraph/bind.h"
#include "paragraph/classify.h"
#include "settings/terminate.h"
#ifdef LUMOTEXT_UNICODE
#include "paragraph/bind_utf8.h"
#include "paragraph/prefix_utf8.h"
#include "paragraph/utf8_indent.h"
#include "text/line_image.h"
#include "text/spelt_records.h"
#include "text/utf8.h"
#endif

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

#ifdef LUMOTEXT_UNICODE
// How a UTF-8 text is spelt for the decisions: the alphabet of the rules'
// sets, built once, and the image of the line being decided on.
using Utf8Spelling = Utf8Indent;
#else
struct Utf8Spelling {};
#endif

// The settings' character sets as tables, built once for the whole text,
// since every line's head is classified.
struct BlockBinder::Tables {
    explicit Tables(const BindRules &rules)
        : utf8(Spelling(rules)), indent(Decided(rules.indent, utf8.get())), classify(cp, indent), scratch(indent) {}
    static IndentSettings Terminated(IndentSettings indent) {
        TerminateFields(&indent);
        return indent;
    }
    static std::unique_ptr<Utf8Spelling> Spelling(const BindRules &rules) {
#ifdef LUMOTEXT_UNICODE
        if (rules.utf8) {
            const text::UnicodeData *data = text::UnicodeData::Get();
            if (data == nullptr) throw std::bad_alloc();
            return std::make_unique<Utf8Spelling>(*data, Terminated(rules.indent), rules.ambiguous);
        }
#endif
        (void)rules;
        return nullptr;
    }
    // The record that the decisions read: in UTF-8 text, the spelt one.
    static IndentSettings Decided(const IndentSettings &rules, const Utf8Spelling *utf8) {
#ifdef LUMOTEXT_UNICODE
        if (utf8 != nullptr) return utf8->spelt;
#endif
        (void)utf8;
        return Terminated(rules);
    }
    CodePage cp;
    std::unique_ptr<Utf8Spelling> utf8;  // nullptr for code page 932 text
    IndentSettings indent;
    ClassifyTables classify;
    IndentSettings scratch;  // the copy that classification may change
    std::string line;        // the line being classified, with a NUL behind it
    LineJob job{};           // its classification
};

// A line as the decisions see it, and the bytes it stands for: in code page
// 932 text both are the line; in UTF-8 text the first is its image.
struct BlockBinder::Line {
    const char *text;
    const char *stop;  // the end of text, without the line end
    const char *bytes;
};

BlockBinder::BlockBinder(const BindRules &rules) : rules_(rules), tables_(new Tables(rules)) {}
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

bool IsAsciiWordByte(unsigned char c) { return (c >= '0' && c <= '9') || ((c | 0x20) >= 'a' && (c | 0x20) <= 'z'); }

// In a UTF-8 line's image, a one-column letter that code page 932 lacks
// (é, or α drawn narrow) is spelt as one byte that word wrap counts as a
// letter; the run of a word takes it too.
constexpr unsigned char kImageLetter = text::Alphabet::kNarrowLetter;

// The columns taken by what folding would have had to move to the next line
// together at p, up to where its last character starts: a run of ASCII
// letters, digits and signs (kept whole up to 20), or one character with any
// opening brackets before it, and the closing marks behind either.
uint32_t FirstUnitLead(const CodePage &cp, const char *p, const char *end, uint32_t tab_width, bool image) {
    const auto IsWordByte = [image](unsigned char c) { return IsAsciiWordByte(c) || (image && c == kImageLetter); };
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

// The line [p, stop) as the decisions see it; in UTF-8 text its image is
// built into the tables, where it stays until the next line.
BlockBinder::Line SpellLine(BlockBinder::Tables *tables, const char *p, const char *stop) {
#ifdef LUMOTEXT_UNICODE
    if (tables->utf8 != nullptr) {
        text::LineImage &image = tables->utf8->image;
        if (!image.Build(p, static_cast<size_t>(stop - p))) throw std::bad_alloc();
        return {image.text(), image.text() + image.length(), p};
    }
#endif
    (void)tables;
    return {p, stop, p};
}

// The line's own bytes for a prefix that classification wrote for the line
// just spelt; empty for code page 932 text, whose prefix is its bytes.
std::string BytesOfPrefix(BlockBinder::Tables *tables, const std::string &prefix, const BlockBinder::Line &line) {
#ifdef LUMOTEXT_UNICODE
    if (tables->utf8 != nullptr) {
        size_t length = 0;
        if (!Utf8Prefix(tables->cp, prefix.c_str(), tables->utf8->image, line.bytes, &tables->utf8->prefix,
                        &length)) {
            throw std::bad_alloc();
        }
        return std::string(tables->utf8->prefix.data(), length);
    }
#endif
    (void)tables, (void)prefix, (void)line;
    return std::string();
}

// The bytes of the blank at read (read < end), 0 when there is none. In
// UTF-8 a blank is a space, U+3000 or a tab and the marks that extend it, as
// the library's UTF-8 binding has it.
// sub_styles selects the blanks (SUB_BLANK_*).
size_t BlankAt(const BlockBinder::Tables &tables, uint32_t sub_styles, const char *read, const char *end) {
#ifdef LUMOTEXT_UNICODE
    if (tables.utf8 != nullptr) return Utf8BlankLength(tables.utf8->alphabet.data(), sub_styles, read, end);
#endif
    (void)end;  // a code page 932 blank is looked at only up to the block's NUL
    if (((sub_styles & SUB_BLANK_NARROW) && *read == ' ') || ((sub_styles & SUB_BLANK_TAB) && *read == '\t')) return 1;
    if ((sub_styles & SUB_BLANK_WIDE) && tables.cp.CharLength(read) == 2 && read[0] == '\x81' && read[1] == '\x40') {
        return 2;
    }
    return 0;
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

bool BlockBinder::BeginsWithPrefix(const Line &line) const {
    const std::string &prefix = state_.prefix;
    if (static_cast<size_t>(line.stop - line.text) < prefix.size() ||
        std::strncmp(line.text, prefix.c_str(), prefix.size()) != 0) {
        return false;
    }
#ifdef LUMOTEXT_UNICODE
    if (tables_->utf8 != nullptr) {
        // Stand-ins spell unlike characters alike: the line's bytes must be
        // the prefix's too, ending where an image character ends.
        const std::string &bytes = state_.prefix_utf8;
        return tables_->utf8->image.offsets()[prefix.size()] == bytes.size() &&
               std::memcmp(line.bytes, bytes.data(), bytes.size()) == 0;
    }
#endif
    return true;
}

bool BlockBinder::StartsBlock(const Line &line) const {
    if (rules_.whole) return state_.block.empty();
    const char *stop = line.stop;  // the line's end, without its line end
    if (state_.previous_empty || stop == line.text) return true;
    if (!BeginsWithPrefix(line)) return true;
    // A quoted line that the settings keep is never folded, so it never
    // runs on into the next line.
    if ((rules_.indent.sub_styles & SUB_KEEP_QUOTED) && (state_.block_flags & LINE_QUOTED)) return true;
    const char *rest = line.text + state_.prefix.size();
    // A character fits on a line when it starts before the fold column.
    const bool full = rules_.fold != 0 && state_.previous_width + FirstUnitLead(tables_->cp, rest, stop,
                                                                                 rules_.tab_width, rules_.utf8) >=
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

void BlockBinder::Add(std::string_view lines, std::string *out) {
    const char *p = lines.data();
    const char *end = p + lines.size();
    while (p < end) {
        const char *next = NextLine(p, end);
        const Line line = SpellLine(tables_.get(), p, LineEndOf(p, next));
        if (StartsBlock(line)) {
            Finish(out);
            const Head head = Classify(line.text, line.stop, tables_.get());
            state_.prefix = head.prefix;
            state_.prefix_utf8 = BytesOfPrefix(tables_.get(), head.prefix, line);
            state_.block_flags = head.flags;
        }
        state_.previous_empty = line.stop == line.text;
        state_.previous_width = LineWidth(tables_->cp, line.text, line.stop, rules_.tab_width);
        state_.block.append(p, next);
        p = next;
    }
}

void BlockBinder::Finish(std::string *out) {
    if (state_.block.empty()) return;
    if (rules_.whole) {
        BindWhole(out);
    } else {
        Join(out);
    }
    state_.block.clear();
}

// The whole text is the library's to bind: its head may be classified
// across line ends.
void BlockBinder::BindWhole(std::string *out) {
    LineJob job{};
    job.record_size = LINE_JOB_SIZE;
    job.text = state_.block.c_str();
    job.output = state_.block.data();  // binding never writes more than it reads
    job.capacity = static_cast<uint32_t>(state_.block.size() + 1);
    job.newline = NewlineKindOf(state_.block.c_str());
    IndentSettings indent = rules_.indent;
#ifdef LUMOTEXT_UNICODE
    if (tables_->utf8 != nullptr) {
        if (BindUtf8(&job, &indent, rules_.ambiguous) != 0) throw std::bad_alloc();
        out->append(state_.block.c_str());
        return;
    }
#endif
    Bind(&job, &indent);
    out->append(state_.block.c_str());
}

// The library's binding of one block, with the head classified already and
// the tables of the whole text: taking the blocks to the library one by one
// would build its tables again for each.
void BlockBinder::Join(std::string *out) const {
    const IndentSettings &indent = tables_->indent;
    const bool strip = (indent.styles & STYLE_STRIP_HEAD_SPACE) &&
                       (!(state_.block_flags & LINE_ITEMISED) || (indent.styles & STYLE_STRIP_WHEN_INDENT));
    // The prefix as the block's own bytes spell it.
    const std::string &prefix = tables_->utf8 != nullptr ? state_.prefix_utf8 : state_.prefix;
    const char *read = state_.block.c_str();
    const char *end = read + state_.block.size();
    for (;;) {
        const char *stop = LineEndOf(read, end);
        out->append(read, stop);
        read = stop;
        if (read == end) break;
        while (read < end && (*read == '\r' || *read == '\n')) ++read;
        if (static_cast<size_t>(end - read) >= prefix.size() &&
            std::memcmp(read, prefix.data(), prefix.size()) == 0) {
            read += prefix.size();
        }
        for (size_t blank; strip && read < end && (blank = BlankAt(*tables_, indent.sub_styles, read, end)) != 0;) {
            read += blank;
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
