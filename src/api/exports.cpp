// The exported functions of the library: thin forms over the core that keep
// the calling conventions and result codes of the C API.
#include "format/driver.h"
#include "paragraph/bind.h"
#include "lumotext.h"

extern "C" {

int32_t LUMOTEXT_STDCALL LumoMultiLines(FormatRequest *request, IndentSettings *indent,
                                        FoldSettings *fold, HeaderSettings *header) {
    return lumo::MultiLines(request, indent, fold, header);
}

int32_t LUMOTEXT_STDCALL BindLines(LineJob *job, IndentSettings *indent) {
    return lumo::Bind(job, indent);
}

}  // extern "C"
