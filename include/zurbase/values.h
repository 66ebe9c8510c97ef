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

/* Values of compiled modules (zurasn1): a length or count, then the address
   of the data, which lies in the decode's arena. */
typedef struct ZurOctets {          /* OCTET STRING (kind 10) */
  uint32_t length;                  /* octets */
  uint8_t *value;
} ZurOctets;
typedef struct ZurHugeInt {         /* INTEGER beyond 64 bits (kind 20) */
  uint32_t length;                  /* octets of the two's complement, fewest that hold it */
  uint8_t *value;                   /* most significant first */
} ZurHugeInt;
typedef struct ZurBits {            /* BIT STRING (kind 3) */
  uint32_t length;                  /* bits; bit 0 is the top bit of value[0] */
  uint8_t *value;
} ZurBits;
typedef struct ZurChars {           /* 8-bit character strings (kind 25) */
  uint32_t length;                  /* octets, without the NUL decoders add */
  char *value;
} ZurChars;
typedef struct ZurBmpChars {        /* BMPString (kind 53) */
  uint32_t length;                  /* characters */
  uint16_t *value;
} ZurBmpChars;
typedef struct ZurUniversalChars {  /* UniversalString (kind 54) */
  uint32_t length;                  /* characters */
  uint32_t *value;
} ZurUniversalChars;
typedef struct ZurOid {             /* OBJECT IDENTIFIER (kind 63) */
  uint32_t length;                  /* contents octets of the encoding */
  uint8_t *value;
} ZurOid;
typedef struct ZurRelativeOid {     /* RELATIVE-OID (kind 28) */
  int16_t count;                    /* arcs */
  uint32_t *value;
} ZurRelativeOid;
ZURBASE_ASSERT_OFFSET(ZurOctets, value, 4);
ZURBASE_ASSERT_OFFSET(ZurRelativeOid, value, 4);

#ifdef __cplusplus
}
#endif

#endif
