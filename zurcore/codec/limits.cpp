// The Env's decode limits, kept in zurcore's part of the Env.
#include "limits.h"

#include "arena.h"
#include "report.h"
#include "rows.h"
#include "zurbase/status.h"
#include "zurcore/core_env.h"

namespace zurcore {

ZurcoreLimits limitsOf(Env *env) {
  ZurcoreLimits l = core(env)->limits;
  if (l.maxDepth == 0) l.maxDepth = ZURCORE_DEFAULT_MAX_DEPTH;
  if (l.maxDepth > ZURCORE_LIMIT_MAX_DEPTH) l.maxDepth = ZURCORE_LIMIT_MAX_DEPTH;
  if (l.maxAllocation == 0) l.maxAllocation = ZURCORE_DEFAULT_MAX_ALLOCATION;
  return l;
}

}  // namespace zurcore

// Null limits restore the defaults; a null Env or output does nothing.
extern "C" ZURCORE_EXPORT void zurcoreSetLimits(Env *env, const ZurcoreLimits *limits) {
  if (env != nullptr) zurcore::core(env)->limits = limits != nullptr ? *limits : ZurcoreLimits{};
}

extern "C" ZURCORE_EXPORT void zurcoreGetLimits(Env *env, ZurcoreLimits *limits) {
  if (env != nullptr && limits != nullptr) *limits = zurcore::limitsOf(env);
}

extern "C" ZURCORE_EXPORT int zurcoreFreeValue(Env *env, void *value) {
  if (env == nullptr) return value != nullptr ? ZURBASE_STATUS_BAD_ARGUMENT : 0;
  if (zurcore::freeArenaValue(env, value) == 0) return 0;
  const auto address = static_cast<int64_t>(reinterpret_cast<uintptr_t>(value));
  return zurcore::report(env, env->msgBuf, env->decFlags, 'D', zurcore::ROW_UNKNOWN_MEMORY,
                         zurcore::ReportArg::of(address), nullptr, zurcore::ReportPlace{});
}
