#include "frame/print_guard.h"

#include "frame/error_table.h"
#include "frame/registration_list.h"
#include "platform/fault_trap.h"

namespace zur {

void segvHandler(int signal) {
  if (Env *env = registeredEnv(&regListHead)) abortPrint(env, ROW_MEMORY_VIOLATION, 0);
  platform::passOnFault(signal);
}

void abortPrint(Env *env, int32_t row, ApiWord) {
  platform::jumpToPoint(env->workArea.abortJmpBuf, row);
}

}  // namespace zur
