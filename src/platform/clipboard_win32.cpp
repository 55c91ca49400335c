// The system clipboard: CF_TEXT in global memory blocks, opened with no owner
// window for the length of one operation.
#include <windows.h>

#include <cstring>
#include <utility>

#include "platform/clipboard.h"
#include "platform/clipboard_fault.h"

namespace lumo::platform {

GlobalBlock GlobalBlock::Allocate(size_t size) {
    if (ClipboardFault(ClipboardCall::kAllocate)) return GlobalBlock(nullptr);
    return GlobalBlock(GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT | GMEM_DDESHARE, size));
}

GlobalBlock::GlobalBlock(GlobalBlock &&other) noexcept
    : handle_(other.handle_), locked_(other.locked_) {
    other.handle_ = nullptr;
    other.locked_ = false;
}

GlobalBlock &GlobalBlock::operator=(GlobalBlock &&other) noexcept {
    if (this != &other) {
        this->~GlobalBlock();
        handle_ = other.handle_;
        locked_ = other.locked_;
        other.handle_ = nullptr;
        other.locked_ = false;
    }
    return *this;
}

GlobalBlock::~GlobalBlock() {
    if (handle_ == nullptr) return;
    Unlock();
    GlobalFree(handle_);
}

char *GlobalBlock::Lock() {
    auto *data = static_cast<char *>(GlobalLock(handle_));
    locked_ = data != nullptr;
    return data;
}

void GlobalBlock::Unlock() {
    if (locked_) GlobalUnlock(handle_);
    locked_ = false;
}

void *GlobalBlock::Release() {
    Unlock();
    void *handle = handle_;
    handle_ = nullptr;
    return handle;
}

Clipboard::~Clipboard() { Close(); }

bool Clipboard::Open() {
    if (ClipboardFault(ClipboardCall::kOpen)) return false;
    open_ = OpenClipboard(nullptr) != FALSE;
    return open_;
}

bool Clipboard::HasText() const { return IsClipboardFormatAvailable(CF_TEXT) != FALSE; }

const char *Clipboard::LockText(size_t *size, bool *no_data) {
    *no_data = false;
    *size = 0;
    HANDLE handle = ClipboardFault(ClipboardCall::kNoData) ? nullptr : GetClipboardData(CF_TEXT);
    if (handle == nullptr) {
        *no_data = true;
        return nullptr;
    }
    if (ClipboardFault(ClipboardCall::kLock)) return nullptr;
    const char *placed = nullptr;
    if (ClipboardBlockOverride(&placed, size)) return placed;
    // A block of no bytes cannot be locked (GlobalLock sees a discarded
    // block), yet it is a block: the empty text.
    const SIZE_T block_size = GlobalSize(handle);
    if (block_size == 0) return "";
    const auto *text = static_cast<const char *>(GlobalLock(handle));
    if (text == nullptr) return nullptr;
    text_ = handle;
    *size = block_size;
    return text;
}

bool Clipboard::Replace(GlobalBlock block) {
    if (text_ != nullptr) {
        GlobalUnlock(text_);
        text_ = nullptr;
    }
    HANDLE handle = block.Release();
    if (EmptyClipboard() && SetClipboardData(CF_TEXT, handle) != nullptr) return true;
    GlobalFree(handle);  // not the clipboard's: ours to free
    return false;
}

void Clipboard::Close() {
    if (text_ != nullptr) GlobalUnlock(text_);
    text_ = nullptr;
    if (open_) CloseClipboard();
    open_ = false;
}

}  // namespace lumo::platform

namespace lumo::platform {

void SetClipboardText(const std::string &text) { SetClipboardBytes(std::string(text).append(1, '\0')); }

void SetClipboardBytes(const std::string &bytes) {
    Clipboard clipboard;
    if (!clipboard.Open()) return;
    GlobalBlock block = GlobalBlock::Allocate(bytes.size());
    if (!block.valid()) return;
    char *data = block.Lock();
    if (data == nullptr) return;
    std::memcpy(data, bytes.data(), bytes.size());
    clipboard.Replace(std::move(block));
}

bool GetClipboardText(std::string *text) {
    Clipboard clipboard;
    if (!clipboard.Open() || !clipboard.HasText()) return false;
    bool no_data = false;
    size_t size = 0;
    const char *data = clipboard.LockText(&size, &no_data);
    if (data == nullptr) return false;
    text->assign(data, TextLength(data, size));
    return true;
}

void ClearClipboard() {
    Clipboard clipboard;
    if (clipboard.Open()) EmptyClipboard();
}

}  // namespace lumo::platform
