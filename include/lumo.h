/* Lumotext for programs: folds Japanese plain text at a fold column with
 * Japanese line-breaking rules, lines continuation lines up under their
 * first line, and binds folded lines back; on UTF-8 or Shift-JIS (code page
 * 932) text, in one call or as a stream fed in parts of any size.
 *
 *     lumo_options o;
 *     lumo_options_init(&o);          preset 2, fold 70, tab 8, UTF-8, normal rules
 *     o.fold = 40;
 *     char *out; size_t n; lumo_error err;
 *     if (lumo_format(text, strlen(text), &o, &out, &n, &err) != 0)
 *         fprintf(stderr, "%s at %llu:%llu\n", err.message, err.line, err.column);
 *     ...
 *     lumo_free(out);
 *
 * Every function returns 0 or a LUMO_ERR_* code and, when given a
 * lumo_error, fills it. The library keeps no global state: any number of
 * calls and streams may run at once on different threads. */
#ifndef LUMO_H
#define LUMO_H

#include <stddef.h>

#include "lumotext.h" /* the settings records */

#if !defined(_WIN32) && defined(LUMOTEXT_BUILDING)
#define LUMO_API __attribute__((visibility("default")))
#else
#define LUMO_API
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* Each enumeration has a last member that keeps it as wide as an int, so
 * that any int a caller stores in one is a value of it, which the library
 * checks and refuses with LUMO_ERR_OPTIONS when it names nothing. */
typedef enum lumo_encoding {
    LUMO_UTF8 = 0,  /* UTF-8; a byte that is not UTF-8 is a one-column character, kept as it is */
    LUMO_CP932 = 1, /* Shift-JIS, code page 932 */
    LUMO_ENCODING_INT_ = 0x7FFFFFFF
} lumo_encoding;

/* The width of the East Asian ambiguous characters (○ ※ α é) in UTF-8. */
typedef enum lumo_ambiguous {
    LUMO_AMBIGUOUS_CP932 = 0,  /* two columns when code page 932 holds them as two bytes */
    LUMO_AMBIGUOUS_WIDE = 1,
    LUMO_AMBIGUOUS_NARROW = 2,
    LUMO_AMBIGUOUS_INT_ = 0x7FFFFFFF
} lumo_ambiguous;

typedef enum lumo_mode {
    LUMO_FORMAT = 0,  /* fold */
    LUMO_BIND = 1,    /* join folded lines back */
    LUMO_REFLOW = 2,  /* bind each block of folded lines and fold it again */
    LUMO_MODE_INT_ = 0x7FFFFFFF
} lumo_mode;

/* The line-break rules: after W3C's Requirements for Japanese Text Layout
 * and the levels of CSS Text 3's line-break property, or the classic rules
 * of the Windows-era entries (LumoMultiLines, BindLines). */
typedef enum lumo_rules {
    LUMO_RULES_NORMAL = 0,  /* no line begins with a small kana or ー; 〜 and ゠ may begin one */
    LUMO_RULES_STRICT = 1,  /* also never with 〜 or ゠ */
    LUMO_RULES_LOOSE = 2,   /* lines may begin with hyphens, ・ ： ！ ？, iteration marks, small kana, ー, units */
    LUMO_RULES_CLASSIC = 3, /* the settings' kinsoku sets alone, with push-out or hanging within their limits */
    LUMO_RULES_INT_ = 0x7FFFFFFF
} lumo_rules;

/* Results. */
#define LUMO_OK 0
#define LUMO_ERR_OPTIONS 1   /* an option out of range, or a null pointer where one is needed */
#define LUMO_ERR_SLOT 2      /* the setting slot cannot be loaded */
#define LUMO_ERR_NUL 3       /* the text holds a NUL byte (at line, column) */
#define LUMO_ERR_NO_COLUMN 4 /* strict: a line's continuation prefix fills the fold column (line) */
#define LUMO_ERR_SINK 5      /* the sink returned nonzero */
#define LUMO_ERR_MEMORY 6    /* out of memory */
#define LUMO_ERR_STATE 7     /* the stream has finished or failed already */

typedef struct lumo_error {
    int code;                  /* LUMO_OK or LUMO_ERR_* */
    unsigned long long line;   /* 1-based; 0 when the error is not about a place */
    unsigned long long column; /* 1-based, in characters; 0 when it is about a whole line */
    char message[200];         /* a sentence in English, without the place */
} lumo_error;

