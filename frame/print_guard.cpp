#include "frame/print_guard.h"

#include "frame/error_table.h"
#include "frame/registration_list.h"
#include "platform/fault_trap.h"

namespace zur {

void segvHandler(int) {
  if (Env *env = registeredEnv(&regListHead)) abortPrint(env, ROW_MEMORY_VIOLATION, 0);
}

void abortPrint(Env *env, int32_t row, ApiWord) {
  platform::jumpToPoint(env->workArea.abortJmpBuf, row);
}

}  // namespace zur
