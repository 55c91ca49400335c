// Line classification: reads the head of a line left to right and builds the
// continuation prefix in step, each recognised element becoming a copy of
// itself (quote and emphasis marks, a quote's name) or blanks of its width.
#include "paragraph/classify.h"

#include <cstring>

namespace lumo {
namespace {

constexpr size_t kBudget = LUMO_PREFIX_BYTES - 1;
constexpr char kBlanks[] = "\x20\x81\x40";  // half-width and full-width space
constexpr char kWideSpaceBytes[] = "\x81\x40";
constexpr size_t kLongestName = 31;  // a speaker's name is at most 31 bytes

// Writes the blank rendering of one character: a half-width space for a
// one-byte character, a full-width space for a two-byte one.
char *WriteBlank(char *dest, size_t length) {
    if (length == 2) {
        dest[0] = kWideSpaceBytes[0];
        dest[1] = kWideSpaceBytes[1];
    } else {
        dest[0] = ' ';
    }
    return dest + length;
}

// SpanChars, inlined into classification's cursor: a line head takes half a
// dozen runs, most of them empty.
inline size_t Span(const CodePage &cp, char *dest, const char *source, CharSet set, uint32_t mode,
                   size_t budget) {
    size_t count = 0;
    while (count < budget && source[count] != '\0') {
        const char *p = source + count;
        const size_t length = cp.CharLength(p);
        if (count + length > budget) break;  // a character never straddles the budget
        if (set.Contains(cp, cp.CharCode(p)) == ((mode & SPAN_EXCLUDE) != 0)) break;
        if (mode & SPAN_COPY) {
            std::memcpy(dest + count, p, length);
        } else {
            WriteBlank(dest + count, length);
        }
        count += length;
    }
    dest[count] = '\0';
    return count;
}

// The three cursors of classification over one line and its prefix.
class Cursor {
public:
    Cursor(const CodePage &cp, const char *text, char *prefix)
        : cp_(cp), read_(text), prefix_(prefix), write_(prefix) {
        *write_ = '\0';
    }

    size_t Budget() const { return kBudget - Written(); }
    size_t Written() const { return static_cast<size_t>(write_ - prefix_); }
    const char *Read() const { return read_; }

