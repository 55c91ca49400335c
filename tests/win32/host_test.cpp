// Lumotext.dll as a host program sees it: loaded at run time with LoadLibraryA,
// every export found by name and by ordinal, the macro road through the HM
// twins, the registry values a slot leaves behind, and the clipboard commands
// on the system clipboard. The library's own LumoMultiLines and BindLines,
// called on records the library loaded, are the reference for the results.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "import_patch.h"
#include "lumotext.h"
#include "system_clipboard.h"

namespace {

// Every export with its ordinal: the standard forms 1..20, the twins 21..33.
// clang-format off
#define LUMO_EXPORTS(X)                                                                  \
    X(GetLTVersion, 1) X(GetLTMajorVersion, 2) X(GetLTMinorVersion, 3)                  \
    X(GetDefaultNumber, 4) X(SetDefaultNumber, 5) X(DefaultNumberDlg, 6)                \
    X(GetWholeSetting, 7) X(GetWholeSettingGL, 8) X(SetDefaultWholeSetting, 9)          \
    X(LumoMultiLines, 10) X(LumoClipBoard, 11) X(LumoClipBoardGL, 12) X(BindLines, 13)  \
    X(BindClipBoard, 14) X(BindClipBoardGL, 15) X(SetupDlgDirect, 16) X(RegSelDlg, 17)  \
    X(SetLumoPropertyGL, 18) X(IndPropDlg, 19) X(IndPropDlgGL, 20)                      \
    X(GetLTVersionHM, 21) X(GetLTMajorVersionHM, 22) X(GetLTMinorVersionHM, 23)         \
    X(GetDefaultNumberHM, 24) X(SetDefaultNumberHM, 25) X(DefaultNumberDlgHM, 26)       \
    X(GetWholeSettingGLHM, 27) X(SetDefaultWholeSettingHM, 28) X(LumoClipBoardGLHM, 29) \
    X(BindClipBoardGLHM, 30) X(RegSelDlgHM, 31) X(SetLumoPropertyGLHM, 32)              \
    X(IndPropDlgGLHM, 33)
// clang-format on

struct ExportName {
    const char *name;
    WORD ordinal;
};
#define LUMO_EXPORT_NAME(name, ordinal) {#name, ordinal},
constexpr ExportName kExports[] = {LUMO_EXPORTS(LUMO_EXPORT_NAME)};
#undef LUMO_EXPORT_NAME

const char *g_library_path = LUMOTEXT_DLL;  // argv[1] replaces it

template <typename Function>
Function Cast(FARPROC address) {
    // Through void (*)(void), the one function type that converts silently.
    return reinterpret_cast<Function>(reinterpret_cast<void (*)(void)>(address));
}

// The exports, typed as the public header declares them and found by name.
struct Api {
    HMODULE module = nullptr;
#define LUMO_EXPORT_FIELD(name, ordinal) decltype(&::name) name = nullptr;
    LUMO_EXPORTS(LUMO_EXPORT_FIELD)
#undef LUMO_EXPORT_FIELD

