// The per-thread fault hook shared by both clipboard backends.
#pragma once

#include "platform/clipboard.h"

namespace lumo::platform {

bool ClipboardFault(ClipboardCall call);

}  // namespace lumo::platform
