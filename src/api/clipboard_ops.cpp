// The clipboard commands: the clipboard's text is formatted or bound into a
// new global block, which replaces the text only when all went well; on any
// failure the clipboard keeps its text. The text is read within its block.
// CF_TEXT is in the ANSI code page, UTF-8 on a system set to use it.
#include "api/clipboard_ops.h"

#include <cstring>
#include <limits>
#include <memory>
#include <new>
#include <utility>

#include "api/ansi_code_page.h"
#include "platform/clipboard.h"
#include "text/text.h"

namespace lumo {

using platform::Clipboard;
using platform::GlobalBlock;

namespace {

// The clipboard's text as the core reads it, a string ending in a NUL: the
// block itself when the text ends inside it, else a copy with the NUL that
// the block lacks. Any program may leave its text without one, and the byte
// after the block may be the first of a page that cannot be read.
class SourceText {
public:
    bool Take(const char *bytes, size_t size) {  // false: no memory for a copy
        length_ = platform::TextLength(bytes, size);
        if (length_ == 0) {
            text_ = "";
        } else if (length_ < size) {
            text_ = bytes;
        } else {
            copy_.reset(new (std::nothrow) char[length_ + 1]);
            if (copy_ == nullptr) return false;
            std::memcpy(copy_.get(), bytes, length_);
            copy_[length_] = '\0';
            text_ = copy_.get();
        }
        return true;
    }
    const char *text() const { return text_; }
    size_t length() const { return length_; }

private:
    const char *text_ = "";
    size_t length_ = 0;
    std::unique_ptr<char[]> copy_;
};

// Opens the clipboard and takes its text: 0, or the command's result.
int32_t TakeClipboardText(Clipboard *clipboard, SourceText *source) {
    if (!clipboard->Open()) return CLIP_OPEN_FAILED;
    if (!clipboard->HasText()) return CLIP_NO_TEXT;
    bool no_data = false;
    size_t size = 0;
    const char *bytes = clipboard->LockText(&size, &no_data);
    if (no_data) return CLIP_NO_TEXT;  // announced, yet nothing to read
    if (bytes == nullptr) return CLIP_LOCK_FAILED;
    return source->Take(bytes, size) ? 0 : CLIP_ALLOC_FAILED;
}

}  // namespace

int32_t FormatClipboard(FormatRequest *request, IndentSettings *indent, FoldSettings *fold,
                        HeaderSettings *header) {
    Clipboard clipboard;
    SourceText source;
    if (const int32_t failed = TakeClipboardText(&clipboard, &source)) return failed;
    request->source = source.text();

    // One and a half times the text to start with; when the result needs
    // more, a larger block, so the clipboard never receives a cut text.
    const size_t length = source.length();
    uint64_t capacity = length < 2 ? length + 1 : uint64_t{length / 2} * 3;
    bool retried_memory = false;
    for (;;) {
        constexpr uint64_t kMax = std::numeric_limits<uint32_t>::max();
        if (capacity > kMax) capacity = kMax;
        GlobalBlock block = GlobalBlock::Allocate(static_cast<size_t>(capacity));
        if (!block.valid()) return CLIP_ALLOC_FAILED;
        char *output = block.Lock();
        if (output == nullptr) return CLIP_ALLOC_FAILED;
        request->output = output;
        request->capacity = static_cast<uint32_t>(capacity);
        const int32_t result = FormatAnsi(request, indent, fold, header);
        if (result == FORMAT_NO_MEMORY && !retried_memory) {
            retried_memory = true;
            continue;
        }
        if (result == FORMAT_OUTPUT_TOO_SMALL && capacity < kMax) {
            capacity *= 2;
            continue;
        }
        if (result != FORMAT_DONE) return result;
        block.Unlock();
        return clipboard.Replace(std::move(block)) ? 0 : CLIP_OPEN_FAILED;
    }
}

int32_t BindClipboard(IndentSettings *indent) {
    Clipboard clipboard;
    SourceText source;
    if (const int32_t failed = TakeClipboardText(&clipboard, &source)) return failed;

    LineJob job{};
    job.record_size = LINE_JOB_SIZE;
    job.text = source.text();
    job.newline = NewlineKindOf(source.text());
    const size_t length = source.length();
    job.capacity = static_cast<uint32_t>(length + 1);
    GlobalBlock block = GlobalBlock::Allocate(length + 1);
    if (!block.valid()) return CLIP_ALLOC_FAILED;
    job.output = block.Lock();
    if (job.output == nullptr) return CLIP_ALLOC_FAILED;
    // Only UTF-8 binding can fail (for memory); the clipboard then keeps its text.
    if (const int32_t failed = BindAnsi(&job, indent)) return failed;
    block.Unlock();
    return clipboard.Replace(std::move(block)) ? 0 : CLIP_OPEN_FAILED;
}

}  // namespace lumo