    bool complete() const {
        bool all = module != nullptr;
#define LUMO_EXPORT_FOUND(name, ordinal) all = all && name != nullptr;
        LUMO_EXPORTS(LUMO_EXPORT_FOUND)
#undef LUMO_EXPORT_FOUND
        return all;
    }
};

Api LoadApi() {
    Api api;
    api.module = LoadLibraryA(g_library_path);
    if (api.module == nullptr) return api;
#define LUMO_EXPORT_RESOLVE(name, ordinal) \
    api.name = Cast<decltype(&::name)>(GetProcAddress(api.module, #name));
    LUMO_EXPORTS(LUMO_EXPORT_RESOLVE)
#undef LUMO_EXPORT_RESOLVE
    return api;
}

// One load for the whole program, as a host keeps the library loaded; the
// state right after loading is checked in a child process of its own.
const Api &Library() {
    static const Api api = LoadApi();
    return api;
}

#define REQUIRE_LIBRARY()             \
    ASSERT_TRUE(Library().complete()) \
        << "cannot load every export of " << g_library_path << " (error " << GetLastError() << ")"

// ---- Records, loaded by the library itself ---------------------------------

FormatRequest Request(uint32_t tab_width, uint32_t display_width) {
    FormatRequest request{};
    request.record_size = FORMAT_REQUEST_SIZE;
    request.tab_width = tab_width;
    request.display_width = display_width;
    return request;
}

// A slot's three records with the fold column derived, as GetWholeSetting
// leaves them; slot 0 is preset 2 with the fold column 70.
LumoRecords LoadRecords(int32_t slot, const char *vendor, uint32_t display_width = 80) {
    LumoRecords records;
    std::memset(&records, 0xBD, sizeof records);
    FormatRequest request = Request(8, display_width);
    int32_t detail = -1;
    const int32_t stage = Library().GetWholeSetting(&request, &records.indent, &records.fold, &records.header,
                                                    slot, vendor, &detail);
    EXPECT_EQ(stage, 0) << "slot " << slot << " did not load (detail " << detail << ")";
    return records;
}

// What LumoMultiLines makes of text with these records, in a buffer that is
// always large enough.
std::string Formatted(LumoRecords records, const std::string &text, uint32_t tab_width = 8) {
    std::vector<char> output(text.size() * 8 + 64, '\xBD');
    FormatRequest request = Request(tab_width, 80);
    request.source = text.c_str();
    request.output = output.data();
    request.capacity = static_cast<uint32_t>(output.size());
    const int32_t result =
        Library().LumoMultiLines(&request, &records.indent, &records.fold, &records.header);
    EXPECT_EQ(result, FORMAT_DONE) << "the reference formatting failed";
    return result == FORMAT_DONE ? std::string(output.data()) : std::string();
}

// What BindLines makes of text with this IndentSettings.
std::string Bound(IndentSettings indent, const std::string &text) {
    std::vector<char> output(text.size() + 1, '\xBD');
    LineJob job{};
    job.record_size = LINE_JOB_SIZE;
    job.text = text.c_str();
    job.output = output.data();
    job.capacity = static_cast<uint32_t>(output.size());
    job.newline = text.size() >= 2 && text.compare(text.size() - 2, 2, "\r\n") == 0 ? NEWLINE_CRLF
                  : !text.empty() && text.back() == '\n'                            ? NEWLINE_LF
                  : !text.empty() && text.back() == '\r'                            ? NEWLINE_CR
                                                                                    : NEWLINE_NONE;
    EXPECT_EQ(Library().BindLines(&job, &indent), 0);
    return std::string(output.data());
}

// ---- The system clipboard, handled as another program would --------------

::testing::AssertionResult EmptyTheClipboard() {
    if (!OpenClipboard(nullptr)) return ::testing::AssertionFailure() << "OpenClipboard failed";
    const bool emptied = EmptyClipboard() != FALSE;
    CloseClipboard();
    if (!emptied) return ::testing::AssertionFailure() << "EmptyClipboard failed";
    return ::testing::AssertionSuccess();
}

// A message-only window, which needs no display; its procedure ignores the
// requests to render delayed clipboard data, and counts them.
int g_render_requests = 0;
LRESULT CALLBACK SilentOwnerProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_RENDERFORMAT) {
        ++g_render_requests;
        return 0;
    }
    if (message == WM_RENDERALLFORMATS) return 0;
    return DefWindowProcA(window, message, wparam, lparam);
}

HWND CreateSilentOwner() {
    static const ATOM window_class = [] {
        WNDCLASSA description{};
        description.lpfnWndProc = SilentOwnerProc;
        description.hInstance = GetModuleHandleA(nullptr);
        description.lpszClassName = "LumotextHostTestOwner";
        return RegisterClassA(&description);
    }();
    if (window_class == 0) return nullptr;
    return CreateWindowExA(0, "LumotextHostTestOwner", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                           GetModuleHandleA(nullptr), nullptr);
}

// Another thread that holds the clipboard open through a window of its own
// until the holder is destroyed: the clipboard is busy for everyone else.
class ClipboardHolder {
public:
    ClipboardHolder()
        : ready_(CreateEventA(nullptr, TRUE, FALSE, nullptr)),
          release_(CreateEventA(nullptr, TRUE, FALSE, nullptr)),
          thread_(CreateThread(nullptr, 0, Run, this, 0, nullptr)) {
        if (thread_ != nullptr) WaitForSingleObject(ready_, 10000);
    }
    ~ClipboardHolder() {
        SetEvent(release_);
        if (thread_ != nullptr) {
            WaitForSingleObject(thread_, 10000);
            CloseHandle(thread_);
        }
        CloseHandle(release_);
        CloseHandle(ready_);
    }
    ClipboardHolder(const ClipboardHolder &) = delete;
    ClipboardHolder &operator=(const ClipboardHolder &) = delete;
    bool holding() const { return holding_; }

private:
    static DWORD WINAPI Run(LPVOID self_pointer) {
        auto *self = static_cast<ClipboardHolder *>(self_pointer);
        HWND window = CreateSilentOwner();
        self->holding_ = window != nullptr && OpenClipboard(window) != FALSE;
        SetEvent(self->ready_);
        WaitForSingleObject(self->release_, INFINITE);
        if (self->holding_) CloseClipboard();
        if (window != nullptr) DestroyWindow(window);
        return 0;
    }
    HANDLE ready_;
    HANDLE release_;
    HANDLE thread_;
    bool holding_ = false;  // written before ready_ is set
};

// ---- The registry, read back byte for byte -------------------------------

std::string ScratchVendor() { return "LumotextTest" + std::to_string(GetCurrentProcessId()); }
std::string VendorRoot() { return "Software\\" + ScratchVendor(); }
std::string ProductPath() { return VendorRoot() + "\\Lumotext"; }
std::string SlotPath(int slot) { return ProductPath() + "\\" + std::to_string(slot); }

struct StoredValue {
    bool found = false;
    DWORD type = REG_NONE;
    DWORD size = 0;
    std::string bytes;
    bool buffer_intact = true;  // nothing written behind the value's bytes
};

StoredValue ReadStoredValue(const std::string &path, const char *name) {
    StoredValue value;
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) {
        return value;
    }
    std::vector<unsigned char> buffer(4096, 0xBD);
    DWORD size = static_cast<DWORD>(buffer.size());
    value.found = RegQueryValueExA(key, name, nullptr, &value.type, buffer.data(), &size) == ERROR_SUCCESS;
    RegCloseKey(key);
    if (!value.found) return value;
    value.size = size;
    value.bytes.assign(reinterpret_cast<const char *>(buffer.data()), size);
    for (size_t i = size; i < buffer.size(); ++i) {
        if (buffer[i] != 0xBD) value.buffer_intact = false;
    }
    return value;
}

bool KeyExists(const std::string &path) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) {
        return false;
    }
    RegCloseKey(key);
    return true;
}

void WriteStoredValue(const std::string &path, const char *name, DWORD type, const void *data, DWORD size) {
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_SET_VALUE, &key), ERROR_SUCCESS) << path;
    EXPECT_EQ(RegSetValueExA(key, name, 0, type, static_cast<const BYTE *>(data), size), ERROR_SUCCESS)
        << path << " " << name;
    RegCloseKey(key);
}

void DeleteStoredValue(const std::string &path, const char *name) {
    EXPECT_EQ(RegDeleteKeyValueA(HKEY_CURRENT_USER, path.c_str(), name), ERROR_SUCCESS)
        << path << " " << name;
}

// Every test starts and ends without the scratch vendor's keys.
class HostTest : public ::testing::Test {
protected:
    void SetUp() override {
        RegDeleteTreeA(HKEY_CURRENT_USER, VendorRoot().c_str());
        ASSERT_FALSE(KeyExists(VendorRoot()));
        vendor_ = ScratchVendor();
    }
    void TearDown() override {
        RegDeleteTreeA(HKEY_CURRENT_USER, VendorRoot().c_str());
        EXPECT_FALSE(KeyExists(VendorRoot())) << "the scratch keys were left behind";
    }
    const char *vendor() const { return vendor_.c_str(); }
    std::string vendor_;
};

// (detail & 0xFFFF) << 16 | (stage & 0xFFFF), spelled out for the expectations.
int32_t Packed(uint32_t detail, uint32_t stage) {
    return static_cast<int32_t>((detail & 0xFFFFu) << 16 | (stage & 0xFFFFu));
}

// A line long enough to fold at 60 and 70, with words for the word wrap.
const std::string kLongLine =
    "Lumotext folds every logical line of a text at the fold column and lines up the "
    "continuation lines under the body of the first one.\r\n";

// ---- The export table ------------------------------------------------------

TEST(ExportTable, EveryExportByNameAndByOrdinal) {
    REQUIRE_LIBRARY();
    const HMODULE module = Library().module;
    for (const ExportName &entry : kExports) {
        SCOPED_TRACE(entry.name);
        const FARPROC by_name = GetProcAddress(module, entry.name);
        const FARPROC by_ordinal = GetProcAddress(module, MAKEINTRESOURCEA(entry.ordinal));
        EXPECT_NE(by_name, nullptr);
        EXPECT_EQ(by_ordinal, by_name) << "ordinal " << entry.ordinal;
    }
    SetLastError(0xdeadbeef);
    EXPECT_EQ(GetProcAddress(module, MAKEINTRESOURCEA(34)), nullptr) << "an export beyond 33";
    // The names carry no stdcall decoration.
    EXPECT_EQ(GetProcAddress(module, "GetDefaultNumber@4"), nullptr);
    EXPECT_EQ(GetProcAddress(module, "_GetDefaultNumber@4"), nullptr);
}

