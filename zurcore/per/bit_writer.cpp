#include "bit_writer.h"

#include <cstring>

namespace zurcore::per {

// Octets past bits_ are kept zero, so that padding is zero bits.
void BitWriter::grow(uint64_t count) {
  std::size_t need = static_cast<std::size_t>((bits_ + count + 7) / 8 + 8);
  buf_.resize(need < 2 * buf_.size() ? 2 * buf_.size() : need, 0);
  room_ = buf_.size() - 8;
}

void BitWriter::putBitsGrowing(uint64_t value, unsigned count) {
  if (count < 64) value &= (uint64_t{1} << count) - 1;
  const unsigned used = static_cast<unsigned>(bits_ & 7);
  if (used + count > 64) {  // too wide for one window: the high half first
    putBits(value >> 32, count - 32);
    putBits(value & 0xFFFFFFFFu, 32);
    return;
  }
  reserveBits(count);
  // The bits already in the last octet and the new ones, as one window
  // written octet by octet, most significant first.
  uint8_t *p = &buf_[bits_ >> 3];
  const unsigned total = used + count;
  uint64_t window = used == 0 ? value : (uint64_t{*p} >> (8 - used)) << count | value;
  window <<= 64 - total;
  for (unsigned i = 0; i < (total + 7) / 8; ++i) p[i] = static_cast<uint8_t>(window >> (56 - 8 * i));
  bits_ += count;
}

void BitWriter::putOctetsLong(const uint8_t *data, std::size_t count) {
  if (count == 0) return;
  reserveBits(uint64_t{count} * 8);
  if ((bits_ & 7) == 0 && count >= 8) {
    // On a boundary: copied, eight octets at a time for a short run, the
    // last eight overlapping those before.
    uint8_t *p = &buf_[bits_ >> 3];
    if (count >= kCopyOctets) {
      std::memcpy(p, data, count);
    } else {
      for (std::size_t i = 0; i + 8 < count; i += 8) std::memcpy(p + i, data + i, 8);
      std::memcpy(p + count - 8, data + count - 8, 8);
    }
    bits_ += uint64_t{count} * 8;
    return;
  }
  // Off an octet boundary, or fewer than eight: seven octets to a window,
  // each read as eight while eight are left to read.
  for (; count >= 8; data += 7, count -= 7) putReserved(loadBigEndian64(data) >> 8, 56);
  if (count != 0) putReserved(loadShort(data, count), static_cast<unsigned>(8 * count));
}

void BitWriter::putBitString(const uint8_t *data, uint64_t count) {
  putOctets(data, static_cast<std::size_t>(count / 8));
  unsigned rest = static_cast<unsigned>(count & 7);
  if (rest != 0) putBits(data[count / 8] >> (8 - rest), rest);
}

void BitWriter::complete() {
  if (bits_ == 0) putZeros(8);
  padToOctet();
  reserveBits(0);
}

}  // namespace zurcore::per
