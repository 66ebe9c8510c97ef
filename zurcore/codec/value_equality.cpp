// Values are compared by what they mean, not by their bytes: addresses of
// strings differ, a BOOLEAN is any non-zero octet, the unused bits of a BIT
// STRING, the trailing 0 bits of one with named bits and members of an
// absent component do not count.
#include "value_equality.h"

#include <cstring>

#include "zurbase/values.h"
#include "zurcore/codec/raw_access.h"

namespace zurcore {
namespace {

bool sameOctets(uint32_t la, const void *a, uint32_t lb, const void *b) {
  return la == lb && (la == 0 || std::memcmp(a, b, la) == 0);
}

template <class Counted>
bool sameCounted(const void *a, const void *b, std::size_t unit) {
  const auto x = load<Counted>(a);
  const auto y = load<Counted>(b);
  return x.length == y.length && (x.length == 0 || std::memcmp(x.value, y.value, x.length * unit) == 0);
}

// The bits of `x` up to its last 1 bit.
uint32_t withoutTrailingZeros(const ZurBits &x) {
  uint32_t n = x.length;
  while (n != 0 && (x.value[(n - 1) / 8] >> (7 - (n - 1) % 8) & 1) == 0) --n;
  return n;
}

bool sameBits(const void *a, const void *b, bool namedBits) {
  auto x = load<ZurBits>(a);
  auto y = load<ZurBits>(b);
  if (namedBits) {
    x.length = withoutTrailingZeros(x);
    y.length = withoutTrailingZeros(y);
  }
  if (x.length != y.length) return false;
  const uint32_t whole = x.length / 8;
  if (whole != 0 && std::memcmp(x.value, y.value, whole) != 0) return false;
  const unsigned rest = x.length % 8;
  if (rest == 0) return true;
  const unsigned mask = 0xFFu << (8 - rest) & 0xFFu;
  return ((x.value[whole] ^ y.value[whole]) & mask) == 0;
}

bool sameTime(const void *a, const void *b) {
  const auto x = load<TimeValue>(a);
  const auto y = load<TimeValue>(b);
  return x.year == y.year && x.month == y.month && x.day == y.day && x.hour == y.hour &&
         x.minute == y.minute && x.second == y.second && x.millisec == y.millisec &&
         x.mindiff == y.mindiff && (x.utc != 0) == (y.utc != 0);
}

bool sameStructure(const Schema &s, uint32_t type, const unsigned char *a, const unsigned char *b) {
  const TypeDesc &d = s.desc(type);
  const uint32_t first = d.ref;
  for (uint32_t i = 0; i < static_cast<uint32_t>(d.count); ++i) {
    const FieldDesc &f = s.field(first + i);
    const bool pa = ctlComponentPresent(&f, a, d.lenSize, a + f.offset) != 0;
    const bool pb = ctlComponentPresent(&f, b, d.lenSize, b + f.offset) != 0;
    if (pa != pb) return false;
    if (pa && !valuesEqual(s, f.type, a + f.offset, b + f.offset)) return false;
  }
  return true;
}

bool sameChoice(const Schema &s, uint32_t type, const unsigned char *a, const unsigned char *b) {
  const int32_t ca = load<int32_t>(a);
  if (ca != load<int32_t>(b)) return false;
  const TypeDesc &d = s.desc(type);
  if (ca < 1 || ca > d.count) return ca == 0;
  const FieldDesc &f = s.field(d.ref + static_cast<uint32_t>(ca) - 1);
  return valuesEqual(s, f.type, a + f.offset, b + f.offset);
}

bool sameElements(const Schema &s, uint32_t type, const unsigned char *a, const unsigned char *b) {
  const TypeDesc &d = s.desc(type);
  const uint32_t n = load<uint32_t>(a);
  if (n != load<uint32_t>(b)) return false;
  const auto *ea = load<const unsigned char *>(a + d.dataOffset);
  const auto *eb = load<const unsigned char *>(b + d.dataOffset);
  const std::size_t stride = static_cast<std::size_t>(d.count);
  for (uint32_t i = 0; i < n; ++i)
    if (!valuesEqual(s, d.ref, ea + i * stride, eb + i * stride)) return false;
  return true;
}

}  // namespace

bool valuesEqual(const Schema &s, uint32_t type, const void *va, const void *vb) {
  const TypeDesc &d = s.desc(type);
  auto a = static_cast<const unsigned char *>(va);
  auto b = static_cast<const unsigned char *>(vb);
  if ((d.typeFlags & TYPE_BY_POINTER) != 0) {
    a = load<const unsigned char *>(a);
    b = load<const unsigned char *>(b);
    if (a == nullptr || b == nullptr) return a == b;
  }
  switch (d.kind) {
    case KIND_NULL:
      return true;
    case KIND_BOOLEAN:
      return (a[0] != 0) == (b[0] != 0);
    case KIND_INTEGER:
    case KIND_UNSIGNED:
    case KIND_ENUMERATED:
      return std::memcmp(a, b, d.lenSize) == 0;
    case KIND_REAL:
      return std::memcmp(a, b, sizeof(double)) == 0;
    case KIND_BITS_PTR:
      return sameBits(a, b, (s.type(type).flags & ZUR_T_NAMED_BITS) != 0);
    case KIND_OCTETS_PTR2:
    case KIND_OCTETS_PTR:
    case KIND_CHARS_PTR:
    case KIND_OID_ENCODED:
      return sameCounted<ZurOctets>(a, b, 1);
    case KIND_BMP_STRING:
      return sameCounted<ZurBmpChars>(a, b, 2);
    case KIND_UNIVERSAL_STRING:
      return sameCounted<ZurUniversalChars>(a, b, 4);
    case KIND_OID_PTR: {
      const auto x = load<ZurRelativeOid>(a);
      const auto y = load<ZurRelativeOid>(b);
      return x.count == y.count &&
             (x.count <= 0 || std::memcmp(x.value, y.value, x.count * sizeof(uint32_t)) == 0);
    }
    case KIND_UTC_TIME:
    case KIND_GENERALIZED_TIME:
      return sameTime(a, b);
    case KIND_SEQUENCE:
    case KIND_SET:
    case KIND_SEQUENCE_EXT:
    case KIND_SET_EXT:
      return sameStructure(s, type, a, b);
    case KIND_CHOICE:
      return sameChoice(s, type, a, b);
    case KIND_SEQOF_PTR_ARRAY:
    case KIND_SETOF_PTR_ARRAY:
      return sameElements(s, type, a, b);
    case KIND_ENCODED: {
      const auto x = load<EncodedValue>(a);
      const auto y = load<EncodedValue>(b);
      return sameOctets(static_cast<uint32_t>(x.length), x.octets, static_cast<uint32_t>(y.length),
                        y.octets);
    }
    default:
      return std::memcmp(a, b, d.size) == 0;
  }
}

}  // namespace zurcore
