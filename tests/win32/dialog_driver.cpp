// The dialog driver: a CBT hook that starts a thread timer when the first
// dialog is activated, a tick that runs one script step at a time against
// the dialog on top, and the helpers the scripts use.
#include "dialog_driver.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <sstream>
#include <type_traits>

namespace dialog_test {
namespace {

constexpr UINT kTickMs = 25;
constexpr int kStepTimeoutTicks = 400;  // ten seconds
constexpr int kCloseTimeoutTicks = 80;  // what is left open after the script

struct Run {
    const Script *script = nullptr;
    size_t next = 0;
    int waited = 0;
    bool bailing_out = false;
    UINT_PTR timer = 0;
    HHOOK hook = nullptr;
};
Run g_run;
std::map<std::string, Creation> g_created;

void BailOut(const std::string &why) {
    if (!g_run.bailing_out) ADD_FAILURE() << why;
    g_run.bailing_out = true;
}

void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
    HWND top = TopDialog();
    if (g_run.bailing_out) {
        if (top != nullptr) PostMessageA(top, WM_COMMAND, IDCANCEL, 0);
        return;
    }
    const std::vector<Step> &steps = g_run.script->steps;
    if (g_run.next == steps.size()) {
        if (top != nullptr && ++g_run.waited > kCloseTimeoutTicks) {
            BailOut("a dialog is still open after the script: \"" + Text(top) + "\"");
        }
        return;
    }
    const Step &step = steps[g_run.next];
    if (top == nullptr || !step.ready(top)) {
        if (++g_run.waited > kStepTimeoutTicks) {
            BailOut("step " + std::to_string(g_run.next) + " (" + step.what +
                    ") never became ready; on top: " +
                    (top != nullptr ? "\"" + Text(top) + "\"" : std::string("nothing")));
        }
        return;
    }
    // Advance first: an action that runs a nested modal loop sees the
    // following steps run inside it.
    ++g_run.next;
    g_run.waited = 0;
    SCOPED_TRACE("step: " + step.what);
    step.action(top);
}

bool IsDialogClass(HWND window) {
    char name[16] = {};
    GetClassNameA(window, name, sizeof name);
    return std::strcmp(name, "#32770") == 0;
}

LRESULT CALLBACK CbtHook(int code, WPARAM wparam, LPARAM lparam) {
    if (code == HCBT_CREATEWND) {
        char name[64] = {};
        GetClassNameA(reinterpret_cast<HWND>(wparam), name, sizeof name);
        const CREATESTRUCTA &create = *reinterpret_cast<CBT_CREATEWNDA *>(lparam)->lpcs;
        g_created[name] = {true,
                           static_cast<DWORD>(create.style),
                           create.x,
                           create.y,
                           create.cx,
                           create.cy,
                           create.hwndParent,
                           create.hMenu};
    }
    if (code == HCBT_ACTIVATE && g_run.timer == 0 && IsDialogClass(reinterpret_cast<HWND>(wparam))) {
        g_run.timer = SetTimer(nullptr, 0, kTickMs, Tick);
    }
    return CallNextHookEx(g_run.hook, code, wparam, lparam);
}

struct TopSearch {
    HWND found = nullptr;
    int count = 0;
};

BOOL CALLBACK ConsiderWindow(HWND window, LPARAM context) {
    auto *search = reinterpret_cast<TopSearch *>(context);
    if (IsWindowVisible(window) && IsWindowEnabled(window) && IsDialogClass(window)) {
        search->found = window;
        ++search->count;
    }
    return TRUE;
}

// "Z:" and backslashes for a Unix path, for the Windows file functions.
std::string WindowsPath(const std::string &unix_path) {
    std::string path = "Z:" + unix_path;
    for (char &c : path) {
        if (c == '/') c = '\\';
    }
    return path;
}

void TakeScreenshot(HWND window, const std::string &name) {
    const char *folder = std::getenv("LUMOTEXT_SCREENSHOTS");
    if (folder == nullptr || *folder == '\0') return;
    RECT rect;
    GetWindowRect(window, &rect);
    const std::string png = std::string(folder) + "/" + name + ".png";
    DeleteFileA(WindowsPath(png).c_str());
    // A Unix program started from Wine has no process handle to wait on:
    // the capture script writes the file under another name and renames it.
    char command[2048];
    std::snprintf(command, sizeof command, "/bin/sh %s %ld %ld %ld %ld %s", LUMOTEXT_CAPTURE_SCRIPT,
                  rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, png.c_str());
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessA(nullptr, command, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
        ADD_FAILURE() << "could not start the capture script: " << command;
        return;
    }
    if (process.hProcess != nullptr) CloseHandle(process.hProcess);
    if (process.hThread != nullptr) CloseHandle(process.hThread);
    for (int waited = 0; waited < 300; ++waited) {
        if (GetFileAttributesA(WindowsPath(png).c_str()) != INVALID_FILE_ATTRIBUTES) return;
        Sleep(50);
    }
    ADD_FAILURE() << "no screenshot appeared at " << png;
}

}  // namespace

