// Every Windows test assumes the ANSI code page is 932 (Shift-JIS). Wine
// takes it from LC_ALL; when that did not work, say so loudly, before a
// hundred tests fail for a reason that is not theirs.
#include <windows.h>

#include <cstdio>

int main() {
    const UINT acp = GetACP();
    const bool lead = IsDBCSLeadByte(0x81) != FALSE;
    std::printf("ANSI code page %u, 0x81 is %sa lead byte\n", acp, lead ? "" : "not ");
    if (acp != 932 || !lead) {
        std::fprintf(stderr,
                     "code_page_check: the Wine prefix does not use code page 932; run the tests "
                     "through scripts/wine-run.sh (LC_ALL=ja_JP.UTF-8)\n");
        return 1;
    }
    return 0;
}
