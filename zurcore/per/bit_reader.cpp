#include "bit_reader.h"

#include <cstring>

namespace zurcore::per {

// The reads that one window does not serve: those past the end of the
// input, and those of more than 57 bits.
bool BitReader::getBitsNearEnd(unsigned count, uint64_t &value) {
  if (!need(count)) return false;
  uint64_t high, low;  // the high half first
  getBits(count - 32, high);
  getBits(32, low);
  value = high << 32 | low;
  return true;
}

bool BitReader::getOctets(uint8_t *out, std::size_t count) {
  if (!need(uint64_t{count} * 8)) return false;
  if (count < 8) {  // the usual few, from one window
    storeWindow(out, count);
    pos_ += uint64_t{count} * 8;
    return true;
  }
  if ((pos_ & 7) == 0) {
    if (count != 0) std::memcpy(out, data_ + pos_ / 8, count);
    pos_ += uint64_t{count} * 8;
    return true;
  }
  // Off the boundary the octets span count + 1 octets of the input: eight
  // at a time while a ninth is there behind them.
  unsigned shift = static_cast<unsigned>(pos_ & 7);
  const uint8_t *in = data_ + pos_ / 8;
  std::size_t i = 0;
  for (; i + 8 <= count; i += 8)
    storeBigEndian64(out + i, loadBigEndian64(in + i) << shift | in[i + 8] >> (8 - shift));
  for (; i < count; ++i)
    out[i] = static_cast<uint8_t>(in[i] << shift | in[i + 1] >> (8 - shift));
  pos_ += uint64_t{count} * 8;
  return true;
}

bool BitReader::getBitString(uint8_t *out, uint64_t count) {
  if (!need(count)) return false;
  if (count <= kWindowBits) {  // from one window, the bits past them cleared
    const uint64_t w = window() & ~(~uint64_t{0} >> count);
    for (uint64_t k = 0; k < (count + 7) / 8; ++k) out[k] = static_cast<uint8_t>(w >> (56 - 8 * k));
    pos_ += count;
    return true;
  }
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

void BitReader::storeWindow(uint8_t *out, std::size_t count) const {
  const uint64_t w = window();
  for (std::size_t k = 0; k < count; ++k) out[k] = static_cast<uint8_t>(w >> (56 - 8 * k));
}

bool BitReader::skipBits(uint64_t count) {
  if (!need(count)) return false;
  pos_ += count;
  return true;
}

}  // namespace zurcore::per
