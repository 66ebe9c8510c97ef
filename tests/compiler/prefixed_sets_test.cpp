// ZurNames.asn1 compiled with -p ZUR and -p two, and without a prefix, in one
// C++ program with prefixed_sets.c: each value prints through its own set's
// tables. Under ZUR its TAG-EXPLICIT must not be zurbase's ZUR_TAG_EXPLICIT.
#include <gtest/gtest.h>

#include "ZUR_ZurNames.h"
#include "ZurNames.h"
#include "tests/support/test_env.h"
#include "two_ZurNames.h"
#include "zurbase/zurbase.h"

extern "C" ZUR_Addr zurPrefixedAddr;
extern "C" two_Addr twoPrefixedAddr;

namespace zurtest {
namespace {

TEST(PrefixedSets, ValuesPrintThroughTheirOwnSetsTables) {
  TestEnv env;
  const struct { const ZurTables &tables; int pdu; void *value; const char *text; } sets[] = {
      {ZUR_ZurNames_tables, ZUR_Addr_PDU, &zurPrefixedAddr, "v4 : \n  {\n    address '7F000001'H,\n    port 80\n  }\n"},
      {two_ZurNames_tables, two_Addr_PDU, &twoPrefixedAddr, "v6 : \n  {\n    address '0A000002'H\n  }\n"}};
  for (const auto &set : sets) {
    env.captureWithHook();
    env->ctlTbl = &set.tables.ctl;
    EXPECT_EQ(reinterpret_cast<ApiPrintPduFn>(apiTbl[SLOT_PRINT_PDU])(env.get(), set.pdu, set.value), 0);
    EXPECT_EQ(hookText(), std::string("value Addr ::= ") + set.text);
  }
}

}  // namespace
}  // namespace zurtest
