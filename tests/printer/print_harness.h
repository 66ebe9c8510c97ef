// Test support for the printer: prints values through the walker or the
// print driver and returns the text that reached the print hook.
#ifndef ZURBASE_TESTS_PRINTER_PRINT_HARNESS_H
#define ZURBASE_TESTS_PRINTER_PRINT_HARNESS_H

#include <string>

#include <gtest/gtest.h>

#include "printer/print_cursor.h"
#include "printer/print_driver.h"
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

// A complete print of PDU n through the print driver: header, value and
// final new line.
inline std::string printPdu(TestEnv &env, const CtlTbl *ctl, int n, void *v) {
  env.captureWithHook();
  EXPECT_EQ(zur::printPdu(env.get(), n, v, ctl), 0);
  return hookText();
}

}  // namespace zurtest

#endif
