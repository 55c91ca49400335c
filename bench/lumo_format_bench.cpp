// Throughput of lumo_format, the engine's one-call entry, on the benchmarks'
// sample (1 MiB of whole lines, bench/sample_text.h) at fold column 70: in
// Shift-JIS and in UTF-8 (the same text converted), with the default
// (normal) rules and the classic rules. Each call allocates its output and
// the benchmark frees it, as a program calling the library does.
#include <benchmark/benchmark.h>

#include <string>

#include "lumo.h"
#include "sample_text.h"
#include "support/utf8.h"

namespace {

const std::string &Utf8Sample() {
    static const std::string text = lumo_test::Utf8Of(lumo_bench::SampleText()).value_or(std::string());
    return text;
}

void LumoFormat(benchmark::State &state, lumo_encoding encoding, lumo_rules rules) {
    const std::string &text = encoding == LUMO_UTF8 ? Utf8Sample() : lumo_bench::SampleText();
    if (text.empty()) {
        state.SkipWithError("the sample has no UTF-8 form");
        return;
    }
    lumo_options options;
    lumo_options_init(&options);
    options.encoding = encoding;
    options.rules = rules;
    options.fold = 70;
    for (auto _ : state) {
        char *out = nullptr;
        size_t length = 0;
        lumo_error error;
        if (lumo_format(text.data(), text.size(), &options, &out, &length, &error) != LUMO_OK) {
            state.SkipWithError(error.message);
            break;
        }
        benchmark::DoNotOptimize(out);
        lumo_free(out);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(text.size()));
}

BENCHMARK_CAPTURE(LumoFormat, utf8_normal, LUMO_UTF8, LUMO_RULES_NORMAL)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(LumoFormat, utf8_classic, LUMO_UTF8, LUMO_RULES_CLASSIC)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(LumoFormat, sjis_normal, LUMO_CP932, LUMO_RULES_NORMAL)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(LumoFormat, sjis_classic, LUMO_CP932, LUMO_RULES_CLASSIC)->Unit(benchmark::kMillisecond);

}  // namespace
