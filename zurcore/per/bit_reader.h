// PER input: bits read most significant first, every read checked against
// the end of the input. The first failure is kept with the bit offset where
// it happened, for the decoding report. Reads of up to 57 bits take one
// 64-bit window of the input while eight octets remain.
#ifndef ZURCORE_PER_BIT_READER_H
#define ZURCORE_PER_BIT_READER_H

#include <cstddef>
#include <cstdint>

#include "big_endian.h"
#include "zurcore/codec/rows.h"

namespace zurcore::per {

struct DecodeFault {
  int row = ROW_NONE;
  int64_t argument = 0;   // the row's number, when it takes one
  uint64_t bitOffset = 0; // from the start of the outermost input
  const char *detail = nullptr;  // what the report adds, if anything
};

class BitReader {
 public:
  // The most bits one window holds wherever the read starts in its octet.
  static constexpr unsigned kWindowBits = 57;

  // `origin` is the bit offset of data[0] in the outermost input (non-zero
  // inside an open type), so that faults name their place in the message.
  BitReader(const uint8_t *data, std::size_t octets, bool aligned, uint64_t origin = 0)
      : data_(data), end_(uint64_t{octets} * 8), aligned_(aligned), origin_(origin),
        tailFirst_(octets > 8 ? octets - 8 : 0) {
    for (std::size_t i = tailFirst_; i < octets; ++i) tail_[i - tailFirst_] = data[i];
  }

  bool aligned() const { return aligned_; }
  // Reads `count` bits (up to 64) into the low bits of value.
  bool getBits(unsigned count, uint64_t &value) {
    if (count <= kWindowBits && count <= end_ - pos_) {
      value = window() >> 1 >> (63 - count);  // two shifts: count may be 0
      pos_ += count;
      return true;
    }
    return getBitsNearEnd(count, value);
  }
  bool getBit(bool &bit) {
    uint64_t v;
    if (!getBits(1, v)) return false;
    bit = v != 0;
    return true;
  }
  // The next bits, the first of them the top bit, without moving; those
  // past the end of the input read as zeros. Up to 57 are good for a read.
  uint64_t peek() const { return window(); }
  // Moves past `count` bits that the caller has checked are there.
  void advance(uint64_t count) { pos_ += count; }
  // Moves past `count` bits; at the end of the input if they are not all
  // there, with the premature end recorded.
  bool skipPeeked(uint64_t count) {
    if (count <= end_ - pos_) {
      pos_ += count;
      return true;
    }
    pos_ = end_;
    return fail(ROW_PREMATURE_END);
  }
  // Moves back to an earlier position of this reader.
  void rewind(uint64_t position) { pos_ = position; }
  // ALIGNED variant: skips the padding up to the next octet boundary.
  void align() {
    if (aligned_) pos_ = (pos_ + 7) & ~uint64_t{7};
  }
  // Reads `count` octets from the current bit position.
  bool getOctets(uint8_t *out, std::size_t count);
  // Reads `count` bits into out, bit 0 the top bit of out[0]; the unused
  // bits of the last octet are cleared.
  bool getBitString(uint8_t *out, uint64_t count);
  bool skipBits(uint64_t count);
  // Whether `count` more bits are there; records a premature end if not.
  bool need(uint64_t count) {
    if (count <= end_ - pos_) return true;
    return fail(ROW_PREMATURE_END);
  }

  uint64_t position() const { return pos_; }
  uint64_t remaining() const { return end_ - pos_; }
  uint64_t origin() const { return origin_; }
  // The input at the current position, which must be on an octet boundary.
  const uint8_t *here() const { return data_ + pos_ / 8; }

  // Records the first failure at the current position; returns false.
  bool fail(int row, int64_t argument = 0, const char *detail = nullptr) {
    if (fault_.row == ROW_NONE) fault_ = {row, argument, origin_ + pos_, detail};
    return false;
  }
  // Records the first failure at an earlier position of this reader (the
  // start of an item found wrong once read); returns false.
  bool failAt(uint64_t position, int row, int64_t argument = 0) {
    if (fault_.row == ROW_NONE) fault_ = {row, argument, origin_ + position};
    return false;
  }
  // Records a failure found inside an open type, at its own offset.
  bool failWith(const DecodeFault &fault) {
    if (fault_.row == ROW_NONE) fault_ = fault;
    return false;
  }
  const DecodeFault &fault() const { return fault_; }

 private:
  // The 64 bits from the current position: from the input while eight
  // octets remain, else from the copy of its last octets.
  uint64_t window() const {
    const std::size_t at = static_cast<std::size_t>(pos_ >> 3);
    const uint8_t *p = at < tailFirst_ ? data_ + at : tail_ + (at - tailFirst_);
    return loadBigEndian64(p) << (pos_ & 7);
  }
  bool getBitsNearEnd(unsigned count, uint64_t &value);
  // The first `count` (below 8) octets of the window into out.
  void storeWindow(uint8_t *out, std::size_t count) const;

  const uint8_t *data_;
  uint64_t pos_ = 0;
  uint64_t end_;
  bool aligned_;
  uint64_t origin_;
  DecodeFault fault_;
  // The last eight octets (or all, when fewer) followed by zero octets, for
  // the windows that would reach past the end of the input.
  std::size_t tailFirst_;
  uint8_t tail_[16] = {};
};

}  // namespace zurcore::per

#endif
