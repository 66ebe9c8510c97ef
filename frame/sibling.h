// What this library expects of the sibling run-time (zurcore): the three
// functions it imports, by ordinal on Windows and by name elsewhere.
#ifndef ZURBASE_FRAME_SIBLING_H
#define ZURBASE_FRAME_SIBLING_H

#include "zurbase/env.h"

#ifdef __cplusplus
extern "C" {
#endif

// Input of the OBJECT IDENTIFIER converter: contents octets of an encoding.
typedef struct OidInput {
  uint16_t length;
  uint16_t unset;
  const unsigned char *octets;
} OidInput;
ZURBASE_ASSERT_OFFSET(OidInput, octets, 4);

// Output of the converter: text allocated with Env.memAlloc.
typedef struct OidOutput {
  uint32_t word;
  char *text;
} OidOutput;
ZURBASE_ASSERT_OFFSET(OidOutput, text, 4);

// Converter results.
enum OidResult { OID_COMPLETE = 0, OID_INCOMPLETE = 1, OID_MALFORMED = 2 };

int zurcoreLinkBer(Env *env);                                          // ordinal 5
int zurcoreLinkPer(Env *env);                                          // ordinal 6
int zurcoreOidToText(Env *env, const OidInput *in, OidOutput *out);    // ordinal 48

#ifdef __cplusplus
}
#endif

#endif
