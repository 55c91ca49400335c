// In-memory ends for the streaming pipeline in tests: a source that hands
// its bytes out in reads of sizes a test chooses (so that characters and CR
// LF pairs fall across reads), a sink that collects, and random texts.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <iterator>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "byte_streams.h"
#include "encoding.h"
#include "piece_reader.h"
#include "stream_pipeline.h"

namespace lumo::cli::testing {

class MemorySource final : public ByteSource {
public:
    MemorySource(std::string data, uint32_t seed, size_t max_read)
        : data_(std::move(data)), random_(seed), max_read_(max_read) {}
    long long Read(char *out, size_t size, std::string *) override {
        size_t n = std::uniform_int_distribution<size_t>(1, max_read_)(random_);
        n = std::min({n, size, data_.size() - at_});
        data_.copy(out, n, at_);
        at_ += n;
        return static_cast<long long>(n);
    }
    // Sometimes a slow writer: lines go on as soon as a read comes short.
    bool MoreWaiting() override { return random_() % 3 != 0; }

private:
    std::string data_;
    size_t at_ = 0;
    std::mt19937 random_;
    size_t max_read_;
};

class MemorySink final : public ByteSink {
public:
    explicit MemorySink(std::string *data) : data_(data) {}
    bool Write(std::string_view bytes, std::string *) override {
        data_->append(bytes);
        return true;
    }
    bool Commit(std::string *) override {
        committed = true;
        return true;
    }
    bool committed = false;

private:
    std::string *data_;
};

// Random UTF-8 text of the kinds of lines the classification knows (item
// marks, indents, quotation and emphasis marks, scenario names, words,
// closing punctuation), with every kind of line end, empty lines and
// sometimes no final line end.
inline std::string RandomDocument(std::mt19937 *random, size_t lines) {
    static const char *const kHeads[] = {"", "", "", "　", "・", "1. ", "> ", "#", "係員　", "  ", "\t"};
    static const char *const kBits[] = {"あ", "星", "。", "、", "「", "」", "（", "）", "word", "12345",
                                        " ", "ｶﾅ", "-"};
    static const char *const kEnds[] = {"\n", "\n", "\r\n", "\r"};
    auto pick = [&](size_t n) { return std::uniform_int_distribution<size_t>(0, n - 1)(*random); };
    std::string text;
    for (size_t line = 0; line < lines; ++line) {
        if (pick(6) != 0) {
            text += kHeads[pick(std::size(kHeads))];
            const size_t length = pick(60);
            for (size_t i = 0; i < length; ++i) text += kBits[pick(std::size(kBits))];
        }
        if (line + 1 < lines || pick(3) != 0) text += kEnds[pick(std::size(kEnds))];
    }
    return text;
}

inline std::string ToCp932(const std::string &utf8) {
    std::string error;
    const std::unique_ptr<Cp932Codec> codec = Cp932Codec::Open(&error);
    std::string out;
    if (codec == nullptr || !codec->FromUtf8(utf8, &out)) ADD_FAILURE() << "cannot convert " << utf8;
    return out;
}

inline std::string ToUtf8(const std::string &cp932) {
    std::string error;
    const std::unique_ptr<Cp932Codec> codec = Cp932Codec::Open(&error);
    std::string out;
    if (codec == nullptr || !codec->ToUtf8(cp932, &out)) ADD_FAILURE() << "cannot convert back";
    return out;
}

}  // namespace lumo::cli::testing
