/* Lumotext: reformatting of Japanese plain text in Shift-JIS (code page 932).
 * The whole C API: the records that cross the library boundary, every flag bit
 * and result code, and the 33 exports (20 standard forms, 13 HM twins).
 * Usable from C and C++; records are plain structs with natural alignment. */
#ifndef LUMOTEXT_H
#define LUMOTEXT_H

#include <stdint.h>

/* Calling conventions. On 32-bit x86 the standard forms clean their own
 * arguments (stdcall) and the HM twins leave that to the caller (cdecl); on
 * other targets both collapse into the platform's one convention. */
#if defined(_MSC_VER) && defined(_M_IX86)
#define LUMOTEXT_STDCALL __stdcall
#define LUMOTEXT_CDECL __cdecl
#elif defined(__i386__)
#define LUMOTEXT_STDCALL __attribute__((stdcall))
#define LUMOTEXT_CDECL __attribute__((cdecl))
#else
#define LUMOTEXT_STDCALL
#define LUMOTEXT_CDECL
#endif

/* The Windows DLL exports through its module-definition file only; the
 * shared library on other systems exports what carries this mark. */
#if !defined(_WIN32) && defined(LUMOTEXT_BUILDING)
#define LUMOTEXT_API __attribute__((visibility("default")))
#else
#define LUMOTEXT_API
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* A parent window: HWND on Windows, an opaque handle elsewhere. */
typedef struct HWND__ *LumoWindow;

/* ---- Settings records ------------------------------------------------- */

#define LUMO_SET_BYTES 1024          /* a character set: 1023 bytes + NUL */
#define LUMO_INDENT_STRING_COUNT 10
#define LUMO_INDENT_STRING_BYTES 256 /* an indent string: 255 bytes + NUL */
#define LUMO_DELIMITER_BYTES 256
#define LUMO_PREFIX_BYTES 256        /* continuation prefix: 255 bytes + NUL */

typedef struct IndentSettings {
    uint32_t record_size; /* 7736 */
    uint32_t styles;
    uint32_t sub_styles;
    uint32_t fixed_indent_column;
    char chars_for_quote[LUMO_SET_BYTES];
    char chars_for_empha[LUMO_SET_BYTES];
    char chars_for_sole_itemize[LUMO_SET_BYTES];
    char chars_for_combi_itemize[LUMO_SET_BYTES];
    char chars_for_itemize_end[LUMO_SET_BYTES];
    char indent_string[LUMO_INDENT_STRING_COUNT][LUMO_INDENT_STRING_BYTES];
    uint32_t indent_string_property[LUMO_INDENT_STRING_COUNT];
} IndentSettings;

typedef struct FoldSettings {
    uint32_t record_size; /* 3104 */
    uint32_t foldnum;     /* effective fold column; derived, never stored */
    uint32_t foldnum_from_head;
    uint32_t foldnum_from_tail;
    uint32_t tailwrap_flag;
    uint32_t wraptype;
    uint32_t maxmove_leftwise;
    uint32_t maxmove_rightwise;
    char chars_not_for_tail[LUMO_SET_BYTES];
    char chars_not_for_head[LUMO_SET_BYTES];
    char chars_for_wordwrap[LUMO_SET_BYTES];
} FoldSettings;

typedef struct HeaderSettings {
    uint32_t record_size; /* 264 */
    uint32_t lumoheader;
    char headerdelimiter[LUMO_DELIMITER_BYTES];
} HeaderSettings;

/* The three records as one value: what a setting slot or a preset holds. */
typedef struct LumoRecords {
    IndentSettings indent;
    FoldSettings fold;
    HeaderSettings header;
} LumoRecords;

#define INDENT_SETTINGS_SIZE 7736u
#define FOLD_SETTINGS_SIZE 3104u
#define HEADER_SETTINGS_SIZE 264u
#define FORMAT_REQUEST_SIZE 24u /* on the 32-bit library */
#define LINE_JOB_SIZE 280u      /* on the 32-bit library */

/* styles */
#define STYLE_INDENT 0x00000001u
#define STYLE_QUOTE 0x00000002u
#define STYLE_EMPHA 0x00000004u
#define STYLE_SCENARIO 0x00000008u
#define STYLE_ITEMIZE 0x00000010u
#define STYLE_PARAGRAPH 0x00000020u
#define STYLE_FIXED_COLUMN 0x00000040u
#define STYLE_INDENT_STRINGS 0x00000080u
#define STYLE_STRIP_WHEN_INDENT 0x40000000u
#define STYLE_STRIP_HEAD_SPACE 0x80000000u

