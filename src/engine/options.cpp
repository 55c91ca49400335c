// Checking the options and loading the records. A slot is loaded as the
// Windows-era GetWholeSetting loads it, the fold column derived from the
// display width; a fold column in the options replaces the derived one, so
// a slot whose own column is unusable still serves.
#include "engine/options.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "engine/records_utf8.h"
#include "settings/presets.h"
#include "settings/slots.h"

namespace lumo::engine {
namespace {

constexpr unsigned kMaxFold = 65535;
constexpr unsigned kMaxTab = 255;
constexpr unsigned kMaxThreads = 64;

std::string Hex(uint32_t value) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%X", static_cast<unsigned>(value));
    return text;
}

bool LoadSlot(const lumo_options &o, Records *records, int *code, std::string *error) {
    FormatRequest request{};
    request.record_size = FORMAT_REQUEST_SIZE;
    request.tab_width = o.tab;
    request.display_width = o.display_width;
    int32_t detail = 0;
    int32_t stage = WholeSetting(request, &records->indent, &records->fold, &records->header, o.slot, o.vendor,
                                 &detail);
    if (stage == 2 && o.fold != 0) {
        detail = static_cast<int32_t>(LoadHeaderSettings(&records->header, o.slot, o.vendor));
        stage = detail != 0 ? 4 : 0;
    }
    static const char *const kStages[] = {"", "its indent settings cannot be loaded",
                                          "its fold column is 0 at this display width",
                                          "its fold settings cannot be loaded",
                                          "its header settings cannot be loaded"};
    if (stage == 0) return true;
    *code = LUMO_ERR_SLOT;
    *error = "slot " + std::to_string(o.slot) + ": " + (stage >= 1 && stage <= 4 ? kStages[stage] : "failed") +
             (detail != 0 ? " (values " + Hex(static_cast<uint32_t>(detail)) + ")" : "");
    return false;
}

// The records in the text's encoding, with the fold column.
bool RecordsOf(const lumo_options &o, bool format, Records *records, int *code, std::string *error) {
    *code = LUMO_ERR_OPTIONS;
    if (o.records != nullptr) {
        *records = *o.records;
    } else if (o.slot >= 0) {
        if (!LoadSlot(o, records, code, error)) return false;
    } else if (FillPreset(records, o.preset, o.fold) != 0) {
        *error = "the preset is " + std::to_string(o.preset) + ", not 0, 1 or 2";
        return false;
    }
    if (o.fold != 0) records->fold.foldnum = o.fold;
    if (format && records->fold.foldnum == 0) {
        *error = "the fold column is 0";
        return false;
    }
    if (o.encoding == LUMO_UTF8) RecordsToUtf8(records);
    return true;
}

bool Check(const lumo_options &o, bool format, int *code, std::string *error) {
    *code = LUMO_ERR_OPTIONS;
    if (o.slot < -1 || o.slot > LUMO_SLOT_COUNT) {
        *error = "the slot is " + std::to_string(o.slot) + ", not -1 or 0 to 10";
    } else if (o.fold > kMaxFold) {
        *error = "the fold column is " + std::to_string(o.fold) + ", above 65535";
    } else if (format && o.fold == 0 && o.slot < 0 && o.records == nullptr) {
        *error = "the fold column is 0";
    } else if (o.tab > kMaxTab) {
        *error = "the tab width is " + std::to_string(o.tab) + ", above 255";
    } else if (o.encoding != LUMO_UTF8 && o.encoding != LUMO_CP932) {
        *error = "the encoding is neither LUMO_UTF8 nor LUMO_CP932";
    } else if (o.ambiguous < LUMO_AMBIGUOUS_CP932 || o.ambiguous > LUMO_AMBIGUOUS_NARROW) {
        *error = "the width of ambiguous characters is not one of LUMO_AMBIGUOUS_*";
    } else if (o.rules < LUMO_RULES_NORMAL || o.rules > LUMO_RULES_CLASSIC) {
        *error = "the rules are not one of LUMO_RULES_*";
    } else if (o.threads > kMaxThreads) {
        *error = "more than 64 threads";
    } else {
        return true;
    }
    return false;
}

RulesSetup RulesOf(const lumo_options &o, const Records &records) {
    RulesSetup rules;
    rules.records = records;
    rules.encoding = o.encoding == LUMO_CP932 ? Encoding::kCp932 : Encoding::kUtf8;
    rules.ambiguous = static_cast<text::Ambiguous>(o.ambiguous);
    rules.tab_width = o.tab;
    rules.lead_bytes = LeadBytes::kCp932;
    switch (o.rules) {
    case LUMO_RULES_STRICT: rules.rules = Rules::kStrict; break;
    case LUMO_RULES_LOOSE: rules.rules = Rules::kLoose; break;
    case LUMO_RULES_CLASSIC: rules.rules = Rules::kClassic; break;
    default: rules.rules = Rules::kNormal; break;
    }
    rules.hang = o.hang != 0;
    return rules;
}

}  // namespace

bool ReadOptions(const lumo_options *given, lumo_options *options, std::string *error) {
    lumo_options_init(options);
    if (given == nullptr) return true;
    // A size the caller's header could not have written: not initialised.
    if (given->size < offsetof(lumo_options, preset) || given->size > 64 * sizeof(lumo_options)) {
        *error = "the options were not made by lumo_options_init";
        return false;
    }
    std::memcpy(options, given, std::min(given->size, sizeof *options));
    options->size = sizeof *options;
    return true;
}

bool FormatSetupOf(const lumo_options &o, FormatterSetup *setup, int *code, std::string *error) {
    Records records;
    if (!Check(o, true, code, error) || !RecordsOf(o, true, &records, code, error)) return false;
    setup->rules = RulesOf(o, records);
    setup->lines.library_line_ends = false;
    setup->lines.newline = o.newline != nullptr ? o.newline : "\n";
    setup->lines.drop_full_prefix = o.strict == 0;
    setup->byte_order_mark = true;
    setup->threads = o.threads;
    return true;
}

bool BindSetupOf(const lumo_options &o, BinderSetup *setup, int *code, std::string *error) {
    Records records;
    if (!Check(o, false, code, error) || !RecordsOf(o, false, &records, code, error)) return false;
    setup->rules = RulesOf(o, records);
    setup->fold_column = o.fold;
    setup->whole = o.whole != 0;
    setup->byte_order_mark = true;
    setup->threads = o.threads;
    return true;
}

}  // namespace lumo::engine
