// Lead-byte test on Windows: the system's test for the current ANSI code page.
#include "platform/lead_byte.h"

#include <windows.h>

namespace lumo::platform {

bool IsLeadByte(unsigned char byte) { return IsDBCSLeadByte(byte) != FALSE; }

}  // namespace lumo::platform
