// Encoding the contents of simple types from their layouts.
#include <cstring>

#include "ber_encoder.h"
#include "real_codec.h"
#include "time_codec.h"
#include "zurbase/values.h"
#include "zurcore/codec/oid_arcs.h"
#include "zurcore/codec/raw_access.h"
#include "zurcore/codec/rows.h"

namespace zurcore {
namespace {

// The two's complement of v in the fewest octets, last octet first.
std::size_t minimalSigned(int64_t v, unsigned char out[9]) {
  std::size_t n = 0;
  for (;;) {
    out[n++] = static_cast<unsigned char>(v & 0xFF);
    const int64_t rest = v >> 8;
    if ((rest == 0 && (out[n - 1] & 0x80) == 0) || (rest == -1 && (out[n - 1] & 0x80) != 0)) return n;
    v = rest;
  }
}

std::size_t minimalUnsigned(uint64_t v, unsigned char out[9]) {
  std::size_t n = 0;
  do {
    out[n++] = static_cast<unsigned char>(v & 0xFF);
    v >>= 8;
  } while (v != 0);
  if ((out[n - 1] & 0x80) != 0) out[n++] = 0;
  return n;
}

}  // namespace

bool Encoder::encodeLeaf(uint32_t type, const unsigned char *v) {
  const TypeDesc &d = s_.desc(type);
  const ZurType &zt = s_.type(type);
  switch (zt.builtin) {
    case ZB_BOOLEAN: {
      const unsigned char b = v[0] != 0 ? 0xFF : 0x00;
      return putOctets(&b, 1);
    }
    case ZB_NULL:
      return true;
    case ZB_INTEGER:
    case ZB_ENUMERATED:
      return encodeInteger(d, v);
    case ZB_REAL: {
      unsigned char octets[16];
      return putOctets(octets, encodeReal(load<double>(v), octets));
    }
    case ZB_BIT_STRING:
      return encodeBits(zt, v);
    case ZB_BMP_STRING:
      return encodeWide(2, v);
    case ZB_UNIVERSAL_STRING:
      return encodeWide(4, v);
    case ZB_RELATIVE_OID:
      return encodeRelativeOid(v);
    case ZB_UTC_TIME:
    case ZB_GENERALIZED_TIME: {
      const bool generalized = zt.builtin == ZB_GENERALIZED_TIME;
      const auto t = load<TimeValue>(v);
      // DER writes a time in UTC with its Z: one with an offset or in local
      // time is refused rather than written in a form DER does not take.
      if (!encodableTime(generalized, t)) return fail(ROW_TIME_RANGE);
      if (der_ && (generalized ? t.utc == 0 : t.mindiff != 0)) return fail(ROW_TIME_NOT_UTC);
      char text[32];
      return putOctets(text, formatTime(generalized, t, text));
    }
    case ZB_OBJECT_IDENTIFIER: {
      const auto oid = load<ZurOid>(v);
      if (oid.length != 0 && oid.value == nullptr) return fail(ROW_NULL_IN_INPUT);
      const ArcCheck check = checkArcs(oid.value, oid.length, false);
      if (check.row != 0) return fail(check.row, ReportArg::of(check.argument));
      return putOctets(oid.value, oid.length);
    }
    default: {
      const auto o = load<ZurOctets>(v);
      if (o.length != 0 && o.value == nullptr) return fail(ROW_NULL_IN_INPUT);
      return putOctets(o.value, o.length);
    }
  }
}

bool Encoder::encodeInteger(const TypeDesc &d, const unsigned char *v) {
  unsigned char octets[9];
  std::size_t n;
  if (d.kind == KIND_OCTETS_PTR2) {
    const auto huge = load<ZurHugeInt>(v);
    if (huge.length == 0) return fail(ROW_MISENCODED, {}, kNoOctets);
    if (huge.value == nullptr) return fail(ROW_NULL_IN_INPUT);
    return putOctets(huge.value, huge.length);
  }
  if (d.kind == KIND_UNSIGNED) {
    n = minimalUnsigned(load<uint64_t>(v), octets);
  } else {
    int64_t value = 0;
    switch (d.lenSize) {
      case 1: value = static_cast<int8_t>(v[0]); break;
      case 2: value = load<int16_t>(v); break;
      case 4: value = load<int32_t>(v); break;
      default: value = load<int64_t>(v); break;
    }
    n = minimalSigned(value, octets);
  }
  if (!reserve(n)) return false;
  for (std::size_t k = 0; k < n; ++k) out_.put(octets[k]);
  return true;
}

bool Encoder::encodeBits(const ZurType &t, const unsigned char *v) {
  const auto bits = load<ZurBits>(v);
  uint32_t length = bits.length;
  if (length != 0 && bits.value == nullptr) return fail(ROW_NULL_IN_INPUT);
  if (der_ && (t.flags & ZUR_T_NAMED_BITS) != 0)
    while (length != 0 && (bits.value[(length - 1) / 8] >> (7 - (length - 1) % 8) & 1) == 0) --length;
  const std::size_t octets = (length + 7) / 8;
  const unsigned unused = static_cast<unsigned>(octets * 8 - length);
  if (!reserve(octets + 1)) return false;
  if (octets != 0) {
    out_.put(static_cast<unsigned char>(bits.value[octets - 1] & (0xFFu << unused)));
    out_.put(bits.value, octets - 1);
  }
  out_.put(static_cast<unsigned char>(unused));
  return true;
}

bool Encoder::encodeWide(std::size_t unit, const unsigned char *v) {
  const auto chars = load<ZurOctets>(v);  // same shape: a count, then the address
  if (chars.length != 0 && chars.value == nullptr) return fail(ROW_NULL_IN_INPUT);
  if (!reserve(std::size_t{chars.length} * unit)) return false;
  for (uint32_t k = chars.length; k-- != 0;) {
    if (unit == 2) {
      const uint16_t c = load<uint16_t>(chars.value + 2 * k);
      out_.put(static_cast<unsigned char>(c & 0xFF));
      out_.put(static_cast<unsigned char>(c >> 8));
    } else {
      const uint32_t c = load<uint32_t>(chars.value + 4 * k);
      for (int b = 0; b < 4; ++b) out_.put(static_cast<unsigned char>(c >> (8 * b) & 0xFF));
    }
  }
  return true;
}

bool Encoder::encodeRelativeOid(const unsigned char *v) {
  const auto oid = load<ZurRelativeOid>(v);
  if (oid.count > 0 && oid.value == nullptr) return fail(ROW_NULL_IN_INPUT);
  for (int16_t k = oid.count; k-- > 0;) {
    uint32_t arc = oid.value[k];
    if (!reserve(5)) return false;
    out_.put(static_cast<unsigned char>(arc & 0x7F));
    for (arc >>= 7; arc != 0; arc >>= 7) out_.put(static_cast<unsigned char>(0x80 | (arc & 0x7F)));
  }
  return true;
}

}  // namespace zurcore
