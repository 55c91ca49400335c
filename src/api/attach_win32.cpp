// The library's attach routine: on process attach it records the module
// instance handle and initialises the common controls (comctl32, imported
// by ordinal 17). Nothing is done at detach.
#include <windows.h>
#include <commctrl.h>

#include "api/module.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        lumo::SetModuleInstance(instance);
        InitCommonControls();
    }
    return TRUE;
}
