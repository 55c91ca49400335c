// The clipboard commands on the process's own clipboard: every failure code
// with the clipboard's text left as it was (faults injected per call kind),
// the size of the output block, a formatted text that outgrows it, and the
// binding of the clipboard's text, and text blocks that hold no NUL.
// LumoMultiLines and BindLines on the same records are the reference for
// what the clipboard must hold afterwards.
#include "platform/clipboard.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "text/text.h"
#include "lumotext.h"
#include "settings/presets.h"

namespace {

using lumo::Records;
using lumo::platform::ClearClipboard;
using lumo::platform::Clipboard;
using lumo::platform::ClipboardCall;
using lumo::platform::GetClipboardText;
using lumo::platform::SetClipboardBytes;
using lumo::platform::SetClipboardFaultHook;
using lumo::platform::SetClipboardText;

FormatRequest Request(uint32_t tab_width = 8, uint32_t display_width = 80) {
    FormatRequest request{};
    request.record_size = FORMAT_REQUEST_SIZE;
    request.tab_width = tab_width;
    request.display_width = display_width;
    return request;
}

// Slot 0 (preset 2) as GetWholeSetting loads it: fold column 70.
Records Preset2() {
    Records records;
    std::memset(&records, 0xBD, sizeof records);
    FormatRequest request = Request();
    int32_t detail = -1;
    EXPECT_EQ(GetWholeSetting(&request, &records.indent, &records.fold, &records.header, 0, nullptr, &detail),
              0);
    EXPECT_EQ(records.fold.foldnum, 70u);
    return records;
}

std::string Formatted(Records records, const std::string &text) {
    std::vector<char> output(text.size() * 8 + 64, '\xBD');
    FormatRequest request = Request();
    request.source = text.c_str();
    request.output = output.data();
    request.capacity = static_cast<uint32_t>(output.size());
    EXPECT_EQ(LumoMultiLines(&request, &records.indent, &records.fold, &records.header), FORMAT_DONE)
        << "the reference formatting failed";
    return output.data();
}

std::string Bound(IndentSettings indent, const std::string &text) {
    std::vector<char> output(text.size() + 1, '\xBD');
    LineJob job{LINE_JOB_SIZE, text.c_str(), output.data(), 0, lumo::NewlineKindOf(text.c_str()), 0, {}};
    EXPECT_EQ(BindLines(&job, &indent), 0) << "the reference binding failed";
    return output.data();
}

// The clipboard's text, or "<no text>".
const char kNoText[] = "<no text>";
std::string ClipboardText() {
    std::string text;
    return GetClipboardText(&text) ? text : kNoText;
}

// Fails every call of one kind from the nth on (n counted from 1), and
// counts the calls of that kind that it saw.
struct FaultPlan {
    ClipboardCall call;
    int fail_from = 1;
    int seen = 0;
};

bool FailPlannedCall(ClipboardCall call, void *context) {
    auto *plan = static_cast<FaultPlan *>(context);
    if (call != plan->call) return false;
    ++plan->seen;
    return plan->seen >= plan->fail_from;
}

class ClipboardCommands : public ::testing::Test {
protected:
    void SetUp() override {
        SetClipboardFaultHook(nullptr, nullptr);
        ClearClipboard();
    }
    void TearDown() override {
        SetClipboardFaultHook(nullptr, nullptr);
        ClearClipboard();
    }
};

// ---- Failures: a code, and the text stays --------------------------------

TEST_F(ClipboardCommands, EachFailingStepHasItsCodeAndChangesNothing) {
    struct Row {
        const char *label;
        ClipboardCall call;
        int32_t result;
    };
    const Row rows[] = {
        {"the clipboard cannot be opened", ClipboardCall::kOpen, CLIP_OPEN_FAILED},
        {"the text announced is not handed out", ClipboardCall::kNoData, CLIP_NO_TEXT},
        {"the text cannot be locked", ClipboardCall::kLock, CLIP_LOCK_FAILED},
        {"no output block", ClipboardCall::kAllocate, CLIP_ALLOC_FAILED},
    };
    const std::string text = "abc\r\ndef\r\n";
    const std::string blocks[] = {text + '\0', text};  // with and without a NUL
    for (const Row &row : rows) {
      for (const std::string &block : blocks) {
        SCOPED_TRACE(row.label);
        SCOPED_TRACE(block.back() == '\0' ? "block ended by a NUL" : "block without a NUL");
        Records records = Preset2();
        ASSERT_EQ(GetWholeSettingGLHM(8, 80, 0, nullptr), 0);
        using Command = int32_t (*)(Records &);
        const std::pair<const char *, Command> commands[] = {
            {"LumoClipBoard",
             [](Records &r) {
                 FormatRequest request = Request();
                 return LumoClipBoard(&request, &r.indent, &r.fold, &r.header);
             }},
            {"LumoClipBoardGL",
             [](Records &) {
                 FormatRequest request = Request();
                 return LumoClipBoardGL(&request);
             }},
            {"LumoClipBoardGLHM", [](Records &) { return LumoClipBoardGLHM(8, 80); }},
            {"BindClipBoard", [](Records &r) { return BindClipBoard(&r.indent); }},
            {"BindClipBoardGL", [](Records &) { return BindClipBoardGL(); }},
            {"BindClipBoardGLHM", [](Records &) { return BindClipBoardGLHM(); }},
        };
        for (const auto &command : commands) {
            SCOPED_TRACE(command.first);
            SetClipboardBytes(block);
            FaultPlan plan{row.call};
            SetClipboardFaultHook(FailPlannedCall, &plan);
            EXPECT_EQ(command.second(records), row.result);
            SetClipboardFaultHook(nullptr, nullptr);
            EXPECT_GE(plan.seen, 1) << "the command never made the failing call";
            EXPECT_EQ(ClipboardText(), text);
            // Closed again: the next caller can open it.
            Clipboard next;
            EXPECT_TRUE(next.Open()) << "the clipboard was left open";
        }
      }
    }
}

TEST_F(ClipboardCommands, NoTextAtAll) {
    Records records = Preset2();
    ASSERT_EQ(GetWholeSettingGLHM(8, 80, 0, nullptr), 0);
    ClearClipboard();
    FormatRequest request = Request();
    EXPECT_EQ(LumoClipBoard(&request, &records.indent, &records.fold, &records.header), CLIP_NO_TEXT);
    EXPECT_EQ(LumoClipBoardGLHM(8, 80), CLIP_NO_TEXT);
    EXPECT_EQ(BindClipBoard(&records.indent), CLIP_NO_TEXT);
    EXPECT_EQ(BindClipBoardGLHM(), CLIP_NO_TEXT);
    EXPECT_EQ(ClipboardText(), kNoText) << "nothing was put there";
}

TEST_F(ClipboardCommands, ClipboardHeldOpenByAnotherCaller) {
    Records records = Preset2();
    const std::string text = "abc\r\ndef\r\n";
    SetClipboardText(text);
    {
        Clipboard other;
        ASSERT_TRUE(other.Open());
        FormatRequest request = Request();
        EXPECT_EQ(LumoClipBoard(&request, &records.indent, &records.fold, &records.header), CLIP_OPEN_FAILED);
        EXPECT_EQ(BindClipBoard(&records.indent), CLIP_OPEN_FAILED);
    }
    EXPECT_EQ(ClipboardText(), text);
    EXPECT_EQ(BindClipBoard(&records.indent), 0) << "free again once the other caller closed it";
    EXPECT_EQ(ClipboardText(), "abcdef\r\n");
}

TEST_F(ClipboardCommands, FormattingFailuresKeepTheText) {
    const std::string text = "    " + std::string(40, 'y') + "\r\n";
    struct Row {
        const char *label;
        void (*setup)(Records &);
        int32_t result;
    };
    const Row rows[] = {
        {"fold column 0", [](Records &r) { r.fold.foldnum = 0; }, FORMAT_FOLD_ZERO},
        {"prefix as wide as the fold column",
         [](Records &r) {
             r.indent.styles = STYLE_INDENT | STYLE_FIXED_COLUMN;
             r.indent.fixed_indent_column = 10;
             r.fold.foldnum = 10;
         },
         FORMAT_NO_COLUMN},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.label);
        Records records = Preset2();
        row.setup(records);
        SetClipboardText(text);
        FormatRequest request = Request();
        EXPECT_EQ(LumoClipBoard(&request, &records.indent, &records.fold, &records.header), row.result);
        EXPECT_EQ(ClipboardText(), text);
    }
}

