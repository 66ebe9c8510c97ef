#include "frame/pending_entries.h"

#include <cstdio>

#include "frame/entry_points.h"

namespace zur {

int reportNotImplemented(Env *env, const char *name) {
  if (env != nullptr)
    std::snprintf(env->msgBuf, sizeof env->msgBuf, "E%s: not implemented yet.\n", name);
  std::fprintf(stderr, "zurbase: %s is not implemented yet\n", name);
  return -1;
}

int apiSetEncodingRules(Env *env, int32_t) { return reportNotImplemented(env, "apiSetEncodingRules"); }
int apiEncodeDirect(Env *env, int32_t, void *, void **, int32_t *, const CtlTbl *, uint32_t, char *) {
  return reportNotImplemented(env, "apiEncodeDirect");
}
int apiDecodeDirect(Env *env, int32_t *, void **, int32_t *, void **, uint32_t *, const CtlTbl *,
                    uint32_t, char *) {
  return reportNotImplemented(env, "apiDecodeDirect");
}
int apiEncodeWithMsg(Env *env, int32_t, void *, void **, int32_t *, const CtlTbl *, uint32_t, char *) {
  return reportNotImplemented(env, "apiEncodeWithMsg");
}
int apiDecodeWithMsg(Env *env, int32_t *, void **, int32_t *, void **, uint32_t *, const CtlTbl *,
                     uint32_t, char *) {
  return reportNotImplemented(env, "apiDecodeWithMsg");
}
char *apiGetErrorMsg(Env *env) {
  reportNotImplemented(env, "apiGetErrorMsg");
  return nullptr;
}
int apiEncode(Env *env, int32_t, void *, EncBuf *) { return reportNotImplemented(env, "apiEncode"); }
int apiDecode(Env *env, int32_t *, EncBuf *, void **) { return reportNotImplemented(env, "apiDecode"); }

int apiPrintPdu(Env *env, int32_t, void *) { return reportNotImplemented(env, "apiPrintPdu"); }

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
