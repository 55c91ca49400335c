// Lead-byte test off Windows: the lead bytes of code page 932 (Shift-JIS).
#include "platform/lead_byte.h"

namespace lumo::platform {

bool IsLeadByte(unsigned char byte) {
    return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

}  // namespace lumo::platform
