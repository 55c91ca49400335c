// The exported functions of the library: thin forms over the core and the
// slot store that keep the calling conventions and result codes of the C API.
#include "format/driver.h"
#include "lumotext.h"
#include "paragraph/bind.h"
#include "settings/presets.h"
#include "settings/slots.h"

extern "C" {

int32_t LUMOTEXT_STDCALL GetDefaultNumber(const char *vendor) { return lumo::ReadDefaultNumber(vendor); }

int32_t LUMOTEXT_STDCALL SetDefaultNumber(int32_t number, const char *vendor) {
    return lumo::WriteDefaultNumber(number, vendor);
}

int32_t LUMOTEXT_STDCALL GetWholeSetting(FormatRequest *request, IndentSettings *indent, FoldSettings *fold,
                                         HeaderSettings *header, int32_t slot, const char *vendor,
                                         int32_t *detail) {
    int32_t ignored = 0;
    return lumo::WholeSetting(*request, indent, fold, header, slot, vendor, detail != nullptr ? detail : &ignored);
}

int32_t LUMOTEXT_STDCALL GetWholeSettingGL(FormatRequest *request, int32_t slot, const char *vendor,
                                           int32_t *detail) {
    lumo::GlobalRecords &global = lumo::Globals();
    return GetWholeSetting(request, &global.indent, &global.fold, &global.header, slot, vendor, detail);
}

int32_t LUMOTEXT_STDCALL SetDefaultWholeSetting(int32_t slot, int32_t preset, const char *title,
                                                const char *vendor, int32_t *detail) {
    int32_t ignored = 0;
    return lumo::DefaultWholeSetting(slot, preset, title, vendor, detail != nullptr ? detail : &ignored);
}

int32_t LUMOTEXT_STDCALL LumoMultiLines(FormatRequest *request, IndentSettings *indent, FoldSettings *fold,
                                        HeaderSettings *header) {
    return lumo::MultiLines(request, indent, fold, header);
}

int32_t LUMOTEXT_STDCALL BindLines(LineJob *job, IndentSettings *indent) { return lumo::Bind(job, indent); }

}  // extern "C"
