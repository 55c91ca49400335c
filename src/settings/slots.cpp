// Setting slots in the store. Each record kind is described by a table of its
// stored values (name, type, field, bytes written, read buffer, mask bit), and
// one load and one save routine walk those tables.
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

// How a value is written: a number, a string of its text plus one NUL, or a
// whole fixed field, NUL and all bytes behind it.
enum class Stored { kNumber, kText, kWholeField };

struct ValueSpec {
    std::string name;
    Stored stored;
    size_t offset;  // of the field within the record
    uint32_t size;  // bytes of the field, which is also the read buffer
    uint32_t mask;
};

std::vector<ValueSpec> IndentValues() {
    std::vector<ValueSpec> values = {
        {"styles", Stored::kNumber, offsetof(IndentSettings, styles), 4, 0x002},
        {"sub_styles", Stored::kNumber, offsetof(IndentSettings, sub_styles), 4, 0x004},
        {"fixed_indent_column", Stored::kNumber, offsetof(IndentSettings, fixed_indent_column), 4, 0x008},
        {"chars_for_quote", Stored::kText, offsetof(IndentSettings, chars_for_quote), LUMO_SET_BYTES, 0x010},
        {"chars_for_empha", Stored::kText, offsetof(IndentSettings, chars_for_empha), LUMO_SET_BYTES, 0x020},
        {"chars_for_sole_itemize", Stored::kText, offsetof(IndentSettings, chars_for_sole_itemize),
         LUMO_SET_BYTES, 0x040},
        {"chars_for_combi_itemize", Stored::kText, offsetof(IndentSettings, chars_for_combi_itemize),
         LUMO_SET_BYTES, 0x080},
        {"chars_for_itemize_end", Stored::kText, offsetof(IndentSettings, chars_for_itemize_end),
         LUMO_SET_BYTES, 0x100},
    };
    // The ten indent strings and their property words, pair by pair.
    for (size_t k = 0; k < LUMO_INDENT_STRING_COUNT; ++k) {
        const std::string index = std::to_string(k);
        values.push_back({"indent_string-" + index, Stored::kText,
                          offsetof(IndentSettings, indent_string) + k * LUMO_INDENT_STRING_BYTES,
                          LUMO_INDENT_STRING_BYTES, 0x200});
        values.push_back({"indent_string_property-" + index, Stored::kNumber,
                          offsetof(IndentSettings, indent_string_property) + k * sizeof(uint32_t), 4,
                          0x400});
    }
    return values;
}

// chars_not_for_head is read before chars_not_for_tail, and written after it.
std::vector<ValueSpec> FoldValues(bool loading) {
    const ValueSpec tail{"chars_not_for_tail", Stored::kWholeField, offsetof(FoldSettings, chars_not_for_tail),
                         LUMO_SET_BYTES, 0x100};
    const ValueSpec head{"chars_not_for_head", Stored::kWholeField, offsetof(FoldSettings, chars_not_for_head),
                         LUMO_SET_BYTES, 0x200};
    return {
        {"foldnum_from_head", Stored::kNumber, offsetof(FoldSettings, foldnum_from_head), 4, 0x004},
        {"foldnum_from_tail", Stored::kNumber, offsetof(FoldSettings, foldnum_from_tail), 4, 0x008},
        {"tailwrap_flag", Stored::kNumber, offsetof(FoldSettings, tailwrap_flag), 4, 0x010},
        {"wraptype", Stored::kNumber, offsetof(FoldSettings, wraptype), 4, 0x020},
        {"maxmove_leftwise", Stored::kNumber, offsetof(FoldSettings, maxmove_leftwise), 4, 0x040},
        {"maxmove_rightwise", Stored::kNumber, offsetof(FoldSettings, maxmove_rightwise), 4, 0x080},
        loading ? head : tail,
        loading ? tail : head,
        {"chars_for_wordwrap", Stored::kWholeField, offsetof(FoldSettings, chars_for_wordwrap), LUMO_SET_BYTES,
         0x400},
    };
}

std::vector<ValueSpec> HeaderValues() {
    return {
        {"lumoheader", Stored::kNumber, offsetof(HeaderSettings, lumoheader), 4, 0x002},
        {"headerdelimiter", Stored::kWholeField, offsetof(HeaderSettings, headerdelimiter),
         LUMO_DELIMITER_BYTES, 0x004},
    };
}

std::string GroupKey(const char *vendor, int32_t slot, const char *group) {
    return SlotKey(vendor, slot) + "\\" + group;
}

// What a value that cannot be read leaves in its field: 0 or the empty
// string, or what the record held before the load (a fallback such as a
// preset, which the load then only overwrites with what it found).
enum class OnMissing { kZero, kKeep };

uint32_t LoadRecord(void *record, size_t record_size, const std::vector<ValueSpec> &values,
                    const std::string &path, OnMissing on_missing = OnMissing::kZero) {
    auto *bytes = static_cast<unsigned char *>(record);
    if (on_missing == OnMissing::kZero) std::memset(record, 0, record_size);
    const RegistryKey key = RegistryKey::Open(path, platform::Access::kRead);
    if (!key.valid()) return MASK_KEY;
    uint32_t mask = 0;
    std::vector<unsigned char> before;
    for (const ValueSpec &value : values) {
        unsigned char *field = bytes + value.offset;
        // A failed read may have written part of the field.
        if (on_missing == OnMissing::kKeep) before.assign(field, field + value.size);
        uint32_t size = value.size;
        if (!key.Read(value.name.c_str(), field, &size)) {
            mask |= value.mask;
            if (on_missing == OnMissing::kKeep) {
                std::memcpy(field, before.data(), value.size);
            } else {
                std::memset(field, 0, value.size);
            }
            continue;
        }
        // What the value did not fill is zero, as in a load over a cleared
        // record, so that no fallback byte hides behind a loaded text.
        if (on_missing == OnMissing::kKeep) std::memset(field + size, 0, value.size - size);
        if (value.stored != Stored::kNumber) {
            // A stored text that fills its field without a NUL keeps all but
            // its last byte, so that the field always ends inside itself.
            field[value.size - 1] = '\0';
        }
    }
    auto *size_word = static_cast<uint32_t *>(record);
    *size_word = static_cast<uint32_t>(record_size);
    return mask;
}

