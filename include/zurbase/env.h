/* zurbase: the environment record shared with the sibling run-time, and the
   codec, hook and service tables reached from it. */
#ifndef ZURBASE_ENV_H
#define ZURBASE_ENV_H

#include <stdio.h>

#include "zurbase/types.h"

#ifdef __cplusplus
extern "C" {
#endif

/* Codec entry points installed by the sibling run-time. */
typedef int (*EncodeFn)(Env *env, int32_t pduNum, void *value, void **outPtr,
                        int32_t *outLen, const CtlTbl *ctl, uint32_t flags, char *msgBuf);
/* pduArg is passed through unchanged; the decoder may read or set the PDU
   number through it. */
typedef int (*DecodeFn)(Env *env, int32_t *pduArg, void **inPtr, int32_t *inLen,
                        void **outRef, uint32_t *outLen, const CtlTbl *ctl, uint32_t flags,
                        char *msgBuf);

typedef struct CodecEntry {
  EncodeFn encode;
  DecodeFn decode;
} CodecEntry;
ZURBASE_ASSERT_SIZE(CodecEntry, 8);

/* Print hook: Env, format and always exactly ten argument words. */
typedef int (*PrintHookFn)(Env *env, const char *format, ApiWord w0, ApiWord w1, ApiWord w2,
                           ApiWord w3, ApiWord w4, ApiWord w5, ApiWord w6, ApiWord w7,
                           ApiWord w8, ApiWord w9);

#define ZURBASE_HOOK_PRINT 20
typedef struct HookTbl {
  ApiWord otherHooks[ZURBASE_HOOK_PRINT]; /* the run-time's own hooks */
  PrintHookFn print;
} HookTbl;
ZURBASE_ASSERT_OFFSET(HookTbl, print, 80);

/* Services of the sibling run-time, by operation number. */
typedef int (*Service16Fn)(Env *env, ApiWord a, ApiWord b, const CtlTbl *ctl);
typedef void *(*MapValueFn)(Env *env, void *value, uint32_t size);
typedef void *(*RemapValueFn)(Env *env, void *fromRef, void *toRef, uint32_t size);
typedef void (*UnmapValueFn)(Env *env, void *value);
typedef int (*Service31Fn)(Env *env, ApiWord w);
typedef ApiWord (*MakeDeferredHandleFn)(Env *env, int32_t kind, ApiWord locator);
typedef ApiWord (*GetDeferredLocatorFn)(Env *env, ApiWord handle);
typedef int (*DeferredKindFn)(Env *env, void *data);
typedef int (*Service35Fn)(Env *env);
typedef int (*Service37Fn)(Env *env, ApiWord w);

enum SvcOp {
  SVC_SERVICE16 = 16,
  SVC_MAP_VALUE = 18,
  SVC_REMAP_VALUE = 19,
  SVC_UNMAP_VALUE = 20,
  SVC_SERVICE31 = 31,
  SVC_MAKE_DEFERRED_HANDLE = 32,
  SVC_GET_DEFERRED_LOCATOR = 33,
  SVC_DEFERRED_KIND = 34,
  SVC_SERVICE35 = 35,
  SVC_SERVICE37 = 37
};

typedef struct SvcTbl {
  ApiWord ops0to15[16];
  Service16Fn service16;        /* 16 */
  ApiWord op17;
  MapValueFn mapValue;          /* 18 */
  RemapValueFn remapValue;      /* 19 */
  UnmapValueFn unmapValue;      /* 20 */
  ApiWord ops21to30[10];
  Service31Fn service31;        /* 31 */
  MakeDeferredHandleFn makeDeferredHandle; /* 32 */
  GetDeferredLocatorFn getDeferredLocator; /* 33 */
  DeferredKindFn deferredKind;  /* 34 */
  Service35Fn service35;        /* 35 */
  ApiWord op36;
  Service37Fn service37;        /* 37 */
} SvcTbl;

#define ZURBASE_ASSERT_SVC(f, n) \
  ZURBASE_STATIC_ASSERT(offsetof(SvcTbl, f) == (n) * sizeof(ApiWord), "SvcTbl." #f)
ZURBASE_ASSERT_SVC(service16, SVC_SERVICE16);
ZURBASE_ASSERT_SVC(mapValue, SVC_MAP_VALUE);
ZURBASE_ASSERT_SVC(remapValue, SVC_REMAP_VALUE);
ZURBASE_ASSERT_SVC(unmapValue, SVC_UNMAP_VALUE);
ZURBASE_ASSERT_SVC(service31, SVC_SERVICE31);
ZURBASE_ASSERT_SVC(makeDeferredHandle, SVC_MAKE_DEFERRED_HANDLE);
ZURBASE_ASSERT_SVC(getDeferredLocator, SVC_GET_DEFERRED_LOCATOR);
ZURBASE_ASSERT_SVC(deferredKind, SVC_DEFERRED_KIND);
ZURBASE_ASSERT_SVC(service35, SVC_SERVICE35);
ZURBASE_ASSERT_SVC(service37, SVC_SERVICE37);

/* One block of the trace store's line index: 200 lines. */
#define ZURBASE_LINES_PER_BLOCK 200
typedef struct LineBlock {
  struct LineBlock *prevBlock;
  struct LineBlock *nextBlock;
  int32_t *offsets;
  int16_t *lengths;
  int16_t blockNo;
} LineBlock;

/* The trace store kept inside Env. */
typedef struct TraceStore {
  void *traceWnd;
  int32_t lineCount;
  LineBlock *lastBlock;
  LineBlock *firstBlock;
  int16_t openLineLen;
  int16_t lastBlockNo;
  FILE *tmpFile;
  char tmpName[16];
  int32_t lineOpen;
} TraceStore;
ZURBASE_ASSERT_SIZE(TraceStore, 44);

/* Results of apiOpenTraceWindow besides 0. */
enum TraceOpenStatus {
  TRACE_OPEN_EXISTS = 24,       /* a window or store exists, or no window could be made */
  TRACE_OPEN_NO_TEMP_FILE = 27  /* the window exists, without a store */
};

/* The printer's non-local exit: never returns. */
typedef void (*AbortJumpFn)(Env *env, int32_t row, ApiWord unused);

#define ZURBASE_WORK_AREA_SIZE 768
typedef struct WorkArea {
  int32_t printDepth;
  int32_t printIndent;
  AbortJumpFn abortJump;
  void *abortJmpBuf;
  ApiWord reserved[4];
  ApiWord workValue;
  unsigned char rest[ZURBASE_WORK_AREA_SIZE - 2 * sizeof(int32_t) - 7 * sizeof(ApiWord)];
} WorkArea;
ZURBASE_STATIC_ASSERT(sizeof(WorkArea) == ZURBASE_WORK_AREA_SIZE, "WorkArea size");

#define ZURBASE_MSG_BUF_SIZE 736

typedef void *(*MemAllocFn)(uint32_t size);
typedef void (*MemFreeFn)(void *block);

struct Env {
  MemAllocFn memAlloc;          /* 0 */
  ApiWord reserved4;
  MemFreeFn memFree;            /* 8 */
  uint32_t printLimit;          /* 12 */
  ApiWord reserved16[2];
  FILE *traceStream;            /* 24 */
  ApiWord reserved28[2];
  TraceStore trace;             /* 36 */
  int32_t hookOnly;             /* 80 */
  ApiWord reserved84[3];
  CodecEntry *codecA;           /* 96: BER and DER */
  CodecEntry *codecB;           /* 100: PER */
  HookTbl *hooks;               /* 104 */
  ApiWord reserved108[20];
  SvcTbl *services;             /* 188 */
  ApiWord reserved192[10];
  const CtlTbl *ctlTbl;         /* 232 */
  ApiWord reserved236;
  int32_t encRules;             /* 240 */
  uint32_t encFlags;            /* 244 */
  uint32_t decFlags;            /* 248 */
  uint32_t decodeBufLen;        /* 252 */
  char msgBuf[ZURBASE_MSG_BUF_SIZE]; /* 256 */
  WorkArea workArea;            /* 992 */
};

ZURBASE_ASSERT_OFFSET(Env, memAlloc, 0);
ZURBASE_ASSERT_OFFSET(Env, memFree, 8);
ZURBASE_ASSERT_OFFSET(Env, printLimit, 12);
ZURBASE_ASSERT_OFFSET(Env, traceStream, 24);
ZURBASE_ASSERT_OFFSET(Env, trace, 36);
ZURBASE_ASSERT_OFFSET(Env, trace.traceWnd, 36);
ZURBASE_ASSERT_OFFSET(Env, trace.lineCount, 40);
ZURBASE_ASSERT_OFFSET(Env, trace.lastBlock, 44);
ZURBASE_ASSERT_OFFSET(Env, trace.firstBlock, 48);
ZURBASE_ASSERT_OFFSET(Env, trace.openLineLen, 52);
ZURBASE_ASSERT_OFFSET(Env, trace.lastBlockNo, 54);
ZURBASE_ASSERT_OFFSET(Env, trace.tmpFile, 56);
ZURBASE_ASSERT_OFFSET(Env, trace.tmpName, 60);
ZURBASE_ASSERT_OFFSET(Env, trace.lineOpen, 76);
ZURBASE_ASSERT_OFFSET(Env, hookOnly, 80);
ZURBASE_ASSERT_OFFSET(Env, codecA, 96);
ZURBASE_ASSERT_OFFSET(Env, codecB, 100);
ZURBASE_ASSERT_OFFSET(Env, hooks, 104);
ZURBASE_ASSERT_OFFSET(Env, services, 188);
ZURBASE_ASSERT_OFFSET(Env, ctlTbl, 232);
ZURBASE_ASSERT_OFFSET(Env, encRules, 240);
ZURBASE_ASSERT_OFFSET(Env, encFlags, 244);
ZURBASE_ASSERT_OFFSET(Env, decFlags, 248);
ZURBASE_ASSERT_OFFSET(Env, decodeBufLen, 252);
ZURBASE_ASSERT_OFFSET(Env, msgBuf, 256);
ZURBASE_ASSERT_OFFSET(Env, workArea, 992);
ZURBASE_ASSERT_OFFSET(Env, workArea.printDepth, 992);
ZURBASE_ASSERT_OFFSET(Env, workArea.printIndent, 996);
ZURBASE_ASSERT_OFFSET(Env, workArea.abortJump, 1000);
ZURBASE_ASSERT_OFFSET(Env, workArea.abortJmpBuf, 1004);
ZURBASE_ASSERT_OFFSET(Env, workArea.workValue, 1024);
ZURBASE_ASSERT_SIZE(Env, 1760);

/* The caller's encoded-data buffer. */
typedef struct EncBuf {
  int32_t length;
  void *value;
} EncBuf;
ZURBASE_ASSERT_OFFSET(EncBuf, value, 4);
ZURBASE_ASSERT_SIZE(EncBuf, 8);

/* Encoding-rules codes. */
enum EncRules { RULES_BER = 0, RULES_PER = 1, RULES_PER_ALIGNED = 2, RULES_DER = 4 };

/* Flag bits read by this library. */
#define ZURBASE_FLAG_PRINT_ERRORS 0x2u
#define ZURBASE_FLAG_CALLER_AREA 0x4u
#define ZURBASE_FLAG_NO_PRINT_GUARD 0x200u
#define ZURBASE_ENC_FLAG_MASK 0xbb2u
#define ZURBASE_DEC_FLAG_MASK 0xe12u

#ifdef __cplusplus
}
#endif

#endif
