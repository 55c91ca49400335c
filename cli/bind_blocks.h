// Binding a folded text block by block as it streams: the lines of each
// block, a logical line that folding cut, are joined back into one. A block
// that is still open at the end of a piece is carried into the next.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "text/text.h"
#include "text/unicode_data.h"
#include "lumotext.h"

namespace lumo::cli {

struct BindRules {
    IndentSettings indent{};  // those that folded the text, in the text's encoding
    uint32_t fold = 0;        // the fold column it was folded at; 0: not known
    uint32_t tab_width = 8;
    bool whole = false;       // the whole text is one block
    // The text is UTF-8 (only where the build has the Unicode tables): each
    // line is decided on in its code page 932 image and joined from its own
    // bytes, every byte kept.
    bool utf8 = false;
    text::Ambiguous ambiguous = text::Ambiguous::kCp932;  // the width of ○ ※ α é there
};

// Where binding stands between two lines: the block still open and what
// decides whether the next line continues it.
struct BinderState {
    std::string block;   // the lines of the open block
    std::string prefix;  // the continuation prefix of its first line
    // (in UTF-8 text, prefix is spelt as the line's image and this is the
    // line's own bytes for it)
    std::string prefix_utf8;
    uint32_t block_flags = 0;     // and its classification flags
    bool previous_empty = true;
    uint32_t previous_width = 0;  // of the last line, in display columns
};

class BlockBinder {
public:
    explicit BlockBinder(const BindRules &rules);
    ~BlockBinder();

    // Takes whole lines of text (the last line of the input may lack its
    // line end) and appends the blocks they complete, bound.
    void Add(std::string_view lines, std::string *out);
    // Appends the block still open, bound.
    void Finish(std::string *out);

    // Binding that stops at the end of one piece and goes on with the next,
    // maybe in another binder: the state at the end, and a start from one.
    const BinderState &state() const { return state_; }
    const BindRules &rules() const { return rules_; }
    void Restart(const BinderState &state = BinderState()) { state_ = state; }

    struct Tables;
    struct Line;

private:
    bool StartsBlock(const Line &line) const;
    bool BeginsWithPrefix(const Line &line) const;
    void BindWhole(std::string *out);
    void Join(std::string *out) const;

    BindRules rules_;
    std::unique_ptr<Tables> tables_;
    BinderState state_;
};

// The display width of a line of code page 932 text up to its line end:
// full-width characters take 2 columns, a tab runs to the next tab stop.
uint32_t LineWidth(const CodePage &cp, const char *line, const char *end, uint32_t tab_width);

}  // namespace lumo::cli