// Right after loading the global fold column is 0: the GL forms refuse.
TEST_F(ClipboardCommands, GlobalRecordsNotLoadedYet) {
    std::memset(&lumo::Globals(), 0, sizeof(lumo::Records));
    const std::string text = "abc\r\ndef\r\n";
    SetClipboardText(text);
    EXPECT_EQ(LumoClipBoardGLHM(8, 80), FORMAT_FOLD_ZERO);
    FormatRequest request = Request();
    EXPECT_EQ(LumoClipBoardGL(&request), FORMAT_FOLD_ZERO);
    EXPECT_EQ(ClipboardText(), text);
}

// ---- The output block ------------------------------------------------------

TEST_F(ClipboardCommands, OutputBlockIsOneAndAHalfTimesTheText) {
    Records records = Preset2();
    const std::string half(48, 'a');
    struct Row {
        const char *label;
        std::string text;
        uint32_t capacity;
    };
    const Row rows[] = {
        {"10 bytes", "abcdefghij", 15},
        {"11 bytes", "abcdefghijk", 15},
        {"100 bytes", half + "\r\n" + half + "\r\n", 150},
        {"1 byte: room for the text and its NUL", "a", 2},
        {"empty: room for the NUL", "", 1},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.label);
        SetClipboardText(row.text);
        FormatRequest request = Request();
        EXPECT_EQ(LumoClipBoard(&request, &records.indent, &records.fold, &records.header), 0);
        EXPECT_EQ(request.capacity, row.capacity);
        EXPECT_NE(request.source, nullptr);
        EXPECT_NE(request.output, nullptr);
        EXPECT_EQ(request.tab_width, 8u);
        EXPECT_EQ(request.display_width, 80u);
        EXPECT_EQ(ClipboardText(), Formatted(records, row.text));
        EXPECT_EQ(records.fold.foldnum, 70u);
    }
}

