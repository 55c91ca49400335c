// LumoMultiLines: copies the header, then formats the text one logical line at
// a time. Output is appended at a tracked end, so the cost stays linear in the
// size of the text.
#include "format/driver.h"

#include <memory>
#include <new>

#include "format/body.h"

namespace lumo {

int32_t MultiLines(FormatRequest *request, IndentSettings *indent_record,
                   FoldSettings *fold_record, HeaderSettings *header_record) {
    if (fold_record->foldnum == 0) return FORMAT_FOLD_ZERO;

    CallRecords records(*indent_record, *fold_record, *header_record);
    IndentSettings &indent = records.indent;
    const FoldSettings &fold = records.fold;
    const HeaderSettings &header = records.header;
    const FixedColumnWriteBack write_back{indent_record, indent};

    const CodePage cp;
    const std::unique_ptr<const CallTables> tables(new (std::nothrow) CallTables(cp, fold, indent));
    if (tables == nullptr) return FORMAT_NO_MEMORY;
    const char *source = request->source != nullptr ? request->source : "";
    OutputSink output(request->output, request->capacity);
    const FoldContext context{cp, request->tab_width, fold, &tables->fold};
    const BodyCall call{header, context, tables->classify, &indent, &output};
    Cp932Lines lines;
    return FormatBody(call, source, &lines);
}

}  // namespace lumo
