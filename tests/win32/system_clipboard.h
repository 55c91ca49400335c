// The system clipboard, handled as another program would: the host tests
// put CF_TEXT there for the clipboard commands and read what they left.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <string>

inline ::testing::AssertionResult PutClipboardText(const std::string &text) {
    SetLastError(0xdeadbeef);
    if (!OpenClipboard(nullptr)) {
        return ::testing::AssertionFailure() << "OpenClipboard failed, error " << GetLastError();
    }
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, text.size() + 1);
    char *data = block != nullptr ? static_cast<char *>(GlobalLock(block)) : nullptr;
    if (data == nullptr) {
        CloseClipboard();
        return ::testing::AssertionFailure() << "no global block for the clipboard text";
    }
    std::memcpy(data, text.c_str(), text.size() + 1);
    GlobalUnlock(block);
    const bool set = EmptyClipboard() && SetClipboardData(CF_TEXT, block) != nullptr;
    const DWORD error = GetLastError();
    CloseClipboard();
    if (!set) {
        GlobalFree(block);
        return ::testing::AssertionFailure() << "SetClipboardData failed, error " << error;
    }
    return ::testing::AssertionSuccess();
}

// The clipboard's CF_TEXT, or "<no text>" when it holds none.
inline constexpr char kNoText[] = "<no text>";
inline std::string ClipboardText() {
    if (!OpenClipboard(nullptr)) return "<cannot open the clipboard>";
    std::string text = kNoText;
    if (HANDLE data = GetClipboardData(CF_TEXT)) {
        if (const char *bytes = static_cast<const char *>(GlobalLock(data))) {
            text = bytes;
            GlobalUnlock(data);
        }
    }
    CloseClipboard();
    return text;
}
