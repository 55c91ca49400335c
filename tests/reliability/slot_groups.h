// The three record groups of a setting slot as the store tests drive them:
// each with its subkey, value table, load and save, and records whose every
// stored value tells which write it came from.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "lumotext.h"
#include "reliability/value_tables.h"
#include "settings/slots.h"

namespace lumo_test {

struct SlotGroup {
    const char *name;  // the subkey
    size_t record_size;
    std::vector<StoredValue> values;
    uint32_t (*save)(const void *record, int32_t slot, const char *vendor);
    uint32_t (*load)(void *record, int32_t slot, const char *vendor);

    std::string Path(const char *vendor, int32_t slot) const {
        return lumo::SlotKey(vendor, slot) + "\\" + name;
    }
    const StoredValue *Find(const std::string &value) const {
        for (const StoredValue &v : values) {
            if (v.name == value) return &v;
        }
        return nullptr;
    }
};

inline std::vector<SlotGroup> SlotGroups() {
    return {
        {"indent", sizeof(IndentSettings), IndentValues(),
         [](const void *r, int32_t slot, const char *vendor) {
             return lumo::SaveIndentSettings(*static_cast<const IndentSettings *>(r), slot, vendor);
         },
         [](void *r, int32_t slot, const char *vendor) {
             return lumo::LoadIndentSettings(static_cast<IndentSettings *>(r), slot, vendor);
         }},
        {"foldpos", sizeof(FoldSettings), FoldValues(),
         [](const void *r, int32_t slot, const char *vendor) {
             return lumo::SaveFoldSettings(*static_cast<const FoldSettings *>(r), slot, vendor);
         },
         [](void *r, int32_t slot, const char *vendor) {
             return lumo::LoadFoldSettings(static_cast<FoldSettings *>(r), slot, vendor);
         }},
        {"lumoheader", sizeof(HeaderSettings), HeaderValues(),
         [](const void *r, int32_t slot, const char *vendor) {
             return lumo::SaveHeaderSettings(*static_cast<const HeaderSettings *>(r), slot, vendor);
         },
         [](void *r, int32_t slot, const char *vendor) {
             return lumo::LoadHeaderSettings(static_cast<HeaderSettings *>(r), slot, vendor);
         }},
    };
}

// A record whose every stored value differs from that of any other tag or
// base: numbers counting up from base, texts naming the tag, whole fields
// with letters behind their NUL. The last byte of every text field is 0, as a
// load leaves it, so that a load gives back exactly this record.
inline std::vector<unsigned char> DistinctRecord(const SlotGroup &group, const std::string &tag,
                                                 uint32_t base) {
    std::vector<unsigned char> record(group.record_size, 0);
    const auto size = static_cast<uint32_t>(group.record_size);
    std::memcpy(record.data(), &size, sizeof size);
    uint32_t index = 0;
    for (const StoredValue &v : group.values) {
        unsigned char *field = record.data() + v.offset;
        const uint32_t number = base + index++;
        if (v.as == StoredAs::kNumber) {
            std::memcpy(field, &number, sizeof number);
            continue;
        }
        const std::string text = tag + "-" + v.name;
        std::memcpy(field, text.data(), text.size());
        if (v.as == StoredAs::kWholeField) {
            for (size_t i = text.size() + 1; i + 1 < v.size; ++i) {
                // ASCII: the Windows registry passes REG_SZ bytes through the
                // ANSI code page, which would change an undefined pair.
                field[i] = static_cast<unsigned char>('a' + (number + i) % 26);
            }
        }
    }
    return record;
}

}  // namespace lumo_test
