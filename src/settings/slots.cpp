// Setting slots in the store. One load and one save walk the stored fields of
// a record (record_fields.h) in the store's order.
#include "settings/slots.h"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <vector>

#include "text/text.h"
#include "platform/registry.h"
#include "settings/presets.h"

namespace lumo {
namespace {

using platform::kRegDword;
using platform::kRegSz;
using platform::RegistryKey;

constexpr char kDefaultRoot[] = "Software\\Copperloom\\Lumotext";

std::string GroupKey(const char *vendor, int32_t slot, Record which) {
    return SlotKey(vendor, slot) + "\\" + RecordGroupKey(which);
}

uint32_t LoadValues(Record which, void *record, size_t record_size, int32_t slot, const char *vendor,
                    OnMissing on_missing) {
    if (!IsValidSlot(slot)) return ERR_BAD_NUMBER;
    auto *bytes = static_cast<unsigned char *>(record);
    if (on_missing == OnMissing::kZero) std::memset(record, 0, record_size);
    const RegistryKey key = RegistryKey::Open(GroupKey(vendor, slot, which), platform::Access::kRead);
    if (!key.valid()) return MASK_KEY;
    uint32_t mask = 0;
    std::vector<unsigned char> before;
    for (const FieldSpec *value : StoreOrder(which, true)) {
        unsigned char *field = bytes + value->offset;
        // A failed read may have written part of the field.
        if (on_missing == OnMissing::kKeep) before.assign(field, field + value->size);
        uint32_t size = value->size;
        if (!key.Read(value->value_name(), field, &size)) {
            mask |= value->mask;
            if (on_missing == OnMissing::kKeep) {
                std::memcpy(field, before.data(), value->size);
            } else {
                std::memset(field, 0, value->size);
            }
            continue;
        }
        // What the value did not fill is zero, as in a load over a cleared
        // record, so that no fallback byte hides behind a loaded text.
        if (on_missing == OnMissing::kKeep) std::memset(field + size, 0, value->size - size);
        if (value->stored != Stored::kNumber) {
            // A stored text that fills its field without a NUL keeps all but
            // its last byte, so that the field always ends inside itself.
            field[value->size - 1] = '\0';
        }
    }
    auto *size_word = static_cast<uint32_t *>(record);
    *size_word = static_cast<uint32_t>(record_size);
    return mask;
}

uint32_t SaveValues(Record which, const void *record, int32_t slot, const char *vendor) {
    if (!IsValidSlot(slot)) return ERR_BAD_NUMBER;
    RegistryKey key = RegistryKey::Create(GroupKey(vendor, slot, which));
    if (!key.valid()) return MASK_KEY;
    const auto *bytes = static_cast<const unsigned char *>(record);
    uint32_t mask = 0;
    for (const FieldSpec *value : StoreOrder(which, false)) {
        const unsigned char *field = bytes + value->offset;
        uint32_t type = kRegSz;
        uint32_t count = value->size;
        if (value->stored == Stored::kNumber) {
            type = kRegDword;
        } else if (value->stored == Stored::kText) {
            const auto *text = reinterpret_cast<const char *>(field);
            count = static_cast<uint32_t>(std::min<size_t>(strnlen(text, value->size) + 1, value->size));
        }
        if (!key.Write(value->value_name(), type, field, count)) mask |= value->mask;
    }
    return mask;
}

}  // namespace

std::string ProductKey(const char *vendor) {
    if (vendor == nullptr || *vendor == '\0') return kDefaultRoot;
    return std::string("Software\\") + vendor + "\\Lumotext";
}

std::string SlotKey(const char *vendor, int32_t slot) {
    return ProductKey(vendor) + "\\" + std::to_string(slot);
}

uint32_t LoadIndentSettings(IndentSettings *record, int32_t slot, const char *vendor) {
    if (IsPresetSlot(slot)) return static_cast<uint32_t>(FillIndentPreset(record, 2));
    return LoadValues(Record::kIndent, record, sizeof *record, slot, vendor, OnMissing::kZero);
}

uint32_t LoadFoldSettings(FoldSettings *record, int32_t slot, const char *vendor) {
    if (IsPresetSlot(slot)) return static_cast<uint32_t>(FillFoldPreset(record, 2));
    return LoadValues(Record::kFold, record, sizeof *record, slot, vendor, OnMissing::kZero);
}

uint32_t LoadHeaderSettings(HeaderSettings *record, int32_t slot, const char *vendor) {
    if (IsPresetSlot(slot)) return static_cast<uint32_t>(FillHeaderPreset(record, 2));
    return LoadValues(Record::kHeader, record, sizeof *record, slot, vendor, OnMissing::kZero);
}

uint32_t LoadIndentSettingsOver(IndentSettings *record, int32_t slot, const char *vendor) {
    if (IsPresetSlot(slot)) return static_cast<uint32_t>(FillIndentPreset(record, 2));
    return LoadValues(Record::kIndent, record, sizeof *record, slot, vendor, OnMissing::kKeep);
}

uint32_t LoadFoldSettingsOver(FoldSettings *record, int32_t slot, const char *vendor) {
    if (IsPresetSlot(slot)) return static_cast<uint32_t>(FillFoldPreset(record, 2));
    const uint32_t mask = LoadValues(Record::kFold, record, sizeof *record, slot, vendor, OnMissing::kKeep);
    if (mask != MASK_KEY && mask != ERR_BAD_NUMBER) record->foldnum = 0;  // derived, never stored
    return mask;
}

uint32_t LoadHeaderSettingsOver(HeaderSettings *record, int32_t slot, const char *vendor) {
    if (IsPresetSlot(slot)) return static_cast<uint32_t>(FillHeaderPreset(record, 2));
    return LoadValues(Record::kHeader, record, sizeof *record, slot, vendor, OnMissing::kKeep);
}

uint32_t SaveIndentSettings(const IndentSettings &record, int32_t slot, const char *vendor) {
    return SaveValues(Record::kIndent, &record, slot, vendor);
}

uint32_t SaveFoldSettings(const FoldSettings &record, int32_t slot, const char *vendor) {
    return SaveValues(Record::kFold, &record, slot, vendor);
}

uint32_t SaveHeaderSettings(const HeaderSettings &record, int32_t slot, const char *vendor) {
    return SaveValues(Record::kHeader, &record, slot, vendor);
}

uint32_t LoadRecord(Record which, Records *r, int32_t slot, const char *vendor, OnMissing on_missing) {
    const bool keep = on_missing == OnMissing::kKeep;
    switch (which) {
    case Record::kIndent: return (keep ? LoadIndentSettingsOver : LoadIndentSettings)(&r->indent, slot, vendor);
    case Record::kFold: return (keep ? LoadFoldSettingsOver : LoadFoldSettings)(&r->fold, slot, vendor);
    case Record::kHeader: return (keep ? LoadHeaderSettingsOver : LoadHeaderSettings)(&r->header, slot, vendor);
    }
    return MASK_KEY;
}

uint32_t SaveRecord(Record which, const Records &records, int32_t slot, const char *vendor) {
    return SaveValues(which, RecordBytes(records, which), slot, vendor);
}

uint32_t SavePresetIndent(int32_t slot, int32_t preset, const char *vendor) {
    if (!IsValidSlot(slot)) return ERR_BAD_NUMBER;
    IndentSettings record;
    if (FillIndentPreset(&record, preset) != 0) return ERR_BAD_NUMBER;
    return SaveIndentSettings(record, slot, vendor);
}

uint32_t SavePresetFold(int32_t slot, int32_t preset, const char *vendor) {
    if (!IsValidSlot(slot)) return ERR_BAD_NUMBER;
    FoldSettings record;
    if (FillFoldPreset(&record, preset) != 0) return ERR_BAD_NUMBER;
    return SaveFoldSettings(record, slot, vendor);
}

uint32_t SavePresetHeader(int32_t slot, int32_t preset, const char *vendor) {
    if (!IsValidSlot(slot)) return ERR_BAD_NUMBER;
    HeaderSettings record;
    if (FillHeaderPreset(&record, preset) != 0) return ERR_BAD_NUMBER;
    return SaveHeaderSettings(record, slot, vendor);
}

int32_t DeriveFoldColumn(FoldSettings *fold, uint32_t display_width) {
    if (fold->tailwrap_flag & TAIL_FOLLOW_WIDTH) {
        // A display no wider than the columns to leave free has no fold
        // column; subtracting would wrap around to a column that never folds.
        fold->foldnum = display_width > fold->foldnum_from_tail ? display_width - fold->foldnum_from_tail : 0;
    } else {
        fold->foldnum = fold->foldnum_from_head;
    }
    return fold->foldnum == 0 ? 1 : 0;
}

int32_t WholeSetting(const FormatRequest &request, IndentSettings *indent, FoldSettings *fold,
                     HeaderSettings *header, int32_t slot, const char *vendor, int32_t *detail) {
    uint32_t mask = LoadIndentSettings(indent, slot, vendor);
    if (mask != 0) {
        *detail = static_cast<int32_t>(mask);
        return 1;
    }
    *detail = 0;
    mask = LoadFoldSettings(fold, slot, vendor);
    if (mask != 0) {
        *detail = static_cast<int32_t>(mask);
        return 3;
    }
    *detail = 0;
    if (DeriveFoldColumn(fold, request.display_width) != 0) {
        *detail = 0;
        return 2;
    }
    mask = LoadHeaderSettings(header, slot, vendor);
    if (mask != 0) {
        *detail = static_cast<int32_t>(mask);
        return 4;
    }
    *detail = 0;
    return 0;
}

int32_t DefaultWholeSetting(int32_t slot, int32_t preset, const char *title, const char *vendor,
                            int32_t *detail) {
    Records records;
    const bool known = FillPreset(&records, preset, 0) == 0;
    return DefaultWholeSetting(slot, PresetForSlot{known ? &records : nullptr, kDefaultSlotTitle}, title, vendor,
                               detail);
}

int32_t DefaultWholeSetting(int32_t slot, const PresetForSlot &preset, const char *title, const char *vendor,
                            int32_t *detail) {
    if (!IsValidSlot(slot) || preset.records == nullptr) {
        *detail = ERR_BAD_NUMBER;
        return 1;
    }
    // Each record in turn; the first that fails names the stage.
    const Records &records = *preset.records;
    int32_t stage = 1;
    uint32_t mask = SaveIndentSettings(records.indent, slot, vendor);
    if (mask == 0) {
        stage = 2;
        mask = SaveFoldSettings(records.fold, slot, vendor);
    }
    if (mask == 0) {
        stage = 3;
        mask = SaveHeaderSettings(records.header, slot, vendor);
    }
    *detail = static_cast<int32_t>(mask);
    if (mask != 0) return stage;
    RegistryKey key = RegistryKey::Open(SlotKey(vendor, slot), platform::Access::kAll);
    if (!key.valid()) {
        *detail = 0;
        return 4;
    }
    const char *text = (title != nullptr && *title != '\0') ? title : preset.default_title;
    key.Write("Title", kRegSz, text, static_cast<uint32_t>(std::strlen(text) + 1));
    return 0;
}

bool ReadSlotTitle(int32_t slot, const char *vendor, std::string *title) {
    if (!IsValidSlot(slot)) return false;
    const RegistryKey key = RegistryKey::Open(SlotKey(vendor, slot), platform::Access::kRead);
    if (!key.valid()) return false;
    std::vector<char> buffer(64 * 1024);
    auto size = static_cast<uint32_t>(buffer.size() - 1);
    if (!key.Read("Title", buffer.data(), &size)) return false;
    buffer[size] = '\0';
    *title = buffer.data();
    return true;
}

bool WriteSlotTitle(int32_t slot, const char *vendor, const std::string &title) {
    if (!IsValidSlot(slot)) return false;
    RegistryKey key = RegistryKey::Create(SlotKey(vendor, slot));
    return key.valid() && key.Write("Title", kRegSz, title.c_str(), static_cast<uint32_t>(title.size() + 1));
}

int32_t ReadDefaultNumber(const char *vendor) {
    const RegistryKey key = RegistryKey::Open(ProductKey(vendor), platform::Access::kRead);
    if (!key.valid()) return 0;
    int32_t number = 0;
    uint32_t size = sizeof number;
    if (!key.Read("DefaultNumber", &number, &size)) return 0;
    return number;
}

int32_t WriteDefaultNumber(int32_t number, const char *vendor) {
    if (!IsValidSlot(number)) return 1;
    RegistryKey key = RegistryKey::Create(ProductKey(vendor));
    if (!key.valid()) return 2;  // nothing could be stored: not a success
    return key.Write("DefaultNumber", kRegDword, &number, sizeof number) ? 0 : 2;
}

}  // namespace lumo
