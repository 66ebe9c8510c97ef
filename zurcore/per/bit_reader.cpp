#include "bit_reader.h"

#include <cstring>

namespace zurcore::per {

bool BitReader::getBits(unsigned count, uint64_t &value) {
  if (!need(count)) return false;
  uint64_t v = 0;
  uint64_t pos = pos_;
  unsigned left = count;
  while (left > 0) {
    unsigned offset = static_cast<unsigned>(pos & 7);
    unsigned avail = 8 - offset;
    unsigned take = left < avail ? left : avail;
    unsigned octet = data_[pos >> 3];
    unsigned chunk = (octet >> (avail - take)) & ((1u << take) - 1);
    v = v << take | chunk;
    pos += take;
    left -= take;
  }
  pos_ = pos;
  value = v;
  return true;
}

bool BitReader::getOctets(uint8_t *out, std::size_t count) {
  if (!need(uint64_t{count} * 8)) return false;
  if ((pos_ & 7) == 0) {
    if (count != 0) std::memcpy(out, data_ + pos_ / 8, count);
    pos_ += uint64_t{count} * 8;
    return true;
  }
  unsigned shift = static_cast<unsigned>(pos_ & 7);
  const uint8_t *in = data_ + pos_ / 8;
  for (std::size_t i = 0; i < count; ++i)
    out[i] = static_cast<uint8_t>(in[i] << shift | in[i + 1] >> (8 - shift));
  pos_ += uint64_t{count} * 8;
  return true;
}

bool BitReader::getBitString(uint8_t *out, uint64_t count) {
  if (!need(count)) return false;
  std::size_t whole = static_cast<std::size_t>(count / 8);
  getOctets(out, whole);
  unsigned rest = static_cast<unsigned>(count & 7);
  if (rest != 0) {
    uint64_t v;
    getBits(rest, v);
    out[whole] = static_cast<uint8_t>(v << (8 - rest));
  }
  return true;
}

bool BitReader::skipBits(uint64_t count) {
  if (!need(count)) return false;
  pos_ += count;
  return true;
}

}  // namespace zurcore::per
