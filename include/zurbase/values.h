/* zurbase: records of decoded values that the printer reads. */
#ifndef ZURBASE_VALUES_H
#define ZURBASE_VALUES_H

#include "zurbase/types.h"

#ifdef __cplusplus
extern "C" {
#endif

/* UTCTime (kind 29) and GeneralizedTime (kind 30) as the decoder stores them. */
typedef struct TimeValue {
  int16_t year;     /* at least four digits printed (two for UTCTime) */
  int16_t month;
  int16_t day;
  int16_t hour;
  int16_t minute;
  int16_t second;
  int16_t millisec; /* thousandths of the second; GeneralizedTime only */
  int16_t mindiff;  /* difference from UTC in minutes; 0 when none */
  int8_t utc;       /* non-zero: the time is UTC ("Z"); GeneralizedTime only */
} TimeValue;
ZURBASE_ASSERT_OFFSET(TimeValue, mindiff, 14);
ZURBASE_ASSERT_OFFSET(TimeValue, utc, 16);

/* A REAL kept in binary (form 0) or as decimal text (form 1); the value
   follows the form word directly, on every target. */
#pragma pack(push, 4)
typedef struct MixedReal {
  int32_t form;         /* 0: binary, 1: decimal text */
  union {
    double binary;      /* form 0: the IEEE double */
    const char *text;   /* form 1: NUL-terminated decimal text */
  } value;
} MixedReal;
#pragma pack(pop)
ZURBASE_STATIC_ASSERT(offsetof(MixedReal, value) == 4, "MixedReal.value follows form");
ZURBASE_ASSERT_SIZE(MixedReal, 12);

/* Encoded value (kind 51). */
typedef struct EncodedValue {
  ApiWord reserved;             /* not read */
  ApiWord length;               /* number of octets */
  const unsigned char *octets;  /* the encoding, printed in hexadecimal */
} EncodedValue;
ZURBASE_ASSERT_SIZE(EncodedValue, 12);

#ifdef __cplusplus
}
#endif

#endif