TEST(ExportTable, VersionNumbersInBothForms) {
    REQUIRE_LIBRARY();
    const Api &api = Library();
    SetLastError(0xdeadbeef);
    EXPECT_EQ(api.GetLTVersion(), 110);
    EXPECT_EQ(api.GetLTMajorVersion(), 1);
    EXPECT_EQ(api.GetLTMinorVersion(), 10);
    EXPECT_EQ(api.GetLTVersionHM(), 110);
    EXPECT_EQ(api.GetLTMajorVersionHM(), 1);
    EXPECT_EQ(api.GetLTMinorVersionHM(), 10);
    EXPECT_EQ(GetLastError(), 0xdeadbeefu) << "the version exports have no side effects";
}

// ---- The default slot number -------------------------------------------

TEST_F(HostTest, DefaultNumberThroughTheTwins) {
    REQUIRE_LIBRARY();
    const Api &api = Library();
    EXPECT_EQ(api.GetDefaultNumberHM(vendor()), 0) << "no product key yet";
    EXPECT_EQ(api.SetDefaultNumberHM(0, vendor()), 1);
    EXPECT_EQ(api.SetDefaultNumberHM(11, vendor()), 1);
    EXPECT_FALSE(KeyExists(ProductPath())) << "a refused number creates nothing";

    EXPECT_EQ(api.SetDefaultNumberHM(7, vendor()), 0);
    EXPECT_EQ(api.GetDefaultNumberHM(vendor()), 7);
    EXPECT_EQ(api.GetDefaultNumber(vendor()), 7);
    const StoredValue stored = ReadStoredValue(ProductPath(), "DefaultNumber");
    ASSERT_TRUE(stored.found);
    EXPECT_EQ(stored.type, static_cast<DWORD>(REG_DWORD));
    EXPECT_EQ(stored.size, 4u);
    EXPECT_EQ(stored.bytes, std::string("\x07\x00\x00\x00", 4));
    EXPECT_TRUE(stored.buffer_intact);

    EXPECT_EQ(api.SetDefaultNumberHM(11, vendor()), 1);
    EXPECT_EQ(api.GetDefaultNumberHM(vendor()), 7) << "a refused number changes nothing";

    const DWORD other = 25;  // written by another program, returned as it is
    WriteStoredValue(ProductPath(), "DefaultNumber", REG_DWORD, &other, sizeof other);
    EXPECT_EQ(api.GetDefaultNumberHM(vendor()), 25);
    WriteStoredValue(ProductPath(), "DefaultNumber", REG_SZ, "12345678", 9);
    EXPECT_EQ(api.GetDefaultNumberHM(vendor()), 0) << "a value longer than 4 bytes reads as 0";
}

// ---- A slot in the registry, value by value ------------------------------

struct ValueShape {
    const char *group;
    const char *name;
    DWORD type;
    DWORD size;
};

TEST_F(HostTest, PresetSlotStoresEveryValueWithItsTypeAndSize) {
    REQUIRE_LIBRARY();
    const Api &api = Library();
    SetLastError(0xdeadbeef);
    ASSERT_EQ(api.SetDefaultWholeSettingHM(4, 1, nullptr, vendor()), 0);

    // The preset sets: quote ">|》｜" 6 bytes, emphasis "#" 1, sole itemise marks
    // 44, combined itemise characters 212, itemise ends ".)．）" 6.
    std::vector<ValueShape> shapes = {
        {"indent", "styles", REG_DWORD, 4},
        {"indent", "sub_styles", REG_DWORD, 4},
        {"indent", "fixed_indent_column", REG_DWORD, 4},
        {"indent", "chars_for_quote", REG_SZ, 7},
        {"indent", "chars_for_empha", REG_SZ, 2},
        {"indent", "chars_for_sole_itemize", REG_SZ, 45},
        {"indent", "chars_for_combi_itemize", REG_SZ, 213},
        {"indent", "chars_for_itemize_end", REG_SZ, 7},
        {"foldpos", "foldnum_from_head", REG_DWORD, 4},
        {"foldpos", "foldnum_from_tail", REG_DWORD, 4},
        {"foldpos", "tailwrap_flag", REG_DWORD, 4},
        {"foldpos", "wraptype", REG_DWORD, 4},
        {"foldpos", "maxmove_leftwise", REG_DWORD, 4},
        {"foldpos", "maxmove_rightwise", REG_DWORD, 4},
        {"foldpos", "chars_not_for_tail", REG_SZ, 1024},
        {"foldpos", "chars_not_for_head", REG_SZ, 1024},
        {"foldpos", "chars_for_wordwrap", REG_SZ, 1024},
        {"lumoheader", "lumoheader", REG_DWORD, 4},
        {"lumoheader", "headerdelimiter", REG_SZ, 256},
    };
    static const char *const kStrings[] = {
        "indent_string-0", "indent_string-1", "indent_string-2", "indent_string-3", "indent_string-4",
        "indent_string-5", "indent_string-6", "indent_string-7", "indent_string-8", "indent_string-9"};
    static const char *const kProperties[] = {"indent_string_property-0", "indent_string_property-1",
                                              "indent_string_property-2", "indent_string_property-3",
                                              "indent_string_property-4", "indent_string_property-5",
                                              "indent_string_property-6", "indent_string_property-7",
                                              "indent_string_property-8", "indent_string_property-9"};
    for (int i = 0; i < LUMO_INDENT_STRING_COUNT; ++i) {
        shapes.push_back({"indent", kStrings[i], REG_SZ, 1});  // empty: the NUL alone
        shapes.push_back({"indent", kProperties[i], REG_DWORD, 4});
    }
    for (const ValueShape &shape : shapes) {
        SCOPED_TRACE(std::string(shape.group) + "\\" + shape.name);
        const StoredValue stored = ReadStoredValue(SlotPath(4) + "\\" + shape.group, shape.name);
        ASSERT_TRUE(stored.found);
        EXPECT_EQ(stored.type, shape.type);
        EXPECT_EQ(stored.size, shape.size);
        EXPECT_TRUE(stored.buffer_intact);
    }
    EXPECT_FALSE(ReadStoredValue(SlotPath(4) + "\\foldpos", "foldnum").found)
        << "the fold column is derived, never stored";

    // Preset 1's flag words, as stored.
    EXPECT_EQ(ReadStoredValue(SlotPath(4) + "\\indent", "styles").bytes, std::string("\xB7\x00\x00\x80", 4));
    EXPECT_EQ(ReadStoredValue(SlotPath(4) + "\\lumoheader", "lumoheader").bytes,
              std::string("\x03\x00\x01\x00", 4));
    EXPECT_EQ(ReadStoredValue(SlotPath(4) + "\\foldpos", "foldnum_from_head").bytes,
              std::string("\x46\x00\x00\x00", 4));
}

