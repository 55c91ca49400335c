// Measuring bound lines as the Japanese line-break rules folded them.
#include "format/jlreq_measure.h"

#include "format/jlreq_fold.h"
#include "text/columns.h"
#include "text/unicode_data.h"
#include "text/utf8.h"

namespace lumo {

jlreq::Traits JlreqMeasure::TraitsAt(const BlockLine &line, const char *p) const {
    const uint32_t code = cp_.CharCode(p);
    jlreq::Traits traits;
    if (codes_.Lookup(code, &traits)) return traits;
    const LineView view{line.text, static_cast<size_t>(line.stop - line.text), line.bytes,
                        line.image != nullptr ? line.image->offsets() : nullptr};
    return codes_.Of(CodePointAt(cp_, view, p), code);
}

// The spaces at a line's end count: they would stand between it and what
// follows, had folding left that on the line.
uint64_t JlreqMeasure::Width(const BlockLine &line) const { return Columns(line.text, line.stop, tab_width_); }

bool JlreqMeasure::Fits(uint64_t width, const BlockLine &line, const char *rest, uint32_t fold_column) const {
    // The run from rest to the first place where the line may break, its
    // spaces at the end not counted.
    uint64_t column = width;
    uint64_t run_end = width;
    jlreq::Traits before = 0;
    bool have_before = false;
    bool spaced = false;
    for (const char *p = rest; p < line.stop; p += cp_.CharLength(p)) {
        const jlreq::Traits traits = TraitsAt(line, p);
        if (jlreq::KindOf(traits) == jlreq::trait::kSpace) {
            spaced = have_before;
        } else {
            if (have_before && jlreq::MayBreakBetween(level_, before, traits, spaced)) break;
            before = traits;
            have_before = true;
            spaced = false;
        }
        column = *p == '\t' ? AfterTab(column, tab_width_) : column + cp_.CharLength(p);
        if (!spaced && jlreq::KindOf(traits) != jlreq::trait::kSpace) run_end = column;
        if (run_end > fold_column) return false;  // it only grows
    }
    return run_end <= fold_column;
}

}  // namespace lumo
