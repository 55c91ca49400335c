// The C API for programs (lumo.h): a stream is a formatter or a binder with
// the caller's sink behind it; the one-call forms run a stream into a
// buffer of their own. Nothing leaves as an exception: every entry catches
// running out of memory and reports it as a code.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <string>

#include "engine/binder.h"
#include "engine/formatter.h"
#include "engine/options.h"
#include "lumo.h"

namespace {

using lumo::engine::Binder;
using lumo::engine::Formatter;
using lumo::engine::Problem;
using lumo::engine::Status;

void Report(lumo_error *error, int code, const std::string &message, unsigned long long line = 0,
            unsigned long long column = 0) {
    if (error == nullptr) return;
    error->code = code;
    error->line = line;
    error->column = column;
    std::snprintf(error->message, sizeof error->message, "%s", message.c_str());
}

// The sink and the warnings of one stream.
class Output final : public lumo::engine::StreamOutput {
public:
    Output(lumo_sink sink, void *context, const lumo_options &options, unsigned fold)
        : sink_(sink), context_(context), warning_(options.warning), warning_context_(options.warning_context),
          fold_(fold) {}

    bool Write(const char *bytes, size_t length) override {
        return length == 0 || sink_(context_, bytes, length) == 0;
    }
    void PrefixDropped(uint64_t line) override {
        if (warning_ == nullptr) return;
        lumo_error warning{};
        Report(&warning, LUMO_ERR_NO_COLUMN,
               "the continuation prefix fills the fold column (" + std::to_string(fold_) +
                   " columns); the line is folded without it",
               line);
        warning_(warning_context_, &warning);
    }

private:
    lumo_sink sink_;
    void *context_;
    lumo_warning warning_;
    void *warning_context_;
    unsigned fold_;
};

// Reflow: what the binder joins is what the formatter folds.
class Pipe final : public lumo::engine::StreamOutput {
public:
    bool Write(const char *bytes, size_t length) override {
        return formatter->Feed(bytes, length) == Status::kOk;
    }
    void PrefixDropped(uint64_t) override {}
    Formatter *formatter = nullptr;
};

}  // namespace

struct lumo_stream {
    lumo_stream(lumo_sink sink, void *context, const lumo_options &options, unsigned fold)
        : output(sink, context, options, fold), fold_column(fold) {}

    // The stream's problem as a code and a message.
    int Failed(lumo_error *error) const {
        const bool folding = formatter != nullptr && (binder == nullptr || formatter->problem().status != Status::kOk);
        const Problem &problem = folding ? formatter->problem() : binder->problem();
        switch (problem.status) {
        case Status::kOk: Report(error, LUMO_OK, ""); return LUMO_OK;
        case Status::kNul:
            Report(error, LUMO_ERR_NUL, "the text holds a NUL byte, so it is not text", problem.line, problem.column);
            return LUMO_ERR_NUL;
        case Status::kNoColumn:
            Report(error, LUMO_ERR_NO_COLUMN,
                   "the continuation prefix fills the whole fold column (" + std::to_string(fold_column) +
                       " columns)",
                   problem.line);
            return LUMO_ERR_NO_COLUMN;
        case Status::kSink: Report(error, LUMO_ERR_SINK, "the sink refused the output"); return LUMO_ERR_SINK;
        case Status::kNoMemory: break;
        }
        Report(error, LUMO_ERR_MEMORY, "out of memory");
        return LUMO_ERR_MEMORY;
    }

    template <class Step>
    int Run(lumo_error *error, Step step) {
        if (done) {
            Report(error, LUMO_ERR_STATE, "the stream has finished or failed already");
            return LUMO_ERR_STATE;
        }
        try {
            if (step() == Status::kOk) {
                Report(error, LUMO_OK, "");
                return LUMO_OK;
            }
        } catch (const std::bad_alloc &) {
            done = true;
            Report(error, LUMO_ERR_MEMORY, "out of memory");
            return LUMO_ERR_MEMORY;
        }
        done = true;
        return Failed(error);
    }

