// Small helpers over dialog items, in the few shapes the dialogs use: flag
// bits shown as check boxes, numbers shown in edits, and fixed-size text
// fields read back without overrunning them. The records' and the store's
// texts are in the ANSI code page; the controls hold UTF-16, and the two
// meet here, converted with the code page the platform names.
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

// A text in the ANSI code page shown in a control: up to its NUL, or all
// size bytes of a field that holds none.
void ShowText(HWND dialog, int id, const char *text, size_t size);
template <size_t size>
void ShowText(HWND dialog, int id, const char (&field)[size]) {
    ShowText(dialog, id, field, size);
}
// A control's text in the ANSI code page into `size` bytes: at most size - 1
// bytes of whole characters, and a NUL.
void ReadText(HWND dialog, int id, char *field, size_t size);
// A text field of `size` bytes, which keeps at most size - 1 bytes and always
// ends in a NUL inside the field.
template <size_t size>
void ReadText(HWND dialog, int id, char (&field)[size]) {
    ReadText(dialog, id, field, size);
}
// Whether a control holds exactly this text.
bool HasText(HWND dialog, int id, const wchar_t *text);
void LimitText(HWND dialog, int id, unsigned limit);

}  // namespace lumo::ui
