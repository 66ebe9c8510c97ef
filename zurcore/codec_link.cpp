// Linking the codec of the selected rules: the stand-in copies the codec
// registered for those rules into the Env.
#include "core_env.h"

using zurcore::core;

extern "C" ZURCORE_EXPORT int zurcoreLinkBer(Env *env) {
  zurcore::CoreEnv *c = core(env);
  if (!c->haveBer) {
    env->codecA = nullptr;
    return 0;
  }
  c->linkedBer = c->berCodec;
  env->codecA = &c->linkedBer;
  return 1;
}

extern "C" ZURCORE_EXPORT int zurcoreLinkPer(Env *env) {
  zurcore::CoreEnv *c = core(env);
  if (!c->havePer) {
    env->codecB = nullptr;
    return 0;
  }
  c->linkedPer = c->perCodec;
  env->codecB = &c->linkedPer;
  return 1;
}
