// Heap exhaustion, one allocation at a time: formatting returns -1 with the
// header and whole lines before the failing one, the clipboard commands keep
// the clipboard's text, and nothing allocated during a call stays allocated.
// Every heap request of the program reaches the counters below (see there).
#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <new>
#include <string>
#include <vector>

#include "lumotext.h"
#include "platform/clipboard.h"
#include "settings/presets.h"
#include "support/fold_settings.h"
#include "support/sjis.h"

extern "C" {
void *__real_malloc(size_t size);
void *__real_calloc(size_t count, size_t size);
void *__real_realloc(void *block, size_t size);
void __real_free(void *block);
void *__wrap_malloc(size_t size);
void *__wrap_calloc(size_t count, size_t size);
void *__wrap_realloc(void *block, size_t size);
void __wrap_free(void *block);
}

namespace {

// The counters. The program is linked with -Wl,--wrap=malloc,--wrap=calloc,
// --wrap=realloc,--wrap=free, so that the library's calls land in the
// __wrap_ functions below, and its operator new and delete go through malloc
// and free. While armed, every request is counted, the one numbered fail_at
// (from 1) fails, and every block handed out is remembered until it is
// freed, in a fixed table, since the bookkeeping must not allocate.
struct Heap {
    bool armed = false;
    long requests = 0;
    long fail_at = 0;
    static constexpr size_t kTable = 4096;
    void *live[kTable] = {};
    size_t live_count = 0;
    bool table_full = false;

    void Remember(void *block) {
        if (block == nullptr) return;
        if (live_count == kTable) {
            table_full = true;
            return;
        }
        live[live_count++] = block;
    }
    bool Forget(void *block) {
        for (size_t i = 0; i < live_count; ++i) {
            if (live[i] == block) {
                live[i] = live[--live_count];
                return true;
            }
        }
        return false;
    }
    // True when this request is to fail.
    bool Fails() { return armed && ++requests == fail_at; }
};

Heap heap;

}  // namespace

extern "C" {

void *__wrap_malloc(size_t size) {
    if (heap.Fails()) return nullptr;
    void *block = __real_malloc(size);
    if (heap.armed) heap.Remember(block);
    return block;
}

void *__wrap_calloc(size_t count, size_t size) {
    if (heap.Fails()) return nullptr;
    void *block = __real_calloc(count, size);
    if (heap.armed) heap.Remember(block);
    return block;
}

void *__wrap_realloc(void *block, size_t size) {
    if (heap.Fails()) return nullptr;  // the old block stays the caller's
    void *grown = __real_realloc(block, size);
    if (heap.armed && grown != nullptr) {
        // A block from before the call stays untracked wherever it moves.
        if (block == nullptr || heap.Forget(block)) heap.Remember(grown);
    }
    return grown;
}

void __wrap_free(void *block) {
    if (heap.armed) heap.Forget(block);
    __real_free(block);
}

}  // extern "C"

// Every new and delete of the program through malloc and free, so that the
// library's operator new is counted too (libstdc++'s own would call the
// unwrapped malloc).
void *operator new(size_t size) {
    void *block = std::malloc(size != 0 ? size : 1);
    if (block == nullptr) throw std::bad_alloc();
    return block;
}
void *operator new[](size_t size) { return operator new(size); }
void *operator new(size_t size, const std::nothrow_t &) noexcept { return std::malloc(size != 0 ? size : 1); }
void *operator new[](size_t size, const std::nothrow_t &) noexcept { return std::malloc(size != 0 ? size : 1); }
void operator delete(void *block) noexcept { std::free(block); }
void operator delete[](void *block) noexcept { std::free(block); }
void operator delete(void *block, size_t) noexcept { std::free(block); }
void operator delete[](void *block, size_t) noexcept { std::free(block); }
void operator delete(void *block, const std::nothrow_t &) noexcept { std::free(block); }
void operator delete[](void *block, const std::nothrow_t &) noexcept { std::free(block); }

