// The per-thread test seams shared by both clipboard backends: the fault hook
// and the placed text block.
#pragma once

#include "platform/clipboard.h"

namespace lumo::platform {

bool ClipboardFault(ClipboardCall call);
// The block a test placed for this thread: false when there is none.
bool ClipboardBlockOverride(const char **bytes, size_t *size);

}  // namespace lumo::platform
