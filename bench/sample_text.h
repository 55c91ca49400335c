// The benchmarks' sample: the first 1 MiB of whole lines of the Shift-JIS
// file named by LUMOTEXT_CORPUS (scripts/make-corpus.sh); without that file a
// generated paragraph of kana, kanji, punctuation and ASCII words stands in.
#pragma once

#include <cstddef>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

namespace lumo_bench {

constexpr size_t kSampleBytes = size_t{1} << 20;

inline std::string GeneratedText() {
    const std::string sentence =
        "\x81\x40\x82\xb1\x82\xea\x82\xcd\x93\xfa\x96\x7b\x8c\xea\x82\xcc\x95\xb6\x8f\xcd"
        "\x82\xc5\x82\xb7\x81\x42Lumotext formats text "
        "\x82\xf0\x90\xae\x8c\x60\x82\xb5\x82\xdc\x82\xb7\x81\x42\x81\x75\x8b\xd6\x91\xa5"
        "\x81\x76\x82\xe0\x8e\xe7\x82\xe8\x82\xdc\x82\xb7\x81\x42";
    std::string text;
    while (text.size() < kSampleBytes) {
        for (int i = 0; i < 6; ++i) text += sentence;
        text += "\r\n";
    }
    return text;
}

inline const std::string &SampleText() {
    static const std::string text = [] {
        if (const char *path = std::getenv("LUMOTEXT_CORPUS")) {
            std::ifstream in(path, std::ios::binary);
            std::ostringstream data;
            data << in.rdbuf();
            std::string corpus = data.str();
            if (corpus.size() > kSampleBytes) {
                const size_t end = corpus.rfind('\n', kSampleBytes);
                corpus.resize(end == std::string::npos ? kSampleBytes : end + 1);
            }
            if (in && !corpus.empty()) return corpus;
        }
        return GeneratedText();
    }();
    return text;
}

}  // namespace lumo_bench
