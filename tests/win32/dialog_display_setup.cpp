// Prepares the Wine prefix of the dialog tests before they run: the
// templates' font "ＭＳ Ｐゴシック" (and the other Japanese system fonts) is
// mapped to an installed IPA font, Wine's own fonts (Debian's fonts-wine:
// Marlett draws the caption buttons) are registered, and Wine draws the
// window frames itself, since the virtual display has no window manager.
// Wine reads these settings when a process starts, hence a program of its own.
#include <windows.h>

#include <cstdio>
#include <cwchar>

namespace {

bool SetString(HKEY root, const wchar_t *path, const wchar_t *name, const wchar_t *value) {
    HKEY key = nullptr;
    if (RegCreateKeyExW(root, path, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr) != ERROR_SUCCESS) {
        return false;
    }
    const auto bytes = static_cast<DWORD>((std::wcslen(value) + 1) * sizeof(wchar_t));
    const LONG rc = RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE *>(value), bytes);
    RegCloseKey(key);
    return rc == ERROR_SUCCESS;
}

}  // namespace

int main() {
    struct Replacement {
        const wchar_t *font;
        const wchar_t *installed;
    };
    const Replacement replacements[] = {
        {L"\xFF2D\xFF33 \xFF30\x30B4\x30B7\x30C3\x30AF", L"IPAPGothic"},  // ＭＳ Ｐゴシック
        {L"\xFF2D\xFF33 \x30B4\x30B7\x30C3\x30AF", L"IPAGothic"},         // ＭＳ ゴシック
        {L"MS PGothic", L"IPAPGothic"},
        {L"MS Gothic", L"IPAGothic"},
        {L"MS UI Gothic", L"IPAPGothic"},
    };
    bool ok = true;
    for (const Replacement &r : replacements) {
        ok = SetString(HKEY_CURRENT_USER, L"Software\\Wine\\Fonts\\Replacements", r.font, r.installed) && ok;
    }
    // Wine does not find the fonts of its data folder here by itself.
    const wchar_t *wine_fonts[][2] = {
        {L"Marlett (TrueType)", L"Z:\\usr\\share\\wine\\fonts\\marlett.ttf"},
        {L"Tahoma (TrueType)", L"Z:\\usr\\share\\wine\\fonts\\tahoma.ttf"},
        {L"Tahoma Bold (TrueType)", L"Z:\\usr\\share\\wine\\fonts\\tahomabd.ttf"},
    };
    for (const auto &font : wine_fonts) {
        if (GetFileAttributesW(font[1]) == INVALID_FILE_ATTRIBUTES) {
            std::fprintf(stderr, "dialog_display_setup: %ls is missing (apt-get install fonts-wine)\n",
                         font[1]);
            continue;
        }
        ok = SetString(HKEY_LOCAL_MACHINE, L"Software\\Microsoft\\Windows NT\\CurrentVersion\\Fonts", font[0],
                       font[1]) &&
             ok;
    }
    ok = SetString(HKEY_CURRENT_USER, L"Software\\Wine\\X11 Driver", L"Decorated", L"N") && ok;
    ok = SetString(HKEY_CURRENT_USER, L"Software\\Wine\\X11 Driver", L"Managed", L"N") && ok;
    if (!ok) {
        std::fprintf(stderr, "dialog_display_setup: could not write the Wine settings\n");
        return 1;
    }
    std::printf("Japanese fonts mapped to the IPA fonts, Wine fonts registered, frames drawn by Wine\n");
    return 0;
}
