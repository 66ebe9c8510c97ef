// The decode limits in force for an Env (zurcoreSetLimits), defaults filled in.
#ifndef ZURCORE_CODEC_LIMITS_H
#define ZURCORE_CODEC_LIMITS_H

#include "zurbase/zurcore.h"

namespace zurcore {

ZurcoreLimits limitsOf(Env *env);

}  // namespace zurcore

#endif
