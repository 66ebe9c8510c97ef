// Test support for the printer: prints values the way the print driver does
// and returns the text that reached the print hook.
#ifndef ZURBASE_TESTS_PRINTER_PRINT_HARNESS_H
#define ZURBASE_TESTS_PRINTER_PRINT_HARNESS_H

#include <string>

#include "printer/print_cursor.h"
#include "tests/support/captured_output.h"
#include "tests/support/ctl_builder.h"
#include "tests/support/test_env.h"

namespace zurtest {

// A root cursor on the value at v, mapped as the driver maps it.
inline zur::PrintCursor rootCursor(Env *env, const TypeDesc *t, void *v) {
  uint32_t size = (t->typeFlags & TYPE_BY_POINTER) != 0 ? 4 : t->size;
  auto *base = static_cast<unsigned char *>(env->services->mapValue(env, v, size));
  return zur::PrintCursor{env, base, v, 0, size};
}

// The walker's text for one value of type t (no header, no final new line).
inline std::string walk(TestEnv &env, const CtlTbl *ctl, const TypeDesc *t, void *v,
                        uint8_t inList = 0) {
  env.captureWithHook();
  zur::PrintCursor root = rootCursor(env.get(), t, v);
  zur::printValue(ctl, t, &root, inList);
  return hookText();
}

// Header, value and final new line, as a complete print of PDU n.
inline std::string printPdu(TestEnv &env, const CtlTbl *ctl, int n, void *v) {
  const TypeDesc *t = ctlPduType(ctl, n);
  env.captureWithHook();
  zur::PrintCursor root = rootCursor(env.get(), t, v);
  std::string header = "value " + std::string(ctlTypeName(t)) + " ::= ";
  zur::printValue(ctl, t, &root, 0);
  return header + hookText() + "\n";
}

}  // namespace zurtest

#endif
