// The stand-in's services. Values live in the process's own memory, so the
// mapping services hand back the address they are given.
#include <span>

#include "core_env.h"

namespace zurcore {
namespace {

void *mapValue(Env *, void *value, uint32_t) { return value; }
void *remapValue(Env *, void *, void *toRef, uint32_t) { return toRef; }
void unmapValue(Env *, void *) {}

int record(Env *env, int32_t op, ApiWord a, ApiWord b, const CtlTbl *ctl) {
  ZurcoreServiceCall &call = core(env)->lastCall;
  call.op = op;
  call.a = a;
  call.b = b;
  call.ctl = ctl;
  return ++call.callCount;
}

// Operation 16 answers a + b; 31 answers twice its word; 35 the number of
// forwarded calls so far; 37 the complement of its word.
int service16(Env *env, ApiWord a, ApiWord b, const CtlTbl *ctl) {
  record(env, SVC_SERVICE16, a, b, ctl);
  return static_cast<int>(a + b);
}
int service31(Env *env, ApiWord w) {
  record(env, SVC_SERVICE31, w, 0, nullptr);
  return static_cast<int>(w * 2);
}
int service35(Env *env) { return record(env, SVC_SERVICE35, 0, 0, nullptr); }
int service37(Env *env, ApiWord w) {
  record(env, SVC_SERVICE37, w, 0, nullptr);
  return static_cast<int>(~w);
}

DeferredEntry *findEntry(Env *env, ApiWord handle) {
  DeferredEntry *table = core(env)->deferred;
  for (DeferredEntry &e : std::span<DeferredEntry>(table, kDeferredEntries))
    if (reinterpret_cast<ApiWord>(&e) == handle && e.kind != 0) return &e;
  return nullptr;
}

// The same kind and locator always give the same handle; 0 when the table
// is full or the kind is not a deferred one.
ApiWord makeDeferredHandle(Env *env, int32_t kind, ApiWord locator) {
  if (kind != ZURCORE_DEFER_TMP_FILE && kind != ZURCORE_DEFER_SOCKET) return 0;
  DeferredEntry *freeEntry = nullptr;
  for (DeferredEntry &e : core(env)->deferred) {
    if (e.kind == kind && e.locator == locator) return reinterpret_cast<ApiWord>(&e);
    if (e.kind == 0 && freeEntry == nullptr) freeEntry = &e;
  }
  if (freeEntry == nullptr) return 0;
  freeEntry->kind = kind;
  freeEntry->locator = locator;
  return reinterpret_cast<ApiWord>(freeEntry);
}

ApiWord getDeferredLocator(Env *env, ApiWord handle) {
  DeferredEntry *e = findEntry(env, handle);
  return e != nullptr ? e->locator : 0;
}

int deferredKind(Env *env, void *data) {
  DeferredEntry *e = findEntry(env, reinterpret_cast<ApiWord>(data));
  return e != nullptr ? e->kind : ZURCORE_DEFER_MEMORY;
}

}  // namespace

void initServices(SvcTbl &s) {
  s.service16 = service16;
  s.mapValue = mapValue;
  s.remapValue = remapValue;
  // Marks remapValue as printing nothing: the printer then keeps its
  // standard-output text buffered across the call.
  s.op17 = reinterpret_cast<ApiWord>(remapValue);
  s.unmapValue = unmapValue;
  s.service31 = service31;
  s.makeDeferredHandle = makeDeferredHandle;
  s.getDeferredLocator = getDeferredLocator;
  s.deferredKind = deferredKind;
  s.service35 = service35;
  s.service37 = service37;
}

}  // namespace zurcore