// A formatted text that needs more than the first block gets a larger one;
// the clipboard never receives a cut or empty text.
TEST_F(ClipboardCommands, TextThatOutgrowsTheBlockComesBackWhole) {
    std::string lines;
    for (int i = 0; i < 10; ++i) lines += "abcdefgh\r\n";
    // ・ and twenty あ: an itemised line whose continuations carry a prefix.
    std::string item = "\x81\x45";
    for (int i = 0; i < 20; ++i) item += "\x82\xA0";
    item += "\r\n";
    struct Row {
        const char *label;
        std::string text;
        uint32_t fold;
    };
    const Row rows[] = {
        {"one line cut in five", "abcdefghij", 2},
        {"ten lines cut in four", lines, 2},
        {"an itemised Japanese line", item, 6},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.label);
        Records records = Preset2();
        records.fold.foldnum = row.fold;
        const std::string expected = Formatted(records, row.text);
        ASSERT_GE(expected.size(), row.text.size() / 2 * 3) << "fits the first block";
        SetClipboardText(row.text);
        FormatRequest request = Request();
        EXPECT_EQ(LumoClipBoard(&request, &records.indent, &records.fold, &records.header), 0);
        EXPECT_EQ(ClipboardText(), expected);
        EXPECT_GE(request.capacity, expected.size() + 1);
    }
}

