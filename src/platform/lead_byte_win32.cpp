// The ANSI code page on Windows: the system's own answers, GetACP and
// IsDBCSLeadByte, asked at each call.
#include "platform/lead_byte.h"

#include <windows.h>

namespace lumo::platform {

uint32_t AnsiCodePage() { return GetACP(); }

bool IsLeadByte(unsigned char byte) { return IsDBCSLeadByte(byte) != FALSE; }

}  // namespace lumo::platform
