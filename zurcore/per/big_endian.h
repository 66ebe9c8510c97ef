// Eight octets as one number, most significant first, for the bit reader
// and writer's 64-bit windows (compilers make each a load or store and a
// byte swap), and the value of two's-complement octets.
#ifndef ZURCORE_PER_BIG_ENDIAN_H
#define ZURCORE_PER_BIG_ENDIAN_H

#include <cstddef>
#include <cstdint>

namespace zurcore::per {

inline uint64_t loadBigEndian64(const uint8_t *p) {
  return uint64_t{p[0]} << 56 | uint64_t{p[1]} << 48 | uint64_t{p[2]} << 40 | uint64_t{p[3]} << 32 |
         uint64_t{p[4]} << 24 | uint64_t{p[5]} << 16 | uint64_t{p[6]} << 8 | uint64_t{p[7]};
}

// Written out: as a loop, GCC leaves it eight byte stores where it inlines
// into a large function.
inline void storeBigEndian64(uint8_t *p, uint64_t v) {
  p[0] = static_cast<uint8_t>(v >> 56);
  p[1] = static_cast<uint8_t>(v >> 48);
  p[2] = static_cast<uint8_t>(v >> 40);
  p[3] = static_cast<uint8_t>(v >> 32);
  p[4] = static_cast<uint8_t>(v >> 24);
  p[5] = static_cast<uint8_t>(v >> 16);
  p[6] = static_cast<uint8_t>(v >> 8);
  p[7] = static_cast<uint8_t>(v);
}

// The number that the fewest two's-complement octets p[0..n) give; false
// when it needs more than 64 bits.
inline bool signedValue(const uint8_t *p, std::size_t n, int64_t &value) {
  if (n > 8) return false;
  uint64_t u = n != 0 && (p[0] & 0x80) != 0 ? ~uint64_t{0} : 0;
  for (std::size_t k = 0; k < n; ++k) u = u << 8 | p[k];
  value = static_cast<int64_t>(u);
  return true;
}

}  // namespace zurcore::per

#endif