TEST_F(HostTest, SlotTitles) {
    REQUIRE_LIBRARY();
    const Api &api = Library();
    // "設定済み": 8 bytes of Shift-JIS and the NUL.
    const std::string configured("\x90\xDD\x92\xE8\x8D\xCF\x82\xDD\x00", 9);
    struct Row {
        const char *label;
        const char *title;
        std::string stored;
    };
    const Row rows[] = {
        {"no title", nullptr, configured},
        {"empty title", "", configured},
        {"own title", "Macro slot", std::string("Macro slot\0", 11)},
        {"long title", "A title much longer than the 43 bytes the dialogs show of it",
         std::string("A title much longer than the 43 bytes the dialogs show of it\0", 61)},
    };
    int slot = 1;
    for (const Row &row : rows) {
        SCOPED_TRACE(row.label);
        ASSERT_EQ(api.SetDefaultWholeSettingHM(slot, 0, row.title, vendor()), 0);
        const StoredValue title = ReadStoredValue(SlotPath(slot), "Title");
        ASSERT_TRUE(title.found);
        EXPECT_EQ(title.type, static_cast<DWORD>(REG_SZ));
        EXPECT_EQ(title.size, row.stored.size());
        EXPECT_EQ(title.bytes, row.stored);
        ++slot;
    }
}

TEST_F(HostTest, DefaultRootWhenTheVendorIsNull) {
    REQUIRE_LIBRARY();
    // Removed afterwards, down to the first key that was there before.
    const std::string keys[] = {"Software\\Copperloom\\Lumotext\\2", "Software\\Copperloom\\Lumotext",
                                "Software\\Copperloom"};
    if (KeyExists(keys[0])) GTEST_SKIP() << "slot 2 of the default root holds someone's settings";
    bool existed[3];
    for (int i = 0; i < 3; ++i) existed[i] = KeyExists(keys[i]);
    const int32_t result = Library().SetDefaultWholeSettingHM(2, 0, nullptr, nullptr);
    const StoredValue styles = ReadStoredValue(keys[0] + "\\indent", "styles");
    const StoredValue title = ReadStoredValue(keys[0], "Title");
    for (int i = 0; i < 3 && !existed[i]; ++i) RegDeleteTreeA(HKEY_CURRENT_USER, keys[i].c_str());
    EXPECT_FALSE(KeyExists(keys[0]));
    EXPECT_EQ(result, 0);
    EXPECT_EQ(styles.bytes, std::string("\xB1\x00\x00\x80", 4)) << "preset 0's styles";
    EXPECT_EQ(title.size, 9u);
}

TEST_F(HostTest, RefusedNumbersWriteNothingAndLoseTheirDetail) {
    REQUIRE_LIBRARY();
    const Api &api = Library();
    // Stage 1 with the detail 0x10000000, whose low half is 0.
    EXPECT_EQ(api.SetDefaultWholeSettingHM(11, 0, nullptr, vendor()), 0x00000001);
    EXPECT_EQ(api.SetDefaultWholeSettingHM(0, 0, nullptr, vendor()), 0x00000001);
    EXPECT_EQ(api.SetDefaultWholeSettingHM(1, 3, nullptr, vendor()), 0x00000001);
    EXPECT_FALSE(KeyExists(VendorRoot())) << "nothing is created";

    int32_t detail = 0;
    EXPECT_EQ(api.SetDefaultWholeSetting(11, 0, nullptr, vendor(), &detail), 1);
    EXPECT_EQ(detail, ERR_BAD_NUMBER) << "the standard form keeps the whole detail";
}

// ---- Loading a slot into the global records, with the packed result ------

TEST_F(HostTest, GetWholeSettingGLHMPacksStageAndDetail) {
    REQUIRE_LIBRARY();
    const Api &api = Library();
    EXPECT_EQ(api.GetWholeSettingGLHM(8, 80, 0, nullptr), 0) << "slot 0 is preset 2";
    EXPECT_EQ(api.GetWholeSettingGLHM(8, 80, 11, vendor()), 0x00000001)
        << "the detail 0x10000000 does not survive the packing";
    EXPECT_EQ(api.GetWholeSettingGLHM(8, 80, 5, vendor()), Packed(MASK_KEY, 1))
        << "a slot that was never written";

    struct Row {
        const char *label;
        void (*damage)(const std::string &slot);
        int32_t packed;
    };
    const Row rows[] = {
        {"styles and one indent string missing",
         [](const std::string &slot) {
             DeleteStoredValue(slot + "\\indent", "styles");
             DeleteStoredValue(slot + "\\indent", "indent_string-3");
         },
         Packed(0x202, 1)},
        {"no indent key",
         [](const std::string &slot) { RegDeleteTreeA(HKEY_CURRENT_USER, (slot + "\\indent").c_str()); },
         Packed(MASK_KEY, 1)},
        {"no foldpos key",
         [](const std::string &slot) { RegDeleteTreeA(HKEY_CURRENT_USER, (slot + "\\foldpos").c_str()); },
         Packed(MASK_KEY, 3)},
        {"wraptype missing",
         [](const std::string &slot) { DeleteStoredValue(slot + "\\foldpos", "wraptype"); },
         Packed(0x020, 3)},
        {"fold column 0 from the display width",
         [](const std::string &slot) {
             const DWORD follow = TAIL_WORDWRAP | TAIL_KINSOKU | TAIL_FOLLOW_WIDTH;
             const DWORD from_tail = 80;
             WriteStoredValue(slot + "\\foldpos", "tailwrap_flag", REG_DWORD, &follow, 4);
             WriteStoredValue(slot + "\\foldpos", "foldnum_from_tail", REG_DWORD, &from_tail, 4);
         },
         Packed(0, 2)},
        {"no lumoheader key",
         [](const std::string &slot) { RegDeleteTreeA(HKEY_CURRENT_USER, (slot + "\\lumoheader").c_str()); },
         Packed(MASK_KEY, 4)},
        {"headerdelimiter missing",
         [](const std::string &slot) { DeleteStoredValue(slot + "\\lumoheader", "headerdelimiter"); },
         Packed(0x004, 4)},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.label);
        ASSERT_EQ(api.SetDefaultWholeSettingHM(6, 2, nullptr, vendor()), 0);
        ASSERT_EQ(api.GetWholeSettingGLHM(8, 80, 6, vendor()), 0) << "before the damage";
        row.damage(SlotPath(6));
        EXPECT_EQ(api.GetWholeSettingGLHM(8, 80, 6, vendor()), row.packed);
    }
}

