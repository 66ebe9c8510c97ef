// zurcore's PER codec, which zurcoreLinkPer installs in Env.codecB. It
// follows Env.encRules: RULES_PER (1) is UNALIGNED PER, RULES_PER_ALIGNED
// (2) ALIGNED PER, both BASIC-PER.
#ifndef ZURCORE_PER_PER_CODEC_H
#define ZURCORE_PER_PER_CODEC_H

#include "zurbase/env.h"

namespace zurcore {

const CodecEntry &perCodecEntry();

}  // namespace zurcore

#endif
