// The calling conventions of the 33 exports, measured on real i386 code: a
// small assembly thunk pushes the arguments, calls the export and reports how
// many bytes were left on the stack. A standard form removes its own
// arguments (0 left); an HM twin leaves them to its caller (4 per argument).
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "lumotext.h"
#include "platform/clipboard.h"
#include "settings/presets.h"

static_assert(sizeof(void *) == 4, "the stack check is for 32-bit x86 only");

using AnyFunction = void (*)(void);

// Calls function with count 32-bit arguments (arguments[0] pushed last, so
// it lies lowest, as C pushes them), stores its EAX in *result and returns
// the bytes left on the stack: ESP before pushing the arguments minus ESP
// after the call. The stack is 16-byte aligned at the call, as the i386
// System V ABI wants it.
extern "C" int32_t LumoStackLeftover(AnyFunction function, const uint32_t *arguments, uint32_t count,
                                     uint32_t *result);

asm(R"(
        .text
        .globl  LumoStackLeftover
        .type   LumoStackLeftover, @function
LumoStackLeftover:
        pushl   %ebp
        movl    %esp, %ebp
        pushl   %ebx
        pushl   %esi
        pushl   %edi
        movl    12(%ebp), %esi          # arguments
        movl    16(%ebp), %ecx          # count
        andl    $-16, %esp
        leal    (,%ecx,4), %eax
        negl    %eax
        andl    $15, %eax               # padding: the last argument pushed lands aligned
        subl    %eax, %esp
        movl    %esp, %edi              # ESP before the arguments (callee-saved register)
1:      testl   %ecx, %ecx
        jz      2f
        decl    %ecx
        pushl   (%esi,%ecx,4)
        jmp     1b
2:      call    *8(%ebp)
        movl    20(%ebp), %ecx
        movl    %eax, (%ecx)
        movl    %edi, %eax
        subl    %esp, %eax              # bytes the callee left behind
        leal    -12(%ebp), %esp
        popl    %edi
        popl    %esi
        popl    %ebx
        popl    %ebp
        ret
        .size   LumoStackLeftover, .-LumoStackLeftover
)");

namespace {

template <typename Function>
AnyFunction Address(Function function) {
    return reinterpret_cast<AnyFunction>(function);
}

uint32_t Word(const void *pointer) { return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(pointer)); }

enum class Convention { kCalleeCleans, kCallerCleans };

// One call as a host declares it: the convention and the arguments pushed.
struct Call {
    const char *name;
    AnyFunction function;
    Convention convention;
    std::vector<uint32_t> arguments;
    bool has_result;  // SetLumoPropertyGL returns nothing
    int32_t result;
};

::testing::AssertionResult LeavesTheStackAsDeclared(const Call &call) {
    uint32_t result = 0xBDBDBDBDu;
    const int32_t left = LumoStackLeftover(call.function, call.arguments.data(),
                                           static_cast<uint32_t>(call.arguments.size()), &result);
    const int32_t expected =
        call.convention == Convention::kCalleeCleans ? 0 : static_cast<int32_t>(4 * call.arguments.size());
    if (left != expected) {
        return ::testing::AssertionFailure()
               << call.name << " left " << left << " bytes on the stack, its declaration " << expected;
    }
    if (call.has_result && static_cast<int32_t>(result) != call.result) {
        return ::testing::AssertionFailure()
               << call.name << " returned " << static_cast<int32_t>(result) << ", not " << call.result;
    }
    return ::testing::AssertionSuccess();
}

// Functions of known conventions, compiled here, that show the thunk itself
// measures what it should.
extern "C" __attribute__((stdcall, noinline)) int32_t CleansThree(int32_t a, int32_t b, int32_t c) {
    return a + b + c;
}
extern "C" __attribute__((cdecl, noinline)) int32_t LeavesThree(int32_t a, int32_t b, int32_t c) {
    return a + b + c;
}
// Declared with two arguments and called with one below: it removes 8 bytes
// where 4 were pushed.
extern "C" __attribute__((stdcall, noinline)) int32_t CleansTwo(int32_t a, int32_t b) { return a + b; }

