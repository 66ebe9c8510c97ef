// PER output: bits appended most significant first into a growing octet
// buffer. The ALIGNED and UNALIGNED variants differ only in align(). The
// buffer keeps eight zero octets past the last bit, so that up to 56 bits go
// in as one 64-bit window.
#ifndef ZURCORE_PER_BIT_WRITER_H
#define ZURCORE_PER_BIT_WRITER_H

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "big_endian.h"

namespace zurcore::per {

class BitWriter {
 public:
  explicit BitWriter(bool aligned) : aligned_(aligned) {}

  bool aligned() const { return aligned_; }
  // Appends the low `count` bits of value (count up to 64), most significant first.
  void putBits(uint64_t value, unsigned count) {
    if (count == 0) return;
    if (count <= kWindowBits && (bits_ >> 3) < room_) {
      putReserved(value & (~uint64_t{0} >> (64 - count)), count);
      return;
    }
    putBitsGrowing(value, count);
  }
  // Makes room for `count` more bits, so that they may go in through putReserved.
  void reserveBits(uint64_t count) {
    if ((bits_ + count + 7) / 8 + 8 > buf_.size()) grow(count);
  }
  // Appends the `count` (1 to 56) bits of value, which has no bits above
  // them, into room made by reserveBits.
  void putReserved(uint64_t value, unsigned count) {
    const unsigned used = static_cast<unsigned>(bits_ & 7);
    uint8_t *p = buf_.data() + (bits_ >> 3);
    storeBigEndian64(p, loadBigEndian64(p) | value << (64 - used - count));
    bits_ += count;
  }
  void putBit(bool bit) { putBits(bit ? 1u : 0u, 1); }
  // Appends `count` zero bits: the octets past the last bit are zero already.
  void putZeros(uint64_t count) {
    if (count > kWindowBits || (bits_ >> 3) >= room_) reserveBits(count);
    bits_ += count;
  }
  // Sets the bit at `position`, one already written.
  void setBit(uint64_t position) {
    buf_[position >> 3] |= static_cast<uint8_t>(0x80u >> (position & 7));
  }
  // ALIGNED variant: zero bits up to the next octet boundary.
  void align() {
    if (aligned_) padToOctet();
  }
  // Zero bits up to the next octet boundary, in both variants.
  void padToOctet() { bits_ = (bits_ + 7) & ~uint64_t{7}; }
  // Appends whole octets at the current bit position; up to seven of them
  // in one window, inline.
  void putOctets(const uint8_t *data, std::size_t count) {
    if (count - 1 < 7 && (bits_ >> 3) < room_) {
      putReserved(loadShort(data, count), static_cast<unsigned>(8 * count));
      return;
    }
    putOctetsLong(data, count);
  }
  // Appends the first `count` bits of data, bit 0 being the top bit of data[0].
  void putBitString(const uint8_t *data, uint64_t count);
  // Appends what another writer holds, bit for bit.
  void append(const BitWriter &other) { putBitString(other.data(), other.bitLength()); }
  // Ends a complete encoding: padded to an octet, and an empty one becomes
  // the single octet 0.
  void complete();

  uint64_t bitLength() const { return bits_; }
  std::size_t octetLength() const { return static_cast<std::size_t>((bits_ + 7) / 8); }
  const uint8_t *data() const { return buf_.data(); }
  // Empties the writer and keeps its buffer (zeroed where it was written).
  void clear() {
    std::fill(buf_.begin(), buf_.begin() + static_cast<std::ptrdiff_t>(octetLength()), uint8_t{0});
    bits_ = 0;
  }

 private:
  static constexpr unsigned kWindowBits = 56;
  // Octets on a boundary from which one call to copy them beats eight at a time.
  static constexpr std::size_t kCopyOctets = 32;
  void putBitsGrowing(uint64_t value, unsigned count);
  void putOctetsLong(const uint8_t *data, std::size_t count);
  // 1 to 7 octets as one number, most significant first, read in at most
  // three loads that overlap, without a loop.
  static uint64_t loadShort(const uint8_t *data, std::size_t count) {
    if (count >= 4) {
      const uint8_t *q = data + count - 4;
      const uint64_t high = uint64_t{data[0]} << 24 | uint64_t{data[1]} << 16 | uint64_t{data[2]} << 8 | data[3];
      const uint64_t low = uint64_t{q[0]} << 24 | uint64_t{q[1]} << 16 | uint64_t{q[2]} << 8 | q[3];
      return high << (8 * (count - 4)) | low;  // the octets they share are the same
    }
    const std::size_t middle = count / 2;
    return uint64_t{data[0]} << (8 * (count - 1)) | uint64_t{data[middle]} << (8 * (count - 1 - middle)) |
           data[count - 1];
  }
  void grow(uint64_t count);

  std::vector<uint8_t> buf_;
  // Octets at which a 64-bit window may start: all but the last eight.
  std::size_t room_ = 0;
  uint64_t bits_ = 0;
  bool aligned_;
};

}  // namespace zurcore::per

#endif
