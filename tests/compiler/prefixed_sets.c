/* ZurNames.asn1 compiled twice, with the prefixes ZUR and two_, in one C
   translation unit: without the prefixes the two sets' headers would
   declare every type, macro and tables variable twice. A value of each set,
   made with its own type and macros, for prefixed_sets_test.cpp to print. */
#include "ZUR_ZurNames.h"
#include "two_ZurNames.h"

static uint8_t zurAddress[] = {127, 0, 0, 1};
static uint8_t twoAddress[] = {10, 0, 0, 2};

ZUR_Addr zurPrefixedAddr = {ZUR_Addr_v4_CHOSEN, {.v4 = {ZUR_V4_port_PRESENT, {4, zurAddress}, 80}}};
two_Addr twoPrefixedAddr = {two_Addr_v6_CHOSEN, {.v6 = {0, {4, twoAddress}, 0}}};

/* Both sets' tables, linked from their own .c files. */
const ZurTables *const zurPrefixedTables[2] = {&ZUR_ZurNames_tables, &two_ZurNames_tables};
const int zurPrefixedPdus[2] = {ZUR_Addr_PDU, two_Addr_PDU};