const Library &Lumotext() {
    static const Library library = [] {
        Library l = {};
        l.module = LoadLibraryA(LUMOTEXT_DLL);
        if (l.module == nullptr) {
            std::fprintf(stderr, "cannot load %s (error %lu)\n", LUMOTEXT_DLL, GetLastError());
            std::abort();
        }
        auto get = [&](auto &pointer, const char *name) {
            pointer = reinterpret_cast<std::remove_reference_t<decltype(pointer)>>(
                reinterpret_cast<void *>(GetProcAddress(l.module, name)));
            if (pointer == nullptr) {
                std::fprintf(stderr, "Lumotext.dll does not export %s\n", name);
                std::abort();
            }
        };
        get(l.SetupDlgDirect, "SetupDlgDirect");
        get(l.RegSelDlg, "RegSelDlg");
        get(l.RegSelDlgHM, "RegSelDlgHM");
        get(l.DefaultNumberDlg, "DefaultNumberDlg");
        get(l.DefaultNumberDlgHM, "DefaultNumberDlgHM");
        get(l.IndPropDlg, "IndPropDlg");
        get(l.IndPropDlgGL, "IndPropDlgGL");
        get(l.IndPropDlgGLHM, "IndPropDlgGLHM");
        get(l.GetDefaultNumber, "GetDefaultNumber");
        get(l.SetDefaultNumber, "SetDefaultNumber");
        get(l.SetDefaultWholeSetting, "SetDefaultWholeSetting");
        get(l.GetWholeSetting, "GetWholeSetting");
        get(l.LumoMultiLines, "LumoMultiLines");
        get(l.LumoClipBoardGL, "LumoClipBoardGL");
        return l;
    }();
    return library;
}

Creation LastCreated(const char *class_name) {
    const auto found = g_created.find(class_name);
    return found == g_created.end() ? Creation{} : found->second;
}

HWND TopDialog() {
    TopSearch search;
    EnumThreadWindows(GetCurrentThreadId(), ConsiderWindow, reinterpret_cast<LPARAM>(&search));
    return search.count == 1 ? search.found : nullptr;
}

std::string Text(HWND window) {
    char text[4096] = {};
    GetWindowTextA(window, text, sizeof text);
    return text;
}

std::string ItemText(HWND dialog, int id) {
    HWND item = GetDlgItem(dialog, id);
    if (item == nullptr) return "<no control " + std::to_string(id) + ">";
    return Text(item);
}

bool Ticked(HWND dialog, int id) { return IsDlgButtonChecked(dialog, id) == BST_CHECKED; }
bool Enabled(HWND dialog, int id) { return IsWindowEnabled(GetDlgItem(dialog, id)) != FALSE; }
bool Visible(HWND dialog, int id) { return IsWindowVisible(GetDlgItem(dialog, id)) != FALSE; }

void SetItemText(HWND dialog, int id, const std::string &text) { SetDlgItemTextA(dialog, id, text.c_str()); }

void Click(HWND dialog, int id) { SendMessageA(GetDlgItem(dialog, id), BM_CLICK, 0, 0); }

