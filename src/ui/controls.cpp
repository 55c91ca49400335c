// Dialog-item helpers shared by the settings pages and the small dialogs.
#include "ui/controls.h"

#include <cstring>
#include <cwchar>
#include <string>
#include <vector>

#include "platform/lead_byte.h"

namespace lumo::ui {

void ShowBit(HWND dialog, int id, uint32_t word, uint32_t bit) {
    CheckDlgButton(dialog, id, (word & bit) != 0 ? BST_CHECKED : BST_UNCHECKED);
}

bool IsTicked(HWND dialog, int id) { return IsDlgButtonChecked(dialog, id) == BST_CHECKED; }

void CommitBit(HWND dialog, int id, uint32_t *word, uint32_t bit) {
    if (IsTicked(dialog, id)) {
        *word |= bit;
    } else {
        *word &= ~bit;
    }
}

void SetBits(uint32_t *word, uint32_t set, uint32_t clear) { *word = (*word | set) & ~clear; }

void ShowUnsigned(HWND dialog, int id, uint32_t value) { SetDlgItemInt(dialog, id, value, FALSE); }

// SetDlgItemInt reads its value as an int when asked for a signed decimal,
// so a value above 0x7FFFFFFF shows as negative (and then reads back as 0).
void ShowSigned(HWND dialog, int id, uint32_t value) { SetDlgItemInt(dialog, id, value, TRUE); }

// Leading blanks, then digits only, at most 4294967295. A sign makes no
// unsigned number: a value shown signed as "-1" reads back as 0.
uint32_t ReadUnsigned(HWND dialog, int id) {
    std::string text(static_cast<size_t>(GetWindowTextLengthA(GetDlgItem(dialog, id))) + 1, '\0');
    GetDlgItemTextA(dialog, id, text.data(), static_cast<int>(text.size()));
    size_t at = 0;
    while (text[at] == ' ') ++at;
    if (text[at] < '0' || text[at] > '9') return 0;
    uint64_t value = 0;
    for (; text[at] >= '0' && text[at] <= '9'; ++at) {
        value = value * 10 + static_cast<uint64_t>(text[at] - '0');
        if (value > UINT32_MAX) return 0;
    }
    return text[at] == '\0' ? static_cast<uint32_t>(value) : 0;
}

namespace {

std::vector<wchar_t> WideText(HWND dialog, int id) {
    std::vector<wchar_t> text(static_cast<size_t>(GetWindowTextLengthW(GetDlgItem(dialog, id))) + 1, L'\0');
    GetDlgItemTextW(dialog, id, text.data(), static_cast<int>(text.size()));
    return text;
}

}  // namespace

void ShowText(HWND dialog, int id, const char *text, size_t size) {
    const UINT code_page = platform::AnsiCodePage();
    const int bytes = static_cast<int>(strnlen(text, size));
    const int length = bytes > 0 ? MultiByteToWideChar(code_page, 0, text, bytes, nullptr, 0) : 0;
    std::vector<wchar_t> wide(static_cast<size_t>(length > 0 ? length : 0) + 1, L'\0');
    if (length > 0) MultiByteToWideChar(code_page, 0, text, bytes, wide.data(), length);
    SetDlgItemTextW(dialog, id, wide.data());
}

// One character (a surrogate pair whole) at a time, so that the text is cut
// after the last character that fits, never inside one.
void ReadText(HWND dialog, int id, char *field, size_t size) {
    const UINT code_page = platform::AnsiCodePage();
    const std::vector<wchar_t> wide = WideText(dialog, id);
    size_t used = 0;
    for (const wchar_t *p = wide.data(); *p != L'\0';) {
        const int units = IS_HIGH_SURROGATE(p[0]) && IS_LOW_SURROGATE(p[1]) ? 2 : 1;
        char bytes[8];
        const int length = WideCharToMultiByte(code_page, 0, p, units, bytes, sizeof bytes, nullptr, nullptr);
        p += units;
        if (length <= 0) continue;
        if (used + static_cast<size_t>(length) >= size) break;
        std::memcpy(field + used, bytes, static_cast<size_t>(length));
        used += static_cast<size_t>(length);
    }
    field[used] = '\0';
}

bool HasText(HWND dialog, int id, const wchar_t *text) { return std::wcscmp(WideText(dialog, id).data(), text) == 0; }

void LimitText(HWND dialog, int id, unsigned limit) {
    SendDlgItemMessageA(dialog, id, EM_LIMITTEXT, limit, 0);
}

}  // namespace lumo::ui
