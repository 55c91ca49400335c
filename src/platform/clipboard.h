// The clipboard's text, in the few operations the clipboard commands need:
// open, test for text, read it, replace it with a new block, close. On Windows
// this is the system clipboard (CF_TEXT) with global memory blocks; elsewhere
// a clipboard held in the process, so that the same logic runs and is tested.
#pragma once

#include <cstddef>
#include <cstring>
#include <string>

namespace lumo::platform {

// A movable, zero-filled global memory block (GMEM_MOVEABLE | GMEM_ZEROINIT |
// GMEM_DDESHARE). Freed on destruction unless handed to the clipboard.
class GlobalBlock {
public:
    static GlobalBlock Allocate(size_t size);  // check valid()
    GlobalBlock(GlobalBlock &&) noexcept;
    GlobalBlock &operator=(GlobalBlock &&) noexcept;
    ~GlobalBlock();

    bool valid() const { return handle_ != nullptr; }
    char *Lock();    // nullptr when locking fails
    void Unlock();
    void *Release();  // gives up ownership

private:
    explicit GlobalBlock(void *handle) : handle_(handle) {}
    void *handle_ = nullptr;
    bool locked_ = false;
};

// The open clipboard; closed on destruction.
class Clipboard {
public:
    Clipboard() = default;
    Clipboard(const Clipboard &) = delete;
    Clipboard &operator=(const Clipboard &) = delete;
    ~Clipboard();

    bool Open();            // with no owner window
    bool HasText() const;   // CF_TEXT available
    // Locks the clipboard's text block for reading: nullptr when there is no
    // data (*no_data set) or locking fails. *size is the block's size: the
    // program that put it there need not have ended it with a NUL, so only
    // these bytes may be read (TextLength). Unlocked on Close or destruction.
    const char *LockText(size_t *size, bool *no_data);
    // Empties the clipboard and hands it the block as its text; the block is
    // the clipboard's afterwards.
    bool Replace(GlobalBlock block);
    void Close();

private:
    bool open_ = false;
    void *text_ = nullptr;  // the locked CF_TEXT handle
};

// The length of the text in a block of size bytes: up to its first NUL, or
// all of the block when it holds none.
inline size_t TextLength(const char *bytes, size_t size) {
    const void *nul = size > 0 ? std::memchr(bytes, '\0', size) : nullptr;
    return nul != nullptr ? static_cast<size_t>(static_cast<const char *>(nul) - bytes) : size;
}

// The process's own clipboard off Windows: what tests and the command-line
// tool read and write around the clipboard operations.
void SetClipboardText(const std::string &text);  // with its NUL
// Exactly these bytes as the text block, NUL or none, as any program may
// leave them. (Wine's own SetClipboardData ends every text block with a NUL.)
void SetClipboardBytes(const std::string &bytes);
bool GetClipboardText(std::string *text);  // false when it holds no text
void ClearClipboard();                     // holds no text at all

// Faults for tests, per thread: make the next calls of one kind fail.
enum class ClipboardCall { kOpen, kLock, kAllocate, kNoData };
using ClipboardFaultHook = bool (*)(ClipboardCall call, void *context);  // true: fail
void SetClipboardFaultHook(ClipboardFaultHook hook, void *context);
// For tests, per thread: while set, the clipboard hands out these size bytes,
// which the test owns, as its locked text block in place of its own, so that
// the block can lie anywhere (against an inaccessible page, say). A null
// bytes removes it.
void SetClipboardBlockOverride(const char *bytes, size_t size);

}  // namespace lumo::platform
