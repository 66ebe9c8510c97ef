// Binary REALs are read at any base, scale and exponent length; the
// mantissa is gathered into 64 bits with the octets beyond them rounded
// into the exponent, so every finite encoding gives the nearest double.
#include "real_codec.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "zurcore/codec/rows.h"

namespace zurcore {
namespace {

constexpr const char *kDerReal = "DER: REAL in base 2 with an odd mantissa";
constexpr const char *kDerDecimal = "DER: decimal REAL in NR3 form as M.E[-]X";
constexpr std::size_t kMaxExponentOctets = 4;
constexpr std::size_t kMaxDecimal = 80;

int decodeBinary(const unsigned char *p, std::size_t n, bool der, double &out, LeafFault &fault) {
  const unsigned first = p[0];
  const int base = (first >> 4) & 3;
  if (base == 3) return ROW_RESERVED_REAL;
  const int scale = (first >> 2) & 3;
  std::size_t pos = 1;
  std::size_t expLength = (first & 3) + 1;
  if ((first & 3) == 3) {
    if (n < 2) return ROW_MISENCODED;
    expLength = p[pos++];
    if (expLength == 0) return ROW_MISENCODED;
  }
  if (expLength > kMaxExponentOctets) {
    fault.arg = static_cast<int64_t>(expLength);
    return ROW_EXPONENT_TOO_LONG;
  }
  if (n < pos + expLength + 1) return ROW_MISENCODED;
  // BER asks the fewest exponent octets of the long form only; DER, being
  // one encoding per value, of every form.
  if (expLength > 1 && ((first & 3) == 3 || der) &&
      ((p[pos] == 0 && (p[pos + 1] & 0x80) == 0) || (p[pos] == 0xFF && (p[pos + 1] & 0x80) != 0)))
    return ROW_EXPONENT_NEEDLESSLY_LONG;
  int64_t exponent = (p[pos] & 0x80) != 0 ? -1 : 0;
  for (std::size_t k = 0; k < expLength; ++k) exponent = exponent * 256 + p[pos++];
  uint64_t mantissa = 0;
  int64_t extra = 0;  // binary orders of mantissa octets beyond 64 bits
  bool sticky = false;
  for (; pos < n; ++pos) {
    if (mantissa >> 56 != 0) {
      extra += 8;
      sticky = sticky || p[pos] != 0;
    } else {
      mantissa = mantissa << 8 | p[pos];
    }
  }
  if (der && (base != 0 || scale != 0 || (mantissa & 1) == 0 || extra != 0)) {
    fault.derRule = kDerReal;
    return ROW_MISENCODED;
  }
  if (sticky) mantissa |= 1;
  const int bitsPerDigit = base == 0 ? 1 : base == 1 ? 3 : 4;
  const double value = std::ldexp(static_cast<double>(mantissa),
                                  static_cast<int>(std::max<int64_t>(
                                      std::min<int64_t>(exponent * bitsPerDigit + scale + extra, 1 << 20),
                                      -(1 << 20))));
  if (std::isinf(value)) return ROW_REAL_TOO_LARGE;
  out = (first & 0x40) != 0 ? -value : value;
  return 0;
}

// The decimal form DER allows: NR3, the mantissa an integer without
// leading or trailing zeros and a full stop behind it, the exponent without
// leading zeros or plus sign but for "+0", no blanks: "-123.E-2".
bool derDecimal(const unsigned char *p, std::size_t n) {
  if (p[0] != 3) return false;
  std::size_t k = 1;
  const auto digitsFrom = [&](std::size_t from) {
    while (k < n && p[k] >= '0' && p[k] <= '9') ++k;
    return k - from;
  };
  if (k < n && p[k] == '-') ++k;
  const std::size_t mantissa = k;
  if (k >= n || p[k] == '0' || digitsFrom(mantissa) == 0 || p[k - 1] == '0') return false;
  if (n - k < 3 || p[k] != '.' || p[k + 1] != 'E') return false;
  k += 2;
  if (p[k] == '+') return n - k == 2 && p[k + 1] == '0';
  if (p[k] == '-') ++k;
  const std::size_t exponent = k;
  return k < n && p[k] != '0' && digitsFrom(exponent) != 0 && k == n;
}

int decodeDecimal(const unsigned char *p, std::size_t n, bool der, double &out, LeafFault &fault) {
  if (der && !derDecimal(p, n)) {
    fault.derRule = kDerDecimal;
    return ROW_MISENCODED;
  }
  const unsigned form = p[0] & 0x3F;
  const int row = form == 1 ? ROW_INVALID_NR1 : form == 2 ? ROW_INVALID_NR2 : form == 3 ? ROW_INVALID_NR3 : ROW_INVALID_DECIMAL;
  if (form < 1 || form > 3) return row;
  if (n - 1 > kMaxDecimal) return row;
  char text[kMaxDecimal + 1];
  std::size_t len = 0;
  bool digits = false;
  for (std::size_t k = 1; k < n; ++k) {
    char ch = static_cast<char>(p[k]);
    if (ch == ',') ch = '.';
    const bool allowed = (ch >= '0' && ch <= '9') || ch == '+' || ch == '-' || ch == ' ' ||
                         (form >= 2 && ch == '.') || (form == 3 && (ch == 'E' || ch == 'e'));
    if (!allowed) return row;
    digits = digits || (ch >= '0' && ch <= '9');
    text[len++] = ch;
  }
  if (!digits) return ROW_DECIMAL_MANTISSA;
  text[len] = '\0';
  char *end = nullptr;
  const double value = std::strtod(text, &end);
  while (end != nullptr && *end == ' ') ++end;
  if (end == nullptr || *end != '\0') return row;
  if (std::isinf(value)) return ROW_REAL_TOO_LARGE;
  out = value;
  return 0;
}

}  // namespace

int decodeReal(const unsigned char *p, std::size_t n, bool der, double &out, LeafFault &fault) {
  if (n == 0) {
    out = 0.0;
    return 0;
  }
  if ((p[0] & 0x80) != 0) return decodeBinary(p, n, der, out, fault);
  if ((p[0] & 0x40) != 0) {
    if (n != 1) return ROW_MISENCODED;
    switch (p[0]) {
      case 0x40: out = HUGE_VAL; return 0;
      case 0x41: out = -HUGE_VAL; return 0;
      case 0x42: out = std::nan(""); return 0;
      case 0x43: out = -0.0; return 0;
      default: return ROW_RESERVED_REAL;
    }
  }
  return decodeDecimal(p, n, der, out, fault);
}

std::size_t encodeReal(double v, unsigned char out[16]) {
  if (std::isnan(v)) {
    out[0] = 0x42;
    return 1;
  }
  if (std::isinf(v)) {
    out[0] = v > 0 ? 0x40 : 0x41;
    return 1;
  }
  if (v == 0) {
    if (!std::signbit(v)) return 0;
    out[0] = 0x43;
    return 1;
  }
  int exponent2;
  const double fraction = std::frexp(std::fabs(v), &exponent2);  // [0.5, 1)
  uint64_t mantissa = static_cast<uint64_t>(std::ldexp(fraction, 53));
  int64_t exponent = int64_t{exponent2} - 53;
  while ((mantissa & 1) == 0) {
    mantissa >>= 1;
    ++exponent;
  }
  unsigned char e[8];
  std::size_t el = 0;
  int64_t rest = exponent;
  do {
    e[el++] = static_cast<unsigned char>(rest & 0xFF);
    rest >>= 8;
  } while (!((rest == 0 && (e[el - 1] & 0x80) == 0) || (rest == -1 && (e[el - 1] & 0x80) != 0)));
  std::size_t n = 0;
  out[n++] = static_cast<unsigned char>(0x80 | (v < 0 ? 0x40 : 0) | (el - 1));
  while (el != 0) out[n++] = e[--el];
  unsigned char m[8];
  std::size_t ml = 0;
  for (; mantissa != 0; mantissa >>= 8) m[ml++] = static_cast<unsigned char>(mantissa & 0xFF);
  while (ml != 0) out[n++] = m[--ml];
  return n;
}

}  // namespace zurcore
