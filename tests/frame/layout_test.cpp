// The records shared with the sibling run-time and the compiler keep their
// documented byte layout on 32-bit targets; on 64-bit targets they keep
// their order and the fixed-size areas.
#include <gtest/gtest.h>

#include <cstddef>

#include "frame/sibling.h"
#include "zurbase/zurbase.h"

extern "C" std::size_t zurbaseEnvSizeSeenFromC(void);

namespace {

struct Field {
  const char *name;
  std::size_t actual;
  std::size_t expected;
};

#define AT(T, f, off) Field{#T "." #f, offsetof(T, f), off}

TEST(Layout, SharedRecordsHaveTheirDocumentedOffsetsOn32BitTargets) {
  if (sizeof(void *) != 4) GTEST_SKIP() << "byte offsets are binding on 32-bit targets";
  const Field fields[] = {
      AT(Env, memAlloc, 0),          AT(Env, memFree, 8),
      AT(Env, printLimit, 12),       AT(Env, traceStream, 24),
      AT(Env, trace.traceWnd, 36),   AT(Env, trace.lineCount, 40),
      AT(Env, trace.lastBlock, 44),  AT(Env, trace.firstBlock, 48),
      AT(Env, trace.openLineLen, 52), AT(Env, trace.lastBlockNo, 54),
      AT(Env, trace.tmpFile, 56),    AT(Env, trace.tmpName, 60),
      AT(Env, trace.lineOpen, 76),   AT(Env, hookOnly, 80),
      AT(Env, codecA, 96),           AT(Env, codecB, 100),
      AT(Env, hooks, 104),           AT(Env, services, 188),
      AT(Env, ctlTbl, 232),          AT(Env, encRules, 240),
      AT(Env, encFlags, 244),        AT(Env, decFlags, 248),
      AT(Env, decodeBufLen, 252),    AT(Env, msgBuf, 256),
      AT(Env, workArea.printDepth, 992), AT(Env, workArea.printIndent, 996),
      AT(Env, workArea.abortJump, 1000), AT(Env, workArea.abortJmpBuf, 1004),
      AT(Env, workArea.workValue, 1024),
      AT(HookTbl, print, 80),        AT(EncBuf, value, 4),
      AT(CodecEntry, decode, 4),
      AT(SvcTbl, service16, 64),     AT(SvcTbl, mapValue, 72),
      AT(SvcTbl, remapValue, 76),    AT(SvcTbl, unmapValue, 80),
      AT(SvcTbl, service31, 124),    AT(SvcTbl, makeDeferredHandle, 128),
      AT(SvcTbl, getDeferredLocator, 132), AT(SvcTbl, deferredKind, 136),
      AT(SvcTbl, service35, 140),    AT(SvcTbl, service37, 148),
      AT(CtlTbl, flags, 10),         AT(CtlTbl, pduCount, 12),
      AT(CtlTbl, pduTypes, 16),      AT(CtlTbl, types, 20),
      AT(CtlTbl, fields, 24),        AT(CtlTbl, infoTable, 28),
      AT(TypeDesc, name, 12),        AT(TypeDesc, size, 16),
      AT(TypeDesc, count, 20),       AT(TypeDesc, lenSize, 24),
      AT(TypeDesc, dataOffset, 26),  AT(TypeDesc, typeFlags, 28),
      AT(TypeDesc, ref, 30),         AT(TypeDesc, kind, 32),
      AT(FieldDesc, type, 4),        AT(FieldDesc, presenceBit, 6),
      AT(FieldDesc, nameIdx, 8),     AT(FieldDesc, fieldFlags, 10),
      AT(TraceRec, fieldName, 8),    AT(TraceRec, label, 12),
      AT(TraceRec, caption, 16),     AT(TraceRec, tagCount, 24),
      AT(TraceRec, tags, 28),        AT(TraceRec, perItem, 32),
      AT(TraceRec, encoded, 36),     AT(TraceRec, perValue, 40),
      AT(TraceRec, fragment, 44),    AT(TraceRec, noIndex, 48),
      AT(TraceRec, index, 52),       AT(TraceRec, depth, 56),
      AT(TraceRec, formFlags, 60),   AT(TraceRec, text, 64),
      AT(TagLen, tag, 4),            AT(TagLen, lenFlags, 8),
      AT(TimeValue, mindiff, 14),    AT(TimeValue, utc, 16),
      AT(MixedReal, value, 4),       AT(OidInput, octets, 4),
      AT(OidOutput, text, 4),        AT(EncodedValue, octets, 8)};
  for (const Field &f : fields) EXPECT_EQ(f.actual, f.expected) << f.name;
  EXPECT_EQ(sizeof(Env), 1760u);
  EXPECT_EQ(sizeof(TypeDesc), 40u);
  EXPECT_EQ(sizeof(CtlTbl), 32u);
  EXPECT_EQ(sizeof(TraceStore), 44u);
  EXPECT_EQ(sizeof(MixedReal), 12u);
}

TEST(Layout, FixedSizeAreasHoldOnEveryTarget) {
  EXPECT_EQ(zurbaseEnvSizeSeenFromC(), sizeof(Env));  // C and C++ see one layout
  EXPECT_EQ(sizeof(WorkArea), 768u);
  EXPECT_EQ(offsetof(WorkArea, printDepth), 0u);
  EXPECT_EQ(offsetof(WorkArea, printIndent), 4u);
  EXPECT_EQ(sizeof(FieldDesc), 12u);
  EXPECT_EQ(sizeof(TagLen), 12u);
  EXPECT_EQ(offsetof(MixedReal, value), 4u);
  EXPECT_EQ(offsetof(HookTbl, print), 20 * sizeof(ApiWord));
  EXPECT_EQ(offsetof(SvcTbl, service37), 37 * sizeof(ApiWord));
  EXPECT_EQ(sizeof(apiTbl), API_TBL_WORDS * sizeof(void *));
}

}  // namespace
