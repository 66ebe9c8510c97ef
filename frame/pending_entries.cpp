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
int apiGetEncodingRules(Env *env) { return reportNotImplemented(env, "apiGetEncodingRules"); }
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
int apiSetDecodeBufLen(Env *env, uint32_t) { return reportNotImplemented(env, "apiSetDecodeBufLen"); }
int apiGetDecodeBufLen(Env *env) { return reportNotImplemented(env, "apiGetDecodeBufLen"); }
int apiSetEncodingFlags(Env *env, uint32_t) { return reportNotImplemented(env, "apiSetEncodingFlags"); }
int apiSetFlags(Env *env, uint32_t) { return reportNotImplemented(env, "apiSetFlags"); }
int apiGetEncodingFlags(Env *env) { return reportNotImplemented(env, "apiGetEncodingFlags"); }
int apiSetDecodingFlags(Env *env, uint32_t) { return reportNotImplemented(env, "apiSetDecodingFlags"); }
int apiGetDecodingFlags(Env *env) { return reportNotImplemented(env, "apiGetDecodingFlags"); }
char *apiGetErrorMsg(Env *env) {
  reportNotImplemented(env, "apiGetErrorMsg");
  return nullptr;
}
int apiEncode(Env *env, int32_t, void *, EncBuf *) { return reportNotImplemented(env, "apiEncode"); }
int apiDecode(Env *env, int32_t *, EncBuf *, void **) { return reportNotImplemented(env, "apiDecode"); }
int apiService16(Env *env, ApiWord, ApiWord) { return reportNotImplemented(env, "apiService16"); }
int apiService31(Env *env, ApiWord) { return reportNotImplemented(env, "apiService31"); }
ApiWord apiGetWorkValue(Env *env) {
  reportNotImplemented(env, "apiGetWorkValue");
  return 0;
}
ApiWord apiMakeDeferredHandle(Env *env, int32_t, ApiWord) {
  reportNotImplemented(env, "apiMakeDeferredHandle");
  return 0;
}
ApiWord apiGetDeferredLocator(Env *env, ApiWord) {
  reportNotImplemented(env, "apiGetDeferredLocator");
  return 0;
}
int apiDeferredKind(Env *env, void *) { return reportNotImplemented(env, "apiDeferredKind"); }
int apiService35(Env *env) { return reportNotImplemented(env, "apiService35"); }
int apiService37(Env *env, ApiWord) { return reportNotImplemented(env, "apiService37"); }

int apiPrintPdu(Env *env, int32_t, void *) { return reportNotImplemented(env, "apiPrintPdu"); }

void apiTraceEncoding(Env *env, const TraceRec *, ApiWord) {
  reportNotImplemented(env, "apiTraceEncoding");
}

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
