#include "frame/print.h"
#include "library/entry_points.h"

namespace zur {
namespace {

// An address with its top bit set designates an OSAK buffer list. On 32-bit
// Linux user stacks live in the upper half, so the test would refuse
// ordinary data there; only that target leaves it out.
bool isOsakBufferList(const void *data) {
#if defined(__linux__) && ZURBASE_WORD32
  (void)data;
  return false;
#else
  constexpr ApiWord topBit = ApiWord{1} << (sizeof(ApiWord) * 8 - 1);
  return (reinterpret_cast<ApiWord>(data) & topBit) != 0;
#endif
}

}  // namespace

void apiPrintHex(Env *env, const void *data, int32_t length) {
  OutputScope output;
  if (isOsakBufferList(data)) {
    apiPrint(env, "Warning: Sorry, cannot print in hex from OSAK buffers\n");
    return;
  }
  const auto *octets = static_cast<const unsigned char *>(data);
  int countdown = 32;
  for (int32_t i = 0; i < length; ++i) {
    apiPrint(env, "%c", kUpperHex[octets[i] >> 4]);
    apiPrint(env, "%c", kUpperHex[octets[i] & 0xF]);
    if (--countdown == 0) {
      apiPrint(env, "%c", 10);
      countdown = 32;
    } else if (countdown % 4 == 0) {
      apiPrint(env, "%c", 32);
    }
  }
  if (countdown != 32) apiPrint(env, "%c", 10);
}

}  // namespace zur
