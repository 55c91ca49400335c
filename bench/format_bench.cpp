// Throughput of LumoMultiLines on a large Japanese text at fold column 70.
// The corpus is a Shift-JIS file named by LUMOTEXT_CORPUS (scripts/make-corpus.sh
// builds one from Debian's Japanese documentation); without it a generated
// text stands in.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "lumotext.h"
#include "settings/presets.h"

namespace {

std::string GeneratedText() {
    // A paragraph of kana, kanji, punctuation and ASCII words, repeated.
    const std::string sentence =
        "\x81\x40\x82\xb1\x82\xea\x82\xcd\x93\xfa\x96\x7b\x8c\xea\x82\xcc\x95\xb6\x8f\xcd"
        "\x82\xc5\x82\xb7\x81\x42Lumotext formats text "
        "\x82\xf0\x90\xae\x8c\x60\x82\xb5\x82\xdc\x82\xb7\x81\x42\x81\x75\x8b\xd6\x91\xa5"
        "\x81\x76\x82\xe0\x8e\xe7\x82\xe8\x82\xdc\x82\xb7\x81\x42";
    std::string text;
    while (text.size() < (8u << 20)) {
        for (int i = 0; i < 6; ++i) text += sentence;
        text += "\r\n";
    }
    return text;
}

const std::string &Corpus() {
    static const std::string text = [] {
        if (const char *path = std::getenv("LUMOTEXT_CORPUS")) {
            std::ifstream in(path, std::ios::binary);
            std::ostringstream data;
            data << in.rdbuf();
            if (in && !data.str().empty()) return data.str();
        }
        return GeneratedText();
    }();
    return text;
}

void FormatPreset(benchmark::State &state) {
    const std::string &text = Corpus();
    IndentSettings indent;
    FoldSettings fold;
    HeaderSettings header;
    const auto preset = static_cast<int32_t>(state.range(0));
    lumo::FillIndentPreset(&indent, preset);
    lumo::FillFoldPreset(&fold, preset);
    lumo::FillHeaderPreset(&header, preset);
    fold.foldnum = 70;
    std::vector<char> output(text.size() * 2 + 1024);
    FormatRequest request{FORMAT_REQUEST_SIZE, text.c_str(), output.data(),
                          static_cast<uint32_t>(output.size()), 8, 80};
    for (auto _ : state) {
        const int32_t result = LumoMultiLines(&request, &indent, &fold, &header);
        if (result != 0) state.SkipWithError("formatting failed");
        benchmark::DoNotOptimize(output.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(text.size()));
}
BENCHMARK(FormatPreset)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