/* Receives output in order; nonzero stops the stream with LUMO_ERR_SINK. */
typedef int (*lumo_sink)(void *context, const char *bytes, size_t length);
/* Receives a warning: a line folded without its continuation prefix because
 * the prefix would fill the fold column (code LUMO_ERR_NO_COLUMN, line). */
typedef void (*lumo_warning)(void *context, const lumo_error *warning);

typedef struct lumo_options {
    size_t size;                  /* sizeof (lumo_options), set by lumo_options_init */
    int preset;                   /* 0, 1 or 2 (default 2) */
    int slot;                     /* -1 (default): the preset; 0-10: a setting slot of the
                                     settings store, 0 being preset 2 */
    const char *vendor;           /* the store's vendor name for slot; NULL: the default */
    unsigned display_width;       /* for a slot whose fold column follows the display width (80) */
    const LumoRecords *records;   /* settings records in code page 932, as a slot holds them;
                                     NULL (default): the preset or slot */
    unsigned fold;                /* fold column in display columns, 1-65535 (default 70); with a slot
                                     or records, 0 takes theirs. Bind: the column the text was folded
                                     at, which tells where blocks end; 0 when not known */
    unsigned tab;                 /* distance between tab stops, 0-255 (default 8; 0: one column) */
    lumo_encoding encoding;       /* default LUMO_UTF8 */
    lumo_ambiguous ambiguous;     /* default LUMO_AMBIGUOUS_CP932 */
    int strict;                   /* nonzero: a line whose continuation prefix fills the fold column
                                     is an error, instead of being folded without the prefix */
    int whole;                    /* bind: the whole text is one block (else block by block) */
    const char *newline;          /* joins the folded lines of a text that has no line end at all
                                     (default "\n"); lines with a line end are folded with theirs */
    unsigned threads;             /* threads that fold a stream's lines (default 1: the caller's) */
    lumo_warning warning;         /* NULL (default): warnings are dropped */
    void *warning_context;
    lumo_rules rules;             /* default LUMO_RULES_NORMAL; the settings' kinsoku sets count at
                                     every level. Bind: how the text was folded, which tells how
                                     lines join (a space between two narrow characters, except
                                     with LUMO_RULES_CLASSIC) */
    int hang;                     /* nonzero: one of 、。，．｡､ may hang past the fold column (not
                                     with LUMO_RULES_CLASSIC, whose settings say whether it hangs) */
} lumo_options;

/* Fills options with the defaults: preset 2, fold 70, tab 8, UTF-8,
 * ambiguous characters as code page 932 holds them, the normal line-break
 * rules. */
LUMO_API void lumo_options_init(lumo_options *options);

/* Formats (lumo_format) or binds (lumo_bind) the length bytes at text.
 * *out receives a new NUL-terminated buffer of *out_length bytes (free it
 * with lumo_free); on an error it is NULL. A UTF-8 byte order mark at the
 * start is kept apart from the first line; every line keeps its own line
 * end, and a last line without one stays without one. */
LUMO_API int lumo_format(const char *text, size_t length, const lumo_options *options, char **out,
                         size_t *out_length, lumo_error *error);
LUMO_API int lumo_bind(const char *text, size_t length, const lumo_options *options, char **out,
                       size_t *out_length, lumo_error *error);

/* Frees what lumo_format and lumo_bind returned; NULL is fine. */
LUMO_API void lumo_free(void *memory);

/* A stream: feed the text in parts of any size, and each finished line goes
 * to sink (on the thread that feeds) as soon as it is done. A NUL byte is
 * reported as soon as it is fed. NULL when the options are wrong, the slot
 * cannot be loaded or memory ran out (see error). */
typedef struct lumo_stream lumo_stream;
LUMO_API lumo_stream *lumo_stream_new(lumo_mode mode, const lumo_options *options, lumo_sink sink,
                                      void *sink_context, lumo_error *error);
LUMO_API int lumo_stream_feed(lumo_stream *stream, const char *bytes, size_t length, lumo_error *error);
/* Hands everything that the bytes fed so far have made to the sink, when
 * the stream's threads are still folding some of it (call it before waiting
 * for more input from a slow source). */
LUMO_API int lumo_stream_flush(lumo_stream *stream, lumo_error *error);
/* Ends the text: the last line and whatever waits go to the sink. */
LUMO_API int lumo_stream_finish(lumo_stream *stream, lumo_error *error);
/* Frees the stream, finished or not; NULL is fine. */
LUMO_API void lumo_stream_free(lumo_stream *stream);

/* "1.10". */
LUMO_API const char *lumo_version(void);

#ifdef __cplusplus
} /* extern "C" */
#endif

#endif /* LUMO_H */
