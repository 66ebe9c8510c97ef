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

/* Entry-point types. Status results are 0 or the code of an error-table
   row; docs/api.md lists every slot with its status codes. */

/* Slot 0: stores Env.encRules, clears Env.workArea, links the rules' codec;
   0, or 6 for a null Env. */
typedef int (*ApiSetEncodingRulesFn)(Env *env, int32_t rules);
/* Slots 1, 7, 10, 12: the setting, or -1 for a null Env. */
typedef int (*ApiGetterFn)(Env *env);
/* Slots 6, 8, 9, 11: 0, or 6 for a null Env. */
typedef int (*ApiSetterFn)(Env *env, uint32_t value);
/* Slots 2 and 4: the codec's status; 22 for unknown rules, 23 for a codec
   that is not linked (slot 4 also 6 for a null Env). */
typedef int (*ApiEncodeDirectFn)(Env *env, int32_t pduNum, void *value, void **outPtr,
                                 int32_t *outLen, const CtlTbl *ctl, uint32_t flags,
                                 char *msgBuf);
/* Slots 3 and 5: as slots 2 and 4, for decoding. */
typedef int (*ApiDecodeDirectFn)(Env *env, int32_t *pduArg, void **inPtr, int32_t *inLen,
                                 void **outRef, uint32_t *outLen, const CtlTbl *ctl,
                                 uint32_t flags, char *msgBuf);
/* Slot 13: Env.msgBuf, null for a null Env. */
typedef char *(*ApiGetErrorMsgFn)(Env *env);
/* Slot 14: prints octets in hexadecimal, 32 to a line; no result. */
typedef void (*ApiPrintHexFn)(Env *env, const void *data, int32_t length);
/* Slot 15: the encoder's status; 6 for a null Env, value or buffer. */
typedef int (*ApiEncodeFn)(Env *env, int32_t pduNum, void *value, EncBuf *out);
/* Slot 16: the decoder's status; 6 for a null Env, buffer, input or output
   reference, or a caller's area with Env.decodeBufLen 0. */
typedef int (*ApiDecodeFn)(Env *env, int32_t *pduArg, EncBuf *in, void **outRef);
/* Slot 17: 0 after a complete print; 6 for bad arguments, 14 after a memory
   fault, 19 when "globlist" failed, or the code of a service's exit row. */
typedef int (*ApiPrintPduFn)(Env *env, int32_t pduNum, void *value);
/* Slots 18, 19, 30, 31: the service's own result. */
typedef int (*ApiService16Fn)(Env *env, ApiWord a, ApiWord b);
typedef int (*ApiService31Fn)(Env *env, ApiWord w);
/* Slot 20: the trace window's print sink, installed as the print hook: the
   bytes written to the store (negative when writing the store failed, -1
   for a failed allocation), or what fprintf to Env.traceStream returned
   (the stream is flushed after it; a failed flush shows in its error flag
   only); 0 for nothing to do. */
typedef PrintHookFn ApiTracePrintFn;
/* Slot 21: bytes read for the line, negative when the read failed. */
typedef int (*ApiReadTraceLineFn)(Env *env, void *ownerWnd, FILE *stream, char *buffer,
                                  LineBlock *firstBlock, int32_t line);
/* Slot 22: empties the trace store; no result. */
typedef void (*ApiResetTraceFn)(Env *env);
/* Slot 23: copies the trace store to fileName, reporting in message boxes;
   no result. */
typedef void (*ApiSaveTraceFn)(Env *env, void *ownerWnd, const char *fileName);
/* Slot 24: prints one trace event; no result. */
typedef void (*ApiTraceEncodingFn)(Env *env, const TraceRec *rec, ApiWord unused);
/* Slot 25: 0; 24 when a window or store exists or the window cannot be
   made; 27 when no temporary file can be opened. */
typedef int (*ApiOpenTraceWindowFn)(Env *env);
/* Slot 26: Env.workArea.workValue. */
typedef ApiWord (*ApiGetWorkValueFn)(Env *env);
/* Slots 27 to 29: the service's handle, locator, or storage kind (0 none,
   1 temporary file, 2 socket). */
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
