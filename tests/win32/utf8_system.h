// A Windows whose ANSI code page is UTF-8 (65001), as the library alone sees
// it. Wine takes its ANSI code page from the Unix locale only (932 for these
// tests), so the library's own imports of the functions that answer for the
// code page are pointed at replacements that answer as such a system does:
// GetACP is 65001, no byte is a lead byte, CP_ACP converts as UTF-8, the
// ANSI registry functions store and return string values as UTF-8 (the
// registry itself keeps UTF-16, which the tests read back with the W
// functions), and so do the ANSI functions that set and read the texts of
// windows and show message boxes.
#pragma once

#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "import_patch.h"

namespace lumo_test {
namespace utf8_system {

inline UINT Resolve(UINT code_page) { return code_page == CP_ACP || code_page == CP_THREAD_ACP ? CP_UTF8 : code_page; }

inline UINT WINAPI GetAcp() { return CP_UTF8; }
inline BOOL WINAPI IsLeadByte(BYTE) { return FALSE; }
inline BOOL WINAPI IsLeadByteEx(UINT code_page, BYTE byte) {
    const UINT resolved = Resolve(code_page);
    return resolved == CP_UTF8 ? FALSE : IsDBCSLeadByteEx(resolved, byte);
}
inline int WINAPI ToWide(UINT code_page, DWORD flags, LPCCH text, int length, LPWSTR wide, int room) {
    return MultiByteToWideChar(Resolve(code_page), flags, text, length, wide, room);
}
inline int WINAPI ToNarrow(UINT code_page, DWORD flags, LPCWCH wide, int length, LPSTR text, int room,
                           LPCCH default_char, LPBOOL used_default) {
    const UINT resolved = Resolve(code_page);
    if (resolved == CP_UTF8) return WideCharToMultiByte(CP_UTF8, flags, wide, length, text, room, nullptr, nullptr);
    return WideCharToMultiByte(resolved, flags, wide, length, text, room, default_char, used_default);
}

inline std::wstring Wide(const char *text, int length = -1) {
    if (text == nullptr) return std::wstring();
    if (length == 0) return std::wstring();
    const int units = MultiByteToWideChar(CP_UTF8, 0, text, length, nullptr, 0);
    std::wstring wide(static_cast<size_t>(units > 0 ? units : 0), L'\0');
    if (units > 0) MultiByteToWideChar(CP_UTF8, 0, text, length, wide.data(), units);
    return wide;
}

inline std::string Utf8(const wchar_t *wide, int length) {
    if (length == 0) return std::string();
    const int bytes = WideCharToMultiByte(CP_UTF8, 0, wide, length, nullptr, 0, nullptr, nullptr);
    std::string text(static_cast<size_t>(bytes > 0 ? bytes : 0), '\0');
    if (bytes > 0) WideCharToMultiByte(CP_UTF8, 0, wide, length, text.data(), bytes, nullptr, nullptr);
    return text;
}

inline bool IsString(DWORD type) { return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ; }

// The size bytes of a string value converted from the ANSI code page, as the
// system converts them, NUL and all.
inline LSTATUS WINAPI SetValue(HKEY key, LPCSTR name, DWORD reserved, DWORD type, const BYTE *data, DWORD size) {
    const std::wstring wide_name = Wide(name);
    const wchar_t *value_name = name != nullptr ? wide_name.c_str() : nullptr;
    if (!IsString(type) || data == nullptr) return RegSetValueExW(key, value_name, reserved, type, data, size);
    const std::wstring wide = Wide(reinterpret_cast<const char *>(data), static_cast<int>(size));
    return RegSetValueExW(key, value_name, reserved, type, reinterpret_cast<const BYTE *>(wide.data()),
                          static_cast<DWORD>(wide.size() * sizeof(wchar_t)));
}

// The value in the ANSI code page; ERROR_MORE_DATA with the size needed when
// it does not fit.
inline LSTATUS WINAPI QueryValue(HKEY key, LPCSTR name, LPDWORD reserved, LPDWORD type, LPBYTE data,
                                 LPDWORD size) {
    const std::wstring wide_name = Wide(name);
    const wchar_t *value_name = name != nullptr ? wide_name.c_str() : nullptr;
    DWORD stored_type = REG_NONE;
    DWORD stored_size = 0;
    LSTATUS rc = RegQueryValueExW(key, value_name, reserved, &stored_type, nullptr, &stored_size);
    if (rc != ERROR_SUCCESS) return rc;
    std::vector<BYTE> stored(stored_size + sizeof(wchar_t), 0);
    rc = RegQueryValueExW(key, value_name, reserved, &stored_type, stored.data(), &stored_size);
    if (rc != ERROR_SUCCESS) return rc;
    std::string bytes(reinterpret_cast<const char *>(stored.data()), stored_size);
    if (IsString(stored_type)) {
        bytes = Utf8(reinterpret_cast<const wchar_t *>(stored.data()), static_cast<int>(stored_size / sizeof(wchar_t)));
    }
    if (type != nullptr) *type = stored_type;
    if (data == nullptr) {
        if (size != nullptr) *size = static_cast<DWORD>(bytes.size());
        return ERROR_SUCCESS;
    }
    if (size == nullptr) return ERROR_INVALID_PARAMETER;
    if (bytes.size() > *size) {
        *size = static_cast<DWORD>(bytes.size());
        return ERROR_MORE_DATA;
    }
    std::copy(bytes.begin(), bytes.end(), data);
    *size = static_cast<DWORD>(bytes.size());
    return ERROR_SUCCESS;
}

inline BOOL WINAPI SetItemText(HWND dialog, int id, LPCSTR text) {
    return SetDlgItemTextW(dialog, id, Wide(text).c_str());
}
inline BOOL WINAPI SetText(HWND window, LPCSTR text) { return SetWindowTextW(window, Wide(text).c_str()); }
inline int WINAPI ShowMessage(HWND owner, LPCSTR text, LPCSTR caption, UINT type) {
    return MessageBoxW(owner, Wide(text).c_str(), caption != nullptr ? Wide(caption).c_str() : nullptr, type);
}
// At most room - 1 bytes of whole characters and a NUL; the bytes written.
inline UINT WINAPI GetItemText(HWND dialog, int id, LPSTR text, int room) {
    if (room <= 0) return 0;
    std::vector<wchar_t> wide(static_cast<size_t>(GetWindowTextLengthW(GetDlgItem(dialog, id))) + 1, L'\0');
    GetDlgItemTextW(dialog, id, wide.data(), static_cast<int>(wide.size()));
    size_t used = 0;
    for (const wchar_t *p = wide.data(); *p != L'\0';) {
        const int units = IS_HIGH_SURROGATE(p[0]) && IS_LOW_SURROGATE(p[1]) ? 2 : 1;
        const std::string character = Utf8(p, units);
        p += units;
        if (used + character.size() >= static_cast<size_t>(room)) break;
        std::copy(character.begin(), character.end(), text + used);
        used += character.size();
    }
    text[used] = '\0';
    return static_cast<UINT>(used);
}

}  // namespace utf8_system

// For as long as it lives, the library answers as on a UTF-8 system.
class Utf8System {
public:
    explicit Utf8System(HMODULE library)
        : acp_(library, "kernel32.dll", "GetACP", reinterpret_cast<void *>(&utf8_system::GetAcp)),
          lead_(library, "kernel32.dll", "IsDBCSLeadByte", reinterpret_cast<void *>(&utf8_system::IsLeadByte)),
          lead_ex_(library, "kernel32.dll", "IsDBCSLeadByteEx",
                   reinterpret_cast<void *>(&utf8_system::IsLeadByteEx)),
          to_wide_(library, "kernel32.dll", "MultiByteToWideChar", reinterpret_cast<void *>(&utf8_system::ToWide)),
          to_narrow_(library, "kernel32.dll", "WideCharToMultiByte",
                     reinterpret_cast<void *>(&utf8_system::ToNarrow)),
          set_value_(library, "advapi32.dll", "RegSetValueExA", reinterpret_cast<void *>(&utf8_system::SetValue)),
          query_value_(library, "advapi32.dll", "RegQueryValueExA",
                       reinterpret_cast<void *>(&utf8_system::QueryValue)),
          set_item_text_(library, "user32.dll", "SetDlgItemTextA",
                         reinterpret_cast<void *>(&utf8_system::SetItemText)),
          get_item_text_(library, "user32.dll", "GetDlgItemTextA",
                         reinterpret_cast<void *>(&utf8_system::GetItemText)),
          set_text_(library, "user32.dll", "SetWindowTextA", reinterpret_cast<void *>(&utf8_system::SetText)),
          message_(library, "user32.dll", "MessageBoxA", reinterpret_cast<void *>(&utf8_system::ShowMessage)) {}

