// The exports' text in the ANSI code page: the code page is asked of the
// platform at each call (platform/lead_byte.h says why not once at attach).
#include "api/ansi_code_page.h"

#include "engine/library_entries.h"
#include "engine/records_utf8.h"
#include "paragraph/bind.h"
#include "paragraph/bind_utf8.h"
#include "platform/lead_byte.h"
#include "settings/presets.h"

namespace lumo {
namespace {

// 設定済み, the title a slot gets when none is given, as a UTF-8 system
// stores it.
constexpr char kDefaultSlotTitleUtf8[] = "\xE8\xA8\xAD\xE5\xAE\x9A\xE6\xB8\x88\xE3\x81\xBF";

}  // namespace

bool AnsiIsUtf8() { return platform::AnsiCodePage() == platform::kCodePageUtf8; }

int32_t FormatAnsi(FormatRequest *request, IndentSettings *indent, FoldSettings *fold, HeaderSettings *header) {
    if (AnsiIsUtf8()) return engine::MultiLinesUtf8(request, indent, fold, header);
    return engine::MultiLines(request, indent, fold, header);
}

int32_t BindAnsi(LineJob *job, IndentSettings *indent) {
    if (AnsiIsUtf8()) return BindUtf8(job, indent);
    return Bind(job, indent);
}

void PresetTextsToAnsi(IndentSettings *indent, FoldSettings *fold, HeaderSettings *header) {
    if (!AnsiIsUtf8()) return;
    Records records{*indent, *fold, *header};
    engine::RecordsToUtf8(&records);
    *indent = records.indent;
    *fold = records.fold;
    *header = records.header;
}

void FillAnsiPreset(IndentSettings *indent, FoldSettings *fold, HeaderSettings *header, int32_t preset) {
    FillIndentPreset(indent, preset);
    FillFoldPreset(fold, preset);
    FillHeaderPreset(header, preset);
    PresetTextsToAnsi(indent, fold, header);
}

AnsiPreset::AnsiPreset(int32_t preset)
    : records_{}, known_(FillPreset(&records_, preset, 0) == 0), title_(kDefaultSlotTitle) {
    if (!AnsiIsUtf8()) return;
    if (known_) engine::RecordsToUtf8(&records_);
    title_ = kDefaultSlotTitleUtf8;
}

}  // namespace lumo
