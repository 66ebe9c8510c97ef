#include "ber_contents.h"

#include <cmath>
#include <cstdlib>
#include <cstring>

#include "bit_reader.h"

namespace zurcore::per {
namespace {

constexpr uint8_t kPlusInfinity = 0x40;
constexpr uint8_t kMinusInfinity = 0x41;
constexpr uint8_t kNotANumber = 0x42;
constexpr uint8_t kMinusZero = 0x43;
// Exponents beyond this make every mantissa overflow or vanish.
constexpr int64_t kExponentLimit = 1 << 20;

int decimalReal(const uint8_t *in, std::size_t length, double &value) {
  char text[64];
  if (length == 0 || length >= sizeof text) return ROW_INVALID_DECIMAL_REAL;
  for (std::size_t i = 0; i < length; ++i) {
    char c = static_cast<char>(in[i]);
    if (!std::strchr("0123456789+-.,eE ", c) || c == '\0') return ROW_INVALID_DECIMAL_REAL;
    text[i] = c == ',' ? '.' : c;
  }
  text[length] = '\0';
  char *end;
  value = std::strtod(text, &end);
  while (*end == ' ') ++end;
  return *end == '\0' && end != text ? 0 : ROW_INVALID_DECIMAL_REAL;
}

}  // namespace

std::size_t realContents(double value, uint8_t *out) {
  if (std::isnan(value)) return out[0] = kNotANumber, 1;
  if (std::isinf(value)) return out[0] = value > 0 ? kPlusInfinity : kMinusInfinity, 1;
  if (value == 0) return std::signbit(value) ? (out[0] = kMinusZero, 1) : 0;
  int exponent;
  double fraction = std::frexp(std::fabs(value), &exponent);
  uint64_t mantissa = static_cast<uint64_t>(std::ldexp(fraction, 53));
  exponent -= 53;
  while ((mantissa & 1) == 0) {
    mantissa >>= 1;
    ++exponent;
  }
  unsigned exponentOctets = exponent >= -128 && exponent <= 127 ? 1 : 2;
  std::size_t n = 0;
  out[n++] = static_cast<uint8_t>(0x80 | (value < 0 ? 0x40 : 0) | (exponentOctets - 1));
  for (unsigned i = exponentOctets; i-- > 0;) out[n++] = static_cast<uint8_t>(exponent >> (8 * i));
  unsigned mantissaOctets = 1;
  while (mantissaOctets < 8 && (mantissa >> (8 * mantissaOctets)) != 0) ++mantissaOctets;
  for (unsigned i = mantissaOctets; i-- > 0;) out[n++] = static_cast<uint8_t>(mantissa >> (8 * i));
  return n;
}

int realFromContents(const uint8_t *in, std::size_t length, double &value) {
  if (length == 0) return value = 0, 0;
  uint8_t first = in[0];
  if ((first & 0x80) == 0) {
    if ((first & 0x40) == 0) return decimalReal(in + 1, length - 1, value);
    if (length != 1 || first > kMinusZero) return ROW_RESERVED_REAL;
    static constexpr double kSpecial[] = {INFINITY, -INFINITY, NAN, -0.0};
    return value = kSpecial[first - kPlusInfinity], 0;
  }
  unsigned baseCode = (first >> 4) & 3;
  if (baseCode == 3) return ROW_RESERVED_REAL;
  std::size_t pos = 1;
  std::size_t exponentOctets = (first & 3) + 1;
  if ((first & 3) == 3) {
    if (length < 2) return ROW_MISENCODED;
    exponentOctets = in[pos++];
  }
  if (exponentOctets == 0 || length - pos <= exponentOctets) return ROW_MISENCODED;
  int64_t exponent = static_cast<int8_t>(in[pos++]);
  for (std::size_t i = 1; i < exponentOctets; ++i, ++pos) {
    if (exponent > kExponentLimit || exponent < -kExponentLimit) return ROW_REAL_TOO_LARGE;
    exponent = exponent * 256 + in[pos];
  }
  double mantissa = 0;
  for (; pos < length; ++pos) mantissa = mantissa * 256 + in[pos];
  static constexpr int kBaseBits[] = {1, 3, 4};
  int64_t scale = exponent * kBaseBits[baseCode] + ((first >> 2) & 3);
  if (scale > kExponentLimit) scale = kExponentLimit;
  if (scale < -kExponentLimit) scale = -kExponentLimit;
  value = std::ldexp(mantissa, static_cast<int>(scale));
  if (std::isinf(value)) return ROW_REAL_TOO_LARGE;
  if (first & 0x40) value = -value;
  return 0;
}

std::size_t arcContents(uint32_t arc, uint8_t *out) {
  std::size_t n = 0;
  for (int shift = 28; shift > 0; shift -= 7)
    if (n > 0 || (arc >> shift) != 0) out[n++] = static_cast<uint8_t>(0x80 | ((arc >> shift) & 0x7F));
  out[n++] = static_cast<uint8_t>(arc & 0x7F);
  return n;
}

int countArcs(const uint8_t *in, std::size_t length, uint32_t &count) {
  if (length == 0 || (in[length - 1] & 0x80) != 0) return ROW_BAD_OID;
  count = 0;
  uint64_t arc = 0;
  for (std::size_t i = 0; i < length; ++i) {
    arc = arc << 7 | (in[i] & 0x7F);
    if (arc > UINT32_MAX) return ROW_BAD_OID;
    if ((in[i] & 0x80) == 0) {
      ++count;
      arc = 0;
    }
  }
  return 0;
}

void arcsFromContents(const uint8_t *in, std::size_t length, uint32_t *arcs) {
  uint32_t arc = 0;
  for (std::size_t i = 0; i < length; ++i) {
    arc = arc << 7 | (in[i] & 0x7F);
    if ((in[i] & 0x80) == 0) {
      *arcs++ = arc;
      arc = 0;
    }
  }
}

}  // namespace zurcore::per
