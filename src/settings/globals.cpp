// The library's own settings records, shared by every GL export of the
// process. Static storage, so they start all zero: a fold column of 0 makes
// formatting refuse until a slot has been loaded.
#include "settings/presets.h"

namespace lumo {

Records &Globals() {
    static Records records{};
    return records;
}

}  // namespace lumo
