#include "printer/print_guard.h"

#include "frame/error_table.h"
#include "platform/fault_trap.h"
#include "printer/registration_list.h"

namespace zur {
namespace {

// Leaves the faulting thread's print with the memory-violation row; returns
// when the thread is not printing, so the fault takes its usual course.
void segvHandler(int) {
  if (Env *env = registeredEnv(&regListHead)) abortPrint(env, ROW_MEMORY_VIOLATION, 0);
}

}  // namespace

void abortPrint(Env *env, int32_t row, ApiWord) {
  platform::jumpToPoint(env->workArea.abortJmpBuf, row);
}

void leaveEndlessValue(Env *env) { abortPrint(env, ROW_SIZE_TOO_LONG, 0); }

int runGuarded(Env *env, GuardedBody body, void *context) {
  WorkArea &work = env->workArea;
  // Read once: the handler kept and the record entered must be the ones undone.
  const bool guarded = (env->decFlags & ZURBASE_FLAG_NO_PRINT_GUARD) == 0;
  if (guarded) platform::installFaultHandler(segvHandler);

  RegRecord record{};
  platform::JumpBuffer jumpPoint;
  work.abortJmpBuf = &jumpPoint;
  work.abortJump = abortPrint;
  const int row = ZUR_SET_JUMP_POINT(jumpPoint);
  if (row == 0) {
    if (guarded && updateRegistration(env, &record, &regListHead) == 0)
      abortPrint(env, ROW_SERIALIZATION, 0);
    body(context);
    if (guarded && updateRegistration(nullptr, &record, &regListHead) == 0)
      abortPrint(env, ROW_SERIALIZATION, 0);
    if (guarded) platform::restoreFaultHandler();
    return 0;
  }

  if (guarded && row != ROW_SERIALIZATION &&
      updateRegistration(nullptr, &record, &regListHead) == 0)
    abortPrint(env, ROW_SERIALIZATION, 0);
  // The record dies with this frame: a removal that failed must not leave it
  // reachable.
  if (guarded && row == ROW_SERIALIZATION) unlinkRecord(&record, &regListHead);
  if (guarded) platform::restoreFaultHandler();
  return row;
}

}  // namespace zur
