#include "printer/print_driver.h"

#include "frame/entry_points.h"
#include "frame/error_table.h"
#include "frame/print.h"
#include "frame/print_guard.h"
#include "frame/registration_list.h"
#include "platform/fault_trap.h"
#include "printer/print_cursor.h"

namespace zur {
namespace {

constexpr int kBadArgument = 6;

bool argumentsValid(const Env *env, int32_t pduNum, const void *value, const CtlTbl *ctl) {
  return ctl != nullptr && pduNum >= 1 && pduNum <= ctl->pduCount && value != nullptr &&
         env != nullptr;
}

void clearPrinterState(WorkArea &work) {
  work.printDepth = 0;
  work.printIndent = 0;
  work.abortJump = nullptr;
  work.abortJmpBuf = nullptr;
}

// Header, walker, new line: the part of a print that can be left at any point.
void printRoot(Env *env, int32_t pduNum, void *value, const CtlTbl *ctl) {
  const TypeDesc *td = &ctl->types[ctl->pduTypes[pduNum - 1]];
  apiPrint(env, "value %s ::= ", td->name != nullptr ? td->name : "<anonymous>");
  // A PDU held through a pointer is reached through the address word at value.
  const uint32_t rootSize =
      (td->typeFlags & TYPE_BY_POINTER) != 0 ? uint32_t{sizeof(ApiWord)} : td->size;
  flushOutput();
  PrintCursor root{env, static_cast<unsigned char *>(env->services->mapValue(env, value, rootSize)),
                   value, 0, rootSize};
  printValue(ctl, td, &root, 0);
  apiPrint(env, "\n");
  flushOutput();
  env->services->unmapValue(env, value);
}

}  // namespace

int printPdu(Env *env, int32_t pduNum, void *value, const CtlTbl *ctl) {
  if (!argumentsValid(env, pduNum, value, ctl)) return kBadArgument;
  OutputScope output;
  WorkArea &work = env->workArea;
  clearPrinterState(work);
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
    printRoot(env, pduNum, value, ctl);
    if (guarded && updateRegistration(nullptr, &record, &regListHead) == 0)
      abortPrint(env, ROW_SERIALIZATION, 0);
    if (guarded) platform::restoreFaultHandler();
    return 0;
  }

  output.resume();
  if (guarded && row != ROW_SERIALIZATION &&
      updateRegistration(nullptr, &record, &regListHead) == 0)
    abortPrint(env, ROW_SERIALIZATION, 0);
  // The record dies with this frame: a removal that failed must not leave it
  // reachable.
  if (guarded && row == ROW_SERIALIZATION) unlinkRecord(&record, &regListHead);
  if (guarded) platform::restoreFaultHandler();
  return errorCode(row);
}

int apiPrintPdu(Env *env, int32_t pduNum, void *value) {
  if (env == nullptr) return kBadArgument;
  return printPdu(env, pduNum, value, env->ctlTbl);
}

}  // namespace zur
