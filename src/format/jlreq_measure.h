// How lines folded by the Japanese line-break rules are measured when they
// are bound: what folding moves to the next line together is the run up to
// the first place where a line may break, and it would have fitted when the
// line before, its spaces at the end included, and the run (without its
// own) take no more than the fold column. Binding decides with it where a block of folded lines ends.
#pragma once

#include <cstdint>

#include "format/jlreq_break.h"
#include "format/jlreq_fold.h"
#include "format/line_end_rules.h"
#include "paragraph/block_end.h"
#include "text/text.h"

namespace lumo {

class JlreqMeasure final : public FoldMeasure {
public:
    // codes: the binder's own cache of each code's traits.
    JlreqMeasure(const CodePage &cp, JlreqCodes &codes, jlreq::Level level, uint32_t tab_width)
        : cp_(cp), codes_(codes), level_(level), tab_width_(tab_width) {}

    uint64_t Width(const BlockLine &line) const override;
    bool Fits(uint64_t width, const BlockLine &line, const char *rest, uint32_t fold_column) const override;

    // The traits of the character at p of line, the settings' sets included.
    jlreq::Traits TraitsAt(const BlockLine &line, const char *p) const;

private:
    const CodePage &cp_;
    JlreqCodes &codes_;
    jlreq::Level level_;
    uint32_t tab_width_;
};

}  // namespace lumo