/* sub_styles */
#define SUB_NAMED_QUOTE 0x00000001u
#define SUB_ITEM_END_SPACE 0x00000002u
#define SUB_ITEM_NO_PARAGRAPH 0x00000004u
#define SUB_PARAGRAPH_WIDE_SPACE 0x00000008u
#define SUB_FILL_SOURCE 0x00000010u
#define SUB_FILL_WIDE_SPACE 0x00000020u
#define SUB_KEEP_QUOTED 0x00000040u
#define SUB_BLANK_TAB 0x20000000u
#define SUB_BLANK_WIDE 0x40000000u
#define SUB_BLANK_NARROW 0x80000000u

/* indent_string_property */
#define INDSTR_NEED_BLANK 0x1u

/* tailwrap_flag */
#define TAIL_WORDWRAP 0x1u
#define TAIL_KINSOKU 0x2u
#define TAIL_FOLLOW_WIDTH 0x4u

/* wraptype */
#define WRAP_PUSH_OUT 0x01u
#define WRAP_HANG 0x02u
#define WRAP_ALNUM 0x10u
#define WRAP_ASCII 0x20u
#define WRAP_ALNUM_PLUS 0x40u

/* lumoheader */
#define HEADER_NO_FORMAT 0x00001u
#define HEADER_DELIM_EMPTY_LINE 0x00002u
#define HEADER_DELIM_EXACT 0x10000u

/* ---- Requests --------------------------------------------------------- */

/* Terminator of a logical line: bit 0x1 LF, bit 0x2 CR (CR first). */
#define NEWLINE_NONE 0u
#define NEWLINE_LF 1u
#define NEWLINE_CR 2u
#define NEWLINE_CRLF 3u

typedef struct FormatRequest {
    uint32_t record_size;   /* 24 on the 32-bit library; not read */
    const char *source;     /* NUL-terminated input text */
    char *output;           /* caller's output buffer */
    uint32_t capacity;      /* bytes in output, NUL included */
    uint32_t tab_width;     /* distance between tab stops */
    uint32_t display_width; /* caller's display width in columns */
} FormatRequest;

/* Classification result bits in LineJob.flags. */
#define LINE_QUOTED 0x1u
#define LINE_EMPHASISED 0x2u
#define LINE_ITEMISED 0x4u

typedef struct LineJob {
    uint32_t record_size; /* 280 on the 32-bit library */
    const char *text;     /* the line (formatting) or the block (binding) */
    char *output;
    uint32_t capacity;
    uint32_t newline; /* NEWLINE_* */
    uint32_t flags;   /* LINE_* */
    char prefix[LUMO_PREFIX_BYTES];
} LineJob;

/* ---- Result codes ----------------------------------------------------- */

#define ERR_BAD_NUMBER 0x10000000 /* slot outside 1..10, preset outside 0..2 */

/* LumoMultiLines */
#define FORMAT_DONE 0
#define FORMAT_LINE_OVERFLOW 1 /* kept for the record; never returned */
#define FORMAT_NO_COLUMN 2     /* a continuation prefix fills the fold column */
#define FORMAT_FOLD_ZERO 3     /* foldnum is 0 */
#define FORMAT_OUTPUT_TOO_SMALL 8
#define FORMAT_NO_MEMORY (-1)

/* Clipboard operations (besides the formatter's codes) */
#define CLIP_OPEN_FAILED 4
#define CLIP_NO_TEXT 5
#define CLIP_LOCK_FAILED 6
#define CLIP_ALLOC_FAILED 7

/* Load and save masks: bit 0x001 is the group's key. */
#define MASK_KEY 0x001u

#define LUMO_SLOT_COUNT 10
#define LUMO_PRESET_COUNT 3

/* ---- Exports: standard forms (ordinals 1-20) --------------------------- */

LUMOTEXT_API int32_t LUMOTEXT_STDCALL GetLTVersion(void);
LUMOTEXT_API int32_t LUMOTEXT_STDCALL GetLTMajorVersion(void);
LUMOTEXT_API int32_t LUMOTEXT_STDCALL GetLTMinorVersion(void);
LUMOTEXT_API int32_t LUMOTEXT_STDCALL GetDefaultNumber(const char *vendor);
LUMOTEXT_API int32_t LUMOTEXT_STDCALL SetDefaultNumber(int32_t number, const char *vendor);
LUMOTEXT_API int32_t LUMOTEXT_STDCALL DefaultNumberDlg(LumoWindow parent, const char *vendor);
LUMOTEXT_API int32_t LUMOTEXT_STDCALL GetWholeSetting(FormatRequest *request, IndentSettings *indent,
                                                      FoldSettings *fold, HeaderSettings *header,
                                                      int32_t slot, const char *vendor,
                                                      int32_t *detail);
