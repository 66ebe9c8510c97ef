/* zurbase: the trace event record that the codecs hand to apiTraceEncoding. */
#ifndef ZURBASE_TRACE_H
#define ZURBASE_TRACE_H

#include "zurbase/types.h"

#ifdef __cplusplus
extern "C" {
#endif

/* TraceRec.eventKind values. */
enum TraceEventKind {
  TRACE_EOC = 0,
  TRACE_COMPONENT = 1,
  TRACE_COMPONENT2 = 2,
  TRACE_TEXT = 3
};

/* TraceRec.perItem values. */
enum PerItem {
  PER_FIELD_COUNT = 0,
  PER_COUNT = 1,
  PER_INDEX = 2,
  PER_NOT_ENCODED = 3,
  PER_LENGTH = 4,
  PER_TOTAL_LENGTH = 5
};

typedef struct TagLen {
  int32_t length;
  uint16_t tag;       /* class in the top two bits, number in the low 14 */
  uint16_t reserved6;
  uint8_t lenFlags;   /* bit 0: definite length */
  uint8_t reserved9[3];
} TagLen;
ZURBASE_STATIC_ASSERT(sizeof(TagLen) == 12, "sizeof TagLen");
ZURBASE_STATIC_ASSERT(offsetof(TagLen, lenFlags) == 8, "TagLen.lenFlags");

#define TAGLEN_DEFINITE 0x1u
#define TRACE_PRIMITIVE 0x1u

typedef struct TraceRec {
  uint32_t eventKind;
  ApiWord reserved4;
  const char *fieldName;
  const char *label;
  const char *caption;
  ApiWord reserved20;
  int32_t tagCount;
  const void *tags;   /* TagLen[] for component events, int32_t depths for EOC */
  int32_t perItem;
  uint8_t encoded;
  uint8_t reserved37[3];
  int32_t perValue;
  int32_t fragment;
  int32_t noIndex;
  int32_t index;
  int32_t depth;
  uint8_t formFlags;
  uint8_t reserved61[3];
  char text[1];       /* NUL-terminated; the producer may allot more */
} TraceRec;
ZURBASE_ASSERT_OFFSET(TraceRec, fieldName, 8);
ZURBASE_ASSERT_OFFSET(TraceRec, label, 12);
ZURBASE_ASSERT_OFFSET(TraceRec, caption, 16);
ZURBASE_ASSERT_OFFSET(TraceRec, tagCount, 24);
ZURBASE_ASSERT_OFFSET(TraceRec, tags, 28);
ZURBASE_ASSERT_OFFSET(TraceRec, perItem, 32);
ZURBASE_ASSERT_OFFSET(TraceRec, encoded, 36);
ZURBASE_ASSERT_OFFSET(TraceRec, perValue, 40);
ZURBASE_ASSERT_OFFSET(TraceRec, fragment, 44);
ZURBASE_ASSERT_OFFSET(TraceRec, noIndex, 48);
ZURBASE_ASSERT_OFFSET(TraceRec, index, 52);
ZURBASE_ASSERT_OFFSET(TraceRec, depth, 56);
ZURBASE_ASSERT_OFFSET(TraceRec, formFlags, 60);
ZURBASE_ASSERT_OFFSET(TraceRec, text, 64);

#ifdef __cplusplus
}
#endif

#endif
