// Binding: the lines of a block joined back into one line, with the
// continuation prefix of the block's head and, if asked, leading blanks taken
// off every joined line.
#pragma once

#include <cstdint>

#include "lumotext.h"

namespace lumo {

// job->text is the block, job->output receives the bound text and must hold
// the block's length plus one byte; it may be the block's own buffer.
// job->newline is the terminator restored at the end when the block ends
// with it. Writes job->flags and job->prefix. Returns 0.
int32_t Bind(LineJob *job, IndentSettings *indent);

}  // namespace lumo
