// The 32 entry points of apiTbl. Each is defined in the subsystem it belongs
// to; the entry table (entry_table.cpp), above the subsystems, binds them into
// apiTbl, the library's only export.
#ifndef ZURBASE_LIBRARY_ENTRY_POINTS_H
#define ZURBASE_LIBRARY_ENTRY_POINTS_H

#include "zurbase/api.h"

namespace zur {

int apiSetEncodingRules(Env *env, int32_t rules);
int apiGetEncodingRules(Env *env);
int apiEncodeDirect(Env *env, int32_t pduNum, void *value, void **outPtr, int32_t *outLen,
                    const CtlTbl *ctl, uint32_t flags, char *msgBuf);
int apiDecodeDirect(Env *env, int32_t *pduArg, void **inPtr, int32_t *inLen, void **outRef,
                    uint32_t *outLen, const CtlTbl *ctl, uint32_t flags, char *msgBuf);
int apiEncodeWithMsg(Env *env, int32_t pduNum, void *value, void **outPtr, int32_t *outLen,
                     const CtlTbl *ctl, uint32_t flags, char *msgBuf);
int apiDecodeWithMsg(Env *env, int32_t *pduArg, void **inPtr, int32_t *inLen, void **outRef,
                     uint32_t *outLen, const CtlTbl *ctl, uint32_t flags, char *msgBuf);
int apiSetDecodeBufLen(Env *env, uint32_t length);
int apiGetDecodeBufLen(Env *env);
int apiSetEncodingFlags(Env *env, uint32_t flags);
int apiSetFlags(Env *env, uint32_t flags);
int apiGetEncodingFlags(Env *env);
int apiSetDecodingFlags(Env *env, uint32_t flags);
int apiGetDecodingFlags(Env *env);
char *apiGetErrorMsg(Env *env);
void apiPrintHex(Env *env, const void *data, int32_t length);
int apiEncode(Env *env, int32_t pduNum, void *value, EncBuf *out);
int apiDecode(Env *env, int32_t *pduArg, EncBuf *in, void **outRef);
int apiPrintPdu(Env *env, int32_t pduNum, void *value);
int apiService16(Env *env, ApiWord a, ApiWord b);
int apiService31(Env *env, ApiWord w);
int apiTracePrint(Env *env, const char *format, ApiWord w0, ApiWord w1, ApiWord w2, ApiWord w3,
                  ApiWord w4, ApiWord w5, ApiWord w6, ApiWord w7, ApiWord w8, ApiWord w9);
int apiReadTraceLine(Env *env, void *ownerWnd, FILE *stream, char *buffer, LineBlock *firstBlock,
                     int32_t line);
void apiResetTrace(Env *env);
void apiSaveTrace(Env *env, void *ownerWnd, const char *fileName);
void apiTraceEncoding(Env *env, const TraceRec *rec, ApiWord unused);
int apiOpenTraceWindow(Env *env);
ApiWord apiGetWorkValue(Env *env);
ApiWord apiMakeDeferredHandle(Env *env, int32_t kind, ApiWord locator);
ApiWord apiGetDeferredLocator(Env *env, ApiWord handle);
int apiDeferredKind(Env *env, void *data);
int apiService35(Env *env);
int apiService37(Env *env, ApiWord w);

// Fills apiTbl on process and thread attach; answers 1 for every reason.
int zurbaseStart(int reason);

}  // namespace zur

#endif
