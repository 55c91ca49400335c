// Reading a text into the library. A block that leaves nothing more
// waiting in a pipe or terminal makes the stream hand on what it has, so
// that a slow writer's lines come out as they go in. At most ten lines
// folded without their prefix are named, then their number.
#include "text_stream.h"

#include <memory>
#include <string>

#include "command_line.h"
#include "encoding_streams.h"
#include "file_io.h"

namespace lumo::cli {
namespace {

constexpr size_t kWarningsShown = 10;
// A text that shows no byte above 0x7F in this many bytes is read as UTF-8,
// so that auto holds no more of it (the decoding source is told).
constexpr size_t kUndecidedBytes = size_t{1} << 20;

// The library's output is held until the call that made it has succeeded,
// and then written in one go: a block of input that fails (a NUL byte in
// it) leaves nothing of itself in the output. A long line's output, which
// can be as long as the line, goes on in parts instead.
struct Context {
    ByteSink *sink;
    const TextJob &job;
    std::string held;
    std::string error;  // the sink's
    size_t warnings = 0;

    bool Write() {
        const bool written = held.empty() || sink->Write(held, &error);
        held.clear();
        return written;
    }
};

constexpr size_t kHeldBytes = size_t{256} << 10;

int Put(void *context, const char *bytes, size_t length) {
    auto *c = static_cast<Context *>(context);
    c->held.append(bytes, length);
    return c->held.size() < kHeldBytes || c->Write() ? 0 : 1;
}

std::string NameOf(const TextJob &job) {
    return job.name.empty() || job.name == kStandardInputName ? std::string() : job.name + ": ";
}

void Warn(void *context, const lumo_error *warning) {
    auto *c = static_cast<Context *>(context);
    if (++c->warnings > kWarningsShown) return;
    std::fprintf(c->job.err,
                 "lumotext: warning: %sline %llu: the continuation prefix fills the fold column; folded without it\n",
                 NameOf(c->job).c_str(), warning->line);
}

bool HasHighByte(const char *p, size_t n) {
    for (size_t i = 0; i < n; ++i) {
        if (static_cast<unsigned char>(p[i]) > 0x7F) return true;
    }
    return false;
}

// The message for a stream's error, with the input and the place.
std::string Message(const TextJob &job, const lumo_error &error) {
    std::string place;
    if (error.line != 0) place = "line " + std::to_string(error.line);
    if (error.column != 0) place += ", column " + std::to_string(error.column);
    std::string message = error.message;
    if (error.code == LUMO_ERR_NUL) message = "the input contains a NUL byte, so it is not text";
    if (error.code == LUMO_ERR_NO_COLUMN) {
        message = "the continuation prefix of line " + std::to_string(error.line) +
                  " fills the whole fold column (" + std::to_string(job.options.fold) +
                  (job.options.fold == 1 ? " column" : " columns") + "); use a larger --fold";
        place.clear();
    }
    return job.name + ": " + (place.empty() ? "" : place + ": ") + message;
}

}  // namespace

int StreamText(ByteSource *source, ByteSink *sink, const TextJob &job) {
    const Console console{nullptr, nullptr, job.err};
    Context context{sink, job, std::string(), std::string(), 0};
    std::unique_ptr<char[]> block(new char[kReadBytes]);
    std::string read_error;

    // Until the encoding is decided, the text is held.
    std::string head;
    Encoding encoding = job.encoding;
    bool at_end = false;
    while (encoding == Encoding::kAuto) {
        const long long got = source->Read(block.get(), kReadBytes, &read_error);
        if (got < 0) return Failure(console, read_error);
        if (got == 0) at_end = true;
        head.append(block.get(), static_cast<size_t>(got));
        // ASCII reads the same in every encoding; the first byte beyond it
        // comes only after the source has decided.
        if (at_end || HasHighByte(block.get(), static_cast<size_t>(got))) {
            encoding = job.found != nullptr && job.found->text() == Encoding::kShiftJis ? Encoding::kShiftJis
                                                                                       : Encoding::kUtf8;
        } else if (head.size() >= kUndecidedBytes) {
            encoding = Encoding::kUtf8;
            if (job.found != nullptr) job.found->AssumeUtf8();
        }
    }

    lumo_options options = job.options;
    options.encoding = encoding == Encoding::kShiftJis ? LUMO_CP932 : LUMO_UTF8;
    options.warning = Warn;
    options.warning_context = &context;
    lumo_error error{};
    struct Free {
        void operator()(lumo_stream *s) const { lumo_stream_free(s); }
    };
    const std::unique_ptr<lumo_stream, Free> stream(lumo_stream_new(job.mode, &options, Put, &context, &error));
    if (stream == nullptr) return Failure(console, job.name + ": " + error.message);

    bool written = true;
    int result = lumo_stream_feed(stream.get(), head.data(), head.size(), &error);
    head = std::string();
    while (result == LUMO_OK && (written = context.Write())) {
        if (at_end) {
            result = lumo_stream_finish(stream.get(), &error);
            if (result == LUMO_OK) written = context.Write();
            break;
        }
        if (!source->MoreWaiting()) {
            result = lumo_stream_flush(stream.get(), &error);
            if (result != LUMO_OK || !(written = context.Write())) break;
        }
        const long long got = source->Read(block.get(), kReadBytes, &read_error);
        if (got < 0) return Failure(console, read_error);
        at_end = got == 0;
        if (!at_end) result = lumo_stream_feed(stream.get(), block.get(), static_cast<size_t>(got), &error);
    }
    if (context.warnings > kWarningsShown) {
        std::fprintf(job.err, "lumotext: warning: %s%zu more lines folded without their prefix\n", NameOf(job).c_str(),
                     context.warnings - kWarningsShown);
    }
    if (!written || result == LUMO_ERR_SINK) {
        return sink->broken_pipe ? kExitBrokenPipe : Failure(console, context.error);
    }
    if (result != LUMO_OK) return Failure(console, Message(job, error));
    // What was written becomes final: a stream is flushed, a new file put
    // in place of the one it replaces.
    if (!sink->Commit(&context.error)) {
        return sink->broken_pipe ? kExitBrokenPipe : Failure(console, context.error);
    }
    return kExitOk;
}

}  // namespace lumo::cli
