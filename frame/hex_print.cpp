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

// The dump written into the standard-output buffer a line at a time: the
// text of the one-character calls, without a call and a length update per
// character, which chain each character to the one before.
void putLines(OutputScope &out, const unsigned char *octets, int32_t length) {
  constexpr std::size_t kLongestLine = 32 * 2 + 7 + 1;  // digits, blanks, new line
  for (int32_t i = 0; i < length; i += 32) {
    const int32_t n = length - i < 32 ? length - i : 32;
    if (out.room() < kLongestLine) out.flush();
    char *const start = out.tail();
    char *p = start;
    for (int32_t k = 0; k < n; ++k) {
      const unsigned octet = octets[i + k];
      *p++ = kUpperHex[octet >> 4];
      *p++ = kUpperHex[octet & 0xF];
      if (k % 4 == 3 && k != 31) *p++ = ' ';
    }
    *p++ = '\n';
    out.advance(static_cast<std::size_t>(p - start));
  }
}

}  // namespace

void apiPrintHex(Env *env, const void *data, int32_t length) {
  // No Env to print through, or no octets at the address: nothing to dump,
  // where going on could only fault.
  if (env == nullptr || (data == nullptr && length > 0)) return;
  OutputScope output;
  if (isOsakBufferList(data)) {
    apiPrint(env, "Warning: Sorry, cannot print in hex from OSAK buffers\n");
    return;
  }
  const auto *octets = static_cast<const unsigned char *>(data);
  // A hook sees every character in a call of its own; standard output gets
  // the same text.
  if ((env->hooks == nullptr || env->hooks->print == nullptr) && env->hookOnly == 0) {
    putLines(output, octets, length);
    return;
  }
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
