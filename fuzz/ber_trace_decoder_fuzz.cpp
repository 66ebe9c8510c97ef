// libFuzzer target: zurcore's BER trace decoder and the library's trace lines
// on arbitrary input. Every printed text is formatted, so a bad argument word
// shows up under the sanitizers.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "zurbase/format.h"
#include "zurbase/zurcore.h"

namespace {

int formattingHook(Env *, const char *format, ApiWord w0, ApiWord w1, ApiWord w2, ApiWord w3,
                   ApiWord w4, ApiWord w5, ApiWord w6, ApiWord w7, ApiWord w8, ApiWord w9) {
  const ApiWord words[10] = {w0, w1, w2, w3, w4, w5, w6, w7, w8, w9};
  char text[256];
  return zurFormatWords(text, sizeof text, format, words);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  static Env *env = [] {
    Env *e = zurcoreCreateEnv(apiTbl);
    zurcoreSetPrintHook(e, formattingHook);
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
