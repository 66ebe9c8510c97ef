// Test support for the printer: prints values through the walker or the
// print driver and returns the text that reached the print hook.
#ifndef ZURBASE_TESTS_PRINTER_PRINT_HARNESS_H
#define ZURBASE_TESTS_PRINTER_PRINT_HARNESS_H

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>

#include "printer/print_cursor.h"
#include "printer/print_driver.h"
#include "tests/support/ctl_builder.h"
#include "tests/support/test_env.h"

namespace zurtest {

// Value shapes: a count or length, then N elements in place or the address
// of the data.
template <class L, std::size_t N, class T = unsigned char>
struct Inline {
  L length;
  T data[N];
};
template <class L, class D>
struct ByAddress {
  L length;
  D *data;
};

// A complete print of PDU n through the print driver: header, value and
// final new line.
inline std::string printPdu(TestEnv &env, const CtlTbl *ctl, int n, void *v) {
  env.captureWithHook();
  EXPECT_EQ(zur::printPdu(env.get(), n, v, ctl), 0);
  return hookText();
}

// An environment, a table being built, and show(): the walker's text for a
// value of one of the table's types (no header, no final new line), from a
// root cursor mapped as the driver maps it.
class PrinterTest : public ::testing::Test {
 protected:
  std::string show(uint16_t type, void *v, uint8_t inList = 0) {
    env.captureWithHook();
    const TypeDesc *t = b.type(type);
    uint32_t size = (t->typeFlags & TYPE_BY_POINTER) != 0 ? 4 : t->size;
    auto *base = static_cast<unsigned char *>(env->services->mapValue(env.get(), v, size));
    zur::PrintCursor root{env.get(), base, v, 0, size};
    zur::printValue(b.table(tableFlags), t, &root, inList);
    return hookText();
  }
  struct Case {
    uint16_t type;
    void *value;
    const char *text;
  };
  void expectTexts(std::initializer_list<Case> cases) {
    for (const Case &c : cases) EXPECT_EQ(show(c.type, c.value), c.text) << "type " << c.type;
  }
  TestEnv env;
  CtlBuilder b;
  uint16_t tableFlags = 0;
};

}  // namespace zurtest

#endif
