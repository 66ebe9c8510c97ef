// Entry points whose subsystem is not built yet answer through here: the
// caller gets a message in Env.msgBuf and on standard error, never silence.
#include <cstdio>

#include "library/entry_points.h"

namespace zur {
namespace {

int reportNotImplemented(Env *env, const char *name) {
  if (env != nullptr)
    std::snprintf(env->msgBuf, sizeof env->msgBuf, "E%s: not implemented yet.\n", name);
  std::fprintf(stderr, "zurbase: %s is not implemented yet\n", name);
  return -1;
}

}  // namespace

int apiTracePrint(Env *env, const char *, ApiWord, ApiWord, ApiWord, ApiWord, ApiWord, ApiWord,
                  ApiWord, ApiWord, ApiWord, ApiWord) {
  return reportNotImplemented(env, "apiTracePrint");
}
int apiReadTraceLine(Env *env, void *, FILE *, char *, LineBlock *, int32_t) {
  return reportNotImplemented(env, "apiReadTraceLine");
}
void apiResetTrace(Env *env) { reportNotImplemented(env, "apiResetTrace"); }
void apiSaveTrace(Env *env, void *, const char *) { reportNotImplemented(env, "apiSaveTrace"); }
int apiOpenTraceWindow(Env *env) { return reportNotImplemented(env, "apiOpenTraceWindow"); }

}  // namespace zur
