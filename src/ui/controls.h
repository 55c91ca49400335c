// Small helpers over dialog items, in the few shapes the dialogs use: flag
// bits shown as check boxes, numbers shown in edits, and fixed-size text
// fields read back without overrunning them.
#pragma once

#include <windows.h>

#include <cstdint>

namespace lumo::ui {

// A check box shows a flag bit: ticked exactly when the bit is set. At
// commit the bit is set when the box reports the ticked state, else cleared.
void ShowBit(HWND dialog, int id, uint32_t word, uint32_t bit);
void CommitBit(HWND dialog, int id, uint32_t *word, uint32_t bit);
bool IsTicked(HWND dialog, int id);
void SetBits(uint32_t *word, uint32_t set, uint32_t clear);

// Numbers: shown as unsigned (or signed) decimals; read as unsigned, where
// an empty edit or one that is not an unsigned decimal reads as 0.
void ShowUnsigned(HWND dialog, int id, uint32_t value);
void ShowSigned(HWND dialog, int id, uint32_t value);
uint32_t ReadUnsigned(HWND dialog, int id);

// A text field of `size` bytes: read back with a buffer of that size, so it
// keeps at most size - 1 bytes and always ends in a NUL inside the field.
template <size_t size>
void ReadText(HWND dialog, int id, char (&field)[size]) {
    GetDlgItemTextA(dialog, id, field, static_cast<int>(size));
    field[size - 1] = '\0';
}
void LimitText(HWND dialog, int id, unsigned limit);

}  // namespace lumo::ui
