/* zurcore: tracing a whole BER/DER input of any size, as a tool does. The
   codec linked for BER traces through apiDecode, whose lengths are 32-bit;
   this entry takes 64-bit sizes and the tool's options. */
#ifndef ZURCORE_BER_TRACE_H
#define ZURCORE_BER_TRACE_H

#include "zurcore/zurcore.h"

#ifdef __cplusplus
extern "C" {
#endif

typedef struct ZurcoreTraceOptions {
  /* Non-zero: each primitive's contents go to the trace as the event's
     extra text. */
  int32_t values;
  /* Elements nested deeper than this are skipped; the first one is reported
     in the trace. 0 means no limit. */
  int32_t maxDepth;
} ZurcoreTraceOptions;

/* Traces the size octets at data through apiTraceEncoding of the Env's entry
   table: every element, an OCTET STRING or BIT STRING that holds a complete
   DER encoding one level deeper, a truncated constructed element as far as
   its contents go. Returns 0, or the code of the decoding row written to
   Env.msgBuf with *faultOffset set to the offset of the fault. */
ZURCORE_EXPORT int zurcoreTraceBer(Env *env, const void *data, uint64_t size,
                                   const ZurcoreTraceOptions *options, uint64_t *faultOffset);

#ifdef __cplusplus
}
#endif

#endif