    // Each step through the binder first (bind, reflow), then the formatter.
    Status Feed(const char *bytes, size_t length) {
        return binder != nullptr ? binder->Feed(bytes, length) : formatter->Feed(bytes, length);
    }
    Status Flush() {
        const Status status = binder != nullptr ? binder->Flush() : Status::kOk;
        return status == Status::kOk && formatter != nullptr ? formatter->Flush() : status;
    }
    Status Finish() {
        const Status status = binder != nullptr ? binder->Finish() : Status::kOk;
        return status == Status::kOk && formatter != nullptr ? formatter->Finish() : status;
    }

    Output output;
    unsigned fold_column;
    std::string newline;  // the options' newline, kept while the stream lives
    std::unique_ptr<Formatter> formatter;
    std::unique_ptr<Binder> binder;
    Pipe pipe;  // reflow: from the binder to the formatter
    bool done = false;
};

extern "C" {

void lumo_options_init(lumo_options *options) {
    if (options == nullptr) return;
    std::memset(options, 0, sizeof *options);
    options->size = sizeof *options;
    options->preset = 2;
    options->slot = -1;
    options->display_width = 80;
    options->fold = 70;
    options->tab = 8;
    options->encoding = LUMO_UTF8;
    options->ambiguous = LUMO_AMBIGUOUS_CP932;
    options->threads = 1;
    options->rules = LUMO_RULES_NORMAL;
}

lumo_stream *lumo_stream_new(lumo_mode mode, const lumo_options *given, lumo_sink sink, void *sink_context,
                             lumo_error *error) {
    try {
        lumo_options options;
        std::string message;
        if (!lumo::engine::ReadOptions(given, &options, &message) || sink == nullptr) {
            Report(error, LUMO_ERR_OPTIONS, sink == nullptr ? "the sink is NULL" : message);
            return nullptr;
        }
        if (mode != LUMO_FORMAT && mode != LUMO_BIND && mode != LUMO_REFLOW) {
            Report(error, LUMO_ERR_OPTIONS, "the mode is none of LUMO_FORMAT, LUMO_BIND, LUMO_REFLOW");
            return nullptr;
        }
        int code = LUMO_OK;
        std::unique_ptr<lumo::engine::FormatterSetup> format(new lumo::engine::FormatterSetup);
        std::unique_ptr<lumo::engine::BinderSetup> bind(new lumo::engine::BinderSetup);
        // Reflow binds block by block as the lines alone tell (the column
        // an edited text was folded at is no guide), then folds.
        lumo_options bound = options;
        if (mode == LUMO_REFLOW) {
            bound.fold = 0;
            bound.whole = 0;
        }
        if ((mode != LUMO_BIND && !lumo::engine::FormatSetupOf(options, format.get(), &code, &message)) ||
            (mode != LUMO_FORMAT && !lumo::engine::BindSetupOf(bound, bind.get(), &code, &message))) {
            Report(error, code, message);
            return nullptr;
        }
        const unsigned fold = mode == LUMO_BIND ? options.fold : format->rules.records.fold.foldnum;
        std::unique_ptr<lumo_stream> stream(new lumo_stream(sink, sink_context, options, fold));
        if (mode != LUMO_BIND) {
            stream->newline = format->lines.newline;
            format->lines.newline = stream->newline.c_str();
            stream->formatter = Formatter::Make(*format, &stream->output);
            if (stream->formatter == nullptr) throw std::bad_alloc();
        }
        if (mode != LUMO_FORMAT) {
            stream->pipe.formatter = stream->formatter.get();
            stream->binder = Binder::Make(*bind, mode == LUMO_REFLOW ? static_cast<lumo::engine::StreamOutput *>(&stream->pipe)
                                                                     : &stream->output);
            if (stream->binder == nullptr) throw std::bad_alloc();
        }
        Report(error, LUMO_OK, "");
        return stream.release();
    } catch (const std::bad_alloc &) {
        Report(error, LUMO_ERR_MEMORY, "out of memory");
        return nullptr;
    }
}

int lumo_stream_feed(lumo_stream *stream, const char *bytes, size_t length, lumo_error *error) {
    if (stream == nullptr || (bytes == nullptr && length > 0)) {
        Report(error, LUMO_ERR_OPTIONS, "the stream or the bytes are NULL");
        return LUMO_ERR_OPTIONS;
    }
    return stream->Run(error, [&] { return stream->Feed(bytes, length); });
}

int lumo_stream_flush(lumo_stream *stream, lumo_error *error) {
    if (stream == nullptr) {
        Report(error, LUMO_ERR_OPTIONS, "the stream is NULL");
        return LUMO_ERR_OPTIONS;
    }
    return stream->Run(error, [&] { return stream->Flush(); });
}

int lumo_stream_finish(lumo_stream *stream, lumo_error *error) {
    if (stream == nullptr) {
        Report(error, LUMO_ERR_OPTIONS, "the stream is NULL");
        return LUMO_ERR_OPTIONS;
    }
    const int result = stream->Run(error, [&] { return stream->Finish(); });
    stream->done = true;
    return result;
}

void lumo_stream_free(lumo_stream *stream) { delete stream; }

void lumo_free(void *memory) { std::free(memory); }

const char *lumo_version(void) { return "1.10"; }

}  // extern "C"

