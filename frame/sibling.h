// What this library imports from the sibling run-time (zurcore): declared in
// the stand-in's public header, since a replacement sibling provides it too.
#ifndef ZURBASE_FRAME_SIBLING_H
#define ZURBASE_FRAME_SIBLING_H

#include "zurbase/zurcore.h"

namespace zur {

// A sibling marks its remapValue as one that prints nothing and reads no
// memory by repeating its address in the word of operation 17, which no one
// calls. The library then need not hand buffered standard-output text on
// before each call: nothing the callee does can come out of order. A table
// whose remapValue an application replaced, in place or in a copy, no longer
// matches its mark.
inline bool remapIsQuiet(const SvcTbl *services) {
  return services->op17 == reinterpret_cast<ApiWord>(services->remapValue);
}

}  // namespace zur

#endif
