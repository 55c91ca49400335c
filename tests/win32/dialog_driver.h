// Drives the library's modal dialogs from a test, the way Wine's own
// conformance tests do: a WH_CBT hook sees the first dialog activated and
// starts a thread timer; the modal loops dispatch the timer, and each tick
// runs the next step of a script against the dialog on top. Also loads
// Lumotext.dll, keeps a scratch registry key, and takes screenshots.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <string>
#include <vector>

#include "lumotext.h"

namespace dialog_test {

// ---- The library under test --------------------------------------------

struct Library {
    decltype(&::SetupDlgDirect) SetupDlgDirect;
    decltype(&::RegSelDlg) RegSelDlg;
    decltype(&::RegSelDlgHM) RegSelDlgHM;
    decltype(&::DefaultNumberDlg) DefaultNumberDlg;
    decltype(&::DefaultNumberDlgHM) DefaultNumberDlgHM;
    decltype(&::IndPropDlg) IndPropDlg;
    decltype(&::IndPropDlgGL) IndPropDlgGL;
    decltype(&::IndPropDlgGLHM) IndPropDlgGLHM;
    decltype(&::GetDefaultNumber) GetDefaultNumber;
    decltype(&::SetDefaultNumber) SetDefaultNumber;
    decltype(&::SetDefaultWholeSetting) SetDefaultWholeSetting;
    decltype(&::GetWholeSetting) GetWholeSetting;
    decltype(&::LumoMultiLines) LumoMultiLines;
    decltype(&::LumoClipBoardGL) LumoClipBoardGL;
    HMODULE module;
};
// Lumotext.dll, loaded once; the test aborts when it cannot be loaded.
const Library &Lumotext();

// ---- Windows and controls ----------------------------------------------

// The enabled, visible top-level dialog (#32770) of this thread: the modal
// dialog, sheet or message box that has the input. Null when there is none.
HWND TopDialog();
// Texts as the ANSI functions give them: Shift-JIS bytes.
std::string Text(HWND window);
std::string ItemText(HWND dialog, int id);
bool Ticked(HWND dialog, int id);
bool Enabled(HWND dialog, int id);
bool Visible(HWND dialog, int id);
void SetItemText(HWND dialog, int id, const std::string &text);
// A click as the user makes it: the button changes state and notifies.
void Click(HWND dialog, int id);
// A command queued to the dialog, as a button sends it; for buttons that
// open another modal dialog, so that the step returns at once.
void PostCommand(HWND dialog, int id);
// Sets a check box or option button without any notification.
void SetCheck(HWND dialog, int id, bool checked);

// How the last window of a class was created in this thread while a
// dialog was driven, as the CBT hook saw it (a control may change its style
// afterwards). `found` is false when none was created.
struct Creation {
    bool found = false;
    DWORD style = 0;
    int x = 0, y = 0, cx = 0, cy = 0;
    HWND parent = nullptr;
    HMENU id = nullptr;
};
Creation LastCreated(const char *class_name);

// Property sheets.
HWND CurrentPage(HWND sheet);
void ShowPage(HWND sheet, int index);
std::string TabCaption(HWND sheet, int index);

// ---- Scripts -------------------------------------------------------------

// One step: waits until `ready` holds for the dialog on top (checked once a
// tick), then runs `action` on it. A step that is not ready within a few
// seconds fails the test, and every open dialog is then cancelled.
struct Step {
    std::string what;
    std::function<bool(HWND)> ready;
    std::function<void(HWND)> action;
};

class Script {
public:
    // Runs the action on the dialog on top once its caption is `caption`.
    Script &On(const std::string &caption, const std::string &what, std::function<void(HWND)> action);
    // Runs the action on whatever dialog is on top.
    Script &Then(const std::string &what, std::function<void(HWND)> action);
    // Lets the message loops run for a few ticks (painting, posted commands).
    Script &Idle(int ticks);
    // Saves a PNG of the dialog on top when LUMOTEXT_SCREENSHOTS names a
    // folder; otherwise does nothing.
    Script &Screenshot(const std::string &name);

    std::vector<Step> steps;
};

// Runs `show`, which opens a modal dialog, while `script` drives it. Fails
// the test when the script does not run to its end or a dialog stays open.
int32_t Drive(const Script &script, const std::function<int32_t()> &show);

// ---- Registry ------------------------------------------------------------

// The vendor string of the tests: their slots live under
// HKCU\Software\<kVendor>\Lumotext, deleted before and after each test.
extern const char kVendor[];
std::string SlotPath(const char *vendor, int slot);
void DeleteProduct(const char *vendor);
bool KeyExists(const std::string &path);
// A value's bytes, or nullopt-like `found` false when it is missing.
struct Value {
    bool found = false;
    DWORD type = 0;
    std::string bytes;
};
Value ReadValue(const std::string &path, const char *name);
void WriteString(const std::string &path, const char *name, const std::string &text);
void WriteDword(const std::string &path, const char *name, DWORD value);
void DeleteValue(const std::string &path, const char *name);
// Every key and value below a path, as text, to compare before and after.
std::string Snapshot(const std::string &path);

}  // namespace dialog_test