void PostCommand(HWND dialog, int id) {
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

void SetCheck(HWND dialog, int id, bool checked) {
    CheckDlgButton(dialog, id, checked ? BST_CHECKED : BST_UNCHECKED);
}

HWND CurrentPage(HWND sheet) {
    return reinterpret_cast<HWND>(SendMessageA(sheet, PSM_GETCURRENTPAGEHWND, 0, 0));
}

void ShowPage(HWND sheet, int index) { SendMessageA(sheet, PSM_SETCURSEL, static_cast<WPARAM>(index), 0); }

std::string TabCaption(HWND sheet, int index) {
    HWND tabs = reinterpret_cast<HWND>(SendMessageA(sheet, PSM_GETTABCONTROL, 0, 0));
    char text[256] = {};
    TCITEMA item = {};
    item.mask = TCIF_TEXT;
    item.pszText = text;
    item.cchTextMax = sizeof text;
    SendMessageA(tabs, TCM_GETITEMA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
    return text;
}

Script &Script::On(const std::string &caption, const std::string &what, std::function<void(HWND)> action) {
    steps.push_back({what, [caption](HWND top) { return Text(top) == caption; }, std::move(action)});
    return *this;
}

Script &Script::Then(const std::string &what, std::function<void(HWND)> action) {
    steps.push_back({what, [](HWND) { return true; }, std::move(action)});
    return *this;
}

Script &Script::Idle(int ticks) {
    for (int k = 0; k < ticks; ++k) Then("idle", [](HWND) {});
    return *this;
}

Script &Script::Screenshot(const std::string &name) {
    // Paint now, let the loop hand the pixels to the display, then capture.
    Then("paint for " + name, [](HWND top) {
        SetActiveWindow(top);
        RedrawWindow(top, nullptr, nullptr,
                     RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
    });
    Idle(8);
    return Then("screenshot " + name, [name](HWND top) { TakeScreenshot(top, name); });
}

int32_t Drive(const Script &script, const std::function<int32_t()> &show) {
    g_run = Run{};
    g_run.script = &script;
    g_created.clear();
    g_run.hook = SetWindowsHookExA(WH_CBT, CbtHook, nullptr, GetCurrentThreadId());
    EXPECT_NE(g_run.hook, nullptr);
    const int32_t result = show();
    UnhookWindowsHookEx(g_run.hook);
    if (g_run.timer != 0) KillTimer(nullptr, g_run.timer);
    if (!g_run.bailing_out && g_run.next != script.steps.size()) {
        ADD_FAILURE() << "the dialog closed before step " << g_run.next << " ("
                      << script.steps[g_run.next].what << ")";
    }
    // Drop what the timer left in the queue.
    MSG message;
    while (PeekMessageA(&message, nullptr, WM_TIMER, WM_TIMER, PM_REMOVE)) {
    }
    g_run = Run{};
    return result;
}

// ---- Registry ------------------------------------------------------------

const char kVendor[] = "LumotextDialogTests";

std::string SlotPath(const char *vendor, int slot) {
    const std::string product = (vendor == nullptr || *vendor == '\0')
                                    ? std::string("Software\\Copperloom\\Lumotext")
                                    : std::string("Software\\") + vendor + "\\Lumotext";
    return product + "\\" + std::to_string(slot);
}

void DeleteProduct(const char *vendor) {
    const std::string product = (vendor == nullptr || *vendor == '\0') ? std::string("Software\\Copperloom")
                                                                       : std::string("Software\\") + vendor;
    RegDeleteTreeA(HKEY_CURRENT_USER, product.c_str());
    RegDeleteKeyA(HKEY_CURRENT_USER, product.c_str());
}

bool KeyExists(const std::string &path) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    RegCloseKey(key);
    return true;
}

Value ReadValue(const std::string &path, const char *name) {
    Value value;
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return value;
    char buffer[8192];
    std::memset(buffer, 0xBD, sizeof buffer);
    DWORD size = sizeof buffer;
    if (RegQueryValueExA(key, name, nullptr, &value.type, reinterpret_cast<BYTE *>(buffer), &size) ==
        ERROR_SUCCESS) {
        value.found = true;
        value.bytes.assign(buffer, size);
    }
    RegCloseKey(key);
    return value;
}

namespace {
void WriteValue(const std::string &path, const char *name, DWORD type, const void *data, DWORD size) {
    HKEY key = nullptr;
    ASSERT_EQ(
        RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr),
        ERROR_SUCCESS);
    EXPECT_EQ(RegSetValueExA(key, name, 0, type, static_cast<const BYTE *>(data), size), ERROR_SUCCESS);
    RegCloseKey(key);
}

void SnapshotKey(HKEY parent, const std::string &path, std::ostringstream &out) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(parent, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) {
        out << "[no key " << path << "]\n";
        return;
    }
    out << "[" << path << "]\n";
    for (DWORD index = 0;; ++index) {
        char name[512];
        DWORD name_size = sizeof name;
        unsigned char data[8192];
        DWORD data_size = sizeof data;
        DWORD type = 0;
        if (RegEnumValueA(key, index, name, &name_size, nullptr, &type, data, &data_size) != ERROR_SUCCESS)
            break;
        out << name << " type " << type << " =";
        for (DWORD k = 0; k < data_size; ++k) out << ' ' << static_cast<int>(data[k]);
        out << "\n";
    }
    for (DWORD index = 0;; ++index) {
        char name[512];
        DWORD name_size = sizeof name;
        if (RegEnumKeyExA(key, index, name, &name_size, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        SnapshotKey(parent, path + "\\" + name, out);
    }
    RegCloseKey(key);
}
}  // namespace

void WriteString(const std::string &path, const char *name, const std::string &text) {
    WriteValue(path, name, REG_SZ, text.c_str(), static_cast<DWORD>(text.size() + 1));
}

void WriteDword(const std::string &path, const char *name, DWORD value) {
    WriteValue(path, name, REG_DWORD, &value, sizeof value);
}

void DeleteValue(const std::string &path, const char *name) {
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_SET_VALUE, &key), ERROR_SUCCESS);
    EXPECT_EQ(RegDeleteValueA(key, name), ERROR_SUCCESS);
    RegCloseKey(key);
}

std::string Snapshot(const std::string &path) {
    std::ostringstream out;
    SnapshotKey(HKEY_CURRENT_USER, path, out);
    return out.str();
}

}  // namespace dialog_test
