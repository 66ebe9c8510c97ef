// libFuzzer target: what zurtrace runs on arbitrary input, PEM reader,
// values, encapsulated DER, 64-bit lengths, --hex and the depth limit. The
// first octet picks the options: bit 0 values, bit 1 --hex, bit 2 a depth
// limit of 100000, else the limit in the bits above (0: zurtrace's 64). The
// trace must stay linear in the input.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "tracer.h"
#include "zurbase/format.h"
#include "zurbase/zurcore.h"

namespace {

uint64_t printed = 0;

int countingHook(Env *, const char *format, ApiWord w0, ApiWord w1, ApiWord w2, ApiWord w3,
                 ApiWord w4, ApiWord w5, ApiWord w6, ApiWord w7, ApiWord w8, ApiWord w9) {
  const ApiWord words[10] = {w0, w1, w2, w3, w4, w5, w6, w7, w8, w9};
  char text[1024];
  const int n = zurFormatWords(text, sizeof text, format, words);
  if (n > 0) printed += static_cast<uint64_t>(n);
  return n;
}

// An element line at the deepest indentation, its value line and its EOC
// take less than this many octets of trace per octet of input, as the
// manual promises.
constexpr uint64_t kTracePerOctet = 300;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  if (size == 0) return 0;
  static Env *env = [] {
    Env *e = zurcoreCreateEnv(apiTbl);
    zurcoreSetPrintHook(e, countingHook);
    reinterpret_cast<ApiSetEncodingRulesFn>(apiTbl[SLOT_SET_ENCODING_RULES])(e, RULES_BER);
    return e;
  }();
  zurtrace::Options options;
  options.values = (data[0] & 1) != 0;
  options.hex = (data[0] & 2) != 0;
  options.maxDepth = (data[0] & 4) != 0 ? 100000 : (data[0] >> 3) != 0 ? data[0] >> 3 : 64;
  // A copy of exactly the input's size, so reading past it is caught.
  std::vector<unsigned char> octets(data + 1, data + size);
  zur::platform::InputFile file;
  file.data = octets.empty() ? nullptr : octets.data();
  file.size = octets.size();
  printed = 0;
  zurtrace::Tracer tracer(env, options);
  tracer.input("input", file);
  if (printed > 4096 + kTracePerOctet * octets.size()) __builtin_trap();
  return 0;
}
