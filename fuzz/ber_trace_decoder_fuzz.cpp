// libFuzzer target: zurcore's BER trace decoder and the library's trace lines
// on arbitrary input. Every printed text is formatted, so a bad argument word
// shows up under the sanitizers.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "fuzz_env.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  static Env *env = [] {
    Env *e = zurfuzz::hookedEnv();
    e->encRules = 0;
    zurcoreSetCodecs(e, zurcoreTraceCodec(), nullptr);
    zurcoreLinkBer(e);
    return e;
  }();
  // A copy of exactly the input's size, so reading past it is caught.
  std::vector<unsigned char> octets(data, data + size);
  void *in = octets.empty() ? static_cast<void *>(env) : octets.data();
  int32_t length = static_cast<int32_t>(size);
  void *out = nullptr;
  uint32_t outLen = 0;
  env->msgBuf[0] = '\0';
  int rc = env->codecA->decode(env, nullptr, &in, &length, &out, &outLen, nullptr, 0x2,
                               env->msgBuf);
  // A failure always leaves its row in the message buffer.
  if (rc != 0 && std::strncmp(env->msgBuf, "D00", 3) != 0) __builtin_trap();
  if (rc == 0 && length != 0) __builtin_trap();
  return 0;
}
