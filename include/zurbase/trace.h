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

/* One tag of a component event under BER, outermost first. */
typedef struct TagLen {
  int32_t length;     /* length of the contents */
  uint16_t tag;       /* class in the top two bits, number in the low 14 */
  uint16_t reserved6;
  uint8_t lenFlags;   /* bit 0: definite length */
  uint8_t reserved9[3];
} TagLen;
ZURBASE_STATIC_ASSERT(sizeof(TagLen) == 12, "sizeof TagLen");
ZURBASE_STATIC_ASSERT(offsetof(TagLen, lenFlags) == 8, "TagLen.lenFlags");

#define TAGLEN_DEFINITE 0x1u
#define TRACE_PRIMITIVE 0x1u

/* One encoding-trace event, built by a codec for apiTraceEncoding. */
typedef struct TraceRec {
  uint32_t eventKind;     /* enum TraceEventKind; other values print nothing */
  ApiWord reserved4;
  const char *fieldName;  /* the component's identifier; may be null */
  const char *label;      /* printed after the identifier and a blank; may be null */
  const char *caption;    /* printed after the label, as a rule the type name; may be null */
  ApiWord reserved20;
  int32_t tagCount;       /* number of entries in tags */
  const void *tags;       /* TagLen[] for component events, int32_t depths for EOC */
  int32_t perItem;        /* PER item, enum PerItem (PER lines only) */
  uint8_t encoded;        /* PER: 0 when the length or count is not in the encoding */
  uint8_t reserved37[3];
  int32_t perValue;       /* PER item value; lengths in bits; -1 marks an error */
  int32_t fragment;       /* PER fragment shown with a length; -1 for none */
  int32_t noIndex;        /* non-zero: the component number is not shown */
  int32_t index;          /* component number, shown as "#n" without an identifier; 0: none */
  int32_t depth;          /* nesting depth; two blanks of indentation per level */
  uint8_t formFlags;      /* TRACE_PRIMITIVE: the innermost encoding is primitive */
  uint8_t reserved61[3];
  char text[1];           /* extra text, NUL-terminated; the producer may allot more */
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
