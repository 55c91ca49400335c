// The exports take and keep text in the system's ANSI code page: the host's
// texts, the records' sets and strings, the clipboard's CF_TEXT and the
// store's string values. Where that code page is UTF-8 (65001, Windows set
// to use Unicode UTF-8 for worldwide language support), formatting and
// binding run on UTF-8 and the presets, which the code keeps as code page
// 932 bytes, go into records in UTF-8. Everywhere else the code page 932
// rules run on the system's lead bytes, as they always have.
#pragma once

#include <cstdint>

#include "lumotext.h"
#include "settings/records.h"
#include "settings/slots.h"

namespace lumo {

// Whether the host's text is UTF-8; asked of the platform at each call.
bool AnsiIsUtf8();

// LumoMultiLines and BindLines in the ANSI code page: the UTF-8 entries
// where it is UTF-8, else the code page 932 ones.
int32_t FormatAnsi(FormatRequest *request, IndentSettings *indent, FoldSettings *fold, HeaderSettings *header);
int32_t BindAnsi(LineJob *job, IndentSettings *indent);

// Converts the texts of three records just filled from a preset to the ANSI
// code page (nothing to do unless it is UTF-8).
void PresetTextsToAnsi(IndentSettings *indent, FoldSettings *fold, HeaderSettings *header);
// Fills the three records with preset `preset` (preset.h), texts in the ANSI
// code page.
void FillAnsiPreset(IndentSettings *indent, FoldSettings *fold, HeaderSettings *header, int32_t preset);

// What SetDefaultWholeSetting writes into a slot, in the ANSI code page: a
// preset's records and the default title.
class AnsiPreset {
public:
    explicit AnsiPreset(int32_t preset);
    PresetForSlot ForSlot() const { return {known_ ? &records_ : nullptr, title_}; }

private:
    Records records_;
    bool known_;
    const char *title_;
};

}  // namespace lumo
