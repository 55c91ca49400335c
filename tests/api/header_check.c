/* The public header compiles as C11 and its records have the layout the
 * header pins; built as part of the tests, it fails the build if not. */
#include "lumotext.h"

_Static_assert(sizeof(IndentSettings) == 7736, "IndentSettings");
_Static_assert(sizeof(FoldSettings) == 3104, "FoldSettings");
_Static_assert(sizeof(HeaderSettings) == 264, "HeaderSettings");
_Static_assert(offsetof(LineJob, prefix) == offsetof(LineJob, flags) + 4, "prefix follows flags");
_Static_assert(offsetof(FormatRequest, display_width) == offsetof(FormatRequest, tab_width) + 4,
               "display_width follows tab_width");

int lumotext_header_check(void) {
    FormatRequest request = {FORMAT_REQUEST_SIZE, "", 0, 0, 8, 80};
    return (int)request.tab_width + (int)STYLE_STRIP_HEAD_SPACE + FORMAT_OUTPUT_TOO_SMALL;
}
