// Test seams for the clipboard: faults and a text block placed by the test,
// one of each per thread so that parallel tests cannot disturb each other.
#include "platform/clipboard_fault.h"

namespace lumo::platform {
namespace {

struct Hook {
    ClipboardFaultHook hook = nullptr;
    void *context = nullptr;
};
thread_local Hook current;

struct PlacedBlock {
    const char *bytes = nullptr;
    size_t size = 0;
};
thread_local PlacedBlock placed;

}  // namespace

void SetClipboardFaultHook(ClipboardFaultHook hook, void *context) { current = {hook, context}; }

bool ClipboardFault(ClipboardCall call) {
    return current.hook != nullptr && current.hook(call, current.context);
}

void SetClipboardBlockOverride(const char *bytes, size_t size) {
    placed = {bytes, bytes != nullptr ? size : 0};
}

bool ClipboardBlockOverride(const char **bytes, size_t *size) {
    if (placed.bytes == nullptr) return false;
    *bytes = placed.bytes;
    *size = placed.size;
    return true;
}

}  // namespace lumo::platform
