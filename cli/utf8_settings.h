// Settings for a UTF-8 text. Presets and slots keep their texts in code page
// 932 (the store is shared with the Windows library); a UTF-8 call takes its
// sets, indent strings and header delimiter in UTF-8, so the tool converts
// them field by field before formatting or binding a UTF-8 text.
#pragma once

#include <string>
#include <vector>

#include "command_line.h"
#include "encoding.h"
#include "lumotext.h"
#include "text/unicode_data.h"

namespace lumo::cli {

// Converts every text field of the records to UTF-8 in place. A byte that has
// no UTF-8 form (a stray lead byte) is kept as it is, as the UTF-8 rules read
// such bytes. A field whose UTF-8 form does not fit is cut after its last
// whole character; its name is added to *cut.
void ConvertRecordsToUtf8(IndentSettings *indent, FoldSettings *fold, HeaderSettings *header,
                          Cp932Codec *codec, std::vector<std::string> *cut);

// --ambiguous WIDTH, as format and bind take it, and its parsing: false,
// with *error set, for a value that is not cp932, wide or narrow.
extern const OptionSpec kAmbiguousOption;
bool ReadAmbiguous(const ParsedCommand &command, text::Ambiguous *width, std::string *error);

}  // namespace lumo::cli