    // Takes a run of set at the read position and writes its rendering.
    size_t Take(CharSet set, uint32_t mode) {
        return Span(cp_, write_, read_, set, mode, Budget());
    }
    void Advance(size_t length) {
        read_ += length;
        write_ += length;
    }
    // Takes a run and advances past it.
    size_t TakeAndAdvance(CharSet set, uint32_t mode) {
        const size_t length = Take(set, mode);
        Advance(length);
        return length;
    }
    // Discards everything written from prefix byte mark on and puts both
    // positions back there (they always advance together).
    void CutAt(size_t mark) {
        const size_t back = Written() - mark;
        read_ -= back;
        write_ -= back;
        *write_ = '\0';
    }
    // Writes the blank rendering of the length bytes of an indent string that
    // the line begins with, measured on the string itself, and advances.
    // Whether the line's own characters from the read position end exactly
    // length bytes on: an indent string that ends inside a two-byte
    // character of the line is not at the line's head.
    bool EndsOnCharacter(size_t length) const {
        size_t i = 0;
        while (i < length) i += cp_.CharLength(read_ + i);
        return i == length;
    }
    void WriteBlanksOf(const char *string, size_t length) {
        for (size_t i = 0; i < length;) {
            const size_t n = (i + 1 < length) ? cp_.CharLength(string + i) : 1;
            write_ = WriteBlank(write_, n);
            i += n;
        }
        read_ += length;
        *write_ = '\0';
    }

private:
    const CodePage &cp_;
    const char *read_;
    char *prefix_;
    char *write_;
};

// The sets that classification takes runs of, each through its table when
// the call built them.
struct Sets {
    CharSet quote;
    CharSet empha;
    CharSet sole_itemize;
    CharSet combi_itemize;
    CharSet itemize_end;
    CharSet blanks;
};

Sets SetsOf(const IndentSettings &indent, const ClassifyTables *tables) {
    if (tables == nullptr) {
        return {indent.chars_for_quote,         indent.chars_for_empha,       indent.chars_for_sole_itemize,
                indent.chars_for_combi_itemize, indent.chars_for_itemize_end, kBlanks};
    }
    return {{indent.chars_for_quote, &tables->quote},
            {indent.chars_for_empha, &tables->empha},
            {indent.chars_for_sole_itemize, &tables->sole_itemize},
            {indent.chars_for_combi_itemize, &tables->combi_itemize},
            {indent.chars_for_itemize_end, &tables->itemize_end},
            {kBlanks, &tables->blanks}};
}

void FixedColumnPrefix(const CodePage &cp, const char *text, const IndentSettings &indent,
                       char *prefix) {
    const size_t c = indent.fixed_indent_column;
    size_t n = 0;
    if (indent.sub_styles & SUB_FILL_SOURCE) {
        // The line's own leading bytes, never its line break, and never half
        // of a two-byte character.
        while (n < c && !IsLineEnd(static_cast<unsigned char>(text[n]))) ++n;
        // A lead byte at the end is dropped also when the line breaks behind
        // it: in front of a segment it would pair with the segment's first byte.
        if (n > 0 && cp.IsLead(static_cast<unsigned char>(text[n - 1]))) {
            const char *p = text;
            while (p < text + n - 1) p += cp.CharLength(p);
            if (p == text + n - 1) --n;
        }
        std::memcpy(prefix, text, n);
    } else if (indent.sub_styles & SUB_FILL_WIDE_SPACE) {
        for (size_t i = 0; i < c / 2; ++i) n = static_cast<size_t>(WriteBlank(prefix + n, 2) - prefix);
        if (c % 2 != 0) prefix[n++] = ' ';
    } else {
        std::memset(prefix, ' ', c);
        n = c;
    }
    prefix[n] = '\0';
}

// Step 4: the first indent string the line begins with is indented under,
// with the blanks behind it. Returns false when no indent string matches.
bool TakeIndentString(Cursor &cursor, const IndentSettings &indent, const Sets &sets) {
    for (size_t k = 0; k < LUMO_INDENT_STRING_COUNT; ++k) {
        const char *candidate = indent.indent_string[k];
        if (candidate[0] == '\0' || candidate[0] != cursor.Read()[0]) continue;  // the usual case, decided at once
        const size_t length = strnlen(candidate, LUMO_INDENT_STRING_BYTES);
        if (length == 0 || length > cursor.Budget()) continue;
        if (std::strncmp(cursor.Read(), candidate, length) != 0) continue;
        // strncmp stops at the line's NUL, so a match never reads past it.
        if (!cursor.EndsOnCharacter(length)) continue;
        const size_t mark = cursor.Written();
        cursor.WriteBlanksOf(candidate, length);
        const size_t blanks = cursor.TakeAndAdvance(sets.blanks, SPAN_BLANK_FILL);
        if ((indent.indent_string_property[k] & INDSTR_NEED_BLANK) && blanks == 0) cursor.CutAt(mark);
        return true;
    }
    return false;
}

// Step 5: quote marks, each run followed by blanks, optionally after a name.
void TakeQuote(Cursor &cursor, const IndentSettings &indent, const Sets &sets, size_t leading,
               uint32_t *flags) {
    if (indent.sub_styles & SUB_NAMED_QUOTE) {
        const size_t name = cursor.Take(sets.quote, SPAN_COPY | SPAN_EXCLUDE);
        if (cursor.Read()[name] == '\0' || name == cursor.Budget()) {
            cursor.CutAt(leading);
            return;
        }
        cursor.Advance(name);
    }
    while (cursor.Budget() > 0) {
        if (cursor.TakeAndAdvance(sets.quote, SPAN_COPY) == 0) break;
        *flags |= LINE_QUOTED;
        cursor.TakeAndAdvance(sets.blanks, SPAN_BLANK_FILL);
    }
    if (!(*flags & LINE_QUOTED)) cursor.CutAt(leading);
}

// Step 7: a speaker's name of 1 to 31 bytes followed by a blank.
void TakeScenario(Cursor &cursor, const Sets &sets) {
    const size_t mark = cursor.Written();
    if (cursor.Budget() == 0) return;
    const size_t name = cursor.Take(sets.blanks, SPAN_BLANK_FILL | SPAN_EXCLUDE);
    if (name == 0) return;
    if (name > kLongestName) {
        cursor.CutAt(mark);
        return;
    }
    cursor.Advance(name);
    if (cursor.Budget() == 0) return;
    if (cursor.TakeAndAdvance(sets.blanks, SPAN_BLANK_FILL) == 0) cursor.CutAt(mark);
}

// Step 8: a sole itemise mark, or combined characters with an end character.
void TakeItemise(Cursor &cursor, const IndentSettings &indent, const Sets &sets, uint32_t *flags) {
    const size_t mark = cursor.Written();
    if (cursor.TakeAndAdvance(sets.sole_itemize, SPAN_BLANK_FILL) != 0) {
        if (cursor.Budget() > 0) cursor.TakeAndAdvance(sets.blanks, SPAN_BLANK_FILL);
        *flags |= LINE_ITEMISED;
        return;
    }
    if (cursor.TakeAndAdvance(sets.combi_itemize, SPAN_BLANK_FILL) == 0) return;
    if (cursor.TakeAndAdvance(sets.itemize_end, SPAN_BLANK_FILL) == 0) {
        cursor.CutAt(mark);
        return;
    }
    if (cursor.TakeAndAdvance(sets.blanks, SPAN_BLANK_FILL) == 0 && (indent.sub_styles & SUB_ITEM_END_SPACE)) {
        cursor.CutAt(mark);
        return;
    }
    *flags |= LINE_ITEMISED;
}

// Step 9: continuation lines of a paragraph do not repeat its first-line
// indent, so two columns of blank come off the end of the prefix.
void ApplyParagraphRule(const CodePage &cp, const char *text, const IndentSettings &indent, char *prefix) {
    const size_t n = std::strlen(prefix);
    if (n <= 1) return;
    if (indent.sub_styles & SUB_PARAGRAPH_WIDE_SPACE) {
        bool wide = false;
        for (size_t i = 0; i + 1 < n && text[i] != '\0'; i += cp.CharLength(text + i)) {
            if (cp.CharLength(text + i) == 2 && cp.CharCode(text + i) == kWideSpace) {
                wide = true;
                break;
            }
        }
        if (!wide) return;
    }
    auto is_two_spaces = [](const char *p) { return p[0] == ' ' && p[1] == ' '; };
    auto is_wide_space = [](const char *p) { return p[0] == kWideSpaceBytes[0] && p[1] == kWideSpaceBytes[1]; };
    if (n == 2) {
        if (is_two_spaces(prefix) || is_wide_space(prefix)) prefix[0] = '\0';
        return;
    }
    char *tail = prefix + n - 3;
    if (StartsDoubleByte(cp, prefix, tail)) {
        if (is_wide_space(tail) && tail[2] == ' ') {
            tail[0] = ' ';
            tail[1] = '\0';
        }
    } else if (is_two_spaces(tail + 1) || is_wide_space(tail + 1)) {
        tail[1] = '\0';
    }
}

}  // namespace

size_t SpanChars(const CodePage &cp, char *dest, const char *source, CharSet set, uint32_t mode,
                 size_t budget) {
    return Span(cp, dest, source, set, mode, budget);
}

ClassifyTables::ClassifyTables(const CodePage &cp, const IndentSettings &indent)
    : quote(cp, indent.chars_for_quote),
      empha(cp, indent.chars_for_empha),
      sole_itemize(cp, indent.chars_for_sole_itemize),
      combi_itemize(cp, indent.chars_for_combi_itemize),
      itemize_end(cp, indent.chars_for_itemize_end),
      blanks(cp, kBlanks) {}

const char *ClassifyLine(const CodePage &cp, LineJob *job, IndentSettings *indent,
                         const ClassifyTables *tables) {
    job->flags = 0;
    job->prefix[0] = '\0';
    if (!(indent->styles & STYLE_INDENT)) return nullptr;

    const char *text = job->text;
    if (indent->styles & STYLE_FIXED_COLUMN) {
        if (indent->fixed_indent_column > kBudget) indent->fixed_indent_column = kBudget;
        FixedColumnPrefix(cp, text, *indent, job->prefix);
        return job->prefix;
    }

    const uint32_t styles = indent->styles;
    const Sets sets = SetsOf(*indent, tables);
    Cursor cursor(cp, text, job->prefix);
    const size_t leading = cursor.TakeAndAdvance(sets.blanks, SPAN_BLANK_FILL);

    bool skip_paragraph = false;
    const bool indent_string =
        (styles & STYLE_INDENT_STRINGS) && TakeIndentString(cursor, *indent, sets);
    if (!indent_string) {
        if ((styles & STYLE_QUOTE) && cursor.Budget() > 0) TakeQuote(cursor, *indent, sets, leading, &job->flags);
        if ((styles & STYLE_EMPHA) && cursor.Budget() > 0) {
            if (cursor.TakeAndAdvance(sets.empha, SPAN_COPY) != 0) {
                job->flags |= LINE_EMPHASISED;
            } else {
                job->flags &= ~LINE_EMPHASISED;
            }
            if (cursor.Budget() > 0) cursor.TakeAndAdvance(sets.blanks, SPAN_BLANK_FILL);
        }
        if (styles & STYLE_SCENARIO) {
            TakeScenario(cursor, sets);
        } else if (styles & STYLE_ITEMIZE) {
            TakeItemise(cursor, *indent, sets, &job->flags);
            skip_paragraph = (job->flags & LINE_ITEMISED) && (indent->sub_styles & SUB_ITEM_NO_PARAGRAPH);
        }
    }
    if ((styles & STYLE_PARAGRAPH) && !skip_paragraph) ApplyParagraphRule(cp, text, *indent, job->prefix);
    return job->prefix;
}

}  // namespace lumo
