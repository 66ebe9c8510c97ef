#include "bit_reader.h"

#include <cstring>

namespace zurcore::per {

bool BitReader::getBits(unsigned count, uint64_t &value) {
  if (!need(count)) return false;
  if (count == 0) {
    value = 0;
    return true;
  }
  const unsigned offset = static_cast<unsigned>(pos_ & 7);
  const std::size_t first = static_cast<std::size_t>(pos_ >> 3);
  const unsigned octets = (offset + count + 7) / 8;
  if (offset + count <= 64) {
    // The octets that hold the bits, as one window.
    uint64_t window = 0;
    for (unsigned i = 0; i < octets; ++i) window = window << 8 | data_[first + i];
    window <<= 64 - 8 * octets;
    window <<= offset;
    value = window >> (64 - count);
  } else {  // 64 bits across nine octets
    uint64_t high, low;
    getBits(count - 32, high);
    getBits(32, low);
    value = high << 32 | low;
    return true;
  }
  pos_ += count;
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
