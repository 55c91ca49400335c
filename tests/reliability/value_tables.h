// The stored values of a setting slot, written out from the storage layout
// (value name, field, bytes, mask bit, how the value is stored), for tests
// and fuzz targets that check the store behind the library's back.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "lumotext.h"

namespace lumo_test {

enum class StoredAs {
    kNumber,     // REG_DWORD, 4 bytes
    kText,       // REG_SZ, the text and one NUL
    kWholeField  // REG_SZ, the whole field, NUL and all bytes behind it
};

struct StoredValue {
    std::string name;
    size_t offset;  // of the field in the record
    uint32_t size;  // bytes of the field, which is also the read buffer
    uint32_t bit;   // in the load and save masks
    StoredAs as;
};

inline std::vector<StoredValue> IndentValues() {
    std::vector<StoredValue> values = {
        {"styles", offsetof(IndentSettings, styles), 4, 0x002, StoredAs::kNumber},
        {"sub_styles", offsetof(IndentSettings, sub_styles), 4, 0x004, StoredAs::kNumber},
        {"fixed_indent_column", offsetof(IndentSettings, fixed_indent_column), 4, 0x008, StoredAs::kNumber},
        {"chars_for_quote", offsetof(IndentSettings, chars_for_quote), 1024, 0x010, StoredAs::kText},
        {"chars_for_empha", offsetof(IndentSettings, chars_for_empha), 1024, 0x020, StoredAs::kText},
        {"chars_for_sole_itemize", offsetof(IndentSettings, chars_for_sole_itemize), 1024, 0x040,
         StoredAs::kText},
        {"chars_for_combi_itemize", offsetof(IndentSettings, chars_for_combi_itemize), 1024, 0x080,
         StoredAs::kText},
        {"chars_for_itemize_end", offsetof(IndentSettings, chars_for_itemize_end), 1024, 0x100,
         StoredAs::kText},
    };
    for (size_t k = 0; k < LUMO_INDENT_STRING_COUNT; ++k) {
        values.push_back({"indent_string-" + std::to_string(k),
                          offsetof(IndentSettings, indent_string) + LUMO_INDENT_STRING_BYTES * k,
                          LUMO_INDENT_STRING_BYTES, 0x200, StoredAs::kText});
        values.push_back({"indent_string_property-" + std::to_string(k),
                          offsetof(IndentSettings, indent_string_property) + 4 * k, 4, 0x400,
                          StoredAs::kNumber});
    }
    return values;
}

inline std::vector<StoredValue> FoldValues() {
    return {
        {"foldnum_from_head", offsetof(FoldSettings, foldnum_from_head), 4, 0x004, StoredAs::kNumber},
        {"foldnum_from_tail", offsetof(FoldSettings, foldnum_from_tail), 4, 0x008, StoredAs::kNumber},
        {"tailwrap_flag", offsetof(FoldSettings, tailwrap_flag), 4, 0x010, StoredAs::kNumber},
        {"wraptype", offsetof(FoldSettings, wraptype), 4, 0x020, StoredAs::kNumber},
        {"maxmove_leftwise", offsetof(FoldSettings, maxmove_leftwise), 4, 0x040, StoredAs::kNumber},
        {"maxmove_rightwise", offsetof(FoldSettings, maxmove_rightwise), 4, 0x080, StoredAs::kNumber},
        {"chars_not_for_tail", offsetof(FoldSettings, chars_not_for_tail), 1024, 0x100, StoredAs::kWholeField},
        {"chars_not_for_head", offsetof(FoldSettings, chars_not_for_head), 1024, 0x200, StoredAs::kWholeField},
        {"chars_for_wordwrap", offsetof(FoldSettings, chars_for_wordwrap), 1024, 0x400, StoredAs::kWholeField},
    };
}

inline std::vector<StoredValue> HeaderValues() {
    return {
        {"lumoheader", offsetof(HeaderSettings, lumoheader), 4, 0x002, StoredAs::kNumber},
        {"headerdelimiter", offsetof(HeaderSettings, headerdelimiter), LUMO_DELIMITER_BYTES, 0x004,
         StoredAs::kWholeField},
    };
}

// The bytes a save writes for the value of record.
inline std::string StoredBytes(const void *record, const StoredValue &value) {
    const char *field = static_cast<const char *>(record) + value.offset;
    switch (value.as) {
    case StoredAs::kNumber: return std::string(field, 4);
    case StoredAs::kText: {
        size_t length = 0;
        while (length + 1 < value.size && field[length] != '\0') ++length;
        return std::string(field, length) + '\0';
    }
    case StoredAs::kWholeField: break;
    }
    return std::string(field, value.size);
}

}  // namespace lumo_test
