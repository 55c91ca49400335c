// The segment search of the Japanese line-break rules. Going forward it only
// adds up columns; at the fold column it steps back to the last place the
// rules allow (push-out, however far), or hangs a 、 or 。, or, when no place
// up to the fold column may end the line, lets one rule give way: a run of
// letters then stands whole, before or on its own line, and anything else is
// cut at the fold column.
#include "format/jlreq_break.h"

namespace lumo::jlreq {
namespace {

using namespace trait;

bool IsSpace(Traits traits) { return KindOf(traits) == kSpace; }

const BreakUnit &UnitAt(const BreakWindow &window, uint64_t index) {
    return window.units[index - window.first];
}

}  // namespace

uint64_t SegmentSearch::SpaceWidth(const BreakRules &rules, const BreakUnit &unit, uint64_t column) const {
    if (unit.code_point != '\t') return unit.width;
    if (rules.tab_width == 0) return 1;
    return rules.tab_width - (start_column_ + column) % rules.tab_width;
}

// Spaces and wide characters share a bit of the kind: the two next to which
// a line may break.
constexpr Traits kSpaceOrWide = 0x1000;
static_assert((kSpace & kWide & kSpaceOrWide) != 0 && ((kWord | kOther) & kSpaceOrWide) == 0, "kinds");

// The last place in (lead_, fold] where the rules let the line break, or 0.
// Every place before fold fits; spaces before a place end the earlier line.
uint64_t SegmentSearch::BestBefore(const BreakRules &rules, const BreakWindow &window, uint64_t fold) const {
    const auto traits_at = [&window](uint64_t index) { return window.units[index - window.first].traits; };
    uint64_t place = fold;
    Traits after = traits_at(place);
    for (;;) {
        uint64_t before = place - 1;
        Traits traits = traits_at(before);
        if (!(after & (kSpaceOrWide | kInseparable))) {
            // Between two characters that are neither wide nor spaces nor
            // both inseparable nothing opens: runs of letters are crossed
            // here.
            while (!(traits & (kSpaceOrWide | kInseparable)) && before > lead_) traits = traits_at(--before);
            after = traits_at(before + 1);
        }
        place = before + 1;
        bool spaced = false;
        while (IsSpace(traits)) {  // lead_ is no space
            traits = traits_at(--before);
            spaced = true;
        }
        if (MayBreakBetween(rules.level, traits, after, spaced)) return place;
        if (before == lead_) return 0;  // no line of spaces alone
        place = before;
        after = traits;
    }
}

// What begins the line behind its indent (the spaces it begins with) fits
// nowhere behind them: it stays on the line with its indent, whole, as a run
// longer than the line would. Breaking after the indent would leave a line
// of spaces, and the next line, whose continuation prefix is as wide as the
// indent, would be no wider.
void SegmentSearch::AfterIndent(const BreakWindow &window) {
    mode_ = Mode::kOverlong;
    last_ = UnitAt(window, lead_).traits;
    pos_ = lead_ + 1;
}

// The unit at fold does not fit. True with the answer, or false when a run
// of letters that begins the segment goes on past the fold column.
bool SegmentSearch::Decide(const BreakRules &rules, const BreakWindow &window, uint64_t fold, BreakAnswer *answer) {
    const uint64_t best = BestBefore(rules, window, fold);
    if (best != 0) {
        *answer = {BreakOutcome::kAllowed, best, best};
        return true;
    }
    const Traits traits = UnitAt(window, fold).traits;
    if (KindOf(traits) != kWord) {
        *answer = {BreakOutcome::kGiveWay, fold, fold};
        return true;
    }
    // A run of letters, digits and ASCII symbols is never split: it goes to
    // the next line whole, or stands on its own when it begins this one.
    uint64_t run = fold;
    while (run > lead_ && KindOf(UnitAt(window, run - 1).traits) == kWord) --run;
    if (run > lead_) {
        *answer = {BreakOutcome::kGiveWay, run, run};
        return true;
    }
    // The run begins the segment, behind its indent if it has one: it stands
    // on the line whole.
    mode_ = Mode::kOverlong;
    last_ = traits;
    pos_ = fold + 1;
    return false;
}

// The hot loop: columns are added up until a unit that is not a space does
// not fit. Spaces never end the measuring: at a break they count for nothing.
bool SegmentSearch::Measure(const BreakRules &rules, const BreakWindow &window, BreakAnswer *answer) {
    const BreakUnit *unit = window.units + (pos_ - window.first);
    const BreakUnit *const stop = window.units + window.count;
    const uint64_t columns = columns_;
    uint64_t col = col_;
    if (lead_ == kNone) {
        while (unit != stop && (IsSpace(unit->traits) || col + unit->width <= label_)) {
            col += SpaceWidth(rules, *unit, col);
            ++unit;
        }
        col_ = col;
        pos_ = window.first + static_cast<uint64_t>(unit - window.units);
        if (unit == stop) return false;
        lead_ = pos_;
        if (col + unit->width > columns) {
            // The first unit that is not a space is wider than the line, or
            // than what its indent leaves: it stands on the line whole, and
            // a run of letters it begins stays whole.
            AfterIndent(window);
            return false;
        }
    }
    for (; unit != stop; ++unit) {
        const uint64_t after = col + unit->width;
        if (after > columns || unit->code_point == '\t') {
            if (unit->code_point == '\t') {
                col += SpaceWidth(rules, *unit, col);
                continue;
            }
            if (!IsSpace(unit->traits)) break;
        }
        col = after;
    }
    col_ = col;
    pos_ = window.first + static_cast<uint64_t>(unit - window.units);
    if (unit == stop) return false;

    if (rules.hang && (unit->traits & kHangs) && col <= columns) {
        mode_ = Mode::kHangPending;
        fold_ = pos_;
        last_ = unit->traits;
        spaced_ = false;
        ++pos_;
        return false;
    }
    return Decide(rules, window, pos_, answer);
}

// A 、 or 。 hangs when the line may break after it (and the spaces after
// it); otherwise the break is pushed out in front of it.
bool SegmentSearch::AfterHang(const BreakRules &rules, const BreakWindow &window, BreakAnswer *answer) {
    const uint64_t end = window.first + window.count;
    for (; pos_ < end; ++pos_) {
        const Traits traits = UnitAt(window, pos_).traits;
        if (IsSpace(traits)) {
            spaced_ = true;
            continue;
        }
        if (MayBreakBetween(rules.level, last_, traits, spaced_)) {
            *answer = {BreakOutcome::kHang, pos_, pos_};
            return true;
        }
        mode_ = Mode::kMeasure;
        return Decide(rules, window, fold_, answer);
    }
    return false;
}

// Past the fold column in a run that begins the segment: the run, one
// hanging 、 or 。 right after it, and the spaces that follow stay on the
// line; the segment ends at the next unit, whether or not a rule allows it.
bool SegmentSearch::Overlong(const BreakRules &rules, const BreakWindow &window, BreakAnswer *answer) {
    const uint64_t end = window.first + window.count;
    for (; pos_ < end; ++pos_) {
        const Traits traits = UnitAt(window, pos_).traits;
        if (IsSpace(traits)) {
            mode_ = Mode::kOverlongSpaces;
            spaced_ = true;
            continue;
        }
        if (mode_ == Mode::kOverlong) {
            if (KindOf(traits) == kWord && KindOf(last_) == kWord) {
                last_ = traits;
                continue;
            }
            if (rules.hang && (traits & kHangs)) {
                mode_ = Mode::kOverlongSpaces;
                last_ = traits;
                hung_ = true;
                continue;
            }
        }
        const bool allowed = MayBreakBetween(rules.level, last_, traits, spaced_);
        const BreakOutcome outcome =
            !allowed ? BreakOutcome::kGiveWay : hung_ ? BreakOutcome::kHang : BreakOutcome::kAllowed;
        *answer = {outcome, pos_, pos_};
        return true;
    }
    return false;
}

BreakAnswer SegmentSearch::Search(const BreakRules &rules, const BreakWindow &window) {
    const uint64_t end = window.first + window.count;
    BreakAnswer answer{};
    while (pos_ < end) {
        bool done = false;
        switch (mode_) {
        case Mode::kMeasure: done = Measure(rules, window, &answer); break;
        case Mode::kHangPending: done = AfterHang(rules, window, &answer); break;
        case Mode::kOverlong:
        case Mode::kOverlongSpaces: done = Overlong(rules, window, &answer); break;
        }
        if (done) return answer;
    }
    if (!window.line_goes_on) return {BreakOutcome::kLineEnd, end, end};
    // What the search may still read, or return, begins at keep.
    const bool overlong = mode_ == Mode::kOverlong || mode_ == Mode::kOverlongSpaces;
    const uint64_t keep = (overlong || lead_ == kNone) ? pos_ : lead_;
    return {BreakOutcome::kNeedMore, pos_, keep};
}

}  // namespace lumo::jlreq
