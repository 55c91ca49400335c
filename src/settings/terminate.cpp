// NUL-termination of every text field of the settings records.
#include "settings/terminate.h"

namespace lumo {
namespace {

template <size_t N>
void Terminate(char (&field)[N]) {
    field[N - 1] = '\0';
}

}  // namespace

void TerminateFields(IndentSettings *record) {
    Terminate(record->chars_for_quote);
    Terminate(record->chars_for_empha);
    Terminate(record->chars_for_sole_itemize);
    Terminate(record->chars_for_combi_itemize);
    Terminate(record->chars_for_itemize_end);
    for (auto &string : record->indent_string) Terminate(string);
}

void TerminateFields(FoldSettings *record) {
    Terminate(record->chars_not_for_tail);
    Terminate(record->chars_not_for_head);
    Terminate(record->chars_for_wordwrap);
}

void TerminateFields(HeaderSettings *record) { Terminate(record->headerdelimiter); }

}  // namespace lumo

namespace lumo {

void TerminateFields(Records *records) {
    TerminateFields(&records->indent);
    TerminateFields(&records->fold);
    TerminateFields(&records->header);
}

}  // namespace lumo
