// The clipboard commands: the clipboard's text is formatted or bound into a
// new global block, which replaces the text only when all went well; on any
// failure the clipboard keeps its text.
#include "api/clipboard_ops.h"

#include <cstring>
#include <limits>
#include <utility>

#include "format/driver.h"
#include "text/text.h"
#include "paragraph/bind.h"
#include "platform/clipboard.h"

namespace lumo {

using platform::Clipboard;
using platform::GlobalBlock;

int32_t FormatClipboard(FormatRequest *request, IndentSettings *indent, FoldSettings *fold,
                        HeaderSettings *header) {
    Clipboard clipboard;
    if (!clipboard.Open()) return CLIP_OPEN_FAILED;
    if (!clipboard.HasText()) return CLIP_NO_TEXT;
    bool no_data = false;
    const char *text = clipboard.LockText(&no_data);
    if (no_data) return CLIP_NO_TEXT;  // announced, yet nothing to read
    if (text == nullptr) return CLIP_LOCK_FAILED;
    request->source = text;

    // One and a half times the text to start with; when the result needs
    // more, a larger block, so the clipboard never receives a cut text.
    const size_t length = std::strlen(text);
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
        const int32_t result = MultiLines(request, indent, fold, header);
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
    if (!clipboard.Open()) return CLIP_OPEN_FAILED;
    if (!clipboard.HasText()) return CLIP_NO_TEXT;
    bool no_data = false;
    const char *text = clipboard.LockText(&no_data);
    if (no_data) return CLIP_NO_TEXT;
    if (text == nullptr) return CLIP_LOCK_FAILED;

    LineJob job{};
    job.record_size = LINE_JOB_SIZE;
    job.text = text;
    job.newline = NewlineKindOf(text);
    const size_t length = std::strlen(text);
    job.capacity = static_cast<uint32_t>(length + 1);
    GlobalBlock block = GlobalBlock::Allocate(length + 1);
    if (!block.valid()) return CLIP_ALLOC_FAILED;
    job.output = block.Lock();
    if (job.output == nullptr) return CLIP_ALLOC_FAILED;
    Bind(&job, indent);
    block.Unlock();
    return clipboard.Replace(std::move(block)) ? 0 : CLIP_OPEN_FAILED;
}

}  // namespace lumo
