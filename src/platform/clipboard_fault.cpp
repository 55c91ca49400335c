// Test faults for the clipboard, one hook per thread so that parallel tests
// cannot disturb each other.
#include "platform/clipboard_fault.h"

namespace lumo::platform {
namespace {

struct Hook {
    ClipboardFaultHook hook = nullptr;
    void *context = nullptr;
};
thread_local Hook current;

}  // namespace

void SetClipboardFaultHook(ClipboardFaultHook hook, void *context) { current = {hook, context}; }

bool ClipboardFault(ClipboardCall call) {
    return current.hook != nullptr && current.hook(call, current.context);
}

}  // namespace lumo::platform
