// The decode limits in force for an Env (zurcoreSetLimits), defaults filled in.
#ifndef ZURCORE_CODEC_LIMITS_H
#define ZURCORE_CODEC_LIMITS_H

#include "zurbase/zurcore.h"

namespace zurcore {

ZurcoreLimits limitsOf(Env *env);

// What a report adds when a value nests deeper than maxDepth, decoding or
// encoding (row 80, with the level reached as its argument).
inline constexpr const char *kDepthLimitDetail = "nesting deeper than the limit";

}  // namespace zurcore

#endif
