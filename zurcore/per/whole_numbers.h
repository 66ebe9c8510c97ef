// The whole numbers and length determinants that every PER encoding is made
// of: constrained, semi-constrained, unconstrained and normally small whole
// numbers, and lengths with their 16K fragments.
#ifndef ZURCORE_PER_WHOLE_NUMBERS_H
#define ZURCORE_PER_WHOLE_NUMBERS_H

#include <bit>
#include <cstdint>

#include "bit_reader.h"
#include "bit_writer.h"

namespace zurcore::per {

// Bits that hold every number from 0 to max.
constexpr unsigned bitsFor(uint64_t max) { return static_cast<unsigned>(std::bit_width(max)); }
// Octets that hold the number (at least one).
inline unsigned octetsFor(uint64_t n) { return n == 0 ? 1 : (bitsFor(n) + 7) / 8; }
// Octets of the shortest two's complement of n.
unsigned signedOctetsFor(int64_t n);

// A constrained whole number: offset = n - lb, in 0..span (span = ub - lb).
// Below 255 values and in the UNALIGNED variant, just the bits of the span.
void putConstrainedAligned(BitWriter &w, uint64_t offset, uint64_t span);
inline void putConstrained(BitWriter &w, uint64_t offset, uint64_t span) {
  if (!w.aligned() || span < 0xFF)
    w.putBits(offset, bitsFor(span));
  else
    putConstrainedAligned(w, offset, span);
}
// Reads the offset; a value above span is left for the caller to judge.
// Out of line: the ALIGNED form of a span above 64K, its octet count first.
bool getConstrainedAligned(BitReader &r, uint64_t span, uint64_t &offset);
inline bool getConstrained(BitReader &r, uint64_t span, uint64_t &offset) {
  if (!r.aligned() || span < 0xFF) return r.getBits(bitsFor(span), offset);
  if (span <= 0xFFFF) {  // one octet or two, aligned
    r.align();
    return r.getBits(span == 0xFF ? 8 : 16, offset);
  }
  return getConstrainedAligned(r, span, offset);
}

// Bits of the number itself in a constrained whole number's encoding,
// without the octet count and padding of the ALIGNED forms.
inline unsigned constrainedBits(bool aligned, uint64_t offset, uint64_t span) {
  if (!aligned || span < 0xFF) return bitsFor(span);
  if (span <= 0xFFFF) return span == 0xFF ? 8 : 16;
  return 8 * octetsFor(offset);
}

// A semi-constrained whole number (n - lb), and an unconstrained one: an
// octet count as an unconstrained length, then the octets.
void putSemiConstrained(BitWriter &w, uint64_t offset);
bool getSemiConstrained(BitReader &r, uint64_t &offset);
void putUnconstrained(BitWriter &w, int64_t n);
bool getUnconstrained(BitReader &r, int64_t &n);

// A normally small non-negative whole number (extension indexes).
void putSmallNumber(BitWriter &w, uint64_t n);
bool getSmallNumber(BitReader &r, uint64_t &n);
// A normally small length, at least 1 (the extension additions' bitmap).
void putSmallLength(BitWriter &w, uint32_t n);
bool getSmallLength(BitReader &r, uint32_t &n);

// The effective size constraint that governs a length determinant.
struct LengthBounds {
  uint32_t lower = 0;
  uint32_t upper = 0;   // valid when bounded
  bool bounded = false; // an upper bound below 64K makes the length a constrained number
  bool constrainedForm() const { return bounded && upper < kFragment * 4; }
  static constexpr uint32_t kFragment = 16384;
};
inline constexpr LengthBounds kUnboundedLength{};

// Writes the length determinant of the `count` items still to come and
// returns how many of them it covers: all of them, or a fragment of 16K,
// 32K, 48K or 64K, after which the caller writes those items and calls
// again for the rest (a last call for 0 items included). Only the
// unconstrained form is out of line.
uint32_t putUnconstrainedLength(BitWriter &w, uint64_t count);
inline uint32_t putLength(BitWriter &w, const LengthBounds &bounds, uint64_t count) {
  if (!bounds.constrainedForm()) return putUnconstrainedLength(w, count);
  putConstrained(w, count - bounds.lower, bounds.upper - bounds.lower);
  return static_cast<uint32_t>(count);
}
// Reads one length determinant; `fragment` is set when more follow.
bool getLength(BitReader &r, const LengthBounds &bounds, uint32_t &count, bool &fragment);

}  // namespace zurcore::per

#endif
