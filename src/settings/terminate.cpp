// NUL-termination of every text field of the settings records, as the table
// of stored fields lists them.
#include "settings/terminate.h"

#include "settings/record_fields.h"

namespace lumo {
namespace {

void TerminateTexts(void *record, Record which) {
    for (const FieldSpec &field : FieldsOf(which)) {
        if (field.stored != Stored::kNumber)
            static_cast<char *>(record)[field.offset + field.size - 1] = '\0';
    }
}

}  // namespace

void TerminateFields(IndentSettings *record) { TerminateTexts(record, Record::kIndent); }
void TerminateFields(FoldSettings *record) { TerminateTexts(record, Record::kFold); }
void TerminateFields(HeaderSettings *record) { TerminateTexts(record, Record::kHeader); }

void TerminateFields(Records *records) {
    TerminateFields(&records->indent);
    TerminateFields(&records->fold);
    TerminateFields(&records->header);
}

}  // namespace lumo
