// ZurNames.asn1 compiled with the prefixes ZUR and two_, and without one,
// in one C++ program with prefixed_sets.c: the values made in C print through
// their own set's tables, and a prefix changes no table.
#include <gtest/gtest.h>

#include <type_traits>

#include "Names-A.h"
#include "ZUR_Names-A-B.h"
#include "ZUR_Names-A.h"
#include "ZUR_ZurNames.h"
#include "ZurNames.h"
#include "tests/compiler/table_dump.h"
#include "tests/support/test_env.h"
#include "two_Names-A-B.h"
#include "two_Names-A.h"
#include "two_ZurNames.h"
#include "zurbase/zurbase.h"

extern "C" ZUR_Addr zurPrefixedAddr;
extern "C" two_Addr twoPrefixedAddr;
extern "C" const ZurTables *const zurPrefixedTables[2];
extern "C" const int zurPrefixedPdus[2];

namespace zurtest {
namespace {

// A prefixed name is kept clear of the headers' names as a whole: ZUR +
// TAG-EXPLICIT would be zurbase's ZUR_TAG_EXPLICIT, while FILE needs no
// module name in front once the prefix is there.
static_assert(std::is_same_v<ZUR_ZurNames_TAG_EXPLICIT, uint8_t> && std::is_same_v<two_TAG_EXPLICIT, uint8_t>);
static_assert(std::is_same_v<ZUR_FILE, ZurHugeInt> && std::is_same_v<two_FILE, ZurHugeInt>);
static_assert(std::is_same_v<two_Names_A_B_C_, ZurOctets> && std::is_same_v<ZUR_Names_A_B_C, ZurHugeInt>);

TEST(PrefixedSets, ValuesPrintThroughTheirOwnSetsTables) {
  TestEnv env;
  void *values[2] = {&zurPrefixedAddr, &twoPrefixedAddr};
  const char *const texts[2] = {"value Addr ::= v4 : \n  {\n    address '7F000001'H,\n    port 80\n  }\n",
                                "value Addr ::= v6 : \n  {\n    address '0A000002'H\n  }\n"};
  for (int i = 0; i < 2; ++i) {
    env.captureWithHook();
    env->ctlTbl = &zurPrefixedTables[i]->ctl;
    EXPECT_EQ(reinterpret_cast<ApiPrintPduFn>(apiTbl[SLOT_PRINT_PDU])(env.get(), zurPrefixedPdus[i], values[i]), 0);
    EXPECT_EQ(hookText(), texts[i]) << i;
  }
}

TEST(PrefixedSets, APrefixChangesNoTable) {
  EXPECT_NE(&ZUR_ZurNames_tables, &two_ZurNames_tables);
  EXPECT_EQ(dumpTables(ZUR_ZurNames_tables), dumpTables(ZurNames_tables));
  EXPECT_EQ(dumpTables(two_ZurNames_tables), dumpTables(ZurNames_tables));
}

}  // namespace
}  // namespace zurtest
