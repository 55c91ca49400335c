// Throughput of the Japanese line-break rules' segment search on the
// benchmarks' sample, split into lines and folded at 70 columns:
// JlreqSearch with the lines' units made beforehand, JlreqClassifyAndSearch
// making them per line from UTF-8 as an engine would (decoding, the
// character model's entry, Classify). One unit per code point (the sample has
// no combining marks). MB/s count the bytes of the Shift-JIS sample.
#ifdef LUMOTEXT_UNICODE

#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "format/jlreq_break.h"
#include "format/jlreq_classes.h"
#include "sample_text.h"
#include "support/utf8.h"
#include "text/unicode_data.h"
#include "text/utf8.h"

namespace {

using lumo::jlreq::BreakOutcome;
using lumo::jlreq::BreakRules;
using lumo::jlreq::BreakUnit;
using lumo::jlreq::Level;

constexpr uint64_t kColumns = 70;

// The sample's lines in UTF-8, terminators left out.
const std::vector<std::string> &Lines() {
    static const std::vector<std::string> lines = [] {
        std::vector<std::string> out;
        const std::string utf8 = lumo_test::Utf8Of(lumo_bench::SampleText()).value_or(std::string());
        size_t start = 0;
        while (start < utf8.size()) {
            size_t end = utf8.find('\n', start);
            if (end == std::string::npos) end = utf8.size();
            size_t stop = end;
            if (stop > start && utf8[stop - 1] == '\r') --stop;
            out.push_back(utf8.substr(start, stop - start));
            start = end + 1;
        }
        return out;
    }();
    return lines;
}

// Appends the units of one UTF-8 line.
void AppendUnits(const lumo::text::UnicodeData &data, const std::string &line, std::vector<BreakUnit> *units) {
    const char *p = line.data();
    const char *end = p + line.size();
    while (p < end) {
        const lumo::text::Decoded d = lumo::text::DecodeUtf8(p, end);
        const lumo::text::CodePointInfo info = data.Info(d.code_point);
        // Field by field: a unit put together on the stack and copied whole
        // stalls on the copy's read of its narrow fields.
        BreakUnit &unit = units->emplace_back();
        unit.code_point = d.code_point;
        unit.width = static_cast<uint16_t>(info.Width(lumo::text::Ambiguous::kCp932));
        unit.traits = lumo::jlreq::Classify(d.code_point, info);
        p += d.length;
    }
}

// Folds one line; the number of segments.
size_t FoldLine(const BreakUnit *units, size_t count, const BreakRules &rules) {
    size_t segments = 1;
    size_t start = 0;
    for (;;) {
        lumo::jlreq::SegmentSearch search(kColumns, 0);
        const auto answer = search.Search(rules, {units + start, count - start, 0, false});
        if (answer.outcome == BreakOutcome::kLineEnd) return segments;
        start += static_cast<size_t>(answer.next);
        ++segments;
    }
}

BreakRules RulesOf(Level level, bool hang) {
    BreakRules rules;
    rules.level = level;
    rules.hang = hang;
    return rules;
}

void JlreqSearch(benchmark::State &state, Level level, bool hang) {
    const lumo::text::UnicodeData *data = lumo::text::UnicodeData::Get();
    if (data == nullptr) {
        state.SkipWithError("no character model");
        return;
    }
    std::vector<BreakUnit> units;
    std::vector<size_t> starts{0};
    for (const std::string &line : Lines()) {
        AppendUnits(*data, line, &units);
        starts.push_back(units.size());
    }
    const BreakRules rules = RulesOf(level, hang);
    for (auto _ : state) {
        size_t segments = 0;
        for (size_t i = 0; i + 1 < starts.size(); ++i) {
            segments += FoldLine(units.data() + starts[i], starts[i + 1] - starts[i], rules);
        }
        benchmark::DoNotOptimize(segments);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                            static_cast<int64_t>(lumo_bench::SampleText().size()));
}

void JlreqClassifyAndSearch(benchmark::State &state, Level level, bool hang) {
    const lumo::text::UnicodeData *data = lumo::text::UnicodeData::Get();
    if (data == nullptr) {
        state.SkipWithError("no character model");
        return;
    }
    const std::vector<std::string> &lines = Lines();
    const BreakRules rules = RulesOf(level, hang);
    std::vector<BreakUnit> units;
    for (auto _ : state) {
        size_t segments = 0;
        for (const std::string &line : lines) {
            units.clear();
            AppendUnits(*data, line, &units);
            segments += FoldLine(units.data(), units.size(), rules);
        }
        benchmark::DoNotOptimize(segments);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                            static_cast<int64_t>(lumo_bench::SampleText().size()));
}

BENCHMARK_CAPTURE(JlreqSearch, normal, Level::kNormal, false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(JlreqSearch, strict, Level::kStrict, false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(JlreqSearch, loose, Level::kLoose, false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(JlreqSearch, normal_hanging, Level::kNormal, true)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(JlreqClassifyAndSearch, normal, Level::kNormal, false)->Unit(benchmark::kMillisecond);

}  // namespace

#endif  // LUMOTEXT_UNICODE