namespace {

using lumo_test::Hex;
using lumo_test::Sjis;

// Arms the counters for the scope of one library call.
class Armed {
public:
    explicit Armed(long fail_at) {
        heap.requests = 0;
        heap.fail_at = fail_at;
        heap.live_count = 0;
        heap.table_full = false;
        heap.armed = true;
    }
    ~Armed() { heap.armed = false; }
    Armed(const Armed &) = delete;
    Armed &operator=(const Armed &) = delete;
};

struct Case {
    const char *name;
    std::string source;
    IndentSettings indent;
    FoldSettings fold;
    HeaderSettings header;
};

IndentSettings Preset(int32_t preset) {
    IndentSettings indent{};
    lumo::FillIndentPreset(&indent, preset);
    return indent;
}

std::vector<Case> Cases() {
    using lumo_fold::Fold;
    std::string many_lines;
    for (int i = 0; i < 6; ++i) many_lines += Sjis("・項目の説明がとても長く続きます。まだ続きます。\r\n");
    std::string outgrowing;
    for (int i = 0; i < 8; ++i) outgrowing += std::string(23, 'a') + std::string(21, ')');
    outgrowing = "short line\r\n" + outgrowing + "\r\nend\r\n";
    return {
        {"header, quoted line kept, body",
         Sjis("件名\r\n\r\n> 引用は整形しないで残します。引用は整形しないで残します。\r\n本文の一行目です。本文の一行目です。\r\n"
              "二行目"),
         Preset(1), Fold(12), lumo_fold::HeaderToEmptyLine()},
        {"itemised lines", many_lines, Preset(2), Fold(16), lumo_fold::NoHeader()},
        // Push-out runs back over the parentheses, word wrap takes the word
        // back further: segments shorter than the estimate assumes, so the
        // line's work buffer must grow.
        {"a line that outgrows its estimate", outgrowing, lumo_fold::NoIndent(), Fold(40).Left(20),
         lumo_fold::NoHeader()},
        {"tabs and empty lines", "\t\ta\tb\r\n\r\n\n\t\t\t\t\t\t\t\t\tz\n", lumo_fold::NoIndent(),
         Fold(9).Off(), lumo_fold::NoHeader()},
    };
}

struct Outcome {
    int32_t result;
    std::string output;  // up to its NUL; "<untouched>" when nothing was written
    FoldSettings fold;
};

constexpr char kUntouched[] = "<untouched>";

Outcome Format(const Case &c, const std::string &source, long fail_at, long *requests = nullptr,
               size_t *leaked = nullptr) {
    std::vector<char> output(source.size() * 300 + 64, '\xBD');
    IndentSettings indent = c.indent;
    Outcome o{0, "", c.fold};
    HeaderSettings header = c.header;
    FormatRequest request{FORMAT_REQUEST_SIZE, source.c_str(), output.data(),
                          static_cast<uint32_t>(output.size()), 8, 80};
    {
        Armed armed(fail_at);
        o.result = LumoMultiLines(&request, &indent, &o.fold, &header);
        if (requests != nullptr) *requests = heap.requests;
        if (leaked != nullptr) *leaked = heap.live_count + (heap.table_full ? 1 : 0);
    }
    o.output = output[0] == '\xBD' ? kUntouched : std::string(output.data());
    return o;
}

// The output lengths at which a line ends: behind the header, and behind
// each logical line. A failed call may leave exactly one of these.
std::vector<std::string> LineBoundaries(const Case &c) {
    std::vector<std::string> outputs = {""};
    for (size_t end = 0; end < c.source.size(); ++end) {
        const char ch = c.source[end];
        const bool line_end = ch == '\n' || (ch == '\r' && (end + 1 == c.source.size() || c.source[end + 1] != '\n'));
        if (line_end) outputs.push_back(Format(c, c.source.substr(0, end + 1), 0).output);
    }
    outputs.push_back(Format(c, c.source, 0).output);
    return outputs;
}

TEST(HeapFaults, FormattingFailsEachAllocationInTurnCleanly) {
    for (const Case &c : Cases()) {
        SCOPED_TRACE(c.name);
        long requests = 0;
        size_t leaked = 0;
        const Outcome whole = Format(c, c.source, 0, &requests, &leaked);
        ASSERT_EQ(whole.result, FORMAT_DONE);
        ASSERT_EQ(leaked, 0u);
        ASSERT_GT(requests, 0);
        const std::vector<std::string> boundaries = LineBoundaries(c);
        size_t last_boundary = 0;
        for (long n = 1; n <= requests; ++n) {
            SCOPED_TRACE("allocation " + std::to_string(n) + " of " + std::to_string(requests) + " fails");
            const Outcome failed = Format(c, c.source, n, nullptr, &leaked);
            EXPECT_EQ(failed.result, FORMAT_NO_MEMORY);
            EXPECT_EQ(leaked, 0u) << "blocks allocated during the call stayed allocated";
            EXPECT_EQ(std::memcmp(&failed.fold, &c.fold, sizeof c.fold), 0) << "FoldSettings not restored";
            if (failed.output == kUntouched) {
                EXPECT_EQ(last_boundary, 0u) << "nothing written after a later allocation failed";
                continue;
            }
            size_t b = 0;
            while (b < boundaries.size() && boundaries[b] != failed.output) ++b;
            ASSERT_LT(b, boundaries.size()) << "the output ends inside a line: " << Hex(failed.output);
            EXPECT_GE(b, last_boundary) << "a later failure kept fewer lines";
            last_boundary = b;
        }
    }
}

// Lines are formatted in buffers reused from line to line: a thousand lines
// need no more allocations than one.
TEST(HeapFaults, AllocationsDoNotGrowWithTheNumberOfLines) {
    const Case c{"", "", Preset(2), lumo_fold::Fold(20), lumo_fold::NoHeader()};
    const std::string line = Sjis("・項目の説明がとても長く続きます。まだ続きます。\r\n");
    std::string thousand;
    for (int i = 0; i < 1000; ++i) thousand += line;
    long one = 0;
    long many = 0;
    EXPECT_EQ(Format(c, line, 0, &one).result, FORMAT_DONE);
    EXPECT_EQ(Format(c, thousand, 0, &many).result, FORMAT_DONE);
    EXPECT_EQ(many, one);
}

TEST(HeapFaults, BindingAllocatesNothing) {
    const std::string text = Sjis("・項目の説明が\r\n　続きます\r\n");
    std::vector<char> output(text.size() + 1);
    LineJob job{LINE_JOB_SIZE, text.c_str(), output.data(), 0, NEWLINE_CRLF, 0, {}};
    IndentSettings indent = Preset(2);
    Armed armed(0);
    EXPECT_EQ(BindLines(&job, &indent), 0);
    EXPECT_EQ(heap.requests, 0);
}

// The clipboard commands with each allocation failing in turn: either the
// clipboard holds the whole new text (the command's one retry absorbed the
// failure) or it keeps its old text and the command says why.
TEST(HeapFaults, ClipboardCommandsFailEachAllocationInTurnCleanly) {
    using lumo::platform::GetClipboardText;
    using lumo::platform::SetClipboardText;
    const std::string original = Sjis("・持ち物：防寒着、懐中電灯（赤いセロハンを貼ったもの）\r\n> 引用の行\r\n");
    IndentSettings indent = Preset(2);
    FoldSettings fold = lumo_fold::Fold(14);
    HeaderSettings header = lumo_fold::NoHeader();
    const Case c{"", original, indent, fold, header};
    const std::string formatted = Format(c, original, 0).output;

    const auto each_failure = [&](const char *what, const auto &command, const std::string &expected_text) {
        SCOPED_TRACE(what);
        SetClipboardText(original);
        long requests = 0;
        {
            Armed armed(0);
            EXPECT_EQ(command(), 0);
            requests = heap.requests;
        }
        std::string text;
        ASSERT_TRUE(GetClipboardText(&text));
        ASSERT_EQ(text, expected_text);
        for (long n = 1; n <= requests; ++n) {
            SCOPED_TRACE("allocation " + std::to_string(n) + " of " + std::to_string(requests) + " fails");
            SetClipboardText(original);
            int32_t result = 0;
            size_t leaked = 0;
            {
                Armed armed(n);
                result = command();
                leaked = heap.live_count + (heap.table_full ? 1 : 0);
            }
            ASSERT_TRUE(GetClipboardText(&text));
            if (result == 0) {
                EXPECT_EQ(text, expected_text);
            } else {
                EXPECT_TRUE(result == FORMAT_NO_MEMORY || result == CLIP_ALLOC_FAILED) << "result " << result;
                EXPECT_EQ(text, original) << "a failed command changed the clipboard";
                EXPECT_EQ(leaked, 0u) << "blocks allocated during the command stayed allocated";
            }
        }
    };
    each_failure("LumoClipBoard",
                 [&] {
                     IndentSettings i = indent;
                     FoldSettings f = fold;
                     HeaderSettings h = header;
                     FormatRequest request{FORMAT_REQUEST_SIZE, nullptr, nullptr, 0, 8, 80};
                     return LumoClipBoard(&request, &i, &f, &h);
                 },
                 formatted);
    std::vector<char> bound(original.size() + 1);
    LineJob job{LINE_JOB_SIZE, original.c_str(), bound.data(), 0, NEWLINE_CRLF, 0, {}};
    IndentSettings bind_indent = indent;
    ASSERT_EQ(BindLines(&job, &bind_indent), 0);
    each_failure("BindClipBoard",
                 [&] {
                     IndentSettings i = indent;
                     return BindClipBoard(&i);
                 },
                 std::string(bound.data()));

    // A text block without a NUL (the text's bytes, its NUL outside the
    // block): its terminated copy is one request more, and when that cannot
    // be had the command fails with 7.
    const auto from_unterminated_block = [&](const auto &command) {
        return [&, command] {
            lumo::platform::SetClipboardBlockOverride(original.data(), original.size());
            const int32_t result = command();
            lumo::platform::SetClipboardBlockOverride(nullptr, 0);
            return result;
        };
    };
    each_failure("LumoClipBoard on a block without a NUL", from_unterminated_block([&] {
                     IndentSettings i = indent;
                     FoldSettings f = fold;
                     HeaderSettings h = header;
                     FormatRequest request{FORMAT_REQUEST_SIZE, nullptr, nullptr, 0, 8, 80};
                     return LumoClipBoard(&request, &i, &f, &h);
                 }),
                 formatted);
    each_failure("BindClipBoard on a block without a NUL", from_unterminated_block([&] {
                     IndentSettings i = indent;
                     return BindClipBoard(&i);
                 }),
                 std::string(bound.data()));
}

}  // namespace