uint32_t SaveRecord(const void *record, const std::vector<ValueSpec> &values, const std::string &path) {
    RegistryKey key = RegistryKey::Create(path);
    if (!key.valid()) return MASK_KEY;
    const auto *bytes = static_cast<const unsigned char *>(record);
    uint32_t mask = 0;
    for (const ValueSpec &value : values) {
        const unsigned char *field = bytes + value.offset;
        uint32_t type = kRegSz;
        uint32_t count = value.size;
        if (value.stored == Stored::kNumber) {
            type = kRegDword;
        } else if (value.stored == Stored::kText) {
            const auto *text = reinterpret_cast<const char *>(field);
            count = static_cast<uint32_t>(std::min<size_t>(strnlen(text, value.size) + 1, value.size));
        }
        if (!key.Write(value.name.c_str(), type, field, count)) mask |= value.mask;
    }
    return mask;
}

}  // namespace

const char kDefaultSlotTitle[] = "\x90\xdd\x92\xe8\x8d\xcf\x82\xdd";  // 設定済み

std::string ProductKey(const char *vendor) {
    if (vendor == nullptr || *vendor == '\0') return kDefaultRoot;
    return std::string("Software\\") + vendor + "\\Lumotext";
}

std::string SlotKey(const char *vendor, int32_t slot) {
    return ProductKey(vendor) + "\\" + std::to_string(slot);
}

uint32_t LoadIndentSettings(IndentSettings *record, int32_t slot, const char *vendor) {
    if (IsPresetSlot(slot)) return static_cast<uint32_t>(FillIndentPreset(record, 2));
    if (!IsValidSlot(slot)) return ERR_BAD_NUMBER;
    return LoadRecord(record, sizeof *record, IndentValues(), GroupKey(vendor, slot, "indent"));
}

uint32_t LoadFoldSettings(FoldSettings *record, int32_t slot, const char *vendor) {
    if (IsPresetSlot(slot)) return static_cast<uint32_t>(FillFoldPreset(record, 2));
    if (!IsValidSlot(slot)) return ERR_BAD_NUMBER;
    return LoadRecord(record, sizeof *record, FoldValues(true), GroupKey(vendor, slot, "foldpos"));
}

uint32_t LoadHeaderSettings(HeaderSettings *record, int32_t slot, const char *vendor) {
    if (IsPresetSlot(slot)) return static_cast<uint32_t>(FillHeaderPreset(record, 2));
    if (!IsValidSlot(slot)) return ERR_BAD_NUMBER;
    return LoadRecord(record, sizeof *record, HeaderValues(), GroupKey(vendor, slot, "lumoheader"));
}

uint32_t LoadIndentSettingsOver(IndentSettings *record, int32_t slot, const char *vendor) {
    if (IsPresetSlot(slot)) return static_cast<uint32_t>(FillIndentPreset(record, 2));
    if (!IsValidSlot(slot)) return ERR_BAD_NUMBER;
    return LoadRecord(record, sizeof *record, IndentValues(), GroupKey(vendor, slot, "indent"),
                      OnMissing::kKeep);
}

uint32_t LoadFoldSettingsOver(FoldSettings *record, int32_t slot, const char *vendor) {
    if (IsPresetSlot(slot)) return static_cast<uint32_t>(FillFoldPreset(record, 2));
    if (!IsValidSlot(slot)) return ERR_BAD_NUMBER;
    const uint32_t mask = LoadRecord(record, sizeof *record, FoldValues(true),
                                     GroupKey(vendor, slot, "foldpos"), OnMissing::kKeep);
    if (mask != MASK_KEY) record->foldnum = 0;  // derived, never stored
    return mask;
}

uint32_t LoadHeaderSettingsOver(HeaderSettings *record, int32_t slot, const char *vendor) {
    if (IsPresetSlot(slot)) return static_cast<uint32_t>(FillHeaderPreset(record, 2));
    if (!IsValidSlot(slot)) return ERR_BAD_NUMBER;
    return LoadRecord(record, sizeof *record, HeaderValues(), GroupKey(vendor, slot, "lumoheader"),
                      OnMissing::kKeep);
}

uint32_t SaveIndentSettings(const IndentSettings &record, int32_t slot, const char *vendor) {
    if (!IsValidSlot(slot)) return ERR_BAD_NUMBER;
    return SaveRecord(&record, IndentValues(), GroupKey(vendor, slot, "indent"));
}

uint32_t SaveFoldSettings(const FoldSettings &record, int32_t slot, const char *vendor) {
    if (!IsValidSlot(slot)) return ERR_BAD_NUMBER;
    return SaveRecord(&record, FoldValues(false), GroupKey(vendor, slot, "foldpos"));
}

uint32_t SaveHeaderSettings(const HeaderSettings &record, int32_t slot, const char *vendor) {
    if (!IsValidSlot(slot)) return ERR_BAD_NUMBER;
    return SaveRecord(&record, HeaderValues(), GroupKey(vendor, slot, "lumoheader"));
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
