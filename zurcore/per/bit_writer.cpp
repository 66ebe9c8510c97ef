#include "bit_writer.h"

#include <cstring>

namespace zurcore::per {

// Octets past bits_ are kept zero, so writing only ORs bits in.
void BitWriter::reserveBits(uint64_t count) {
  std::size_t need = static_cast<std::size_t>((bits_ + count + 7) / 8);
  if (need > buf_.size()) buf_.resize(need < 2 * buf_.size() ? 2 * buf_.size() : need, 0);
}

void BitWriter::putBits(uint64_t value, unsigned count) {
  if (count == 0) return;
  if (count < 64) value &= (uint64_t{1} << count) - 1;
  reserveBits(count);
  uint64_t pos = bits_;
  while (count > 0) {
    unsigned room = 8 - static_cast<unsigned>(pos & 7);
    unsigned take = count < room ? count : room;
    unsigned chunk = static_cast<unsigned>(value >> (count - take)) & ((1u << take) - 1);
    buf_[pos >> 3] |= static_cast<uint8_t>(chunk << (room - take));
    pos += take;
    count -= take;
  }
  bits_ = pos;
}

void BitWriter::putOctets(const uint8_t *data, std::size_t count) {
  if (count == 0) return;
  if ((bits_ & 7) == 0) {
    reserveBits(uint64_t{count} * 8);
    std::memcpy(&buf_[bits_ >> 3], data, count);
    bits_ += uint64_t{count} * 8;
    return;
  }
  for (std::size_t i = 0; i < count; ++i) putBits(data[i], 8);
}

void BitWriter::putBitString(const uint8_t *data, uint64_t count) {
  putOctets(data, static_cast<std::size_t>(count / 8));
  unsigned rest = static_cast<unsigned>(count & 7);
  if (rest != 0) putBits(data[count / 8] >> (8 - rest), rest);
}

void BitWriter::complete() {
  if (bits_ == 0) putBits(0, 8);
  padToOctet();
  reserveBits(0);
}

}  // namespace zurcore::per
