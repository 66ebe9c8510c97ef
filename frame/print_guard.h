// The printer's emergency exit: the memory-violation handler and the jump
// that leaves a print with an error row.
#ifndef ZURBASE_FRAME_PRINT_GUARD_H
#define ZURBASE_FRAME_PRINT_GUARD_H

#include "zurbase/env.h"

namespace zur {

// Leaves the faulting thread's print with row 9; returns when the thread is
// not printing.
void segvHandler(int signal);

// Jumps to the jump point that env's abortJmpBuf points to; the jump point
// yields row.
[[noreturn]] void abortPrint(Env *env, int32_t row, ApiWord unused);

}  // namespace zur

#endif
