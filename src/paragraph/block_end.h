// Where a block of folded lines ends: the lines that folding made of one
// logical line are a block, which binding joins back. Decided line by line
// from the settings that folded the text: its prefix, its classification
// of line heads, and, when the fold column is known, whether the line
// before ended early although the next line's first unit (a word that word
// wrap keeps whole, or a character with the marks that may not begin a
// line) would have fitted behind it.
#pragma once

#include <cstddef>
#include <cstdint>

#include "lumotext.h"
#include "paragraph/classify.h"
#include "text/line_buffer.h"
#include "text/line_image.h"
#include "text/text.h"
#include "text/word_class.h"

namespace lumo {

struct BlockLine;

// How the rules that folded the text measure: the columns a line took, and
// whether the first unit of a line (what folding would have moved to the
// next line together) would have fitted behind a line of width columns.
class FoldMeasure {
public:
    virtual uint64_t Width(const BlockLine &line) const = 0;
    virtual bool Fits(uint64_t width, const BlockLine &line, const char *rest, uint32_t fold_column) const = 0;

protected:
    ~FoldMeasure() = default;
};

// What the decisions read, made once per text. indent and the tables are
// those that folding used (for UTF-8 text, spelt in its alphabet).
struct BlockRules {
    const CodePage &cp;
    const IndentSettings &indent;
    const ClassifyTables &classify;
    const CharTable &not_for_head;
    const CharTable &not_for_tail;
    const WordBytes &word_bytes;
    uint32_t maxmove_leftwise;  // the longest word that word wrap keeps whole
    uint32_t fold_column;       // the text was folded at; 0 when not known
    uint32_t tab_width;
    const FoldMeasure *measure;  // nullptr: as the classic rules measure
};

// One line without its line end: as measured (code page 932 bytes, or a
// UTF-8 line's image, which image then is) and its own bytes.
struct BlockLine {
    const char *text;
    const char *stop;  // *stop is readable
    const char *bytes;
    const text::LineImage *image;  // nullptr for code page 932
};

class BlockEnds {
public:
    explicit BlockEnds(const BlockRules &rules);
    BlockEnds(const BlockEnds &) = delete;
    BlockEnds &operator=(const BlockEnds &) = delete;

    // Whether line begins a new block after the lines passed so far.
    bool Starts(const BlockLine &line);
    // Makes line the first of a new block: classifies its head, which gives
    // the prefix that the block's later lines begin with. False when memory
    // ran out.
    bool Open(const BlockLine &line);
    // Notes line as passed (call after Starts, and Open when it starts one).
    void Pass(const BlockLine &line);

    // The open block's classification, and its prefix in its own bytes.
    uint32_t flags() const { return flags_; }
    const char *prefix_bytes() const { return prefix_bytes_.data(); }
    size_t prefix_bytes_length() const { return prefix_bytes_length_; }

private:
    struct Head {
        uint32_t flags;
        size_t prefix_length;  // as measured
    };
    Head Classify(const char *text, const char *stop);
    bool Plain(const char *text, const char *stop, size_t taken) const;
    size_t KeyLength(const char *text, const char *stop) const;
    bool BeginsWithPrefix(const BlockLine &line) const;
    bool ClassicFits(const char *rest, const char *stop) const;

    const BlockRules rules_;
    IndentSettings scratch_;  // the copy that classification may change
    // Whether a head's first character alone can tell that classification
    // finds nothing there (the settings read no speaker's name, no name
    // before a quote, no fixed column), and the first bytes of the indent
    // strings, which a head must begin with to take one.
    bool quick_ = false;
    bool first_bytes_[256] = {};
    // Heads learnt: with the settings above and no indent strings, what
    // classification makes of a head depends only on its bytes up to the
    // first character of none of the sets it takes runs of (the key), so a
    // head seen once is not classified again. takes_ holds those sets'
    // codes; learnt_ is a small table of keys, one place for each hash.
    static constexpr size_t kKeyBytes = 32;
    struct Learnt {
        uint32_t flags = 0;
        uint8_t key_length = kKeyBytes + 1;  // none
        bool ended = false;                  // the head ended at its key's end
        uint8_t prefix_length = 0;
        char key[kKeyBytes];
        char prefix[kKeyBytes + 1];
    };
    bool learns_ = false;
    uint64_t takes_[0x10000 / 64] = {};
    Learnt learnt_[1024];
    // The last head classified, which Open takes again when Starts
    // classified the same (a block without a prefix).
    const char *classified_text_ = nullptr;
    const char *classified_stop_ = nullptr;
    Head classified_{0, 0};
    LineJob job_{};
    char line_[1024 + 1];     // the head of the line being classified, NUL behind it
    char prefix_[LUMO_PREFIX_BYTES];  // the open block's prefix, as measured
    size_t prefix_length_ = 0;
    LineBuffer prefix_bytes_;
    size_t prefix_bytes_length_ = 0;
    uint32_t flags_ = 0;
    bool previous_empty_ = true;
    uint64_t previous_width_ = 0;
};

}  // namespace lumo
