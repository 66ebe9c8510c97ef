// Dispatch of encode and decode calls to the codec of the rules in force,
// and the wrappers that default the message buffer to Env.msgBuf.
#include <cstring>

#include "frame/error_table.h"
#include "library/entry_points.h"
#include "zurbase/status.h"

namespace zur {
namespace {

struct RulesCodec {
  CodecEntry *codec;
  const char *name;
  bool known;
};

// Reads the rules through the getter, so a null Env reads as -1 (unknown).
RulesCodec codecForRules(Env *env) {
  switch (apiGetEncodingRules(env)) {
    case RULES_BER:
      return {env->codecA, "BER", true};
    case RULES_PER:
    case RULES_PER_ALIGNED:
      return {env->codecB, "PER", true};
    case RULES_DER:
      return {env->codecA, "DER", true};
    default:
      return {nullptr, nullptr, false};
  }
}

// Copies a caller's own buffer into Env.msgBuf after the call.
void copyBack(Env *env, const char *callerBuf) {
  if (callerBuf == nullptr || callerBuf == env->msgBuf) return;
  std::size_t n = strnlen(callerBuf, sizeof env->msgBuf - 1);
  std::memcpy(env->msgBuf, callerBuf, n);
  env->msgBuf[n] = '\0';
}

}  // namespace

int apiEncodeDirect(Env *env, int32_t pduNum, void *value, void **outPtr, int32_t *outLen,
                    const CtlTbl *ctl, uint32_t flags, char *msgBuf) {
  RulesCodec rc = codecForRules(env);
  if (!rc.known) return apiReportError(env, msgBuf, ROW_UNKNOWN_RULES, 'E', nullptr);
  if (rc.codec == nullptr || rc.codec->encode == nullptr)
    return apiReportError(env, msgBuf, ROW_RULES_NOT_LINKED, 'E', rc.name);
  return rc.codec->encode(env, pduNum, value, outPtr, outLen, ctl, flags, msgBuf);
}

int apiDecodeDirect(Env *env, int32_t *pduArg, void **inPtr, int32_t *inLen, void **outRef,
                    uint32_t *outLen, const CtlTbl *ctl, uint32_t flags, char *msgBuf) {
  RulesCodec rc = codecForRules(env);
  if (!rc.known) return apiReportError(env, msgBuf, ROW_UNKNOWN_RULES, 'D', nullptr);
  if (rc.codec == nullptr || rc.codec->decode == nullptr)
    return apiReportError(env, msgBuf, ROW_RULES_NOT_LINKED, 'D', rc.name);
  return rc.codec->decode(env, pduArg, inPtr, inLen, outRef, outLen, ctl, flags, msgBuf);
}

int apiEncodeWithMsg(Env *env, int32_t pduNum, void *value, void **outPtr, int32_t *outLen,
                     const CtlTbl *ctl, uint32_t flags, char *msgBuf) {
  if (env == nullptr) return ZURBASE_STATUS_BAD_ARGUMENT;
  int r = apiEncodeDirect(env, pduNum, value, outPtr, outLen, ctl, flags,
                          msgBuf != nullptr ? msgBuf : env->msgBuf);
  copyBack(env, msgBuf);
  return r;
}

int apiDecodeWithMsg(Env *env, int32_t *pduArg, void **inPtr, int32_t *inLen, void **outRef,
                     uint32_t *outLen, const CtlTbl *ctl, uint32_t flags, char *msgBuf) {
  if (env == nullptr) return ZURBASE_STATUS_BAD_ARGUMENT;
  int r = apiDecodeDirect(env, pduArg, inPtr, inLen, outRef, outLen, ctl, flags,
                          msgBuf != nullptr ? msgBuf : env->msgBuf);
  copyBack(env, msgBuf);
  return r;
}

}  // namespace zur
