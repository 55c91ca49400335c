// The HM twins for macro hosts (the caller cleans the stack): integers,
// strings and window handles in, one integer out. A twin whose sibling
// reports a detail packs stage and detail into that one integer.
#include "lumotext.h"

namespace {

// Stage in the low 16 bits, the detail's low 16 bits in the high 16 bits.
int32_t Pack(int32_t stage, int32_t detail) {
    const uint32_t packed = (static_cast<uint32_t>(detail) & 0xFFFFu) << 16 | (static_cast<uint32_t>(stage) & 0xFFFFu);
    return static_cast<int32_t>(packed);
}

FormatRequest Request(uint32_t tab_width, uint32_t display_width) {
    FormatRequest request{};
    request.record_size = FORMAT_REQUEST_SIZE;
    request.tab_width = tab_width;
    request.display_width = display_width;
    return request;
}

}  // namespace

extern "C" {

int32_t LUMOTEXT_CDECL GetLTVersionHM(void) { return GetLTVersion(); }
int32_t LUMOTEXT_CDECL GetLTMajorVersionHM(void) { return GetLTMajorVersion(); }
int32_t LUMOTEXT_CDECL GetLTMinorVersionHM(void) { return GetLTMinorVersion(); }
int32_t LUMOTEXT_CDECL GetDefaultNumberHM(const char *vendor) { return GetDefaultNumber(vendor); }

int32_t LUMOTEXT_CDECL SetDefaultNumberHM(int32_t number, const char *vendor) {
    return SetDefaultNumber(number, vendor);
}

int32_t LUMOTEXT_CDECL DefaultNumberDlgHM(LumoWindow parent, const char *vendor) {
    return DefaultNumberDlg(parent, vendor);
}

int32_t LUMOTEXT_CDECL GetWholeSettingGLHM(uint32_t tab_width, uint32_t display_width, int32_t slot,
                                           const char *vendor) {
    FormatRequest request = Request(tab_width, display_width);
    int32_t detail = 0;
    const int32_t stage = GetWholeSettingGL(&request, slot, vendor, &detail);
    return Pack(stage, detail);
}

int32_t LUMOTEXT_CDECL SetDefaultWholeSettingHM(int32_t slot, int32_t preset, const char *title,
                                                const char *vendor) {
    int32_t detail = 0;
    const int32_t stage = SetDefaultWholeSetting(slot, preset, title, vendor, &detail);
    return Pack(stage, detail);
}

int32_t LUMOTEXT_CDECL LumoClipBoardGLHM(uint32_t tab_width, uint32_t display_width) {
    FormatRequest request = Request(tab_width, display_width);
    return LumoClipBoardGL(&request);
}

int32_t LUMOTEXT_CDECL BindClipBoardGLHM(void) { return BindClipBoardGL(); }

int32_t LUMOTEXT_CDECL RegSelDlgHM(LumoWindow parent, const char *vendor) { return RegSelDlg(parent, vendor); }

void LUMOTEXT_CDECL SetLumoPropertyGLHM(uint32_t indent_column, uint32_t styles, uint32_t fold_column,
                                        uint32_t fold_flags) {
    SetLumoPropertyGL(indent_column, styles, fold_column, fold_flags);
}

int32_t LUMOTEXT_CDECL IndPropDlgGLHM(LumoWindow parent) { return IndPropDlgGL(parent); }

}  // extern "C"
