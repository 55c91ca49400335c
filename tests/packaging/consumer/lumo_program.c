/* The C API for programs as a program meets it: format a line, bind it
 * back, and stream it one byte at a time. The install and package tests
 * build it against an installed tree only, unchanged. */
#include <lumo.h>
#include <stdio.h>
#include <string.h>
static int put(void *ctx, const char *bytes, size_t n) { return fwrite(bytes, 1, n, (FILE *)ctx) == n ? 0 : -1; }
int main(void) {
    lumo_options o;
    lumo_options_init(&o);                 /* preset 2, fold 70, tab 8, UTF-8, ambiguous as code page 932 */
    o.fold = 40;                           /* also o.preset, o.slot, o.vendor, o.tab, o.ambiguous, o.strict */
    o.encoding = LUMO_UTF8;                /* or LUMO_CP932 */
    const char *text = "・持ち物：防寒着、懐中電灯（赤いセロハンを貼ったものがおすすめです）\n";
    char *out = NULL; size_t n = 0; lumo_error err;
    if (lumo_format(text, strlen(text), &o, &out, &n, &err) != 0) { fprintf(stderr, "%s at %llu:%llu\n", err.message, (unsigned long long)err.line, (unsigned long long)err.column); return 1; }
    fwrite(out, 1, n, stdout);
    char *back = NULL; size_t m = 0;
    if (lumo_bind(out, n, &o, &back, &m, &err) != 0) return 1;
    lumo_free(out); lumo_free(back);
    lumo_stream *s = lumo_stream_new(LUMO_FORMAT, &o, put, stdout, &err);   /* or LUMO_BIND */
    for (size_t i = 0; text[i]; ++i) if (lumo_stream_feed(s, text + i, 1, &err) != 0) return 1;
    if (lumo_stream_finish(s, &err) != 0) return 1;
    lumo_stream_free(s);
    return 0;
}
