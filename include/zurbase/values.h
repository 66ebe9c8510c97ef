/* zurbase: records of decoded values that the printer reads. */
#ifndef ZURBASE_VALUES_H
#define ZURBASE_VALUES_H

#include "zurbase/types.h"

#ifdef __cplusplus
extern "C" {
#endif

typedef struct TimeValue {
  int16_t year;
  int16_t month;
  int16_t day;
  int16_t hour;
  int16_t minute;
  int16_t second;
  int16_t millisec;
  int16_t mindiff;
  int8_t utc;
} TimeValue;
ZURBASE_ASSERT_OFFSET(TimeValue, mindiff, 14);
ZURBASE_ASSERT_OFFSET(TimeValue, utc, 16);

/* A REAL kept in binary (form 0) or as decimal text (form 1); the value
   follows the form word directly, on every target. */
#pragma pack(push, 4)
typedef struct MixedReal {
  int32_t form;
  union {
    double binary;
    const char *text;
  } value;
} MixedReal;
#pragma pack(pop)
ZURBASE_STATIC_ASSERT(offsetof(MixedReal, value) == 4, "MixedReal.value follows form");
ZURBASE_ASSERT_SIZE(MixedReal, 12);

/* Encoded value (kind 51). */
typedef struct EncodedValue {
  ApiWord reserved;
  ApiWord length;
  const unsigned char *octets;
} EncodedValue;
ZURBASE_ASSERT_SIZE(EncodedValue, 12);

#ifdef __cplusplus
}
#endif

#endif
