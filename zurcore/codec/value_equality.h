// Deep equality of two values of one type in the layouts of compiled
// modules: what DER and PER need to leave out a DEFAULT value, and what
// open-type selection compares object ids with.
#ifndef ZURCORE_CODEC_VALUE_EQUALITY_H
#define ZURCORE_CODEC_VALUE_EQUALITY_H

#include "tables.h"

namespace zurcore {

// True when the values at a and b (as their parent holds them: for a type
// held through an address, the address) are the same abstract value.
bool valuesEqual(const Schema &schema, uint32_t type, const void *a, const void *b);

}  // namespace zurcore

#endif
