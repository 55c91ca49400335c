// Settings builders for the formatting tests: preset records with a fold
// column and a few fields changed, written as one chained expression so that a
// table row states exactly what differs from the preset.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>

#include "lumotext.h"
#include "settings/presets.h"

namespace lumo_fold {

// Copies text into a fixed set field, NUL included; the text must fit.
template <size_t N>
void SetField(char (&field)[N], const std::string &text) {
    static_assert(N > 1, "field too small");
    std::memset(field, 0, N);
    std::memcpy(field, text.data(), text.size() < N - 1 ? text.size() : N - 1);
}

// FoldSettings of preset 2 (word wrap and kinsoku, push-out, alphanumerics,
// maxmove 20 and 3) with the given fold column.
class Fold {
public:
    explicit Fold(uint32_t foldnum) {
        lumo::FillFoldPreset(&s_, 2);
        s_.foldnum = foldnum;
    }
    Fold &Tail(uint32_t tailwrap_flag) { s_.tailwrap_flag = tailwrap_flag; return *this; }
    Fold &Wrap(uint32_t wraptype) { s_.wraptype = wraptype; return *this; }
    Fold &Left(uint32_t maxmove) { s_.maxmove_leftwise = maxmove; return *this; }
    Fold &Right(uint32_t maxmove) { s_.maxmove_rightwise = maxmove; return *this; }
    Fold &NotHead(const std::string &set) { SetField(s_.chars_not_for_head, set); return *this; }
    Fold &NotTail(const std::string &set) { SetField(s_.chars_not_for_tail, set); return *this; }
    Fold &WordChars(const std::string &set) { SetField(s_.chars_for_wordwrap, set); return *this; }
    // Rules off: neither word wrap nor kinsoku.
    Fold &Off() { s_.tailwrap_flag = 0; return *this; }

    const FoldSettings &get() const { return s_; }
    operator const FoldSettings &() const { return s_; }  // NOLINT: builder

private:
    FoldSettings s_{};
};

// The preset line-head set without its leading half-width space: with it, a
// space at the break and a prohibited character behind it make word wrap and
// push-out pull the break back and forth.
inline std::string PresetHeadWithoutSpace() {
    FoldSettings preset{};
    lumo::FillFoldPreset(&preset, 2);
    return std::string(preset.chars_not_for_head + 1);
}

// IndentSettings that classify nothing: no continuation prefix at all.
inline IndentSettings NoIndent() {
    IndentSettings s{};
    lumo::FillIndentPreset(&s, 2);
    s.styles = 0;
    return s;
}

// IndentSettings whose continuation prefix is `columns` half-width spaces for
// every line, whatever the line holds.
inline IndentSettings FixedIndent(uint32_t columns) {
    IndentSettings s{};
    lumo::FillIndentPreset(&s, 2);
    s.styles = STYLE_INDENT | STYLE_FIXED_COLUMN;
    s.sub_styles = 0;
    s.fixed_indent_column = columns;
    return s;
}

// HeaderSettings with no header block (presets 0 and 2).
inline HeaderSettings NoHeader() {
    HeaderSettings s{};
    lumo::FillHeaderPreset(&s, 2);
    return s;
}

// HeaderSettings whose header block runs to the first empty line (preset 1).
inline HeaderSettings HeaderToEmptyLine() {
    HeaderSettings s{};
    lumo::FillHeaderPreset(&s, 1);
    return s;
}

}  // namespace lumo_fold
