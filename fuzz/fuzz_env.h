// What the fuzz targets share: an Env whose prints all go through the
// formatter into a scratch buffer (so every printed text is formatted and a
// bad argument word shows up under the sanitizers, yet nothing is written),
// and calls through the entry table.
#ifndef ZURBASE_FUZZ_FUZZ_ENV_H
#define ZURBASE_FUZZ_FUZZ_ENV_H

#include "zurbase/format.h"
#include "zurbase/zurcore.h"

namespace zurfuzz {

inline int formattingHook(Env *, const char *format, ApiWord w0, ApiWord w1, ApiWord w2, ApiWord w3,
                          ApiWord w4, ApiWord w5, ApiWord w6, ApiWord w7, ApiWord w8, ApiWord w9) {
  const ApiWord words[10] = {w0, w1, w2, w3, w4, w5, w6, w7, w8, w9};
  char text[512];
  return zurFormatWords(text, sizeof text, format, words);
}

template <class Fn>
Fn entry(int slot) {
  return reinterpret_cast<Fn>(apiTbl[slot]);
}

// A zurcore Env printing through formattingHook.
inline Env *hookedEnv() {
  Env *env = zurcoreCreateEnv(apiTbl);
  zurcoreSetPrintHook(env, formattingHook);
  return env;
}

}  // namespace zurfuzz

#endif
