// The two functions of the BER/DER codec entry.
#ifndef ZURCORE_BER_BER_ENTRY_H
#define ZURCORE_BER_BER_ENTRY_H

#include "zurbase/env.h"
#include "zurbase/zurcore.h"

namespace zurcore {

int berDecode(Env *env, int32_t *pduArg, void **inPtr, int32_t *inLen, void **outRef,
              uint32_t *outLen, const CtlTbl *ctl, uint32_t flags, char *msgBuf);
int berEncode(Env *env, int32_t pdu, void *value, void **outPtr, int32_t *outLen, const CtlTbl *ctl,
              uint32_t flags, char *msgBuf);

}  // namespace zurcore

#endif