// ---- The macro road ------------------------------------------------------

// A host macro: the default slot, a slot loaded into the global records, the
// fold column replaced for one call, formatting and binding the clipboard.
TEST_F(HostTest, MacroRoadThroughTheTwins) {
    REQUIRE_LIBRARY();
    const Api &api = Library();
    ASSERT_EQ(api.SetDefaultWholeSettingHM(3, 0, "Macro slot", vendor()), 0);
    ASSERT_EQ(api.SetDefaultNumberHM(3, vendor()), 0);

    const int32_t slot = api.GetDefaultNumberHM(vendor());
    ASSERT_EQ(slot, 3);
    ASSERT_EQ(api.GetWholeSettingGLHM(8, 80, slot, vendor()), 0);
    LumoRecords records = LoadRecords(slot, vendor());
    ASSERT_EQ(records.fold.foldnum, 70u);

    // The slot's own fold column.
    ASSERT_TRUE(PutClipboardText(kLongLine));
    EXPECT_EQ(api.LumoClipBoardGLHM(8, 80), 0);
    const std::string at70 = Formatted(records, kLongLine);
    EXPECT_EQ(ClipboardText(), at70);

    // Column 60 for the next call, whatever the slot says.
    api.SetLumoPropertyGLHM(0, 0, 60, 0);
    ASSERT_TRUE(PutClipboardText(kLongLine));
    EXPECT_EQ(api.LumoClipBoardGLHM(8, 80), 0);
    LumoRecords at60_records = records;
    at60_records.fold.foldnum = 60;
    const std::string at60 = Formatted(at60_records, kLongLine);
    ASSERT_NE(at60, at70) << "the text does not tell the two fold columns apart";
    EXPECT_EQ(ClipboardText(), at60);

    // Loading the slot again restores its column.
    ASSERT_EQ(api.GetWholeSettingGLHM(8, 80, slot, vendor()), 0);
    ASSERT_TRUE(PutClipboardText(kLongLine));
    EXPECT_EQ(api.LumoClipBoardGLHM(8, 80), 0);
    EXPECT_EQ(ClipboardText(), at70);

    // Binding what was formatted, with the global IndentSettings.
    const std::string bound = Bound(records.indent, at70);
    EXPECT_EQ(api.BindClipBoardGLHM(), 0);
    EXPECT_EQ(ClipboardText(), bound);
    EXPECT_EQ(bound.find("\r\n"), bound.size() - 2) << "one line, ended as the text was";
}

TEST_F(HostTest, SlotZeroFoldsAtSeventyWhateverTheWidth) {
    REQUIRE_LIBRARY();
    const Api &api = Library();
    // No word bytes and no line-end rule: the break falls on the fold column.
    const std::string rule(100, '=');
    for (uint32_t width : {80u, 40u, 3u}) {
        SCOPED_TRACE("display width " + std::to_string(width));
        ASSERT_EQ(api.GetWholeSettingGLHM(8, width, 0, nullptr), 0);
        ASSERT_TRUE(PutClipboardText(rule));
        EXPECT_EQ(api.LumoClipBoardGLHM(8, width), 0);
        EXPECT_EQ(ClipboardText(), std::string(70, '=') + "\r\n" + std::string(30, '='));
    }
}

// With TAIL_FOLLOW_WIDTH the fold column is the twin's display width less
// foldnum_from_tail.
TEST_F(HostTest, GetWholeSettingGLHMDerivesTheFoldColumnFromItsWidth) {
    REQUIRE_LIBRARY();
    const Api &api = Library();
    ASSERT_EQ(api.SetDefaultWholeSettingHM(7, 2, nullptr, vendor()), 0);
    const DWORD follow = TAIL_WORDWRAP | TAIL_KINSOKU | TAIL_FOLLOW_WIDTH;
    const DWORD from_tail = 5;
    WriteStoredValue(SlotPath(7) + "\\foldpos", "tailwrap_flag", REG_DWORD, &follow, 4);
    WriteStoredValue(SlotPath(7) + "\\foldpos", "foldnum_from_tail", REG_DWORD, &from_tail, 4);
    const std::string rule(100, '=');
    for (uint32_t width : {40u, 80u}) {
        SCOPED_TRACE("display width " + std::to_string(width));
        ASSERT_EQ(api.GetWholeSettingGLHM(8, width, 7, vendor()), 0);
        ASSERT_TRUE(PutClipboardText(rule));
        EXPECT_EQ(api.LumoClipBoardGLHM(8, width), 0);
        const std::string first = ClipboardText().substr(0, ClipboardText().find("\r\n"));
        EXPECT_EQ(first.size(), width - 5);
    }
    EXPECT_EQ(api.GetWholeSettingGLHM(8, 5, 7, vendor()), Packed(0, 2)) << "no column left";
}

// Binding with the global records follows what SetLumoPropertyGL put there:
// without STYLE_STRIP_HEAD_SPACE the blanks of a joined line stay.
TEST_F(HostTest, BindClipBoardGLHMUsesTheGlobalIndentSettings) {
    REQUIRE_LIBRARY();
    const Api &api = Library();
    const std::string text = "abc\r\n   def\r\n";
    LumoRecords records = LoadRecords(0, nullptr);
    ASSERT_EQ(api.GetWholeSettingGLHM(8, 80, 0, nullptr), 0);
    ASSERT_TRUE(PutClipboardText(text));
    EXPECT_EQ(api.BindClipBoardGLHM(), 0);
    const std::string stripped = Bound(records.indent, text);
    EXPECT_EQ(ClipboardText(), stripped);

    api.SetLumoPropertyGLHM(0, STYLE_INDENT, 0, 0);
    records.indent.styles = STYLE_INDENT;
    const std::string kept = Bound(records.indent, text);
    ASSERT_NE(kept, stripped) << "the text does not show the styles";
    ASSERT_TRUE(PutClipboardText(text));
    EXPECT_EQ(api.BindClipBoardGLHM(), 0);
    EXPECT_EQ(ClipboardText(), kept);
}

