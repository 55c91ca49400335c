/* A program that uses the installed library as any other would: it folds
 * standard input (Shift-JIS) at the column given as its argument with the
 * settings of slot 0 and prints the result. The install and package tests
 * build it against an installed tree only. */
#include <lumotext.h>
#include <stdio.h>
#include <stdlib.h>
#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

int main(int argc, char **argv) {
    static char source[1 << 16];
    static char output[1 << 18];
    static IndentSettings indent;
    static FoldSettings fold;
    static HeaderSettings header;
    FormatRequest request = {sizeof(FormatRequest), source, output, sizeof output, 8, 80};
    int32_t detail = 0;
    size_t length;
    int32_t result;

#ifdef _WIN32
    /* Line ends are the text's own: CR LF must reach the library unchanged. */
    _setmode(_fileno(stdin), _O_BINARY);
    _setmode(_fileno(stdout), _O_BINARY);
#endif
    length = fread(source, 1, sizeof source - 1, stdin);

    if (argc != 2) {
        fprintf(stderr, "usage: fold_stdin COLUMN < text\n");
        return 2;
    }
    source[length] = '\0';
    indent.record_size = sizeof indent;
    fold.record_size = sizeof fold;
    header.record_size = sizeof header;
    result = GetWholeSetting(&request, &indent, &fold, &header, 0, NULL, &detail);
    if (result < 0) {
        fprintf(stderr, "fold_stdin: GetWholeSetting returned %d\n", (int)result);
        return 1;
    }
    fold.foldnum = (uint32_t)atoi(argv[1]);
    result = LumoMultiLines(&request, &indent, &fold, &header);
    if (result != FORMAT_DONE) {
        fprintf(stderr, "fold_stdin: LumoMultiLines returned %d\n", (int)result);
        return 1;
    }
    fputs(output, stdout);
    printf("[library %d]\n", (int)GetLTVersion());
    return 0;
}
