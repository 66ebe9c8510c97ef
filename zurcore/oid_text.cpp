// OBJECT IDENTIFIER contents octets to text such as "{ 1 2 840 113549 }".
#include <charconv>
#include <cstdint>
#include <cstring>

#include "zurbase/zurcore.h"

namespace zurcore {
namespace {

// Walks the subidentifiers, handing each arc to `emit`; returns the result
// code for the whole encoding.
template <class Emit>
int walkArcs(const unsigned char *octets, uint32_t length, Emit emit) {
  if (length == 0) return OID_MALFORMED;
  bool first = true;
  uint32_t i = 0;
  while (i < length) {
    if (octets[i] == 0x80) return OID_MALFORMED;  // padded subidentifier
    uint64_t v = 0;
    bool done = false;
    while (i < length) {
      unsigned char b = octets[i++];
      if (v >> 57) return OID_MALFORMED;  // beyond 64 bits
      v = (v << 7) | (b & 0x7F);
      if ((b & 0x80) == 0) {
        done = true;
        break;
      }
    }
    if (!done) return OID_INCOMPLETE;
    if (first) {
      uint64_t top = v < 40 ? 0 : v < 80 ? 1 : 2;
      emit(top);
      emit(v - top * 40);
      first = false;
    } else {
      emit(v);
    }
  }
  return OID_COMPLETE;
}

}  // namespace
}  // namespace zurcore

// Complete text ends in " }"; incomplete text ends after the last whole arc
// and its blank, so that the printer's "... }" completes it.
extern "C" ZURCORE_EXPORT int zurcoreOidToText(Env *env, const OidInput *in, OidOutput *out) {
  std::size_t size = 2;
  int result = zurcore::walkArcs(in->octets, in->length, [&](uint64_t arc) {
    char digits[24];
    size += static_cast<std::size_t>(std::to_chars(digits, digits + sizeof digits, arc).ptr - digits) + 1;
  });
  if (result == OID_MALFORMED) return result;
  size += 2;
  auto *text = static_cast<char *>(env->memAlloc(static_cast<uint32_t>(size)));
  if (text == nullptr) return OID_MALFORMED;
  char *p = text;
  *p++ = '{';
  *p++ = ' ';
  zurcore::walkArcs(in->octets, in->length, [&](uint64_t arc) {
    p = std::to_chars(p, text + size, arc).ptr;
    *p++ = ' ';
  });
  if (result == OID_COMPLETE) *p++ = '}';
  *p = '\0';
  out->text = text;
  return result;
}
