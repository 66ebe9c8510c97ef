/* zurbase: the environment record shared with the sibling run-time, and the
   codec, hook and service tables reached from it. */
#ifndef ZURBASE_ENV_H
#define ZURBASE_ENV_H

#include <stdio.h>

#include "zurbase/types.h"

#ifdef __cplusplus
extern "C" {
#endif

/* Codec entry points installed by the sibling run-time. Both return 0 or a
   status code of the error table and leave a failure's report in msgBuf.
   encode: encodes the value of PDU pduNum, reading and setting the output
   pointer and length words through outPtr and outLen. */
typedef int (*EncodeFn)(Env *env, int32_t pduNum, void *value, void **outPtr,
                        int32_t *outLen, const CtlTbl *ctl, uint32_t flags, char *msgBuf);
/* decode: decodes *inLen octets at *inPtr (advancing both) into the value
   referred to by outRef, whose area is *outLen bytes long when flag 0x4 is
   set. pduArg is passed through unchanged; the decoder may read or set the
   PDU number through it. */
typedef int (*DecodeFn)(Env *env, int32_t *pduArg, void **inPtr, int32_t *inLen,
                        void **outRef, uint32_t *outLen, const CtlTbl *ctl, uint32_t flags,
                        char *msgBuf);

/* The codec of one set of encoding rules; a null function means that
   direction is not linked. */
typedef struct CodecEntry {
  EncodeFn encode;
  DecodeFn decode;
} CodecEntry;
ZURBASE_ASSERT_SIZE(CodecEntry, 8);

/* Print hook: Env, a printf format and always exactly ten argument words
   (format them with zurFormatWords, zurbase/format.h). What it returns is
   handed back to the caller of the print. */
typedef int (*PrintHookFn)(Env *env, const char *format, ApiWord w0, ApiWord w1, ApiWord w2,
                           ApiWord w3, ApiWord w4, ApiWord w5, ApiWord w6, ApiWord w7,
                           ApiWord w8, ApiWord w9);

#define ZURBASE_HOOK_PRINT 20
/* The application's hooks, reached through Env.hooks. */
typedef struct HookTbl {
  ApiWord otherHooks[ZURBASE_HOOK_PRINT]; /* the run-time's own hooks; not read */
  PrintHookFn print; /* receives every text the library prints; null: standard
                        output, unless Env.hookOnly forbids it */
} HookTbl;
ZURBASE_ASSERT_OFFSET(HookTbl, print, 80);

/* Services of the sibling run-time, by operation number. mapValue returns
   the address through which `size` bytes of a value are read, remapValue
   the address of another block (ending access to the one left), unmapValue
   ends access to the root value; deferred values are kept in memory (kind 0),
   a temporary file (1, locator: the file name's address) or behind a socket
   (2, locator: the socket id). 16, 31, 35 and 37 are only forwarded. */
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
  ApiWord ops0to15[16];         /* operations this library does not call */
  Service16Fn service16;        /* 16 */
  ApiWord op17;                 /* the address of remapValue when it prints
                                   nothing and reads no memory (zurcore's
                                   does): a mark, never called */
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

/* One block of the trace store's line index: block k holds lines 200k to
   200k + 199, line n at entry n - 200 * blockNo. */
#define ZURBASE_LINES_PER_BLOCK 200
typedef struct LineBlock {
  struct LineBlock *prevBlock; /* null for the first block */
  struct LineBlock *nextBlock; /* null for the newest block */
  int32_t *offsets;            /* 200 file offsets of each line's first byte */
  int16_t *lengths;            /* 200 line lengths, line feed included; 0 while
                                  the line is unfinished */
  int16_t blockNo;             /* number of this block, from 0 */
} LineBlock;

/* The trace store kept inside Env. */
typedef struct TraceStore {
  void *traceWnd;        /* the trace window; null when there is none */
  int32_t lineCount;     /* lines in the index, the unfinished newest included */
  LineBlock *lastBlock;  /* newest block of the index */
  LineBlock *firstBlock; /* first block; null while no line is indexed */
  int16_t openLineLen;   /* bytes received so far for the newest line */
  int16_t lastBlockNo;   /* number of the newest block, from 0 */
  FILE *tmpFile;         /* the temporary file holding the text; null: no store */
  char tmpName[16];      /* the file's name when tmpfile() failed and tmpnam named it */
  int32_t lineOpen;      /* 1 while the newest line lacks its line feed */
} TraceStore;
ZURBASE_ASSERT_SIZE(TraceStore, 44);

/* The printer's non-local exit: leaves the print in progress on this Env
   with an error-table row, whose code apiPrintPdu returns; never returns. */
typedef void (*AbortJumpFn)(Env *env, int32_t row, ApiWord unused);

#define ZURBASE_WORK_AREA_SIZE 768
/* Working state, cleared whenever encoding rules are set; a print clears its
   first four fields. */
typedef struct WorkArea {
  int32_t printDepth;    /* nesting depth of the value printer */
  int32_t printIndent;   /* indentation of printed values, in steps of two blanks */
  AbortJumpFn abortJump; /* exit of the print in progress; valid only during a print */
  void *abortJmpBuf;     /* jump point of the print in progress */
  ApiWord reserved[4];
  ApiWord workValue;     /* returned unchanged by apiGetWorkValue */
  unsigned char rest[ZURBASE_WORK_AREA_SIZE - 2 * sizeof(int32_t) - 7 * sizeof(ApiWord)];
} WorkArea;
ZURBASE_STATIC_ASSERT(sizeof(WorkArea) == ZURBASE_WORK_AREA_SIZE, "WorkArea size");

#define ZURBASE_MSG_BUF_SIZE 736

/* The run-time's allocator: a block of `size` bytes or null; and its release. */
typedef void *(*MemAllocFn)(uint32_t size);
typedef void (*MemFreeFn)(void *block);

/* The environment record, made and filled by the sibling run-time; every
   entry point takes it first. The comments give the 32-bit offsets; the
   reserved words belong to the run-time and are never touched here. */
struct Env {
  MemAllocFn memAlloc;          /* 0: allocator for the printer and the trace store */
  ApiWord reserved4;
  MemFreeFn memFree;            /* 8: frees what memAlloc or the run-time allocated */
  uint32_t printLimit;          /* 12: most octets or characters of one string value
                                   that a print shows; 0 = no limit */
  ApiWord reserved16[2];
  FILE *traceStream;            /* 24: where apiTracePrint writes while no trace
                                   store is open; may be null */
  ApiWord reserved28[2];
  TraceStore trace;             /* 36: the trace window and its store */
  int32_t hookOnly;             /* 80: non-zero: never print to standard output */
  ApiWord reserved84[3];
  CodecEntry *codecA;           /* 96: codec of BER (0) and DER (4); may be null */
  CodecEntry *codecB;           /* 100: codec of PER (1, 2); may be null */
  HookTbl *hooks;               /* 104: the application's hooks; may be null */
  ApiWord reserved108[20];
  SvcTbl *services;             /* 188: the run-time's services */
  ApiWord reserved192[10];
  const CtlTbl *ctlTbl;         /* 232: the control table in use (encode, decode,
                                   apiPrintPdu, rules selection) */
  ApiWord reserved236;
  int32_t encRules;             /* 240: encoding rules, enum EncRules; other codes
                                   are kept but refused by encode and decode (22) */
  uint32_t encFlags;            /* 244: encoder flags; 0x2 prints error reports */
  uint32_t decFlags;            /* 248: decoder flags; 0x2 prints error reports,
                                   0x200 prints without the fault guard */
  uint32_t decodeBufLen;        /* 252: length of the caller's decode area, handed
                                   to the decoder by address */
  char msgBuf[ZURBASE_MSG_BUF_SIZE]; /* 256: the last error report: 'E' or 'D',
                                        the message, its argument, ".\n" */
  WorkArea workArea;            /* 992: printer state and workValue */
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

/* The caller's encoded-data buffer; the codec reads and sets both words. */
typedef struct EncBuf {
  int32_t length; /* number of octets */
  void *value;    /* the octets; null when encoding into no caller area
                     (the encoder provides one) */
} EncBuf;
ZURBASE_ASSERT_OFFSET(EncBuf, value, 4);
ZURBASE_ASSERT_SIZE(EncBuf, 8);

/* Encoding-rules codes. */
enum EncRules { RULES_BER = 0, RULES_PER = 1, RULES_PER_ALIGNED = 2, RULES_DER = 4 };

/* Flag bits read by this library: print reports, caller-supplied output
   area (set per call, never taken from the settings), print without the
   fault guard; the masks of what apiEncode and apiDecode pass on. */
#define ZURBASE_FLAG_PRINT_ERRORS 0x2u
#define ZURBASE_FLAG_CALLER_AREA 0x4u
#define ZURBASE_FLAG_NO_PRINT_GUARD 0x200u
#define ZURBASE_ENC_FLAG_MASK 0xbb2u
#define ZURBASE_DEC_FLAG_MASK 0xe12u

#ifdef __cplusplus
}
#endif

#endif
