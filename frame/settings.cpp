// Getters and setters of the settings that steer encoding and decoding.
#include "library/entry_points.h"
#include "zurbase/status.h"

namespace zur {
namespace {

int get(Env *env, auto field) { return env != nullptr ? static_cast<int>(env->*field) : -1; }

int set(Env *env, auto field, uint32_t value) {
  if (env == nullptr) return ZURBASE_STATUS_BAD_ARGUMENT;
  env->*field = value;
  return ZURBASE_STATUS_OK;
}

}  // namespace

int apiGetEncodingRules(Env *env) { return get(env, &Env::encRules); }
int apiGetDecodeBufLen(Env *env) { return get(env, &Env::decodeBufLen); }
int apiGetEncodingFlags(Env *env) { return get(env, &Env::encFlags); }
int apiGetDecodingFlags(Env *env) { return get(env, &Env::decFlags); }

int apiSetDecodeBufLen(Env *env, uint32_t length) { return set(env, &Env::decodeBufLen, length); }
int apiSetEncodingFlags(Env *env, uint32_t flags) { return set(env, &Env::encFlags, flags); }
int apiSetDecodingFlags(Env *env, uint32_t flags) { return set(env, &Env::decFlags, flags); }

int apiSetFlags(Env *env, uint32_t flags) {
  if (env == nullptr) return ZURBASE_STATUS_BAD_ARGUMENT;
  env->encFlags = flags;
  env->decFlags = flags;
  return 0;
}

}  // namespace zur
