// Entry points that only pass their arguments on to the run-time's services.
// A null Env or services table cannot be forwarded: status results answer the
// bad-argument status, handles and locators 0.
#include "library/entry_points.h"
#include "frame/print.h"
#include "zurbase/status.h"

namespace zur {
namespace {

// Standard-output text printed so far goes ahead of whatever the service
// writes itself.
SvcTbl *servicesOf(Env *env) {
  flushOutput();
  return env != nullptr ? env->services : nullptr;
}

}  // namespace

int apiService16(Env *env, ApiWord a, ApiWord b) {
  SvcTbl *s = servicesOf(env);
  return s != nullptr ? s->service16(env, a, b, env->ctlTbl) : ZURBASE_STATUS_BAD_ARGUMENT;
}

int apiService31(Env *env, ApiWord w) {
  SvcTbl *s = servicesOf(env);
  return s != nullptr ? s->service31(env, w) : ZURBASE_STATUS_BAD_ARGUMENT;
}

ApiWord apiMakeDeferredHandle(Env *env, int32_t kind, ApiWord locator) {
  SvcTbl *s = servicesOf(env);
  return s != nullptr ? s->makeDeferredHandle(env, kind, locator) : 0;
}

ApiWord apiGetDeferredLocator(Env *env, ApiWord handle) {
  SvcTbl *s = servicesOf(env);
  return s != nullptr ? s->getDeferredLocator(env, handle) : 0;
}

int apiDeferredKind(Env *env, void *data) {
  SvcTbl *s = servicesOf(env);
  return s != nullptr ? s->deferredKind(env, data) : ZURBASE_STATUS_BAD_ARGUMENT;
}

int apiService35(Env *env) {
  SvcTbl *s = servicesOf(env);
  return s != nullptr ? s->service35(env) : ZURBASE_STATUS_BAD_ARGUMENT;
}

int apiService37(Env *env, ApiWord w) {
  SvcTbl *s = servicesOf(env);
  return s != nullptr ? s->service37(env, w) : ZURBASE_STATUS_BAD_ARGUMENT;
}

ApiWord apiGetWorkValue(Env *env) { return env != nullptr ? env->workArea.workValue : 0; }

}  // namespace zur
