// The dialog exports where the library has no dialogs: each returns the
// value its dialog returns when it cannot be shown (-1, or 2 for the
// paragraph dialog), so a host sees a dialog that failed to open.
#include "lumotext.h"

extern "C" {

int32_t LUMOTEXT_STDCALL DefaultNumberDlg(LumoWindow, const char *) { return -1; }
int32_t LUMOTEXT_STDCALL SetupDlgDirect(LumoWindow, IndentSettings *, FoldSettings *, HeaderSettings *) {
    return -1;
}
int32_t LUMOTEXT_STDCALL RegSelDlg(LumoWindow, const char *) { return -1; }
int32_t LUMOTEXT_STDCALL IndPropDlg(LumoWindow, IndentSettings *, FoldSettings *, HeaderSettings *) { return 2; }
int32_t LUMOTEXT_STDCALL IndPropDlgGL(LumoWindow) { return 2; }

}  // extern "C"
