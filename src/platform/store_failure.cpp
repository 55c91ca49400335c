// Per-thread failure state and fault hook of the settings store.
#include "platform/store_failure.h"

#include <utility>

namespace lumo::platform {
namespace {

thread_local StoreFailure t_last_kind = StoreFailure::kNone;
thread_local std::string t_last_error;
thread_local StoreFaultHook t_fault_hook = nullptr;
thread_local void *t_fault_context = nullptr;

}  // namespace

namespace store {

void Fail(StoreFailure kind, std::string reason) {
    t_last_kind = kind;
    t_last_error = std::move(reason);
}

void FailOutOfMemory() noexcept {
    t_last_kind = StoreFailure::kUnavailable;
    try {
        t_last_error.assign("out of memory in the settings store");
    } catch (...) {
        t_last_error.clear();
    }
}

bool FaultFires(StoreCall call, const std::string &path, const char *name, const std::string &where) {
    if (t_fault_hook == nullptr || !t_fault_hook(call, path, name, t_fault_context)) return false;
    Fail(StoreFailure::kUnavailable, "the store call on " + where + " was made to fail by a test");
    return true;
}

}  // namespace store

std::string LastStoreError() { return t_last_error; }
StoreFailure LastStoreFailure() { return t_last_kind; }

void SetStoreFaultHook(StoreFaultHook hook, void *context) {
    t_fault_hook = hook;
    t_fault_context = hook != nullptr ? context : nullptr;
}

}  // namespace lumo::platform
