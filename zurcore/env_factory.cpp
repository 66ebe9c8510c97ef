#include <cstdlib>
#include <cstring>
#include <new>

#include "core_env.h"
#include "per/per_codec.h"

namespace zurcore {
namespace {

void *memAlloc(uint32_t size) { return std::malloc(size == 0 ? 1 : size); }
void memFree(void *block) { std::free(block); }

}  // namespace
}  // namespace zurcore

using zurcore::core;
using zurcore::CoreEnv;

extern "C" ZURCORE_EXPORT Env *zurcoreCreateEnv(const ApiWord *apiTbl) {
  auto *c = static_cast<CoreEnv *>(std::calloc(1, sizeof(CoreEnv)));
  if (c == nullptr) return nullptr;
  c->apiTbl = apiTbl;
  c->env.memAlloc = zurcore::memAlloc;
  c->env.memFree = zurcore::memFree;
  zurcore::initServices(c->services);
  c->env.services = &c->services;
  c->berCodec = zurcore::berCodec();
  c->haveBer = true;
  c->perCodec = zurcore::perCodecEntry();
  c->havePer = true;
  return &c->env;
}

// Every call below does nothing (or gives null) for a null Env or output,
// as free() does: an application's slip must not take it down.
extern "C" ZURCORE_EXPORT void zurcoreDestroyEnv(Env *env) {
  if (env == nullptr) return;
  zurcore::releaseScratch(env, core(env)->scratch);
  std::free(core(env));
}

extern "C" ZURCORE_EXPORT const ApiWord *zurcoreApiTbl(Env *env) {
  return env != nullptr ? core(env)->apiTbl : nullptr;
}

extern "C" ZURCORE_EXPORT void zurcoreSetCodecs(Env *env, const CodecEntry *ber, const CodecEntry *per) {
  if (env == nullptr) return;
  CoreEnv *c = core(env);
  c->haveBer = ber != nullptr;
  c->berCodec = ber != nullptr ? *ber : CodecEntry{};
  c->havePer = per != nullptr;
  c->perCodec = per != nullptr ? *per : CodecEntry{};
}

extern "C" ZURCORE_EXPORT void zurcoreSetPrintHook(Env *env, PrintHookFn hook) {
  if (env == nullptr) return;
  CoreEnv *c = core(env);
  c->hooks.print = hook;
  env->hooks = hook != nullptr ? &c->hooks : nullptr;
}

extern "C" ZURCORE_EXPORT void zurcoreLastServiceCall(Env *env, ZurcoreServiceCall *out) {
  if (env == nullptr || out == nullptr) return;
  *out = core(env)->lastCall;
}
