// The failure state shared by the store's backends: per thread, as the
// registry's own last error is, with the test fault hook beside it.
#pragma once

#include <string>

#include "platform/registry.h"

namespace lumo::platform::store {

void Fail(StoreFailure kind, std::string reason);
// For the handlers of a failed allocation, which must not throw again.
void FailOutOfMemory() noexcept;
// Asks the thread's fault hook; when it says fail, records why. where names
// the key path as the backend shows it.
bool FaultFires(StoreCall call, const std::string &path, const char *name, const std::string &where);

}  // namespace lumo::platform::store