// The first block is too small and the larger one cannot be had: 7, and the
// clipboard keeps its text.
TEST_F(ClipboardCommands, LargerBlockUnavailable) {
    Records records = Preset2();
    records.fold.foldnum = 2;
    const std::string text = "abcdefghij";
    SetClipboardText(text);
    FaultPlan plan{ClipboardCall::kAllocate, 2};
    SetClipboardFaultHook(FailPlannedCall, &plan);
    FormatRequest request = Request();
    EXPECT_EQ(LumoClipBoard(&request, &records.indent, &records.fold, &records.header), CLIP_ALLOC_FAILED);
    SetClipboardFaultHook(nullptr, nullptr);
    EXPECT_EQ(plan.seen, 2);
    EXPECT_EQ(ClipboardText(), text);
}

// ---- Binding ---------------------------------------------------------------

TEST_F(ClipboardCommands, BindingTheClipboard) {
    Records records = Preset2();
    ASSERT_EQ(GetWholeSettingGLHM(8, 80, 0, nullptr), 0);
    struct Row {
        const char *label;
        std::string text;
        std::string bound;
    };
    const Row rows[] = {
        {"CR LF at the end is kept", "abc\r\ndef\r\n", "abcdef\r\n"},
        {"no line break at the end", "abc\r\ndef", "abcdef"},
        {"LF at the end is kept", "abc\ndef\n", "abcdef\n"},
        {"CR at the end is kept", "abc\rdef\r", "abcdef\r"},
        {"one line", "abc\r\n", "abc\r\n"},
        {"empty text", "", ""},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.label);
        SetClipboardText(row.text);
        EXPECT_EQ(BindClipBoard(&records.indent), 0);
        EXPECT_EQ(ClipboardText(), row.bound);

        SetClipboardText(row.text);
        EXPECT_EQ(BindClipBoardGLHM(), 0);
        EXPECT_EQ(ClipboardText(), row.bound);
    }
}

// ---- Text blocks without a NUL --------------------------------------------

// Any program may leave its text without a terminating NUL: the text is the
// block's bytes up to its first NUL or up to its size, never what lies
// behind it.
TEST_F(ClipboardCommands, TextEndsAtTheFirstNulOrTheBlocksEnd) {
    Records records = Preset2();
    ASSERT_EQ(GetWholeSettingGLHM(8, 80, 0, nullptr), 0);
    std::string page;
    for (int i = 0; page.size() < 4096; ++i) {
        page += "line " + std::to_string(i) + ", folded at 70 and bound again, " + std::string(50, 'z') + "\r\n";
    }
    page.resize(4096);
    struct Row {
        const char *label;
        std::string block;
        std::string text;  // what the commands are to read
        uint32_t capacity;
    };
    const Row rows[] = {
        {"1 byte without a NUL", "a", "a", 2},
        {"8 bytes without a NUL", "abcdefgh", "abcdefgh", 12},
        {"4,096 bytes without a NUL", page, page, 6144},
        {"ends in a lead byte without a NUL", "abc\x82", "abc\x82", 6},
        {"a NUL in the middle: the bytes behind it are ignored", std::string("abc\r\ndef\0ghi\r\n", 14),
         "abc\r\ndef", 12},
        {"only a NUL", std::string(1, '\0'), "", 1},
        {"no bytes at all: the empty text", "", "", 1},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.label);
        SetClipboardBytes(row.block);
        FormatRequest request = Request();
        EXPECT_EQ(LumoClipBoard(&request, &records.indent, &records.fold, &records.header), 0);
        EXPECT_EQ(request.capacity, row.capacity);
        EXPECT_EQ(ClipboardText(), Formatted(records, row.text));

        SetClipboardBytes(row.block);
        EXPECT_EQ(LumoClipBoardGLHM(8, 80), 0);
        EXPECT_EQ(ClipboardText(), Formatted(records, row.text));

        SetClipboardBytes(row.block);
        EXPECT_EQ(BindClipBoard(&records.indent), 0);
        EXPECT_EQ(ClipboardText(), Bound(records.indent, row.text));

        SetClipboardBytes(row.block);
        EXPECT_EQ(BindClipBoardGLHM(), 0);
        EXPECT_EQ(ClipboardText(), Bound(records.indent, row.text));
    }
}

}  // namespace
