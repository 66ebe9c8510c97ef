// Table-constrained open types: the object of the constraining set whose id
// equals the component the constraint refers to ({@.id}, {@..algorithm}),
// found from the constructed values that enclose the open type.
#ifndef ZURCORE_CODEC_OPEN_TYPE_H
#define ZURCORE_CODEC_OPEN_TYPE_H

#include "tables.h"

namespace zurcore {

// One constructed value (SEQUENCE, SET, CHOICE, SEQUENCE OF, SET OF) being
// decoded or encoded, innermost first; codecs keep these on their own stack
// frames, so the chain costs no allocation.
struct ValueFrame {
  const ValueFrame *outer;
  const unsigned char *value;  // the value itself (already through its address)
  uint32_t type;
};

// The object that selects the open type of `openType` (a ZB_OPEN_TYPE with
// an object set), seen from `innermost`, the constructed value around it;
// null when the referenced component is absent or no object has its value.
const ZurObject *selectObject(const Schema &s, uint32_t openType, const ValueFrame *innermost);

}  // namespace zurcore

#endif
