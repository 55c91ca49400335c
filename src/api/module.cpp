// Storage of the module instance handle: the library's own state, set once
// at process attach.
#include "api/module.h"

namespace lumo {
namespace {

void *&Instance() {
    static void *instance = nullptr;
    return instance;
}

}  // namespace

void *ModuleInstance() { return Instance(); }
void SetModuleInstance(void *instance) { Instance() = instance; }

}  // namespace lumo
