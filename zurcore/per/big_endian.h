// Eight octets as one number, most significant first, for the bit reader
// and writer's 64-bit windows (compilers make each a load or store and a
// byte swap).
#ifndef ZURCORE_PER_BIG_ENDIAN_H
#define ZURCORE_PER_BIG_ENDIAN_H

#include <cstdint>

namespace zurcore::per {

inline uint64_t loadBigEndian64(const uint8_t *p) {
  return uint64_t{p[0]} << 56 | uint64_t{p[1]} << 48 | uint64_t{p[2]} << 40 | uint64_t{p[3]} << 32 |
         uint64_t{p[4]} << 24 | uint64_t{p[5]} << 16 | uint64_t{p[6]} << 8 | uint64_t{p[7]};
}

inline void storeBigEndian64(uint8_t *p, uint64_t v) {
  for (int i = 0; i < 8; ++i) p[i] = static_cast<uint8_t>(v >> (56 - 8 * i));
}

}  // namespace zurcore::per

#endif
