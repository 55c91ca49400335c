// The library's module instance handle, recorded when the library is
// attached to a process; every dialog is created from this module's resources.
#pragma once

namespace lumo {

void *ModuleInstance();
void SetModuleInstance(void *instance);

}  // namespace lumo