    // The code page and the registry are the library's; the other functions
    // it may not call at all.
    bool patched() const { return acp_.patched() && set_value_.patched() && query_value_.patched(); }

private:
    ImportPatch acp_;
    ImportPatch lead_;
    ImportPatch lead_ex_;
    ImportPatch to_wide_;
    ImportPatch to_narrow_;
    ImportPatch set_value_;
    ImportPatch query_value_;
    ImportPatch set_item_text_;
    ImportPatch get_item_text_;
    ImportPatch set_text_;
    ImportPatch message_;
};

// What the registry holds as UTF-16, in UTF-8: what a UTF-8 system's ANSI
// functions return for a string value.
inline bool ReadStoredUtf8(const std::string &path, const char *name, std::string *text) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    DWORD type = REG_NONE;
    DWORD size = 0;
    const std::wstring wide_name = utf8_system::Wide(name);
    bool found = RegQueryValueExW(key, wide_name.c_str(), nullptr, &type, nullptr, &size) == ERROR_SUCCESS &&
                 utf8_system::IsString(type);
    std::vector<wchar_t> wide(size / sizeof(wchar_t) + 1, L'\0');
    found = found && RegQueryValueExW(key, wide_name.c_str(), nullptr, &type, reinterpret_cast<BYTE *>(wide.data()),
                                      &size) == ERROR_SUCCESS;
    RegCloseKey(key);
    if (found) *text = utf8_system::Utf8(wide.data(), static_cast<int>(size / sizeof(wchar_t)));
    return found;
}

}  // namespace lumo_test
