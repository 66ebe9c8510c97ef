// Items behind a length determinant, one piece per fragment: octets, bits,
// characters, elements and open-type octets all go through these loops.
#ifndef ZURCORE_PER_LENGTH_PIECES_H
#define ZURCORE_PER_LENGTH_PIECES_H

#include "whole_numbers.h"

namespace zurcore::per {

// Whether a piece of this many items, by its determinant, is a fragment
// that another determinant follows.
inline bool isFragment(const LengthBounds &bounds, uint64_t items) {
  return !bounds.constrainedForm() && items >= LengthBounds::kFragment;
}

// Writes `count` items behind their length determinants. putItems(first, n)
// writes items first to first + n - 1; with alignItems, the items start on
// an octet boundary (ALIGNED variant), even when there are none, as Erlang's
// asn1 pads them.
template <class PutItems>
void putPieces(BitWriter &w, const LengthBounds &bounds, uint64_t count, bool alignItems,
               PutItems putItems) {
  uint64_t done = 0;
  uint32_t n;
  do {
    n = putLength(w, bounds, count - done);
    if (alignItems) w.align();
    putItems(done, n);
    done += n;
  } while (isFragment(bounds, n));
}

// Reads the pieces of a length-determined field: getItems(first, n) reads
// items first to first + n - 1 and returns false on a failure, which it
// records in the reader.
template <class GetItems>
bool getPieces(BitReader &r, const LengthBounds &bounds, bool alignItems, GetItems getItems) {
  uint64_t done = 0;
  uint32_t n;
  bool fragment;
  do {
    if (!getLength(r, bounds, n, fragment)) return false;
    if (alignItems) r.align();
    if (!getItems(done, n)) return false;
    done += n;
  } while (fragment);
  return true;
}

// The total count of a length-determined field of fixed-size items, read
// ahead without moving r, so that the caller can allocate the value at once.
inline bool countPieces(const BitReader &r, const LengthBounds &bounds, bool alignItems,
                        uint64_t bitsPerItem, uint64_t &total, BitReader &after) {
  after = r;
  total = 0;
  return getPieces(after, bounds, alignItems, [&](uint64_t, uint32_t n) {
    total += n;
    return after.skipBits(n * bitsPerItem);
  });
}

// Reads a length-determined field of fixed-size items: start(total) makes
// ready for all of them (checks, allocation), then getItems reads them piece
// by piece. One piece, the usual case, is read at once; fragments are counted
// ahead.
template <class Start, class GetItems>
bool readPieces(BitReader &r, const LengthBounds &bounds, bool alignItems, uint64_t bitsPerItem,
                Start start, GetItems getItems) {
  const BitReader mark(r);
  uint32_t n;
  bool fragment;
  if (!getLength(r, bounds, n, fragment)) return false;
  if (!fragment) {
    if (alignItems) r.align();
    return r.need(n * bitsPerItem) && start(n) && getItems(0, n);
  }
  r = mark;
  uint64_t total;
  BitReader after(r);
  if (!countPieces(r, bounds, alignItems, bitsPerItem, total, after)) return r.failWith(after.fault());
  return start(total) && getPieces(r, bounds, alignItems, getItems);
}

}  // namespace zurcore::per

#endif
