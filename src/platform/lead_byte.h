// The one thing the formatting core asks of the platform: is this byte the
// lead byte of a two-byte character in the ANSI code page? On Windows the
// system answers; elsewhere the code page 932 ranges stand in.
#pragma once

namespace lumo::platform {

bool IsLeadByte(unsigned char byte);

}  // namespace lumo::platform