class StackLeftover : public ::testing::Test {
protected:
    void SetUp() override {
        lumo::FillIndentPreset(&indent_, 2);
        lumo::FillFoldPreset(&fold_, 2);
        lumo::FillHeaderPreset(&header_, 2);
        fold_.foldnum = 70;
        request_ = FormatRequest{};
        request_.record_size = FORMAT_REQUEST_SIZE;
        request_.source = kText;
        request_.output = output_;
        request_.capacity = sizeof output_;
        request_.tab_width = 8;
        request_.display_width = 80;
        job_ = LineJob{};
        job_.record_size = LINE_JOB_SIZE;
        job_.text = kText;
        job_.output = output_;
        job_.capacity = sizeof output_;
        job_.newline = NEWLINE_CRLF;
        ASSERT_EQ(GetWholeSettingGLHM(8, 80, 0, nullptr), 0) << "global records from slot 0";
    }
    void TearDown() override { lumo::platform::ClearClipboard(); }

    static constexpr const char *kText = "abc\r\ndef\r\n";
    IndentSettings indent_;
    FoldSettings fold_;
    HeaderSettings header_;
    FormatRequest request_;
    LineJob job_;
    int32_t detail_ = 0;
    char output_[256];
};

// Harmless arguments: preset records, no vendor (there is no settings store
// in this build, so only what fails before the store is asked succeeds), no
// window (the dialogs are not available off Windows).
TEST_F(StackLeftover, EveryExportAsDeclared) {
    const auto callee = Convention::kCalleeCleans;
    const auto caller = Convention::kCallerCleans;
    const uint32_t null = 0;
    const std::vector<Call> calls = {
        {"GetLTVersion", Address(&GetLTVersion), callee, {}, true, 110},
        {"GetLTMajorVersion", Address(&GetLTMajorVersion), callee, {}, true, 1},
        {"GetLTMinorVersion", Address(&GetLTMinorVersion), callee, {}, true, 10},
        {"GetDefaultNumber", Address(&GetDefaultNumber), callee, {null}, true, 0},
        {"SetDefaultNumber", Address(&SetDefaultNumber), callee, {11, null}, true, 1},
        {"DefaultNumberDlg", Address(&DefaultNumberDlg), callee, {null, null}, true, -1},
        {"GetWholeSetting",
         Address(&GetWholeSetting),
         callee,
         {Word(&request_), Word(&indent_), Word(&fold_), Word(&header_), 0, null, Word(&detail_)},
         true,
         0},
        {"GetWholeSettingGL",
         Address(&GetWholeSettingGL),
         callee,
         {Word(&request_), 0, null, Word(&detail_)},
         true,
         0},
        {"SetDefaultWholeSetting",
         Address(&SetDefaultWholeSetting),
         callee,
         {11, 0, null, null, Word(&detail_)},
         true,
         1},
        {"LumoMultiLines",
         Address(&LumoMultiLines),
         callee,
         {Word(&request_), Word(&indent_), Word(&fold_), Word(&header_)},
         true,
         0},
        {"LumoClipBoard",
         Address(&LumoClipBoard),
         callee,
         {Word(&request_), Word(&indent_), Word(&fold_), Word(&header_)},
         true,
         0},
        {"LumoClipBoardGL", Address(&LumoClipBoardGL), callee, {Word(&request_)}, true, 0},
        {"BindLines", Address(&BindLines), callee, {Word(&job_), Word(&indent_)}, true, 0},
        {"BindClipBoard", Address(&BindClipBoard), callee, {Word(&indent_)}, true, 0},
        {"BindClipBoardGL", Address(&BindClipBoardGL), callee, {}, true, 0},
        {"SetupDlgDirect",
         Address(&SetupDlgDirect),
         callee,
         {null, Word(&indent_), Word(&fold_), Word(&header_)},
         true,
         -1},
        {"RegSelDlg", Address(&RegSelDlg), callee, {null, null}, true, -1},
        {"SetLumoPropertyGL", Address(&SetLumoPropertyGL), callee, {0, 0, 0, 0}, false, 0},
        {"IndPropDlg",
         Address(&IndPropDlg),
         callee,
         {null, Word(&indent_), Word(&fold_), Word(&header_)},
         true,
         2},
        {"IndPropDlgGL", Address(&IndPropDlgGL), callee, {null}, true, 2},
        {"GetLTVersionHM", Address(&GetLTVersionHM), caller, {}, true, 110},
        {"GetLTMajorVersionHM", Address(&GetLTMajorVersionHM), caller, {}, true, 1},
        {"GetLTMinorVersionHM", Address(&GetLTMinorVersionHM), caller, {}, true, 10},
        {"GetDefaultNumberHM", Address(&GetDefaultNumberHM), caller, {null}, true, 0},
        {"SetDefaultNumberHM", Address(&SetDefaultNumberHM), caller, {11, null}, true, 1},
        {"DefaultNumberDlgHM", Address(&DefaultNumberDlgHM), caller, {null, null}, true, -1},
        {"GetWholeSettingGLHM", Address(&GetWholeSettingGLHM), caller, {8, 80, 0, null}, true, 0},
        // Stage 1 with the detail 0x10000000, whose low half is lost.
        {"SetDefaultWholeSettingHM",
         Address(&SetDefaultWholeSettingHM),
         caller,
         {11, 0, null, null},
         true,
         1},
        {"LumoClipBoardGLHM", Address(&LumoClipBoardGLHM), caller, {8, 80}, true, 0},
        {"BindClipBoardGLHM", Address(&BindClipBoardGLHM), caller, {}, true, 0},
        {"RegSelDlgHM", Address(&RegSelDlgHM), caller, {null, null}, true, -1},
        {"SetLumoPropertyGLHM", Address(&SetLumoPropertyGLHM), caller, {0, 0, 0, 0}, false, 0},
        {"IndPropDlgGLHM", Address(&IndPropDlgGLHM), caller, {null}, true, 2},
    };
    ASSERT_EQ(calls.size(), 33u);
    for (const Call &call : calls) {
        lumo::platform::SetClipboardText(kText);
        EXPECT_TRUE(LeavesTheStackAsDeclared(call));
    }
}

