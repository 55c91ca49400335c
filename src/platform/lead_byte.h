// The ANSI code page, in the two questions the library asks of it: which code
// page it is (the exports take a host's text as UTF-8 where it is 65001), and
// whether a byte is the lead byte of a two-byte character in it (the one
// thing the formatting core asks of the platform). On Windows the system
// answers; elsewhere the platform stands for a Windows whose code page is
// 932, unless a test stands in another.
#pragma once

#include <cstdint>

namespace lumo::platform {

constexpr uint32_t kCodePage932 = 932;
constexpr uint32_t kCodePageUtf8 = 65001;  // CP_UTF8

// Asked at each call, never kept: a process's ANSI code page is fixed while
// it runs, and GetACP costs nothing beside a formatting call, so asking
// again keeps the library free of state and lets a test stand in another
// code page after the library has been loaded.
uint32_t AnsiCodePage();
bool IsLeadByte(unsigned char byte);

#ifndef _WIN32
// For tests: from now on the platform answers as a Windows whose ANSI code
// page is code_page (65001 or a single-byte code page: no lead bytes); 0
// returns to 932. On Windows a test points the library's imports of GetACP
// and IsDBCSLeadByte at its own functions instead.
void SetAnsiCodePageStandIn(uint32_t code_page);
#endif

}  // namespace lumo::platform
