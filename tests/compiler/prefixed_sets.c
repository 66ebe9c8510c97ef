/* ZurNames.asn1 compiled with -p ZUR and -p two in one C translation unit,
   which the same names in both would break: both sets' tables, included as
   a unity build puts sources together, and a value of each set, made with
   its own type and macros, for prefixed_sets_test.cpp to print. */
#include "ZUR_ZurNames.c"
#include "two_ZurNames.c"

static uint8_t zurAddress[] = {127, 0, 0, 1}, twoAddress[] = {10, 0, 0, 2};
ZUR_Addr zurPrefixedAddr = {ZUR_Addr_v4_CHOSEN, {.v4 = {ZUR_V4_port_PRESENT, {4, zurAddress}, 80}}};
two_Addr twoPrefixedAddr = {two_Addr_v6_CHOSEN, {.v6 = {0, {4, twoAddress}, 0}}};
