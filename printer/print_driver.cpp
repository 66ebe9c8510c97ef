#include "printer/print_driver.h"

#include "frame/error_table.h"
#include "frame/print.h"
#include "library/entry_points.h"
#include "printer/print_cursor.h"
#include "printer/print_guard.h"
#include "printer/print_scratch.h"
#include "printer/service_calls.h"
#include "zurbase/status.h"

namespace zur {
namespace {

bool argumentsValid(const Env *env, int32_t pduNum, const void *value, const CtlTbl *ctl) {
  return ctl != nullptr && pduNum >= 1 && pduNum <= ctl->pduCount && value != nullptr &&
         env != nullptr;
}

// The printer's fields of Env: cleared for each print, and given back when
// it ends, so that a print made inside another on the same Env (by a print
// hook or a run-time service) leaves the outer one its indentation and the
// jump point that a fault in it needs.
class PrinterState {
 public:
  explicit PrinterState(WorkArea &work)
      : work_(work), depth_(work.printDepth), indent_(work.printIndent), jump_(work.abortJump),
        jumpPoint_(work.abortJmpBuf) {
    work.printDepth = 0;
    work.printIndent = 0;
    work.abortJump = nullptr;
    work.abortJmpBuf = nullptr;
  }
  ~PrinterState() {
    work_.printDepth = depth_;
    work_.printIndent = indent_;
    work_.abortJump = jump_;
    work_.abortJmpBuf = jumpPoint_;
  }
  PrinterState(const PrinterState &) = delete;
  PrinterState &operator=(const PrinterState &) = delete;

 private:
  WorkArea &work_;
  int32_t depth_, indent_;
  AbortJumpFn jump_;
  void *jumpPoint_;
};

// Header, walker, new line: the part of a print that can be left at any point.
void printRoot(Env *env, int32_t pduNum, void *value, const CtlTbl *ctl) {
  const TypeDesc *td = ctlPduType(ctl, pduNum);
  apiPrint(env, "value %s ::= ", ctlTypeName(td));
  // A PDU held through a pointer is reached through the address word at value.
  const uint32_t rootSize =
      (td->typeFlags & TYPE_BY_POINTER) != 0 ? uint32_t{sizeof(ApiWord)} : td->size;
  PrintCursor root{env, mapValue(env, value, rootSize), value, 0, rootSize};
  printValue(ctl, td, &root, 0);
  apiPrint(env, "\n");
  unmapValue(env, value);
}

}  // namespace

int printPdu(Env *env, int32_t pduNum, void *value, const CtlTbl *ctl) {
  if (!argumentsValid(env, pduNum, value, ctl)) return ZURBASE_STATUS_BAD_ARGUMENT;
  OutputScope output;
  PrintScratch scratch;
  const PrinterState state(env->workArea);
  auto print = [&] { printRoot(env, pduNum, value, ctl); };
  const int row = runGuarded(env, print);
  if (row != 0) output.resume();
  return row == 0 ? ZURBASE_STATUS_OK : errorCode(row);
}

int apiPrintPdu(Env *env, int32_t pduNum, void *value) {
  if (env == nullptr) return ZURBASE_STATUS_BAD_ARGUMENT;
  return printPdu(env, pduNum, value, env->ctlTbl);
}

}  // namespace zur
