// The stand-in's private record: Env first, then what the stand-in keeps
// for it.
#ifndef ZURCORE_CORE_ENV_H
#define ZURCORE_CORE_ENV_H

#include <type_traits>

#include "ber/back_writer.h"
#include "zurbase/zurcore.h"

namespace zurcore {

// A deferred value's storage: its handle is the address of its entry.
struct DeferredEntry {
  int32_t kind;  // 0 when the entry is free
  ApiWord locator;
};

inline constexpr int kDeferredEntries = 64;

struct CoreEnv {
  Env env;
  const ApiWord *apiTbl;
  SvcTbl services;
  HookTbl hooks;
  CodecEntry berCodec;
  CodecEntry perCodec;
  bool haveBer;
  bool havePer;
  CodecEntry linkedBer;
  CodecEntry linkedPer;
  ZurcoreServiceCall lastCall;
  ZurcoreLimits limits;
  EncodeScratch scratch;
  DeferredEntry deferred[kDeferredEntries];
};
static_assert(std::is_standard_layout_v<CoreEnv>, "Env must start CoreEnv");

inline CoreEnv *core(Env *env) { return reinterpret_cast<CoreEnv *>(env); }

// Fills the services table with the stand-in's operations.
void initServices(SvcTbl &services);

// The stand-in's trace decoder as a codec (what zurcoreTraceBer runs).
const CodecEntry &traceDecoderCodec();
// The BER/DER codec that BER and DER rules link unless the application
// registered its own.
const CodecEntry &berCodec();

}  // namespace zurcore

#endif
