// The printer's calls out of the library: the sibling's value services, its
// OBJECT IDENTIFIER converter and the application's memory routines. Each
// first hands on the standard-output text buffered so far, so that what the
// callee prints, or a fault inside it, comes after the text printed before;
// a remapValue marked quiet (remapIsQuiet) needs none, which spares a write
// per element of the usual lists.
#ifndef ZURBASE_PRINTER_SERVICE_CALLS_H
#define ZURBASE_PRINTER_SERVICE_CALLS_H

#include "frame/print.h"
#include "frame/sibling.h"
#include "zurbase/env.h"

namespace zur {

inline unsigned char *mapValue(Env *env, void *value, uint32_t size) {
  flushOutput();
  return static_cast<unsigned char *>(env->services->mapValue(env, value, size));
}

inline unsigned char *remapValue(Env *env, void *fromRef, void *toRef, uint32_t size) {
  const SvcTbl *services = env->services;
  if (!remapIsQuiet(services)) flushOutput();
  return static_cast<unsigned char *>(services->remapValue(env, fromRef, toRef, size));
}

inline void unmapValue(Env *env, void *value) {
  flushOutput();
  env->services->unmapValue(env, value);
}

inline int oidToText(Env *env, const OidInput *in, OidOutput *out) {
  flushOutput();
  return zurcoreOidToText(env, in, out);
}

inline void *allocate(Env *env, uint32_t size) {
  flushOutput();
  return env->memAlloc(size);
}

inline void release(Env *env, void *block) {
  flushOutput();
  env->memFree(block);
}

}  // namespace zur

#endif
