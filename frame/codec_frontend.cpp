// Encode and decode with the settings held in Env.
#include "frame/error_table.h"
#include "library/entry_points.h"
#include "zurbase/status.h"

namespace zur {

int apiEncode(Env *env, int32_t pduNum, void *value, EncBuf *out) {
  if (env == nullptr) return ZURBASE_STATUS_BAD_ARGUMENT;
  if (value == nullptr || out == nullptr)
    return apiReportError(env, env->msgBuf, ROW_NULL_ARGUMENT, 'E', nullptr);
  uint32_t flags = env->encFlags & ZURBASE_ENC_FLAG_MASK;
  if (out->value != nullptr) flags |= ZURBASE_FLAG_CALLER_AREA;
  return apiEncodeDirect(env, pduNum, value, &out->value, &out->length, env->ctlTbl, flags,
                         env->msgBuf);
}

int apiDecode(Env *env, int32_t *pduArg, EncBuf *in, void **outRef) {
  if (env == nullptr) return ZURBASE_STATUS_BAD_ARGUMENT;
  if (in == nullptr || outRef == nullptr || in->value == nullptr)
    return apiReportError(env, env->msgBuf, ROW_NULL_ARGUMENT, 'D', nullptr);
  uint32_t flags = env->decFlags & ZURBASE_DEC_FLAG_MASK;
  if (*outRef != nullptr) {
    flags |= ZURBASE_FLAG_CALLER_AREA;
    if (env->decodeBufLen == 0)
      return apiReportError(env, env->msgBuf, ROW_NULL_ARGUMENT, 'D', nullptr);
  }
  return apiDecodeDirect(env, pduArg, &in->value, &in->length, outRef, &env->decodeBufLen,
                         env->ctlTbl, flags, env->msgBuf);
}

}  // namespace zur