// The twin's tab width reaches the formatter.
TEST_F(HostTest, LumoClipBoardGLHMPassesTheTabWidth) {
    REQUIRE_LIBRARY();
    const Api &api = Library();
    const std::string text = "\tTabs\tmove\tthe\tcolumn\tto\tthe\tnext\tmultiple\tof\tthe\ttab\twidth.\r\n";
    ASSERT_EQ(api.GetWholeSettingGLHM(8, 80, 0, nullptr), 0);
    const LumoRecords records = LoadRecords(0, nullptr);
    std::vector<std::string> outputs;
    for (uint32_t tab_width : {1u, 4u, 8u}) {
        SCOPED_TRACE("tab width " + std::to_string(tab_width));
        ASSERT_TRUE(PutClipboardText(text));
        EXPECT_EQ(api.LumoClipBoardGLHM(tab_width, 80), 0);
        outputs.push_back(Formatted(records, text, tab_width));
        EXPECT_EQ(ClipboardText(), outputs.back());
    }
    EXPECT_NE(outputs[0], outputs[1]) << "the text does not show the tab width";
    EXPECT_NE(outputs[1], outputs[2]) << "the text does not show the tab width";
}

// Each non-zero argument replaces one field of the global records; a zero
// argument leaves its field alone. The effect is read through the formatted
// clipboard and compared with LumoMultiLines on records changed alike.
TEST_F(HostTest, SetLumoPropertyGLReplacesOnlyNonZeroFields) {
    REQUIRE_LIBRARY();
    const Api &api = Library();
    // Indented, with words at the fold columns used below.
    const std::string text =
        "    Macro hosts pass only integers, so the twins build every request from "
        "them and pack two result codes into the one integer they return.\r\n";
    LumoRecords expected = LoadRecords(0, nullptr);
    ASSERT_EQ(api.GetWholeSettingGLHM(8, 80, 0, nullptr), 0);

    struct Step {
        const char *label;
        bool twin;  // through SetLumoPropertyGLHM, else the standard form
        uint32_t arguments[4];
        void (*apply)(LumoRecords &);
    };
    const Step steps[] = {
        {"all zero", true, {0, 0, 0, 0}, [](LumoRecords &) {}},
        {"fold column", true, {0, 0, 30, 0}, [](LumoRecords &r) { r.fold.foldnum = 30; }},
        {"all zero after a change", false, {0, 0, 0, 0}, [](LumoRecords &) {}},
        {"styles",
         true,
         {0, STYLE_INDENT | STYLE_FIXED_COLUMN, 0, 0},
         [](LumoRecords &r) { r.indent.styles = STYLE_INDENT | STYLE_FIXED_COLUMN; }},
        {"indent column", false, {9, 0, 0, 0}, [](LumoRecords &r) { r.indent.fixed_indent_column = 9; }},
        {"fold flags",
         true,
         {0, 0, 0, TAIL_KINSOKU},
         [](LumoRecords &r) { r.fold.tailwrap_flag = TAIL_KINSOKU; }},
        {"all zero at the end", true, {0, 0, 0, 0}, [](LumoRecords &) {}},
    };
    std::string before = Formatted(expected, text);
    for (const Step &step : steps) {
        SCOPED_TRACE(step.label);
        const uint32_t *a = step.arguments;
        if (step.twin) {
            api.SetLumoPropertyGLHM(a[0], a[1], a[2], a[3]);
        } else {
            api.SetLumoPropertyGL(a[0], a[1], a[2], a[3]);
        }
        step.apply(expected);
        const std::string after = Formatted(expected, text);
        if (a[0] != 0 || a[1] != 0 || a[2] != 0 || a[3] != 0) {
            ASSERT_NE(after, before) << "the text does not show this field";
        }
        ASSERT_TRUE(PutClipboardText(text));
        EXPECT_EQ(api.LumoClipBoardGLHM(8, 80), 0);
        EXPECT_EQ(ClipboardText(), after);
        before = after;
    }
    // A slot load replaces all four again.
    ASSERT_EQ(api.GetWholeSettingGLHM(8, 80, 0, nullptr), 0);
    ASSERT_TRUE(PutClipboardText(text));
    EXPECT_EQ(api.LumoClipBoardGLHM(8, 80), 0);
    EXPECT_EQ(ClipboardText(), Formatted(LoadRecords(0, nullptr), text));
}

// ---- The clipboard commands ----------------------------------------------

TEST_F(HostTest, OutputBlockIsOneAndAHalfTimesTheText) {
    REQUIRE_LIBRARY();
    const Api &api = Library();
    LumoRecords records = LoadRecords(0, nullptr);
    struct Row {
        const char *label;
        std::string text;
        uint32_t capacity;
    };
    const std::string half(48, 'a');
    const Row rows[] = {
        {"10 bytes", "abcdefghij", 15},
        {"11 bytes", "abcdefghijk", 15},
        {"100 bytes", half + "\r\n" + half + "\r\n", 150},
        {"1 byte: room for the text and its NUL", "a", 2},
        {"empty: room for the NUL", "", 1},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.label);
        ASSERT_TRUE(PutClipboardText(row.text));
        FormatRequest request = Request(8, 80);
        SetLastError(0xdeadbeef);
        EXPECT_EQ(api.LumoClipBoard(&request, &records.indent, &records.fold, &records.header), 0);
        EXPECT_EQ(request.capacity, row.capacity);
        EXPECT_NE(request.source, nullptr);
        EXPECT_NE(request.output, nullptr);
        EXPECT_EQ(request.record_size, FORMAT_REQUEST_SIZE);
        EXPECT_EQ(request.tab_width, 8u);
        EXPECT_EQ(request.display_width, 80u);
        EXPECT_EQ(ClipboardText(), Formatted(records, row.text));
        EXPECT_EQ(records.fold.foldnum, 70u) << "the fold column is restored";
    }
}

// A formatted text longer than the block gets a larger block: the clipboard
// never receives a cut or empty text.
TEST_F(HostTest, TextThatOutgrowsTheBlockComesBackWhole) {
    REQUIRE_LIBRARY();
    const Api &api = Library();
    LumoRecords records = LoadRecords(0, nullptr);
    records.fold.foldnum = 2;
    const std::string many_lines = [] {
        std::string text;
        for (int i = 0; i < 10; ++i) text += "abcdefgh\r\n";
        return text;
    }();
    for (const std::string &text : {std::string("abcdefghij"), many_lines}) {
        SCOPED_TRACE(text);
        const std::string expected = Formatted(records, text);
        ASSERT_GT(expected.size() + 1, text.size() / 2 * 3) << "fits the first block";
        ASSERT_TRUE(PutClipboardText(text));
        FormatRequest request = Request(8, 80);
        EXPECT_EQ(api.LumoClipBoard(&request, &records.indent, &records.fold, &records.header), 0);
        EXPECT_EQ(ClipboardText(), expected);
        EXPECT_GE(request.capacity, expected.size() + 1);
    }
}