LUMOTEXT_API int32_t LUMOTEXT_STDCALL GetWholeSettingGL(FormatRequest *request, int32_t slot,
                                                        const char *vendor, int32_t *detail);
LUMOTEXT_API int32_t LUMOTEXT_STDCALL SetDefaultWholeSetting(int32_t slot, int32_t preset,
                                                             const char *title, const char *vendor,
                                                             int32_t *detail);
LUMOTEXT_API int32_t LUMOTEXT_STDCALL LumoMultiLines(FormatRequest *request, IndentSettings *indent,
                                                     FoldSettings *fold, HeaderSettings *header);
LUMOTEXT_API int32_t LUMOTEXT_STDCALL LumoClipBoard(FormatRequest *request, IndentSettings *indent,
                                                    FoldSettings *fold, HeaderSettings *header);
LUMOTEXT_API int32_t LUMOTEXT_STDCALL LumoClipBoardGL(FormatRequest *request);
LUMOTEXT_API int32_t LUMOTEXT_STDCALL BindLines(LineJob *job, IndentSettings *indent);
LUMOTEXT_API int32_t LUMOTEXT_STDCALL BindClipBoard(IndentSettings *indent);
LUMOTEXT_API int32_t LUMOTEXT_STDCALL BindClipBoardGL(void);
LUMOTEXT_API int32_t LUMOTEXT_STDCALL SetupDlgDirect(LumoWindow parent, IndentSettings *indent,
                                                     FoldSettings *fold, HeaderSettings *header);
LUMOTEXT_API int32_t LUMOTEXT_STDCALL RegSelDlg(LumoWindow parent, const char *vendor);
LUMOTEXT_API void LUMOTEXT_STDCALL SetLumoPropertyGL(uint32_t indent_column, uint32_t styles,
                                                     uint32_t fold_column, uint32_t fold_flags);
LUMOTEXT_API int32_t LUMOTEXT_STDCALL IndPropDlg(LumoWindow parent, IndentSettings *indent,
                                                 FoldSettings *fold, HeaderSettings *header);
LUMOTEXT_API int32_t LUMOTEXT_STDCALL IndPropDlgGL(LumoWindow parent);

/* ---- Exports: HM twins for macro hosts (ordinals 21-33) ----------------
 * Integers, strings and window handles in, one integer out. Twins whose
 * sibling reports a detail return (detail & 0xFFFF) << 16 | (stage & 0xFFFF). */

LUMOTEXT_API int32_t LUMOTEXT_CDECL GetLTVersionHM(void);
LUMOTEXT_API int32_t LUMOTEXT_CDECL GetLTMajorVersionHM(void);
LUMOTEXT_API int32_t LUMOTEXT_CDECL GetLTMinorVersionHM(void);
LUMOTEXT_API int32_t LUMOTEXT_CDECL GetDefaultNumberHM(const char *vendor);
LUMOTEXT_API int32_t LUMOTEXT_CDECL SetDefaultNumberHM(int32_t number, const char *vendor);
LUMOTEXT_API int32_t LUMOTEXT_CDECL DefaultNumberDlgHM(LumoWindow parent, const char *vendor);
LUMOTEXT_API int32_t LUMOTEXT_CDECL GetWholeSettingGLHM(uint32_t tab_width, uint32_t display_width,
                                                        int32_t slot, const char *vendor);
LUMOTEXT_API int32_t LUMOTEXT_CDECL SetDefaultWholeSettingHM(int32_t slot, int32_t preset,
                                                             const char *title,
                                                             const char *vendor);
LUMOTEXT_API int32_t LUMOTEXT_CDECL LumoClipBoardGLHM(uint32_t tab_width, uint32_t display_width);
LUMOTEXT_API int32_t LUMOTEXT_CDECL BindClipBoardGLHM(void);
LUMOTEXT_API int32_t LUMOTEXT_CDECL RegSelDlgHM(LumoWindow parent, const char *vendor);
LUMOTEXT_API void LUMOTEXT_CDECL SetLumoPropertyGLHM(uint32_t indent_column, uint32_t styles,
                                                     uint32_t fold_column, uint32_t fold_flags);
LUMOTEXT_API int32_t LUMOTEXT_CDECL IndPropDlgGLHM(LumoWindow parent);

/* ---- UTF-8 text (liblumotext.so only) ------------------------------------
 * The records, results and rules of LumoMultiLines and BindLines, on UTF-8
 * text whose sets, indent strings and header delimiter are UTF-8 too. A
 * character is a grapheme cluster, as wide as East Asian Width says (an
 * ambiguous character is two columns when code page 932 holds it as two
 * bytes); a byte that is not UTF-8 is a one-column character, kept as it is.
 * BindLinesUtf8 returns FORMAT_NO_MEMORY when memory runs out. Lumotext.dll
 * stays code page 932 and has neither. */
