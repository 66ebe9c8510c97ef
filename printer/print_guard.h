// Fault-safe printing: a print runs so that a memory violation inside it, or
// a run-time service leaving it through Env.abortJump, ends the print with an
// error row instead of the process. For its length the printing thread is
// registered with its Env in the registration list (registration_list.h),
// which is how the process-wide signal handler finds the print to leave.
#ifndef ZURBASE_PRINTER_PRINT_GUARD_H
#define ZURBASE_PRINTER_PRINT_GUARD_H

#include "zurbase/env.h"

namespace zur {

using GuardedBody = void (*)(void *context);

// Runs body(context) as env's print. Sets Env.abortJump and abortJmpBuf; unless
// decFlags bit 0x200 is set, also installs the memory-violation handler and
// registers the thread under "globlist" for the length of the body. Returns
// 0 when the body returned and the registration was undone, otherwise the row
// with which the print was left: the serialisation row when registering or
// unregistering failed, the memory-violation row after a fault.
int runGuarded(Env *env, GuardedBody body, void *context);

template <class Fn>
int runGuarded(Env *env, Fn &body) {
  return runGuarded(env, [](void *fn) { (*static_cast<Fn *>(fn))(); }, &body);
}

// Jumps to the jump point that env's abortJmpBuf points to; the print is left
// with row.
[[noreturn]] void abortPrint(Env *env, int32_t row, ApiWord unused);

// Leaves the print of a value that has no end, a list that comes back on
// itself or nesting deeper than kMaxPrintDepth, with the too-long size row.
[[noreturn]] void leaveEndlessValue(Env *env);

}  // namespace zur

#endif