TEST_F(HostTest, FormattingFailuresLeaveTheClipboardAlone) {
    REQUIRE_LIBRARY();
    const Api &api = Library();
    const std::string text = "    " + std::string(40, 'y') + "\r\n";
    struct Row {
        const char *label;
        void (*setup)(LumoRecords &);
        int32_t result;
    };
    const Row rows[] = {
        {"fold column 0", [](LumoRecords &r) { r.fold.foldnum = 0; }, FORMAT_FOLD_ZERO},
        {"prefix as wide as the fold column",
         [](LumoRecords &r) {
             r.indent.styles = STYLE_INDENT | STYLE_FIXED_COLUMN;
             r.indent.fixed_indent_column = 10;
             r.fold.foldnum = 10;
         },
         FORMAT_NO_COLUMN},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.label);
        LumoRecords records = LoadRecords(0, nullptr);
        row.setup(records);
        ASSERT_TRUE(PutClipboardText(text));
        FormatRequest request = Request(8, 80);
        EXPECT_EQ(api.LumoClipBoard(&request, &records.indent, &records.fold, &records.header), row.result);
        EXPECT_EQ(ClipboardText(), text);
    }
}

TEST_F(HostTest, BindingTheClipboard) {
    REQUIRE_LIBRARY();
    const Api &api = Library();
    LumoRecords records = LoadRecords(0, nullptr);
    ASSERT_EQ(api.GetWholeSettingGLHM(8, 80, 0, nullptr), 0);
    struct Row {
        const char *label;
        std::string text;
        std::string bound;
    };
    const Row rows[] = {
        {"CR LF at the end is kept", "abc\r\ndef\r\n", "abcdef\r\n"},
        {"no line break at the end", "abc\r\ndef", "abcdef"},
        {"LF at the end is kept", "abc\ndef\n", "abcdef\n"},
        {"empty text", "", ""},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.label);
        ASSERT_TRUE(PutClipboardText(row.text));
        EXPECT_EQ(api.BindClipBoard(&records.indent), 0);
        EXPECT_EQ(ClipboardText(), row.bound);

        ASSERT_TRUE(PutClipboardText(row.text));
        EXPECT_EQ(api.BindClipBoardGLHM(), 0) << "the twin on the global records";
        EXPECT_EQ(ClipboardText(), row.bound);
    }
}

// ---- Text blocks without a NUL -------------------------------------------

// Wine's SetClipboardData writes a NUL into the last byte of every CF_TEXT
// block it takes; Windows leaves the block as the program wrote it. So the
// library's own import of GetClipboardData is pointed at HandOutBlock, which
// gives it the test's block as Windows would, while the clipboard itself
// holds a placeholder that shows whether the library replaced it.
HGLOBAL g_handed_out = nullptr;
HANDLE WINAPI HandOutBlock(UINT format) { return format == CF_TEXT ? g_handed_out : nullptr; }

// A moveable block of exactly these bytes, owned by the test. It is made
// larger and filled with 'x' first, then shrunk in place, so that the heap
// bytes behind it are most likely no NUL either: a read past it shows.
class TextBlock {
public:
    explicit TextBlock(const std::string &bytes) {
        if (bytes.empty()) {
            handle_ = GlobalAlloc(GMEM_MOVEABLE, 0);
            return;
        }
        handle_ = GlobalAlloc(GMEM_MOVEABLE, bytes.size() + 64);
        if (char *data = handle_ != nullptr ? static_cast<char *>(GlobalLock(handle_)) : nullptr) {
            std::memset(data, 'x', bytes.size() + 64);
            std::memcpy(data, bytes.data(), bytes.size());
            GlobalUnlock(handle_);
        }
        if (handle_ != nullptr && GlobalReAlloc(handle_, bytes.size(), 0) != handle_) {
            GlobalFree(handle_);
            handle_ = nullptr;
        }
    }
    ~TextBlock() {
        if (handle_ != nullptr) GlobalFree(handle_);
    }
    TextBlock(const TextBlock &) = delete;
    TextBlock &operator=(const TextBlock &) = delete;
    HGLOBAL handle() const { return handle_; }
    std::string bytes() const {
        const SIZE_T size = GlobalSize(handle_);
        if (size == 0) return std::string();
        const char *data = static_cast<const char *>(GlobalLock(handle_));
        std::string copy(data, size);
        GlobalUnlock(handle_);
        return copy;
    }

private:
    HGLOBAL handle_ = nullptr;
};

// 4,096 bytes of folding and binding work, cut in the middle of a line.
std::string PageOfLines() {
    std::string text;
    for (int i = 0; text.size() < 4096; ++i) {
        text += "line " + std::to_string(i) + " of a page that is cut without a NUL, " +
                std::string(40, 'z') + "\r\n";
    }
    text.resize(4096);
    return text;
}

TEST_F(HostTest, ClipboardTextEndsWithItsBlock) {
    REQUIRE_LIBRARY();
    const Api &api = Library();
    LumoRecords records = LoadRecords(0, nullptr);
    ASSERT_EQ(api.GetWholeSettingGLHM(8, 80, 0, nullptr), 0);
    const lumo_test::ImportPatch patch(api.module, "user32.dll", "GetClipboardData",
                                       reinterpret_cast<void *>(&HandOutBlock));
    ASSERT_TRUE(patch.patched()) << "the library imports no GetClipboardData";
    const std::string placeholder = "placeholder\r\n";
    const std::string page = PageOfLines();
    struct Row {
        const char *label;
        std::string block;
        std::string text;  // what the library is to read
        uint32_t capacity;
    };
    const Row rows[] = {
        {"1 byte without a NUL", "a", "a", 2},
        {"8 bytes without a NUL", "abcdefgh", "abcdefgh", 12},
        {"4,096 bytes without a NUL", page, page, 6144},
        {"a NUL in the middle: the bytes behind it are ignored", std::string("abc\r\ndef\0ghi\r\n", 14),
         "abc\r\ndef", 12},
        {"no bytes at all: the empty text", "", "", 1},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.label);
        const TextBlock block(row.block);
        ASSERT_NE(block.handle(), nullptr);
        ASSERT_EQ(GlobalSize(block.handle()), row.block.size());
        g_handed_out = block.handle();

        ASSERT_TRUE(PutClipboardText(placeholder));
        FormatRequest request = Request(8, 80);
        EXPECT_EQ(api.LumoClipBoard(&request, &records.indent, &records.fold, &records.header), 0);
        EXPECT_EQ(request.capacity, row.capacity);
        EXPECT_EQ(ClipboardText(), Formatted(records, row.text));

        ASSERT_TRUE(PutClipboardText(placeholder));
        EXPECT_EQ(api.LumoClipBoardGLHM(8, 80), 0) << "the twin on the global records";
        EXPECT_EQ(ClipboardText(), Formatted(records, row.text));

        ASSERT_TRUE(PutClipboardText(placeholder));
        EXPECT_EQ(api.BindClipBoardGLHM(), 0);
        EXPECT_EQ(ClipboardText(), Bound(records.indent, row.text));

        // Any other result leaves the clipboard as it was.
        ASSERT_TRUE(PutClipboardText(placeholder));
        LumoRecords no_fold = records;
        no_fold.fold.foldnum = 0;
        EXPECT_EQ(api.LumoClipBoard(&request, &no_fold.indent, &no_fold.fold, &no_fold.header),
                  FORMAT_FOLD_ZERO);
        EXPECT_EQ(ClipboardText(), placeholder);

        EXPECT_EQ(block.bytes(), row.block) << "the library wrote into the clipboard's block";
        g_handed_out = nullptr;
    }
}