namespace {

// A buffer of malloc's that grows as the output comes, for the one-call
// forms: the caller frees it with lumo_free.
struct Collected {
    char *data = nullptr;
    size_t length = 0;
    size_t capacity = 0;

    static int Put(void *context, const char *bytes, size_t length) {
        auto *self = static_cast<Collected *>(context);
        if (self->length + length + 1 > self->capacity) {
            size_t capacity = self->capacity + self->capacity / 2 + 4096;
            if (capacity < self->length + length + 1) capacity = self->length + length + 1;
            void *grown = std::realloc(self->data, capacity);
            if (grown == nullptr) return 1;
            self->data = static_cast<char *>(grown);
            self->capacity = capacity;
        }
        std::memcpy(self->data + self->length, bytes, length);
        self->length += length;
        return 0;
    }
};

int OneCall(lumo_mode mode, const char *text, size_t length, const lumo_options *options, char **out,
            size_t *out_length, lumo_error *error) {
    if (out != nullptr) *out = nullptr;
    if (out_length != nullptr) *out_length = 0;
    if (out == nullptr || (text == nullptr && length > 0)) {
        Report(error, LUMO_ERR_OPTIONS, "the text or the output pointer is NULL");
        return LUMO_ERR_OPTIONS;
    }
    Collected collected;
    lumo_stream *stream = lumo_stream_new(mode, options, Collected::Put, &collected, error);
    if (stream == nullptr) return error != nullptr ? error->code : LUMO_ERR_MEMORY;
    int result = lumo_stream_feed(stream, text != nullptr ? text : "", length, error);
    if (result == LUMO_OK) result = lumo_stream_finish(stream, error);
    lumo_stream_free(stream);
    // Room for the NUL, also for an empty output.
    if (result == LUMO_OK && Collected::Put(&collected, "", 0) != 0) result = LUMO_ERR_MEMORY;
    if (result != LUMO_OK) {
        if (result == LUMO_ERR_SINK) {
            result = LUMO_ERR_MEMORY;  // the one sink here fails only for memory
            Report(error, result, "out of memory");
        }
        std::free(collected.data);
        return result;
    }
    collected.data[collected.length] = '\0';
    *out = collected.data;
    if (out_length != nullptr) *out_length = collected.length;
    return LUMO_OK;
}

}  // namespace

extern "C" {

int lumo_format(const char *text, size_t length, const lumo_options *options, char **out, size_t *out_length,
                lumo_error *error) {
    return OneCall(LUMO_FORMAT, text, length, options, out, out_length, error);
}

int lumo_bind(const char *text, size_t length, const lumo_options *options, char **out, size_t *out_length,
              lumo_error *error) {
    return OneCall(LUMO_BIND, text, length, options, out, out_length, error);
}

}  // extern "C"
