// The ANSI code page off Windows: 932 (Shift-JIS) and its lead bytes, or the
// code page a test stands in, which has none.
#include <atomic>

#include "platform/lead_byte.h"

namespace lumo::platform {
namespace {

// Process-wide rather than per thread: a stream may fold on worker threads.
std::atomic<uint32_t> g_stand_in{0};

}  // namespace

uint32_t AnsiCodePage() {
    const uint32_t stand_in = g_stand_in.load(std::memory_order_relaxed);
    return stand_in != 0 ? stand_in : kCodePage932;
}

bool IsLeadByte(unsigned char byte) {
    if (AnsiCodePage() != kCodePage932) return false;
    return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

void SetAnsiCodePageStandIn(uint32_t code_page) { g_stand_in.store(code_page, std::memory_order_relaxed); }

}  // namespace lumo::platform
