// What the engine's tests share: the library's streams driven through the
// C API with parts of random sizes, random documents, and the reference
// that a streamed text must equal, built from the Windows-era entries line
// by line.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <iterator>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "lumo.h"
#include "paragraph/header.h"
#include "settings/presets.h"
#include "support/utf8.h"
#include "text/line_ends.h"
#include "text/text.h"

namespace lumo_engine_test {

// Whether two outputs are the same bytes; when not, where they part, with a
// little of each (a whole text of megabytes is no message).
inline ::testing::AssertionResult SameBytes(const std::string &got, const std::string &want) {
    if (got == want) return ::testing::AssertionSuccess();
    size_t at = 0;
    while (at < got.size() && at < want.size() && got[at] == want[at]) ++at;
    const size_t from = at > 40 ? at - 40 : 0;
    return ::testing::AssertionFailure() << "outputs of " << got.size() << " and " << want.size()
                                         << " bytes part at byte " << at << ":\n got: " << got.substr(from, 80)
                                         << "\nwant: " << want.substr(from, 80);
}

// What a stream made: its bytes, its result and error, and the warnings.
struct Streamed {
    std::string output;
    int result = LUMO_OK;
    lumo_error error{};
    std::vector<unsigned long long> warned;  // lines folded without their prefix
};

inline int Collect(void *context, const char *bytes, size_t length) {
    static_cast<Streamed *>(context)->output.append(bytes, length);
    return 0;
}

inline void Note(void *context, const lumo_error *warning) {
    static_cast<Streamed *>(context)->warned.push_back(warning->line);
}

// Feeds text to a new stream in parts of 1 to max_part bytes (max_part 0:
// all at once), flushing now and then, and finishes it.
inline Streamed Stream(lumo_mode mode, lumo_options options, const std::string &text, std::mt19937 *random,
                       size_t max_part) {
    Streamed s;
    options.warning = Note;
    options.warning_context = &s;
    lumo_stream *stream = lumo_stream_new(mode, &options, Collect, &s, &s.error);
    if (stream == nullptr) {
        s.result = s.error.code;
        return s;
    }
    size_t at = 0;
    while (s.result == LUMO_OK && at < text.size()) {
        size_t part = max_part == 0 ? text.size() : 1 + (*random)() % max_part;
        part = std::min(part, text.size() - at);
        s.result = lumo_stream_feed(stream, text.data() + at, part, &s.error);
        at += part;
        if (s.result == LUMO_OK && (*random)() % 7 == 0) s.result = lumo_stream_flush(stream, &s.error);
    }
    if (s.result == LUMO_OK) s.result = lumo_stream_finish(stream, &s.error);
    lumo_stream_free(stream);
    return s;
}

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

// The code page 932 form of UTF-8 text that code page 932 holds.
inline std::string Cp932Of(const std::string &utf8) {
    std::string out;
    for (size_t i = 0; i < utf8.size();) {
        const lumo::text::Decoded d = lumo::text::DecodeUtf8(utf8.data() + i, utf8.data() + utf8.size());
        const uint16_t code = lumo::text::Cp932Code(d.code_point);
        EXPECT_TRUE(code != 0 || d.code_point == 0) << "no code page 932 form at " << i;
        if (code > 0xFF) out += static_cast<char>(code >> 8);
        out += static_cast<char>(code & 0xFF);
        i += d.length;
    }
    return out;
}

inline std::string Utf8(const std::string &cp932) {
    const std::optional<std::string> utf8 = lumo_test::Utf8Of(cp932);
    EXPECT_TRUE(utf8.has_value());
    return utf8.value_or(std::string());
}

// One call of the Windows-era entry on text (code page 932, or UTF-8 with
// the records converted), as it has always formatted.
inline int32_t LibraryFormat(const std::string &text, const LumoRecords &records, lumo_encoding encoding,
                             uint32_t tab_width, std::string *out) {
    LumoRecords r = records;
    if (encoding == LUMO_UTF8) {
        EXPECT_TRUE(lumo_test::ConvertRecord(&r.indent) && lumo_test::ConvertRecord(&r.fold) &&
                    lumo_test::ConvertRecord(&r.header));
    }
    std::vector<char> buffer(text.size() * 8 + 4096);
    const std::string source = text;  // NUL-terminated
    FormatRequest request{FORMAT_REQUEST_SIZE, source.c_str(), buffer.data(), static_cast<uint32_t>(buffer.size()),
                          tab_width, 80};
    const int32_t result = encoding == LUMO_UTF8 ? lumo_test::FormatUtf8(&request, &r.indent, &r.fold, &r.header)
                                                 : LumoMultiLines(&request, &r.indent, &r.fold, &r.header);
    *out = result == FORMAT_DONE ? std::string(buffer.data()) : std::string();
    return result;
}

// What the engine must give for text: a byte order mark apart; the header
// block as it is; every line as the Windows-era entry folds it alone
// (without its prefix when the prefix fills the fold column, the line
// being named), and a last line without a line end without one.
struct Expected {
    std::string output;
    std::vector<unsigned long long> warned;
};

inline Expected Reference(const std::string &input, const LumoRecords &records, lumo_encoding encoding,
                          uint32_t tab_width, const char *newline = "\n") {
    Expected e;
    std::string text = input;
    if (encoding == LUMO_UTF8 && text.compare(0, 3, "\xEF\xBB\xBF") == 0) {
        e.output = "\xEF\xBB\xBF";
        text.erase(0, 3);
    }
    LumoRecords r = records;
    std::string header_settings_text;
    if (encoding == LUMO_UTF8) lumo_test::ConvertRecord(&r.header);
    const char *body = lumo::SkipHeader(text.c_str(), r.header);
    const size_t header = static_cast<size_t>(body - text.c_str());
    e.output += text.substr(0, header);
    unsigned long long line_number = 1 + lumo::CountLineEnds(text.data(), text.data() + header);
    LumoRecords alone = records;
    alone.header.lumoheader = 0;
    uint32_t kind = NEWLINE_NONE;
    const char *end = text.data() + text.size();
    for (const char *p = body; p < end; ++line_number) {
        const char *stop = lumo::FindLineEnd(p, end);
        const char *next = stop < end ? lumo::PassLineEnd(stop, end, &kind) : end;
        std::string line(p, next);
        const bool own = stop < end;
        // A last line without a line end folds as with the one in force,
        // which it then goes without; a text without any, with newline.
        if (!own && kind != NEWLINE_NONE) line += lumo::NewlineBytes(kind);
        std::string folded;
        int32_t result = LibraryFormat(line, alone, encoding, tab_width, &folded);
        if (result == FORMAT_NO_COLUMN) {
            LumoRecords plain = alone;
            plain.indent.styles &= ~STYLE_INDENT;
            result = LibraryFormat(line, plain, encoding, tab_width, &folded);
            e.warned.push_back(line_number);
        }
        EXPECT_EQ(result, FORMAT_DONE) << "line " << line_number;
        if (!own && kind != NEWLINE_NONE) {
            folded.resize(folded.size() - std::strlen(lumo::NewlineBytes(kind)));
        } else if (!own) {
            for (size_t at; (at = folded.find("\r\n")) != std::string::npos;) folded.replace(at, 2, newline);
        }
        e.output += folded;
        p = next;
    }
    return e;
}

// The records of a preset with a fold column, for lumo_options.records.
inline LumoRecords PresetRecords(int32_t preset, uint32_t fold) {
    LumoRecords r{};
    lumo::FillPreset(&r, preset, fold);
    return r;
}

// Options that fold as the Windows-era entries do (the classic rules).
inline lumo_options Options(const LumoRecords *records, lumo_encoding encoding, uint32_t tab_width) {
    lumo_options o;
    lumo_options_init(&o);
    o.rules = LUMO_RULES_CLASSIC;
    o.records = records;
    o.fold = records->fold.foldnum;
    o.tab = tab_width;
    o.encoding = encoding;
    return o;
}

}  // namespace lumo_engine_test
