// Dialog-item helpers shared by the settings pages and the small dialogs.
#include "ui/controls.h"

#include <string>

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

void LimitText(HWND dialog, int id, unsigned limit) {
    SendDlgItemMessageA(dialog, id, EM_LIMITTEXT, limit, 0);
}

}  // namespace lumo::ui
