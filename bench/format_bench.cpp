// Throughput of LumoMultiLines (each preset; hanging, word wrap only, fixed
// column) and of BindLines on each result, on the first 1 MiB of whole lines
// of the Shift-JIS file named by LUMOTEXT_CORPUS (scripts/make-corpus.sh),
// at fold column 70; without that file a generated text stands in. Where the
// library has UTF-8, LumoMultiLinesUtf8 and BindLinesUtf8 on the same text
// in UTF-8, with the settings' texts converted.
#include <benchmark/benchmark.h>

#include <cstring>
#include <string>
#include <vector>

#include "lumotext.h"
#include "sample_text.h"
#include "settings/presets.h"
#include "support/utf8.h"

namespace {

const std::string &Text() { return lumo_bench::SampleText(); }

using lumo::Records;

// The settings measured: the presets, and preset 2 with one thing changed.
struct Setting {
    const char *name;
    int32_t preset;
    void (*change)(Records *);
};

const Setting kSettings[] = {
    {"preset0", 0, nullptr},
    {"preset1", 1, nullptr},
    {"preset2", 2, nullptr},
    {"hanging", 2, [](Records *r) { r->fold.wraptype = (r->fold.wraptype & ~WRAP_PUSH_OUT) | WRAP_HANG; }},
    {"wordwrap_only", 2, [](Records *r) { r->fold.tailwrap_flag = TAIL_WORDWRAP; }},
    {"fixed_column", 2,
     [](Records *r) {
         r->indent.styles = STYLE_INDENT | STYLE_FIXED_COLUMN;
         r->indent.sub_styles = 0;
         r->indent.fixed_indent_column = 4;
     }},
};

Records RecordsFor(const Setting &setting) {
    Records r;
    lumo::FillIndentPreset(&r.indent, setting.preset);
    lumo::FillFoldPreset(&r.fold, setting.preset);
    lumo::FillHeaderPreset(&r.header, setting.preset);
    r.fold.foldnum = 70;
    if (setting.change != nullptr) setting.change(&r);
    return r;
}

#ifdef LUMOTEXT_UNICODE
const std::string &Utf8Text() {
    static const std::string text = lumo_test::Utf8Of(Text()).value_or(std::string());
    return text;
}

Records Utf8Records(const Setting &setting) {
    Records r = RecordsFor(setting);
    lumo_test::ConvertRecord(&r.indent);
    lumo_test::ConvertRecord(&r.fold);
    lumo_test::ConvertRecord(&r.header);
    return r;
}
#endif

using FormatCall = int32_t (*)(FormatRequest *, IndentSettings *, FoldSettings *, HeaderSettings *);
using BindCall = int32_t (*)(LineJob *, IndentSettings *);

// One encoding's entries, text and records.
struct Encoding {
    const char *name;
    FormatCall format;
    BindCall bind;
    const std::string &(*text)();
    Records (*records)(const Setting &);
};

int32_t BindCp932(LineJob *job, IndentSettings *indent) { return BindLines(job, indent); }
int32_t FormatCp932(FormatRequest *request, IndentSettings *indent, FoldSettings *fold, HeaderSettings *header) {
    return LumoMultiLines(request, indent, fold, header);
}

const Encoding kEncodings[] = {
    {"", FormatCp932, BindCp932, Text, RecordsFor},
#ifdef LUMOTEXT_UNICODE
    {"Utf8", LumoMultiLinesUtf8, BindLinesUtf8, Utf8Text, Utf8Records},
#endif
};

// The text folded with the setting, as BindLines gets it.
std::string Folded(const Encoding &encoding, Records r) {
    const std::string &text = encoding.text();
    std::vector<char> output(text.size() * 2 + 1024);
    FormatRequest request{FORMAT_REQUEST_SIZE, text.c_str(), output.data(), static_cast<uint32_t>(output.size()),
                          8, 80};
    if (encoding.format(&request, &r.indent, &r.fold, &r.header) != FORMAT_DONE) return {};
    return output.data();
}

void FormatBench(benchmark::State &state, const Encoding &encoding, const Setting &setting) {
    const std::string &text = encoding.text();
    Records r = encoding.records(setting);
    std::vector<char> output(text.size() * 2 + 1024);
    FormatRequest request{FORMAT_REQUEST_SIZE, text.c_str(), output.data(), static_cast<uint32_t>(output.size()),
                          8, 80};
    for (auto _ : state) {
        if (encoding.format(&request, &r.indent, &r.fold, &r.header) != FORMAT_DONE) {
            state.SkipWithError("formatting failed");
            break;
        }
        benchmark::DoNotOptimize(output.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(text.size()));
}

void BindBench(benchmark::State &state, const Encoding &encoding, const Setting &setting) {
    Records r = encoding.records(setting);
    const std::string folded = Folded(encoding, r);
    if (folded.empty()) {
        state.SkipWithError("formatting failed");
        return;
    }
    std::vector<char> output(folded.size() + 1);
    for (auto _ : state) {
        LineJob job{};
        job.record_size = LINE_JOB_SIZE;
        job.text = folded.c_str();
        job.output = output.data();
        job.capacity = static_cast<uint32_t>(output.size());
        job.newline = NEWLINE_CRLF;
        encoding.bind(&job, &r.indent);
        benchmark::DoNotOptimize(output.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(folded.size()));
}

}  // namespace

int main(int argc, char **argv) {
    for (const Encoding &encoding : kEncodings) {
        for (const Setting &setting : kSettings) {
            benchmark::RegisterBenchmark((std::string("LumoMultiLines") + encoding.name + "/" + setting.name).c_str(),
                                         FormatBench, encoding, setting)
                ->Unit(benchmark::kMillisecond);
        }
        for (const Setting &setting : kSettings) {
            benchmark::RegisterBenchmark((std::string("BindLines") + encoding.name + "/" + setting.name).c_str(),
                                         BindBench, encoding, setting)
                ->Unit(benchmark::kMillisecond);
        }
    }
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