TEST_F(HostTest, NoTextOnTheClipboard) {
    REQUIRE_LIBRARY();
    const Api &api = Library();
    LumoRecords records = LoadRecords(0, nullptr);
    ASSERT_EQ(api.GetWholeSettingGLHM(8, 80, 0, nullptr), 0);
    ASSERT_TRUE(EmptyTheClipboard());
    FormatRequest request = Request(8, 80);
    EXPECT_EQ(api.LumoClipBoard(&request, &records.indent, &records.fold, &records.header), CLIP_NO_TEXT);
    EXPECT_EQ(api.LumoClipBoardGLHM(8, 80), CLIP_NO_TEXT);
    EXPECT_EQ(api.BindClipBoard(&records.indent), CLIP_NO_TEXT);
    EXPECT_EQ(api.BindClipBoardGLHM(), CLIP_NO_TEXT);
    EXPECT_EQ(ClipboardText(), kNoText);
}

TEST_F(HostTest, ClipboardHeldByAnotherThread) {
    REQUIRE_LIBRARY();
    const Api &api = Library();
    LumoRecords records = LoadRecords(0, nullptr);
    ASSERT_EQ(api.GetWholeSettingGLHM(8, 80, 0, nullptr), 0);
    const std::string text = kLongLine + "abc\r\ndef\r\n";
    ASSERT_TRUE(PutClipboardText(text));
    {
        ClipboardHolder holder;
        ASSERT_TRUE(holder.holding()) << "the second thread could not open the clipboard";
        FormatRequest request = Request(8, 80);
        EXPECT_EQ(api.LumoClipBoard(&request, &records.indent, &records.fold, &records.header),
                  CLIP_OPEN_FAILED);
        EXPECT_EQ(api.LumoClipBoardGLHM(8, 80), CLIP_OPEN_FAILED);
        EXPECT_EQ(api.BindClipBoard(&records.indent), CLIP_OPEN_FAILED);
        EXPECT_EQ(api.BindClipBoardGLHM(), CLIP_OPEN_FAILED);
    }
    EXPECT_EQ(ClipboardText(), text);
}

// CF_TEXT announced by an owner that renders it late and then hands out
// nothing: no text to work on.
TEST_F(HostTest, AnnouncedTextThatNeverComes) {
    REQUIRE_LIBRARY();
    const Api &api = Library();
    LumoRecords records = LoadRecords(0, nullptr);
    ASSERT_EQ(api.GetWholeSettingGLHM(8, 80, 0, nullptr), 0);
    HWND owner = CreateSilentOwner();
    ASSERT_NE(owner, nullptr);
    ASSERT_TRUE(OpenClipboard(owner));
    EmptyClipboard();
    SetClipboardData(CF_TEXT, nullptr);  // delayed rendering
    CloseClipboard();
    ASSERT_TRUE(IsClipboardFormatAvailable(CF_TEXT));

    g_render_requests = 0;
    FormatRequest request = Request(8, 80);
    EXPECT_EQ(api.LumoClipBoard(&request, &records.indent, &records.fold, &records.header), CLIP_NO_TEXT);
    EXPECT_EQ(api.BindClipBoardGLHM(), CLIP_NO_TEXT);
    EXPECT_GE(g_render_requests, 2) << "the library did not ask for the text";
    EXPECT_TRUE(IsClipboardFormatAvailable(CF_TEXT)) << "the announcement stays";
    ASSERT_TRUE(EmptyTheClipboard());
    DestroyWindow(owner);
}

// ---- Right after loading: the global fold column is 0 ---------------------

constexpr char kFreshFlag[] = "--fresh-library-check";
constexpr char kFreshText[] = "abc\r\ndef\r\n";

// Runs in a child process that has not loaded the library yet.
int FreshLibraryCheck() {
    if (!PutClipboardText(kFreshText)) return 10;
    const Api &api = Library();
    if (!api.complete()) return 11;
    int failures = 0;
    const int32_t twin = api.LumoClipBoardGLHM(8, 80);
    if (twin != FORMAT_FOLD_ZERO) {
        std::printf("LumoClipBoardGLHM right after loading returned %d, not 3\n", twin);
        ++failures;
    }
    FormatRequest request = Request(8, 80);
    const int32_t standard = api.LumoClipBoardGL(&request);
    if (standard != FORMAT_FOLD_ZERO) {
        std::printf("LumoClipBoardGL right after loading returned %d, not 3\n", standard);
        ++failures;
    }
    const std::string after = ClipboardText();
    if (after != kFreshText) {
        std::printf("the clipboard changed to \"%s\"\n", after.c_str());
        ++failures;
    }
    return failures;
}

TEST(FreshLibrary, ClipboardGLFailsWithFoldColumnZero) {
    char program[MAX_PATH];
    ASSERT_GT(GetModuleFileNameA(nullptr, program, sizeof program), 0u);
    std::string command = std::string("\"") + program + "\" " + kFreshFlag + " \"" + g_library_path + "\"";
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    ASSERT_TRUE(CreateProcessA(program, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                               &process))
        << "error " << GetLastError();
    EXPECT_EQ(WaitForSingleObject(process.hProcess, 60000), WAIT_OBJECT_0);
    DWORD exit_code = 0xdeadbeef;
    GetExitCodeProcess(process.hProcess, &exit_code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    EXPECT_EQ(exit_code, 0u) << "the child process's check failed (10: no clipboard, 11: no library)";
}

}  // namespace

// host_test [--fresh-library-check] [path of Lumotext.dll]
int main(int argc, char **argv) {
    ::testing::InitGoogleTest(&argc, argv);
    bool fresh = false;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], kFreshFlag) == 0) {
            fresh = true;
        } else {
            g_library_path = argv[i];
        }
    }
    if (fresh) return FreshLibraryCheck();
    return RUN_ALL_TESTS();
}
