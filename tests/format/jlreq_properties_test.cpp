// Properties of the Japanese line-break rules over random lines of mixed
// Japanese and English, at every level, with and without hanging:
// - no segment is wider than the columns but for its trailing spaces, one
//   hanging mark, or a single run (or character) that is wider than a line;
// - no segment but the first begins with a space, and the segments cover
//   the line;
// - the search gives what a plain quadratic reading of the rules gives
//   (the last allowed place that fits, else the documented fallback);
// - windows of random sizes, with the settled units dropped, give the same
//   segments as the whole line at once;
// - binding the segments back (JoinAcross) restores the line wherever the
//   rules, not the width, chose the break.
#include "format/jlreq_break.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "format/jlreq_join.h"
#include "support/jlreq_random_text.h"
#include "support/jlreq_text.h"

namespace {

using lumo::jlreq::BreakAnswer;
using lumo::jlreq::BreakOutcome;
using lumo::jlreq::BreakRules;
using lumo::jlreq::BreakUnit;
using lumo::jlreq::KindOf;
using lumo::jlreq::Level;
using lumo::jlreq::Traits;
namespace trait = lumo::jlreq::trait;
using lumo_test::Segment;

constexpr int kLines = 3000;

bool IsSpace(const BreakUnit &u) { return KindOf(u.traits) == trait::kSpace; }
bool IsWord(const BreakUnit &u) { return KindOf(u.traits) == trait::kWord; }

uint64_t Advance(const BreakRules &rules, const BreakUnit &u, uint64_t column) {
    if (u.code_point != '\t') return u.width;
    if (rules.tab_width == 0) return 1;
    return rules.tab_width - column % rules.tab_width;
}

// Columns of units [begin, end) from column 0, and the same without the
// spaces at their end.
struct Width {
    uint64_t all = 0;
    uint64_t text = 0;
};
Width WidthOf(const std::vector<BreakUnit> &units, size_t begin, size_t end, const BreakRules &rules) {
    Width w;
    for (size_t i = begin; i < end; ++i) {
        w.all += Advance(rules, units[i], w.all);
        if (!IsSpace(units[i])) w.text = w.all;
    }
    return w;
}

// The rules read plainly, in quadratic time, for the segment at start.
BreakAnswer Reference(const std::vector<BreakUnit> &units, size_t start, const BreakRules &rules, uint64_t columns) {
    const size_t n = units.size();
    size_t lead = start;
    while (lead < n && IsSpace(units[lead])) ++lead;
    if (lead == n || WidthOf(units, start, n, rules).text <= columns) return {BreakOutcome::kLineEnd, n, 0};
    const auto allowed = [&](size_t place) {
        size_t before = place - 1;
        while (IsSpace(units[before])) --before;
        return lumo::jlreq::MayBreakBetween(rules.level, units[before].traits, units[place].traits,
                                            before + 1 < place);
    };
    const auto overlong = [&](size_t from) {  // a run from `from` wider than a line
        size_t q = from + 1;
        while (IsWord(units[from]) && q < n && IsWord(units[q])) ++q;
        bool hung = false;
        if (q < n && rules.hang && (units[q].traits & trait::kHangs)) {
            ++q;
            hung = true;
        }
        while (q < n && IsSpace(units[q])) ++q;
        if (q == n) return BreakAnswer{BreakOutcome::kLineEnd, n, 0};
        return BreakAnswer{!allowed(q) ? BreakOutcome::kGiveWay : hung ? BreakOutcome::kHang : BreakOutcome::kAllowed,
                           q, 0};
    };
    // The fold: the first unit, not a space, that ends past the columns.
    size_t fold = lead;
    while (IsSpace(units[fold]) || WidthOf(units, start, fold + 1, rules).text <= columns) ++fold;
    // What fits nowhere behind the segment's indent, if any, stays on the
    // line whole, as a run longer than a line does.
    if (fold == lead) return overlong(lead);
    if (rules.hang && (units[fold].traits & trait::kHangs) && WidthOf(units, start, fold, rules).all <= columns) {
        size_t after = fold + 1;
        while (after < n && IsSpace(units[after])) ++after;
        if (after == n) return {BreakOutcome::kLineEnd, n, 0};
        if (allowed(after)) return {BreakOutcome::kHang, after, 0};
    }
    for (size_t place = fold; place > lead; --place) {
        if (!IsSpace(units[place]) && allowed(place)) return {BreakOutcome::kAllowed, place, 0};
    }
    if (!IsWord(units[fold])) return {BreakOutcome::kGiveWay, fold, 0};
    size_t run = fold;
    while (run > lead && IsWord(units[run - 1])) --run;
    if (run > lead) return {BreakOutcome::kGiveWay, run, 0};
    return overlong(lead);
}

// A line folded in windows of random sizes from the random source; settled
// units are dropped, and the units before each window are replaced by
// garbage, so that a search that reads them shows it.
std::vector<Segment> FoldInWindows(const std::vector<BreakUnit> &units, const BreakRules &rules, uint64_t columns,
                                   lumo_test::RandomJapaneseLine *random) {
    std::vector<Segment> segments;
    size_t start = 0;
    while (start < units.size()) {
        lumo::jlreq::SegmentSearch search(columns, 0);
        uint64_t first = 0;
        uint64_t end = 0;
        uint64_t last_keep = 0;
        BreakAnswer answer{};
        for (;;) {
            end = std::min<uint64_t>(units.size() - start, end + 1 + random->Below(12));
            const size_t pad = 1 + random->Below(4);
            std::vector<BreakUnit> held(pad);
            for (BreakUnit &g : held) g = {'g', 2, static_cast<Traits>(random->Below(0x10000))};
            held.insert(held.end(), units.begin() + static_cast<ptrdiff_t>(start + first),
                        units.begin() + static_cast<ptrdiff_t>(start + end));
            const bool goes_on = start + end < units.size();
            answer = search.Search(rules, {held.data() + pad, static_cast<size_t>(end - first), first, goes_on});
            if (answer.outcome != BreakOutcome::kNeedMore) break;
            EXPECT_TRUE(goes_on) << "more asked of a line that has no more";
            EXPECT_GE(answer.keep, last_keep);
            EXPECT_LE(answer.keep, end);
            last_keep = answer.keep;
            first = first + random->Below(static_cast<uint32_t>(answer.keep - first + 1));  // drop some settled units
        }
        const size_t stop = start + static_cast<size_t>(answer.next);
        segments.push_back({start, stop, answer.outcome});
        if (answer.outcome == BreakOutcome::kLineEnd || stop <= start) break;
        start = stop;
    }
    return segments;
}

struct Case {
    std::vector<uint32_t> cps;
    std::vector<BreakUnit> units;
    BreakRules rules;
    uint64_t columns;
};

template <typename Check>
void ForRandomLines(uint32_t seed, Check check) {
    lumo_test::RandomJapaneseLine random(seed);
    for (int i = 0; i < kLines; ++i) {
        Case c;
        c.cps = lumo_test::CodePoints(random.Make(10 + random.Below(150)));
        c.units = lumo_test::UnitsOf(c.cps);
        c.rules.level = static_cast<Level>(random.Below(3));
        c.rules.hang = random.Below(2) == 1;
        c.rules.tab_width = random.Below(5) == 0 ? 0 : 8;
        c.columns = 1 + random.Below(40);
        SCOPED_TRACE("line " + std::to_string(i) + " at " + std::to_string(c.columns) + " columns, level " +
                     std::to_string(static_cast<int>(c.rules.level)) + (c.rules.hang ? ", hanging: " : ": ") +
                     lumo_test::Utf8(c.cps, 0, c.cps.size()));
        check(c, random);
        if (::testing::Test::HasFailure()) return;
    }
}

TEST(JlreqProperties, SegmentsFitTheColumns) {
    ForRandomLines(1, [](const Case &c, lumo_test::RandomJapaneseLine &) {
        const auto segments = lumo_test::FoldLine(c.units, c.rules, c.columns);
        size_t covered = 0;
        for (size_t s = 0; s < segments.size(); ++s) {
            const Segment &seg = segments[s];
            ASSERT_EQ(seg.begin, covered);
            ASSERT_LT(seg.begin, seg.end);
            covered = seg.end;
            if (s > 0) {
                EXPECT_FALSE(IsSpace(c.units[seg.begin])) << "segment " << s << " begins with a space";
            }
            // Trailing spaces count for nothing.
            size_t end = seg.end;
            while (end > seg.begin && IsSpace(c.units[end - 1])) --end;
            size_t lead = seg.begin;
            while (lead < end && IsSpace(c.units[lead])) ++lead;
            // One unit, or one run of letters, after any leading spaces.
            const auto one_run = [&](size_t stop) {
                for (size_t i = lead + 1; i < stop; ++i) {
                    if (!IsWord(c.units[i]) || !IsWord(c.units[lead])) return false;
                }
                return true;
            };
            if (WidthOf(c.units, seg.begin, end, c.rules).text <= c.columns || one_run(end)) continue;
            // One 、 or 。 may hang after what fits, or after such a run.
            const bool hangs = c.rules.hang && end > lead + 1 && (c.units[end - 1].traits & trait::kHangs);
            EXPECT_TRUE(hangs && (WidthOf(c.units, seg.begin, end - 1, c.rules).all <= c.columns || one_run(end - 1)))
                << "segment " << s << " is too wide: " << lumo_test::Utf8(c.cps, seg.begin, seg.end);
        }
        EXPECT_EQ(covered, c.units.size());
    });
}

TEST(JlreqProperties, SearchAgreesWithAPlainReading) {
    ForRandomLines(2, [](const Case &c, lumo_test::RandomJapaneseLine &) {
        for (const Segment &seg : lumo_test::FoldLine(c.units, c.rules, c.columns)) {
            const BreakAnswer want = Reference(c.units, seg.begin, c.rules, c.columns);
            ASSERT_EQ(seg.end, want.next) << "segment at " << seg.begin;
            ASSERT_EQ(seg.outcome, want.outcome) << "segment at " << seg.begin;
        }
    });
}

TEST(JlreqProperties, WindowsGiveTheSameSegments) {
    ForRandomLines(3, [](const Case &c, lumo_test::RandomJapaneseLine &random) {
        const auto whole = lumo_test::FoldLine(c.units, c.rules, c.columns);
        const auto windowed = FoldInWindows(c.units, c.rules, c.columns, &random);
        ASSERT_EQ(whole.size(), windowed.size());
        for (size_t s = 0; s < whole.size(); ++s) {
            EXPECT_EQ(whole[s].end, windowed[s].end) << "segment " << s;
            EXPECT_EQ(whole[s].outcome, windowed[s].outcome) << "segment " << s;
        }
    });
}

// Where the rules chose the break, binding removes it or it sits after a
// space; only loose's split of two narrow inseparable characters (―|―)
// comes back with a space.
TEST(JlreqProperties, BindingRestoresTheLine) {
    ForRandomLines(4, [](const Case &c, lumo_test::RandomJapaneseLine &) {
        const auto segments = lumo_test::FoldLine(c.units, c.rules, c.columns);
        for (size_t s = 0; s + 1 < segments.size(); ++s) {
            if (segments[s].outcome == BreakOutcome::kGiveWay) continue;
            const Traits before = c.units[segments[s].end - 1].traits;
            const Traits after = c.units[segments[s].end].traits;
            const bool narrow_pair = (before & after & trait::kInseparable) != 0 && KindOf(before) != trait::kWide &&
                                     KindOf(after) != trait::kWide;
            EXPECT_EQ(lumo::jlreq::JoinAcross(before, after) == lumo::jlreq::SegmentJoin::kRemove, !narrow_pair)
                << "break after segment " << s;
        }
    });
}

}  // namespace