#if defined(LUMOTEXT_UNICODE) && !defined(_WIN32)  // Lumotext.dll has no UTF-8 exports
// The UTF-8 entries: every allocation fails in turn, the result is -1 and
// nothing stays allocated.
TEST(HeapFaults, Utf8EntriesFailEachAllocationInTurnCleanly) {
    IndentSettings indent = Preset(2);
    FoldSettings fold = lumo_fold::Fold(12);
    HeaderSettings header = lumo_fold::NoHeader();
    lumo_fold::SetField(fold.chars_not_for_head, u8"、。」👍");
    lumo_fold::SetField(indent.chars_for_sole_itemize, u8"・");
    const std::string text = u8"・項目の説明👍🏽がとても長く続きます。\nか\u3099まだ続きます🇯🇵。\n";
    std::vector<char> output(text.size() * 300);
    const auto format = [&](long fail_at, long *requests, size_t *leaked) {
        IndentSettings in = indent;
        FoldSettings fo = fold;
        HeaderSettings he = header;
        FormatRequest request{FORMAT_REQUEST_SIZE, text.c_str(), output.data(),
                              static_cast<uint32_t>(output.size()), 8, 80};
        Armed armed(fail_at);
        const int32_t result = LumoMultiLinesUtf8(&request, &in, &fo, &he);
        *requests = heap.requests;
        *leaked = heap.live_count + (heap.table_full ? 1 : 0);
        return result;
    };
    const auto bind = [&](long fail_at, long *requests, size_t *leaked) {
        LineJob job{LINE_JOB_SIZE, text.c_str(), output.data(), 0, NEWLINE_LF, 0, {}};
        IndentSettings in = indent;
        Armed armed(fail_at);
        const int32_t result = BindLinesUtf8(&job, &in);
        *requests = heap.requests;
        *leaked = heap.live_count + (heap.table_full ? 1 : 0);
        return result;
    };
    long requests = 0;
    size_t leaked = 0;
    // The process's first UTF-8 call keeps nothing allocated either: no
    // table is built at run time (it once built one and kept it).
    ASSERT_EQ(format(0, &requests, &leaked), FORMAT_DONE);
    ASSERT_EQ(leaked, 0u);
    for (const auto &call : {std::function<int32_t(long, long *, size_t *)>(format),
                             std::function<int32_t(long, long *, size_t *)>(bind)}) {
        ASSERT_EQ(call(0, &requests, &leaked), 0);
        ASSERT_EQ(leaked, 0u);
        ASSERT_GT(requests, 0);
        const long total = requests;
        for (long n = 1; n <= total; ++n) {
            SCOPED_TRACE("allocation " + std::to_string(n) + " of " + std::to_string(total) + " fails");
            EXPECT_EQ(call(n, &requests, &leaked), FORMAT_NO_MEMORY);
            EXPECT_EQ(leaked, 0u);
        }
    }
}
#endif
