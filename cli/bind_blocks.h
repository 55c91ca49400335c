// Binding a folded text block by block as it streams: the lines of each
// block, a logical line that folding cut, are joined back into one. A block
// that is still open at the end of a piece is carried into the next.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "text/text.h"
#include "lumotext.h"

namespace lumo::cli {

struct BindRules {
    IndentSettings indent{};  // those that folded the text
    uint32_t fold = 0;        // the fold column it was folded at; 0: not known
    uint32_t tab_width = 8;
    bool whole = false;       // the whole text is one block
};

// Where binding stands between two lines: the block still open and what
// decides whether the next line continues it.
struct BinderState {
    std::string block;   // the lines of the open block
    std::string prefix;  // the continuation prefix of its first line
    uint32_t block_flags = 0;     // and its classification flags
    bool previous_empty = true;
    uint32_t previous_width = 0;  // of the last line, in display columns
};

class BlockBinder {
public:
    explicit BlockBinder(const BindRules &rules);
    ~BlockBinder();

    // Takes whole lines of code page 932 text (the last line of the input
    // may lack its line end) and appends the blocks they complete, bound.
    void Add(const std::string &lines, std::string *out);
    // Appends the block still open, bound.
    void Finish(std::string *out);

    // Binding that stops at the end of one piece and goes on with the next,
    // maybe in another binder: the state at the end, and a start from one.
    const BinderState &state() const { return state_; }
    const BindRules &rules() const { return rules_; }
    void Restart(const BinderState &state = BinderState()) { state_ = state; }

    struct Tables;

private:
    bool StartsBlock(const char *line, const char *stop) const;
    void Join(std::string *out) const;

    BindRules rules_;
    std::unique_ptr<Tables> tables_;
    BinderState state_;
};

// The display width of a line of code page 932 text up to its line end:
// full-width characters take 2 columns, a tab runs to the next tab stop.
uint32_t LineWidth(const CodePage &cp, const char *line, const char *end, uint32_t tab_width);

}  // namespace lumo::cli