#if !defined(_WIN32)
LUMOTEXT_API int32_t LumoMultiLinesUtf8(FormatRequest *request, IndentSettings *indent,
                                        FoldSettings *fold, HeaderSettings *header);
LUMOTEXT_API int32_t BindLinesUtf8(LineJob *job, IndentSettings *indent);
#endif

#ifdef __cplusplus
} /* extern "C" */
#endif

/* ---- Layout pins ------------------------------------------------------ */

#ifdef __cplusplus
#define LUMOTEXT_STATIC_ASSERT(cond, msg) static_assert(cond, msg)
#define LUMOTEXT_OFFSETOF(type, field) offsetof(type, field)
#include <cstddef>
#else
#include <stddef.h>
#define LUMOTEXT_STATIC_ASSERT(cond, msg) _Static_assert(cond, msg)
#define LUMOTEXT_OFFSETOF(type, field) offsetof(type, field)
#endif

LUMOTEXT_STATIC_ASSERT(sizeof(IndentSettings) == INDENT_SETTINGS_SIZE, "IndentSettings size");
LUMOTEXT_STATIC_ASSERT(sizeof(FoldSettings) == FOLD_SETTINGS_SIZE, "FoldSettings size");
LUMOTEXT_STATIC_ASSERT(sizeof(HeaderSettings) == HEADER_SETTINGS_SIZE, "HeaderSettings size");
LUMOTEXT_STATIC_ASSERT(LUMOTEXT_OFFSETOF(IndentSettings, chars_for_quote) == 16, "quote set");
LUMOTEXT_STATIC_ASSERT(LUMOTEXT_OFFSETOF(IndentSettings, indent_string) == 5136, "indent strings");
LUMOTEXT_STATIC_ASSERT(LUMOTEXT_OFFSETOF(IndentSettings, indent_string_property) == 7696,
                       "indent string properties");
LUMOTEXT_STATIC_ASSERT(LUMOTEXT_OFFSETOF(FoldSettings, maxmove_rightwise) == 28, "fold words");
LUMOTEXT_STATIC_ASSERT(LUMOTEXT_OFFSETOF(FoldSettings, chars_not_for_tail) == 32, "tail set");
LUMOTEXT_STATIC_ASSERT(LUMOTEXT_OFFSETOF(FoldSettings, chars_not_for_head) == 1056, "head set");
LUMOTEXT_STATIC_ASSERT(LUMOTEXT_OFFSETOF(FoldSettings, chars_for_wordwrap) == 2080, "word set");
LUMOTEXT_STATIC_ASSERT(LUMOTEXT_OFFSETOF(HeaderSettings, headerdelimiter) == 8, "delimiter");

#if defined(__i386__) || defined(_M_IX86)
/* The 32-bit library's records are part of its binary interface. */
LUMOTEXT_STATIC_ASSERT(sizeof(FormatRequest) == FORMAT_REQUEST_SIZE, "FormatRequest size");
LUMOTEXT_STATIC_ASSERT(LUMOTEXT_OFFSETOF(FormatRequest, source) == 4, "source");
LUMOTEXT_STATIC_ASSERT(LUMOTEXT_OFFSETOF(FormatRequest, output) == 8, "output");
LUMOTEXT_STATIC_ASSERT(LUMOTEXT_OFFSETOF(FormatRequest, capacity) == 12, "capacity");
LUMOTEXT_STATIC_ASSERT(LUMOTEXT_OFFSETOF(FormatRequest, tab_width) == 16, "tab_width");
LUMOTEXT_STATIC_ASSERT(LUMOTEXT_OFFSETOF(FormatRequest, display_width) == 20, "display_width");
LUMOTEXT_STATIC_ASSERT(sizeof(LineJob) == LINE_JOB_SIZE, "LineJob size");
LUMOTEXT_STATIC_ASSERT(LUMOTEXT_OFFSETOF(LineJob, text) == 4, "text");
LUMOTEXT_STATIC_ASSERT(LUMOTEXT_OFFSETOF(LineJob, output) == 8, "output");
LUMOTEXT_STATIC_ASSERT(LUMOTEXT_OFFSETOF(LineJob, capacity) == 12, "capacity");
LUMOTEXT_STATIC_ASSERT(LUMOTEXT_OFFSETOF(LineJob, newline) == 16, "newline");
LUMOTEXT_STATIC_ASSERT(LUMOTEXT_OFFSETOF(LineJob, flags) == 20, "flags");
LUMOTEXT_STATIC_ASSERT(LUMOTEXT_OFFSETOF(LineJob, prefix) == 24, "prefix");
#endif

#endif /* LUMOTEXT_H */
