/* zurbase: the exported entry table apiTbl, its slot numbers and the type of
   each entry point. */
#ifndef ZURBASE_API_H
#define ZURBASE_API_H

#include <stdio.h>

#include "zurbase/ctltbl.h"
#include "zurbase/env.h"
#include "zurbase/trace.h"

#ifdef __cplusplus
extern "C" {
#endif

enum ApiSlot {
  SLOT_SET_ENCODING_RULES = 0,
  SLOT_GET_ENCODING_RULES = 1,
  SLOT_ENCODE_DIRECT = 2,
  SLOT_DECODE_DIRECT = 3,
  SLOT_ENCODE_WITH_MSG = 4,
  SLOT_DECODE_WITH_MSG = 5,
  SLOT_SET_DECODE_BUF_LEN = 6,
  SLOT_GET_DECODE_BUF_LEN = 7,
  SLOT_SET_ENCODING_FLAGS = 8,
  SLOT_SET_FLAGS = 9,
  SLOT_GET_ENCODING_FLAGS = 10,
  SLOT_SET_DECODING_FLAGS = 11,
  SLOT_GET_DECODING_FLAGS = 12,
  SLOT_GET_ERROR_MSG = 13,
  SLOT_PRINT_HEX = 14,
  SLOT_ENCODE = 15,
  SLOT_DECODE = 16,
  SLOT_PRINT_PDU = 17,
  SLOT_SERVICE16 = 18,
  SLOT_SERVICE31 = 19,
  SLOT_TRACE_PRINT = 20,
  SLOT_READ_TRACE_LINE = 21,
  SLOT_RESET_TRACE = 22,
  SLOT_SAVE_TRACE = 23,
  SLOT_TRACE_ENCODING = 24,
  SLOT_OPEN_TRACE_WINDOW = 25,
  SLOT_GET_WORK_VALUE = 26,
  SLOT_MAKE_DEFERRED_HANDLE = 27,
  SLOT_GET_DEFERRED_LOCATOR = 28,
  SLOT_DEFERRED_KIND = 29,
  SLOT_SERVICE35 = 30,
  SLOT_SERVICE37 = 31,
  API_SLOT_COUNT = 32
};

/* apiTbl holds API_SLOT_COUNT entry addresses followed by a zero word. */
#define API_TBL_WORDS (API_SLOT_COUNT + 1)

typedef int (*ApiSetEncodingRulesFn)(Env *env, int32_t rules);
typedef int (*ApiGetterFn)(Env *env);
typedef int (*ApiSetterFn)(Env *env, uint32_t value);
typedef int (*ApiEncodeDirectFn)(Env *env, int32_t pduNum, void *value, void **outPtr,
                                 int32_t *outLen, const CtlTbl *ctl, uint32_t flags,
                                 char *msgBuf);
typedef int (*ApiDecodeDirectFn)(Env *env, int32_t *pduArg, void **inPtr, int32_t *inLen,
                                 void **outRef, uint32_t *outLen, const CtlTbl *ctl,
                                 uint32_t flags, char *msgBuf);
typedef char *(*ApiGetErrorMsgFn)(Env *env);
typedef void (*ApiPrintHexFn)(Env *env, const void *data, int32_t length);
typedef int (*ApiEncodeFn)(Env *env, int32_t pduNum, void *value, EncBuf *out);
typedef int (*ApiDecodeFn)(Env *env, int32_t *pduArg, EncBuf *in, void **outRef);
typedef int (*ApiPrintPduFn)(Env *env, int32_t pduNum, void *value);
typedef int (*ApiService16Fn)(Env *env, ApiWord a, ApiWord b);
typedef int (*ApiService31Fn)(Env *env, ApiWord w);
typedef PrintHookFn ApiTracePrintFn;
typedef int (*ApiReadTraceLineFn)(Env *env, void *ownerWnd, FILE *stream, char *buffer,
                                  LineBlock *firstBlock, int32_t line);
typedef void (*ApiResetTraceFn)(Env *env);
typedef void (*ApiSaveTraceFn)(Env *env, void *ownerWnd, const char *fileName);
typedef void (*ApiTraceEncodingFn)(Env *env, const TraceRec *rec, ApiWord unused);
typedef int (*ApiOpenTraceWindowFn)(Env *env);
typedef ApiWord (*ApiGetWorkValueFn)(Env *env);
typedef ApiWord (*ApiMakeDeferredHandleFn)(Env *env, int32_t kind, ApiWord locator);
typedef ApiWord (*ApiGetDeferredLocatorFn)(Env *env, ApiWord handle);
typedef int (*ApiDeferredKindFn)(Env *env, void *data);
typedef int (*ApiService35Fn)(Env *env);
typedef int (*ApiService37Fn)(Env *env, ApiWord w);

#if defined(_WIN32) && !defined(ZURBASE_STATIC)
#ifdef ZURBASE_BUILDING
#define ZURBASE_EXPORT __declspec(dllexport)
#else
#define ZURBASE_EXPORT __declspec(dllimport)
#endif
#elif defined(__GNUC__)
#define ZURBASE_EXPORT __attribute__((visibility("default")))
#else
#define ZURBASE_EXPORT
#endif

/* The library's only export. */
ZURBASE_EXPORT extern ApiWord apiTbl[API_TBL_WORDS];

/* Module start reasons, as the system's attach notification gives them. */
enum StartReason {
  START_PROCESS_DETACH = 0,
  START_PROCESS_ATTACH = 1,
  START_THREAD_ATTACH = 2,
  START_THREAD_DETACH = 3
};

#ifdef __cplusplus
}
#endif

#endif