// The check fails when a declaration is wrong, in either direction.
TEST_F(StackLeftover, WrongDeclarationsAreCaught) {
    const Call twin_as_standard{"GetDefaultNumberHM declared stdcall",
                                Address(&GetDefaultNumberHM),
                                Convention::kCalleeCleans,
                                {0},
                                true,
                                0};
    EXPECT_FALSE(LeavesTheStackAsDeclared(twin_as_standard));
    const Call standard_as_twin{"SetLumoPropertyGL declared cdecl",
                                Address(&SetLumoPropertyGL),
                                Convention::kCallerCleans,
                                {0, 0, 0, 0},
                                false,
                                0};
    EXPECT_FALSE(LeavesTheStackAsDeclared(standard_as_twin));
    const Call wrong_result{"GetLTVersion expected to return 111",
                            Address(&GetLTVersion),
                            Convention::kCalleeCleans,
                            {},
                            true,
                            111};
    EXPECT_FALSE(LeavesTheStackAsDeclared(wrong_result));
}

// The thunk against functions whose conventions the compiler applied here.
TEST_F(StackLeftover, ThunkMeasuresKnownConventions) {
    const uint32_t three[] = {1, 2, 3};
    uint32_t result = 0;
    EXPECT_EQ(LumoStackLeftover(Address(&CleansThree), three, 3, &result), 0);
    EXPECT_EQ(result, 6u);
    EXPECT_EQ(LumoStackLeftover(Address(&LeavesThree), three, 3, &result), 12);
    EXPECT_EQ(result, 6u);
    // One argument pushed, two removed: a negative figure.
    EXPECT_EQ(LumoStackLeftover(Address(&CleansTwo), three, 1, &result), -4);
}

}  // namespace
