// The standard-form exports (the callee cleans the stack): thin forms over
// the core, the slot store and the clipboard commands that keep the calling
// conventions and result codes of the C API. Their text is in the ANSI code
// page (api/ansi_code_page.h).
#include "api/ansi_code_page.h"
#include "api/clipboard_ops.h"
#include "lumotext.h"
#include "settings/presets.h"
#include "settings/slots.h"

namespace {

constexpr int32_t kVersion = 110;
constexpr int32_t kMajorVersion = 1;
constexpr int32_t kMinorVersion = 10;

}  // namespace

extern "C" {

int32_t LUMOTEXT_STDCALL GetLTVersion(void) { return kVersion; }
int32_t LUMOTEXT_STDCALL GetLTMajorVersion(void) { return kMajorVersion; }
int32_t LUMOTEXT_STDCALL GetLTMinorVersion(void) { return kMinorVersion; }

int32_t LUMOTEXT_STDCALL GetDefaultNumber(const char *vendor) { return lumo::ReadDefaultNumber(vendor); }

int32_t LUMOTEXT_STDCALL SetDefaultNumber(int32_t number, const char *vendor) {
    return lumo::WriteDefaultNumber(number, vendor);
}

int32_t LUMOTEXT_STDCALL GetWholeSetting(FormatRequest *request, IndentSettings *indent, FoldSettings *fold,
                                         HeaderSettings *header, int32_t slot, const char *vendor,
                                         int32_t *detail) {
    int32_t ignored = 0;
    const int32_t stage =
        lumo::WholeSetting(*request, indent, fold, header, slot, vendor, detail != nullptr ? detail : &ignored);
    // A slot in the store holds its texts in the ANSI code page already; the
    // preset that slot 0 stands for is kept in code page 932.
    if (stage == 0 && lumo::IsPresetSlot(slot)) lumo::PresetTextsToAnsi(indent, fold, header);
    return stage;
}

int32_t LUMOTEXT_STDCALL GetWholeSettingGL(FormatRequest *request, int32_t slot, const char *vendor,
                                           int32_t *detail) {
    lumo::Records &global = lumo::Globals();
    return GetWholeSetting(request, &global.indent, &global.fold, &global.header, slot, vendor, detail);
}

int32_t LUMOTEXT_STDCALL SetDefaultWholeSetting(int32_t slot, int32_t preset, const char *title,
                                                const char *vendor, int32_t *detail) {
    int32_t ignored = 0;
    const lumo::AnsiPreset records(preset);
    return lumo::DefaultWholeSetting(slot, records.ForSlot(), title, vendor, detail != nullptr ? detail : &ignored);
}

int32_t LUMOTEXT_STDCALL LumoMultiLines(FormatRequest *request, IndentSettings *indent, FoldSettings *fold,
                                        HeaderSettings *header) {
    return lumo::FormatAnsi(request, indent, fold, header);
}

int32_t LUMOTEXT_STDCALL LumoClipBoard(FormatRequest *request, IndentSettings *indent, FoldSettings *fold,
                                       HeaderSettings *header) {
    return lumo::FormatClipboard(request, indent, fold, header);
}

int32_t LUMOTEXT_STDCALL LumoClipBoardGL(FormatRequest *request) {
    lumo::Records &global = lumo::Globals();
    return LumoClipBoard(request, &global.indent, &global.fold, &global.header);
}

int32_t LUMOTEXT_STDCALL BindLines(LineJob *job, IndentSettings *indent) { return lumo::BindAnsi(job, indent); }

int32_t LUMOTEXT_STDCALL BindClipBoard(IndentSettings *indent) { return lumo::BindClipboard(indent); }

int32_t LUMOTEXT_STDCALL BindClipBoardGL(void) { return BindClipBoard(&lumo::Globals().indent); }

// A zero argument leaves its field alone, so none can be set to 0 this way.
void LUMOTEXT_STDCALL SetLumoPropertyGL(uint32_t indent_column, uint32_t styles, uint32_t fold_column,
                                        uint32_t fold_flags) {
    lumo::Records &global = lumo::Globals();
    if (indent_column != 0) global.indent.fixed_indent_column = indent_column;
    if (styles != 0) global.indent.styles = styles;
    if (fold_column != 0) global.fold.foldnum = fold_column;
    if (fold_flags != 0) global.fold.tailwrap_flag = fold_flags;
}

}  // extern "C"
