// The UTF-8 exports of liblumotext.so.
#include "engine/library_entries.h"
#include "lumotext.h"
#include "paragraph/bind_utf8.h"

int32_t LumoMultiLinesUtf8(FormatRequest *request, IndentSettings *indent, FoldSettings *fold,
                           HeaderSettings *header) {
    return lumo::engine::MultiLinesUtf8(request, indent, fold, header);
}

int32_t BindLinesUtf8(LineJob *job, IndentSettings *indent) { return lumo::BindUtf8(job, indent); }
