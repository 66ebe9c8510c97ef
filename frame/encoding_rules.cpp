// Selecting the encoding rules: clears the work area and asks the sibling
// run-time to link the codec of those rules.
#include <cstring>

#include "frame/sibling.h"
#include "library/entry_points.h"
#include "zurbase/ctltbl.h"
#include "zurbase/status.h"

namespace zur {

// Without a control table the flags read as 0, so the codec is linked.
int apiSetEncodingRules(Env *env, int32_t rules) {
  if (env == nullptr) return ZURBASE_STATUS_BAD_ARGUMENT;
  std::memset(&env->workArea, 0, sizeof env->workArea);
  const uint16_t ctlFlags = env->ctlTbl != nullptr ? env->ctlTbl->flags : 0;
  switch (rules) {
    case RULES_BER:
    case RULES_DER:
      if ((ctlFlags & CTL_NO_LINK_BER) == 0) zurcoreLinkBer(env);
      break;
    case RULES_PER:
    case RULES_PER_ALIGNED:
      if ((ctlFlags & CTL_NO_LINK_PER) == 0) zurcoreLinkPer(env);
      break;
    default:
      break;
  }
  env->encRules = rules;
  return ZURBASE_STATUS_OK;
}

}  // namespace zur
