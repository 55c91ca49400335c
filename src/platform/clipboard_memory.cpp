// The clipboard off Windows: one text held by the process, behind a mutex,
// with the same open, lock, empty and replace steps as the system clipboard.
#include <cstring>
#include <exception>
#include <memory>
#include <mutex>
#include <new>
#include <vector>

#include "platform/clipboard.h"
#include "platform/clipboard_fault.h"

namespace lumo::platform {
namespace {

using Block = std::vector<char>;

struct MemoryClipboard {
    std::mutex mutex;
    std::unique_ptr<Block> text;  // null: no text on the clipboard
    bool open = false;
};

MemoryClipboard &Shared() {
    static MemoryClipboard clipboard;
    return clipboard;
}

}  // namespace

GlobalBlock GlobalBlock::Allocate(size_t size) {
    if (ClipboardFault(ClipboardCall::kAllocate)) return GlobalBlock(nullptr);
    // Like GlobalAlloc, a block that cannot be had is an invalid one: an
    // exception would leave through the library's C interface into the host.
    try {
        return GlobalBlock(new Block(size > 0 ? size : 1, '\0'));
    } catch (const std::exception &) {
        return GlobalBlock(nullptr);
    }
}

GlobalBlock::GlobalBlock(GlobalBlock &&other) noexcept : handle_(other.handle_), locked_(other.locked_) {
    other.handle_ = nullptr;
}

GlobalBlock &GlobalBlock::operator=(GlobalBlock &&other) noexcept {
    if (this != &other) {
        delete static_cast<Block *>(handle_);
        handle_ = other.handle_;
        locked_ = other.locked_;
        other.handle_ = nullptr;
    }
    return *this;
}

GlobalBlock::~GlobalBlock() { delete static_cast<Block *>(handle_); }

char *GlobalBlock::Lock() {
    locked_ = true;
    return static_cast<Block *>(handle_)->data();
}

void GlobalBlock::Unlock() { locked_ = false; }

void *GlobalBlock::Release() {
    void *handle = handle_;
    handle_ = nullptr;
    return handle;
}

Clipboard::~Clipboard() { Close(); }

bool Clipboard::Open() {
    if (ClipboardFault(ClipboardCall::kOpen)) return false;
    MemoryClipboard &shared = Shared();
    const std::lock_guard<std::mutex> lock(shared.mutex);
    if (shared.open) return false;  // another caller holds it
    shared.open = open_ = true;
    return true;
}

bool Clipboard::HasText() const {
    MemoryClipboard &shared = Shared();
    const std::lock_guard<std::mutex> lock(shared.mutex);
    return shared.text != nullptr;
}

const char *Clipboard::LockText(size_t *size, bool *no_data) {
    *no_data = false;
    *size = 0;
    MemoryClipboard &shared = Shared();
    const std::lock_guard<std::mutex> lock(shared.mutex);
    if (shared.text == nullptr || ClipboardFault(ClipboardCall::kNoData)) {
        *no_data = true;
        return nullptr;
    }
    if (ClipboardFault(ClipboardCall::kLock)) return nullptr;
    text_ = shared.text.get();
    const char *placed = nullptr;
    if (ClipboardBlockOverride(&placed, size)) return placed;
    *size = shared.text->size();
    // An empty vector may have no storage at all; an empty block is still
    // a block, holding the empty text.
    return shared.text->empty() ? "" : shared.text->data();
}

bool Clipboard::Replace(GlobalBlock block) {
    MemoryClipboard &shared = Shared();
    const std::lock_guard<std::mutex> lock(shared.mutex);
    text_ = nullptr;
    shared.text.reset(static_cast<Block *>(block.Release()));
    return true;
}

void Clipboard::Close() {
    text_ = nullptr;
    if (!open_) return;
    MemoryClipboard &shared = Shared();
    const std::lock_guard<std::mutex> lock(shared.mutex);
    shared.open = open_ = false;
}

void SetClipboardText(const std::string &text) { SetClipboardBytes(std::string(text).append(1, '\0')); }

void SetClipboardBytes(const std::string &bytes) {
    MemoryClipboard &shared = Shared();
    const std::lock_guard<std::mutex> lock(shared.mutex);
    shared.text = std::make_unique<Block>(bytes.begin(), bytes.end());
}

bool GetClipboardText(std::string *text) {
    MemoryClipboard &shared = Shared();
    const std::lock_guard<std::mutex> lock(shared.mutex);
    if (shared.text == nullptr) return false;
    // Up to the first NUL, as CF_TEXT is read, and never past the block.
    const Block &block = *shared.text;
    if (block.empty()) {
        text->clear();
    } else {
        text->assign(block.data(), TextLength(block.data(), block.size()));
    }
    return true;
}

void ClearClipboard() {
    MemoryClipboard &shared = Shared();
    const std::lock_guard<std::mutex> lock(shared.mutex);
    shared.text.reset();
}

}  // namespace lumo::platform
