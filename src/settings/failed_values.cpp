// The names of the values that a load of a slot's record could not give,
// for messages. Apart from the slots' load and save, so that the library's
// exports do not carry the names as text.
#include "platform/registry.h"
#include "settings/field_text.h"
#include "settings/slots.h"

namespace lumo {

std::vector<std::string> FailedValueNames(Record which, uint32_t mask, int32_t slot, const char *vendor) {
    // The ten indent strings share one bit, and so do their property words:
    // ask the store which of them it cannot give.
    const uint32_t shared = which == Record::kIndent ? (mask & 0x600u) : 0u;
    std::vector<std::string> names = ValuesOfMask(which, mask & ~shared);
    if (shared == 0) return names;
    const platform::RegistryKey key =
        platform::RegistryKey::Open(SlotKey(vendor, slot) + "\\" + RecordGroupKey(which), platform::Access::kRead);
    bool found = false;
    for (const FieldSpec &field : FieldsOf(which)) {
        if ((field.mask & shared) == 0) continue;
        uint32_t size = 0;
        if (!key.valid() || !key.Read(field.value_name(), nullptr, &size) || size > field.size) {
            names.push_back(field.value_name());
            found = true;
        }
    }
    if (!found) {
        for (const std::string &name : ValuesOfMask(which, shared)) names.push_back(name);
    }
    return names;
}

}  // namespace lumo
