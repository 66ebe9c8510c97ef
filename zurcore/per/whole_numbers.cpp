#include "whole_numbers.h"

namespace zurcore::per {

unsigned signedOctetsFor(int64_t n) {
  uint64_t magnitude = n < 0 ? ~static_cast<uint64_t>(n) : static_cast<uint64_t>(n);
  return bitsFor(magnitude) / 8 + 1;
}

void putConstrainedAligned(BitWriter &w, uint64_t offset, uint64_t span) {
  if (span <= 0xFFFF) {
    w.align();
    w.putBits(offset, span == 0xFF ? 8 : 16);
  } else {
    unsigned octets = octetsFor(offset);
    w.putBits(octets - 1, bitsFor(octetsFor(span) - 1));
    w.align();
    w.putBits(offset, 8 * octets);
  }
}

// A range above 64K is encoded in the fewest octets, their count first as a
// constrained number from 1.
bool getConstrainedAligned(BitReader &r, uint64_t span, uint64_t &offset) {
  uint64_t octets;
  if (!r.getBits(bitsFor(octetsFor(span) - 1), octets)) return false;
  if (octets + 1 > octetsFor(span)) return r.fail(ROW_MISENCODED);
  r.align();
  return r.getBits(8 * static_cast<unsigned>(octets + 1), offset);
}

namespace {

// The octet count of a semi-constrained or unconstrained number: 1 to 8.
bool getNumberOctets(BitReader &r, unsigned &octets) {
  uint32_t count;
  bool fragment;
  if (!getLength(r, kUnboundedLength, count, fragment)) return false;
  if (count == 0) return r.fail(ROW_MISENCODED);
  if (fragment || count > 8) return r.fail(ROW_INTEGER_TOO_LONG, count);
  octets = count;
  return true;
}

}  // namespace

void putSemiConstrained(BitWriter &w, uint64_t offset) {
  unsigned octets = octetsFor(offset);
  putLength(w, kUnboundedLength, octets);
  w.putBits(offset, 8 * octets);
}

bool getSemiConstrained(BitReader &r, uint64_t &offset) {
  unsigned octets;
  return getNumberOctets(r, octets) && r.getBits(8 * octets, offset);
}

void putUnconstrained(BitWriter &w, int64_t n) {
  unsigned octets = signedOctetsFor(n);
  putLength(w, kUnboundedLength, octets);
  w.putBits(static_cast<uint64_t>(n), 8 * octets);
}

bool getUnconstrained(BitReader &r, int64_t &n) {
  unsigned octets;
  uint64_t bits;
  if (!getNumberOctets(r, octets) || !r.getBits(8 * octets, bits)) return false;
  unsigned unused = 64 - 8 * octets;
  n = unused == 0 ? static_cast<int64_t>(bits)
                  : static_cast<int64_t>(bits << unused) >> unused;
  return true;
}

void putSmallNumber(BitWriter &w, uint64_t n) {
  if (n <= 63) {
    w.putBits(n, 7);
    return;
  }
  w.putBit(true);
  putSemiConstrained(w, n);
}

bool getSmallNumber(BitReader &r, uint64_t &n) {
  bool large;
  if (!r.getBit(large)) return false;
  return large ? getSemiConstrained(r, n) : r.getBits(6, n);
}

void putSmallLength(BitWriter &w, uint32_t n) {
  if (n <= 64) {
    w.putBits(n - 1, 7);
    return;
  }
  w.putBit(true);
  putLength(w, kUnboundedLength, n);
}

bool getSmallLength(BitReader &r, uint32_t &n) {
  bool large;
  if (!r.getBit(large)) return false;
  if (!large) {
    uint64_t v;
    if (!r.getBits(6, v)) return false;
    n = static_cast<uint32_t>(v) + 1;
    return true;
  }
  bool fragment;
  if (!getLength(r, kUnboundedLength, n, fragment)) return false;
  if (fragment) return r.fail(ROW_LENGTH_TOO_LONG);
  if (n == 0) return r.fail(ROW_MISENCODED);
  return true;
}

uint32_t putUnconstrainedLength(BitWriter &w, uint64_t count) {
  w.align();
  if (count < 0x80) {
    w.putBits(count, 8);
    return static_cast<uint32_t>(count);
  }
  if (count < LengthBounds::kFragment) {
    w.putBits(0x8000 | count, 16);
    return static_cast<uint32_t>(count);
  }
  uint64_t units = count / LengthBounds::kFragment;
  if (units > 4) units = 4;
  w.putBits(0xC0 | units, 8);
  return static_cast<uint32_t>(units * LengthBounds::kFragment);
}

bool getLength(BitReader &r, const LengthBounds &bounds, uint32_t &count, bool &fragment) {
  fragment = false;
  if (bounds.constrainedForm()) {
    uint64_t offset;
    if (!getConstrained(r, bounds.upper - bounds.lower, offset)) return false;
    count = static_cast<uint32_t>(bounds.lower + offset);
    return true;
  }
  r.align();
  uint64_t first;
  if (!r.getBits(8, first)) return false;
  if ((first & 0x80) == 0) {
    count = static_cast<uint32_t>(first);
    return true;
  }
  if ((first & 0x40) == 0) {
    uint64_t second;
    if (!r.getBits(8, second)) return false;
    count = static_cast<uint32_t>((first & 0x3F) << 8 | second);
    return true;
  }
  uint64_t units = first & 0x3F;
  if (units < 1 || units > 4) return r.fail(ROW_MISENCODED);
  count = static_cast<uint32_t>(units * LengthBounds::kFragment);
  fragment = true;
  return true;
}

}  // namespace zurcore::per
