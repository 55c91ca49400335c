// The ten setting slots in the per-user store: key paths, loading and saving
// each record with its failure mask, presets written into slots, and a whole
// slot loaded with the effective fold column derived from the display width.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "lumotext.h"
#include "settings/records.h"
#include "settings/record_fields.h"

namespace lumo {

// "Software\<vendor>\Lumotext", or "Software\Copperloom\Lumotext" for a null
// or empty vendor. Built to any length.
std::string ProductKey(const char *vendor);
std::string SlotKey(const char *vendor, int32_t slot);

// Loads return a LoadMask (0 on success, MASK_KEY when the group's key is
// missing, else one bit per value that failed) or ERR_BAD_NUMBER. Slot 0 is
// preset 2 and touches no store.
uint32_t LoadIndentSettings(IndentSettings *record, int32_t slot, const char *vendor);
uint32_t LoadFoldSettings(FoldSettings *record, int32_t slot, const char *vendor);
uint32_t LoadHeaderSettings(HeaderSettings *record, int32_t slot, const char *vendor);

// The same loads over a record that already holds fallback values (for the
// settings dialogs, preset 2): a value that cannot be read keeps the
// record's own, and a missing key or a bad slot number leaves the record as
// it was. Same results as above; foldnum becomes 0 when the key was found.
uint32_t LoadIndentSettingsOver(IndentSettings *record, int32_t slot, const char *vendor);
uint32_t LoadFoldSettingsOver(FoldSettings *record, int32_t slot, const char *vendor);
uint32_t LoadHeaderSettingsOver(HeaderSettings *record, int32_t slot, const char *vendor);

// Saves return a mask likewise (MASK_KEY: the key could not be created).
uint32_t SaveIndentSettings(const IndentSettings &record, int32_t slot, const char *vendor);
uint32_t SaveFoldSettings(const FoldSettings &record, int32_t slot, const char *vendor);
uint32_t SaveHeaderSettings(const HeaderSettings &record, int32_t slot, const char *vendor);

// What a load leaves in a field whose value cannot be read: 0 or the empty
// text (as the loads above), or the record's own value (as the loads over).
enum class OnMissing { kZero, kKeep };

// The loads and saves above for the record of the three that which names.
uint32_t LoadRecord(Record which, Records *records, int32_t slot, const char *vendor,
                    OnMissing on_missing = OnMissing::kZero);
uint32_t SaveRecord(Record which, const Records &records, int32_t slot, const char *vendor);

// The value names behind a load's mask. The store is asked which of the
// values sharing a bit (the indent strings, their property words) failed,
// and each of those is named alone.
std::vector<std::string> FailedValueNames(Record which, uint32_t mask, int32_t slot, const char *vendor);

uint32_t SavePresetIndent(int32_t slot, int32_t preset, const char *vendor);
uint32_t SavePresetFold(int32_t slot, int32_t preset, const char *vendor);
uint32_t SavePresetHeader(int32_t slot, int32_t preset, const char *vendor);

// Sets foldnum from the display width or foldnum_from_head; 1 when the
// result is unusable (0), else 0.
int32_t DeriveFoldColumn(FoldSettings *fold, uint32_t display_width);

// Stage codes: 0 done, 1 indent load, 2 fold column unusable, 3 fold load,
// 4 header load; *detail receives the failing stage's mask.
int32_t WholeSetting(const FormatRequest &request, IndentSettings *indent, FoldSettings *fold,
                     HeaderSettings *header, int32_t slot, const char *vendor, int32_t *detail);
// Stage codes: 1..3 saving the preset's records, 4 the slot key for the title.
// The preset's texts and the title for a null or empty one (設定済み) are
// written as the presets keep them, in code page 932.
int32_t DefaultWholeSetting(int32_t slot, int32_t preset, const char *title, const char *vendor,
                            int32_t *detail);

// The same for a caller whose store holds its texts in another code page:
// the preset's records (null when the preset number names none) and the
// default title, both already in that code page.
struct PresetForSlot {
    const Records *records;
    const char *default_title;
};
int32_t DefaultWholeSetting(int32_t slot, const PresetForSlot &preset, const char *title, const char *vendor,
                            int32_t *detail);

// The title a slot gets when none is given: 設定済み in code page 932.
inline constexpr char kDefaultSlotTitle[] = "\x90\xdd\x92\xe8\x8d\xcf\x82\xdd";

// Slot 0 is no slot of the store but preset 2.
inline bool IsPresetSlot(int32_t slot) { return slot == 0; }

// Reads and writes a slot's title; Read fails when there is none.
bool ReadSlotTitle(int32_t slot, const char *vendor, std::string *title);
bool WriteSlotTitle(int32_t slot, const char *vendor, const std::string &title);

// The default slot number: 0 when none is stored. Set returns 0 stored,
// 1 number outside 1..10, 2 the store could not be written.
int32_t ReadDefaultNumber(const char *vendor);
int32_t WriteDefaultNumber(int32_t number, const char *vendor);

}  // namespace lumo
