/* zurcore: stand-in for the sibling run-time. It makes Env records, links
   codecs for the encoding rules, converts OBJECT IDENTIFIER contents to text
   and supplies the services table. */
#ifndef ZURCORE_ZURCORE_H
#define ZURCORE_ZURCORE_H

#include "zurbase/zurbase.h"

#ifdef __cplusplus
extern "C" {
#endif

#if defined(__GNUC__) && !defined(_WIN32)
#define ZURCORE_EXPORT __attribute__((visibility("default")))
#else
#define ZURCORE_EXPORT
#endif

/* Makes an Env bound to the entry table of the loaded zurbase; null when
   memory runs out. The codecs linked for BER and PER start as the built-in
   BER trace decoder and none. */
ZURCORE_EXPORT Env *zurcoreCreateEnv(const ApiWord *apiTbl);
ZURCORE_EXPORT void zurcoreDestroyEnv(Env *env);
/* The entry table the Env was made with. */
ZURCORE_EXPORT const ApiWord *zurcoreApiTbl(Env *env);
/* Codecs that linking installs for BER/DER (ber) and PER (per); null
   unlinks. The tables are copied. */
ZURCORE_EXPORT void zurcoreSetCodecs(Env *env, const CodecEntry *ber, const CodecEntry *per);
/* Installs a print hook in the Env's own hook table (null removes it). */
ZURCORE_EXPORT void zurcoreSetPrintHook(Env *env, PrintHookFn hook);

/* What the stand-in's operations 16, 31, 35 and 37 saw last. */
typedef struct ZurcoreServiceCall {
  int32_t op;
  ApiWord a;
  ApiWord b;
  const CtlTbl *ctl;
  int32_t callCount;
} ZurcoreServiceCall;
ZURCORE_EXPORT void zurcoreLastServiceCall(Env *env, ZurcoreServiceCall *out);

/* Deferred-value storage kinds. */
enum { ZURCORE_DEFER_MEMORY = 0, ZURCORE_DEFER_TMP_FILE = 1, ZURCORE_DEFER_SOCKET = 2 };

#ifdef __cplusplus
}
#endif

#endif
