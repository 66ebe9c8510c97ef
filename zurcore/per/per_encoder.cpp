#include "per_encoder.h"

#include <algorithm>
#include <bit>
#include <cstdio>
#include <cstring>

#include "big_endian.h"
#include "length_pieces.h"
#include "per_values.h"
#include "zurcore/ber/real_codec.h"
#include "zurcore/ber/time_codec.h"
#include "zurcore/codec/defaults.h"
#include "zurcore/codec/limits.h"
#include "zurcore/codec/oid_arcs.h"
#include "zurcore/codec/rows.h"

namespace zurcore::per {
namespace {

// value - subtrahend for a two's complement number of n octets; out has room
// for n + 9; returns the octets written (n + 9).
std::size_t subtract(const uint8_t *value, std::size_t n, int64_t subtrahend, uint8_t *out) {
  std::size_t width = n + 9;
  uint8_t fill = n > 0 && (value[0] & 0x80) ? 0xFF : 0x00;
  int borrow = 0;
  uint64_t b = static_cast<uint64_t>(subtrahend);
  uint8_t bFill = subtrahend < 0 ? 0xFF : 0x00;
  for (std::size_t i = 0; i < width; ++i) {  // from the least significant octet
    int a = i < n ? value[n - 1 - i] : fill;
    int s = i < 8 ? static_cast<int>((b >> (8 * i)) & 0xFF) : bFill;
    int d = a - s - borrow;
    borrow = d < 0;
    out[width - 1 - i] = static_cast<uint8_t>(d);
  }
  return width;
}

// The shortest two's complement (signedForm) or magnitude of a number.
void trim(const uint8_t *&p, std::size_t &n, bool signedForm) {
  while (n > 1 && ((p[0] == 0x00 && (!signedForm || !(p[1] & 0x80))) ||
                   (signedForm && p[0] == 0xFF && (p[1] & 0x80)))) {
    ++p;
    --n;
  }
}

// std::lower_bound without a branch on the values: which one a value
// matches changes from value to value, and would be mispredicted.
const int32_t *lowerBound(const int32_t *values, uint32_t count, int32_t n) {
  if (count == 0) return values;
  while (count > 1) {
    const uint32_t half = count / 2;
    values += static_cast<uint32_t>(values[half - 1] < n) * half;
    count -= half;
  }
  return values + (*values < n);
}

}  // namespace

bool Encoder::fail(int row, ReportArg arg, const char *detail) {
  if (failure_.row == 0) failure_ = Failure{row, arg, detail, nullptr};
  return false;
}

bool Encoder::failedIn(uint32_t component) {
  if (failure_.component == nullptr) failure_.component = s_.fieldName(component);
  return false;
}

bool Encoder::encode(BitWriter &w, uint32_t type, const void *v) {
  present_.clear();
  Context c{{nullptr, caption(type), 0, 0}};
  uint64_t start = w.bitLength();
  if (!value(w, type, static_cast<const unsigned char *>(v), c)) return false;
  if (w.bitLength() == start) w.putZeros(8);
  w.padToOctet();
  return true;
}

// Inline in each caller: a call less per value, and each caller's dispatch
// by kind is a jump of its own, better predicted. Only a value held through
// an address can be missing: one in place lies within a value already
// checked (list() checks an array of elements).
template <bool Checked>
inline bool Encoder::value(BitWriter &w, uint32_t type, const unsigned char *held, const Context &c) {
  const unsigned char *v = held;
  if ((s_.desc(type).typeFlags & TYPE_BY_POINTER) != 0 &&
      (v = *reinterpret_cast<const unsigned char *const *>(held)) == nullptr)
    return refuse(v);
  if (Checked && depth_ >= maxDepth_) return refuse(v);
  if (Checked && trace_ != nullptr) return tracedContents(w, type, v, c);
  return contents(w, type, v, c);
}

bool Encoder::checkedValue(BitWriter &w, uint32_t type, const unsigned char *held, const Context &c) {
  return value(w, type, held, c);
}

// Out of value()'s way, so that it needs no frame of its own.
bool Encoder::refuse(const unsigned char *v) {
  if (v == nullptr) return fail(ROW_NULL_IN_INPUT);
  return fail(ROW_SIZE_TOO_LONG, ReportArg::of(depth_ + 1), kDepthLimitDetail);
}

// Traced, a failure names each value it leaves.
bool Encoder::tracedContents(BitWriter &w, uint32_t type, const unsigned char *v, const Context &c) {
  if (contents(w, type, v, c)) return true;
  trace_->error(c.place);
  return false;
}

// One call for each kind, each the last thing done, so that this dispatch
// keeps no frame: a kind handled in place here would make every value pay
// for saving the registers it needs.
inline bool Encoder::contents(BitWriter &w, uint32_t type, const unsigned char *v, const Context &c) {
  const uint8_t builtin = s_.type(type).builtin;
  switch (builtin) {
    case ZB_BOOLEAN: return boolean(w, v, c);
    case ZB_NULL: return null(c);
    case ZB_INTEGER: return integer(w, type, v, c);
    case ZB_ENUMERATED: return enumerated(w, type, v, c);
    case ZB_REAL: return real(w, type, v, c);
    case ZB_BIT_STRING: return bits(w, type, v, c);
    case ZB_OCTET_STRING: return octets(w, type, v, c);
    case ZB_OBJECT_IDENTIFIER: return objectIdentifier(w, v, c);
    case ZB_RELATIVE_OID: return relativeOid(w, v, c);
    case ZB_SEQUENCE:
    case ZB_SET: return sequence(w, type, v, c);
    case ZB_CHOICE: return choice(w, type, v, c);
    case ZB_SEQUENCE_OF:
    case ZB_SET_OF: return list(w, type, v, c);
    case ZB_OPEN_TYPE: return openType(w, type, v, c);
    default:
      if (isKnownMultiplier(builtin)) return knownMultiplier(w, type, v, c);
      return octetString(w, v, c);
  }
}

bool Encoder::boolean(BitWriter &w, const unsigned char *v, const Context &c) {
  w.putBit(v[0] != 0);
  traceLength(c, nullptr, false, 1);
  return true;
}

bool Encoder::null(const Context &c) {
  if (trace_ != nullptr) trace_->item(c.place, nullptr, PER_NOT_ENCODED, false, 0);
  return true;
}

bool Encoder::objectIdentifier(BitWriter &w, const unsigned char *v, const Context &c) {
  const ZurOid &oid = *reinterpret_cast<const ZurOid *>(v);
  if (oid.length != 0 && oid.value == nullptr) return fail(ROW_NULL_IN_INPUT);
  const ArcCheck check = checkArcs(oid.value, oid.length, false);
  if (check.row != 0) return fail(check.row, ReportArg::of(check.argument));
  return lengthOctets(w, oid.value, oid.length, c);
}

// The character strings without a known multiplier: octets behind a length.
bool Encoder::octetString(BitWriter &w, const unsigned char *v, const Context &c) {
  const ZurChars &chars = *reinterpret_cast<const ZurChars *>(v);
  if (chars.length != 0 && chars.value == nullptr) return fail(ROW_NULL_IN_INPUT);
  return lengthOctets(w, reinterpret_cast<const uint8_t *>(chars.value), chars.length, c);
}

bool Encoder::real(BitWriter &w, uint32_t type, const unsigned char *v, const Context &c) {
  double x;
  if (s_.desc(type).size == sizeof(float)) {
    float f;
    std::memcpy(&f, v, sizeof f);
    x = f;
  } else {
    std::memcpy(&x, v, sizeof x);
  }
  uint8_t contents[16];
  return lengthOctets(w, contents, encodeReal(x, contents), c);
}

bool Encoder::relativeOid(BitWriter &w, const unsigned char *v, const Context &c) {
  const ZurRelativeOid &oid = *reinterpret_cast<const ZurRelativeOid *>(v);
  if (oid.count > 0 && oid.value == nullptr) return fail(ROW_NULL_IN_INPUT);
  contents_.resize(static_cast<std::size_t>(oid.count > 0 ? oid.count : 0) * kArcRoom);
  std::size_t n = 0;
  for (int16_t i = 0; i < oid.count; ++i) n += arcContents(oid.value[i], contents_.data() + n);
  return lengthOctets(w, contents_.data(), n, c);
}

// The most frequent kind, and most often a signed number (KIND_INTEGER:
// one test where naming the other kinds takes two) within both bounds: that
// case alone, untraced, so that it keeps few registers; anyInteger() takes
// the rest, and traces.
bool Encoder::integer(BitWriter &w, uint32_t type, const unsigned char *v, const Context &c) {
  const TypeDesc &d = s_.desc(type);
  const ZurType &z = s_.type(type);
  if (z.valueRange != 0 && d.kind == KIND_INTEGER && trace_ == nullptr) {
    const ZurRange &r = s_.codec->ranges[z.valueRange];
    const int64_t n = loadSigned(v, d.lenSize);
    // A range with gaps takes the general path, which checks them.
    if ((r.flags & (ZUR_R_LOWER | ZUR_R_UPPER | ZUR_R_GAPS)) == (ZUR_R_LOWER | ZUR_R_UPPER) && n >= r.lower &&
        n <= r.upper) {
      if (r.flags & ZUR_R_EXTENSIBLE) w.putZeros(1);
      const uint64_t offset = static_cast<uint64_t>(n) - static_cast<uint64_t>(r.lower);
      const uint64_t span = static_cast<uint64_t>(r.upper) - static_cast<uint64_t>(r.lower);
      putConstrained(w, offset, span);
      return true;
    }
  }
  return anyInteger(w, type, v, c);
}

bool Encoder::anyInteger(BitWriter &w, uint32_t type, const unsigned char *v, const Context &c) {
  const TypeDesc &d = s_.desc(type);
  const ZurType &z = s_.type(type);
  static constexpr ZurRange kNoRange{};
  const ZurRange &r = z.valueRange != 0 ? s_.codec->ranges[z.valueRange] : kNoRange;
  if (d.kind == KIND_OCTETS_PTR2) return hugeInteger(w, r, *reinterpret_cast<const ZurHugeInt *>(v), c);
  const bool hasLower = (r.flags & ZUR_R_LOWER) != 0, hasUpper = (r.flags & ZUR_R_UPPER) != 0;
  const bool isUnsigned = d.kind == KIND_UNSIGNED;
  uint64_t u;
  if (isUnsigned) {
    std::memcpy(&u, v, sizeof u);
  } else {
    u = static_cast<uint64_t>(loadSigned(v, d.lenSize));
  }
  const int64_t n = static_cast<int64_t>(u);
  const uint64_t lower = static_cast<uint64_t>(r.lower), upper = static_cast<uint64_t>(r.upper);
  bool inRoot = isUnsigned ? (!hasLower || u >= lower) && (!hasUpper || u <= upper)
                           : (!hasLower || n >= r.lower) && (!hasUpper || n <= r.upper);
  if (r.flags & ZUR_R_EXTENSIBLE) {
    w.putBit(!inRoot);
  } else if (!inRoot || ((r.flags & ZUR_R_GAPS) != 0 && !(isUnsigned && n < 0) && inGaps(r, n))) {
    return fail(ROW_VALUE_RANGE, ReportArg::of(n));
  }
  uint64_t bits;
  if (!inRoot || (!hasLower && !(isUnsigned && hasUpper))) {
    if (isUnsigned && n < 0) {  // above 2^63 - 1: a zero octet makes it positive
      putLength(w, kUnboundedLength, 9);
      w.putZeros(8);
      w.putBits(u, 64);
      bits = 72;
    } else {
      putUnconstrained(w, n);
      bits = 8 * signedOctetsFor(n);
    }
  } else if (hasUpper) {  // both bounds, or an unsigned one below its upper bound
    putConstrained(w, u - lower, upper - lower);
    traceLength(c, nullptr, w.aligned() && upper - lower > 0xFFFF,
                constrainedBits(w.aligned(), u - lower, upper - lower));
    return true;
  } else {
    putSemiConstrained(w, u - lower);
    bits = 8 * octetsFor(u - lower);
  }
  traceLength(c, nullptr, true, bits);
  return true;
}

bool Encoder::hugeInteger(BitWriter &w, const ZurRange &r, const ZurHugeInt &v, const Context &c) {
  const uint8_t *p = v.value;
  std::size_t n = v.length;
  if (n == 0) return fail(ROW_MISENCODED, {}, kNoOctets);
  if (p == nullptr) return fail(ROW_NULL_IN_INPUT);
  const uint8_t *offset = nullptr;
  std::size_t offsetLength = 0;
  bool inRoot = true;
  if (r.flags & ZUR_R_LOWER) {
    contents_.resize(n + 9);
    offsetLength = subtract(p, n, r.lower, contents_.data());
    offset = contents_.data();
    inRoot = (offset[0] & 0x80) == 0;
  } else if (r.flags & ZUR_R_UPPER) {
    contents_.resize(n + 9);
    subtract(p, n, r.upper, contents_.data());
    inRoot = (contents_[0] & 0x80) != 0 || std::all_of(contents_.begin(), contents_.begin() + n + 9,
                                                       [](uint8_t o) { return o == 0; });
  }
  if (r.flags & ZUR_R_EXTENSIBLE) {
    w.putBit(!inRoot);
  } else if (!inRoot || (r.flags & ZUR_R_GAPS) != 0) {
    const uint8_t *q = p;
    std::size_t m = n;
    trim(q, m, true);
    int64_t value;
    const bool fits = signedValue(q, m, value);
    if (!inRoot || (fits && inGaps(r, value)))
      return fits ? fail(ROW_VALUE_RANGE, ReportArg::of(value))
                  : fail(ROW_INTEGER_TOO_LONG, ReportArg::of(static_cast<int64_t>(m)));
  }
  if (inRoot && offset != nullptr) {
    trim(offset, offsetLength, false);
    p = offset;
    n = offsetLength;
  } else {
    trim(p, n, true);
  }
  return lengthOctets(w, p, n, c);
}

bool Encoder::enumerated(BitWriter &w, uint32_t type, const unsigned char *v, const Context &c) {
  const ZurType &z = s_.type(type);
  const ZurEnum &e = s_.codec->enums[z.valueRange];
  const int32_t *values = s_.codec->enumValues + e.firstValue;
  const int32_t n = static_cast<int32_t>(loadSigned(v, s_.desc(type).lenSize));
  const bool extensible = (z.flags & ZUR_T_EXTENSIBLE) != 0;
  const int32_t *root = lowerBound(values, e.rootCount, n);
  if (root != values + e.rootCount && *root == n) {
    if (extensible) w.putZeros(1);
    uint64_t index = static_cast<uint64_t>(root - values);
    putConstrained(w, index, e.rootCount - 1u);
    if (trace_ != nullptr) trace_->item(c.place, nullptr, PER_INDEX, true, index);
    return true;
  }
  const int32_t *added = std::find(values + e.rootCount, values + e.rootCount + e.extCount, n);
  if (!extensible || added == values + e.rootCount + e.extCount)
    return fail(ROW_ENUM_VALUE, ReportArg::of(n));
  w.putBit(true);
  uint64_t index = static_cast<uint64_t>(added - values - e.rootCount);
  putSmallNumber(w, index);
  if (trace_ != nullptr) trace_->item(c.place, "extension", PER_INDEX, true, index);
  return true;
}

bool Encoder::lengthOctets(BitWriter &w, const uint8_t *data, uint64_t length, const Context &c,
                           const char *label) {
  // Fewer than 128 octets, the usual case: a length of one octet, in line.
  if (length < 0x80) {
    w.align();
    w.putBits(length, 8);
    w.putOctets(data, static_cast<std::size_t>(length));
    traceLength(c, label, true, length * 8);
    return true;
  }
  const bool fragmented = length >= LengthBounds::kFragment;
  int32_t piece = 0;
  putPieces(w, kUnboundedLength, length, true, [&](uint64_t first, uint32_t n) {
    w.putOctets(data + first, n);
    traceLength(c, label, true, uint64_t{n} * 8, fragmented ? ++piece : -1);
  });
  return true;
}

namespace {

// How a string's items follow its size constraint: after the extension bit,
// without a length (fixed sizes) or behind length determinants.
struct SizeForm {
  bool inRoot;
  bool fixed;           // no length determinant
  bool alignItems;      // the items start on an octet boundary
  LengthBounds bounds;  // of the determinants
};

// Made in one piece, as sizeInfo.
SizeForm sizeForm(const SizeInfo &si, uint64_t n, uint64_t itemBits, bool characters) {
  const bool inRoot = si.within(n);
  const bool fixed = inRoot && si.fixed() && si.bounds.upper < kFixedLimit;
  const LengthBounds bounds = inRoot ? si.bounds : kUnboundedLength;
  return SizeForm{inRoot, fixed, itemsAligned(characters, fixed, bounds, itemBits), bounds};
}

}  // namespace

// The size of a bit or octet string when it meets a constraint of both
// bounds below 64K without gaps, which the usual case writes without the
// general size form; null otherwise.
inline const ZurSize *Encoder::metSize(const ZurType &z, uint64_t n) const {
  if (z.sizeRange == 0) return nullptr;
  const ZurSize &size = s_.codec->sizes[z.sizeRange];
  if ((size.flags & (ZUR_R_UPPER | ZUR_R_GAPS)) == ZUR_R_UPPER && size.upper < kFixedLimit && n >= size.lower &&
      n <= size.upper)
    return &size;
  return nullptr;
}

bool Encoder::bits(BitWriter &w, uint32_t type, const unsigned char *v, const Context &c) {
  const ZurType &z = s_.type(type);
  const ZurBits &b = *reinterpret_cast<const ZurBits *>(v);
  if (b.length != 0 && b.value == nullptr) return fail(ROW_NULL_IN_INPUT);
  const ZurSize *met = (z.flags & ZUR_T_NAMED_BITS) == 0 ? metSize(z, b.length) : nullptr;
  if (met != nullptr) {
    if (met->flags & ZUR_R_EXTENSIBLE) w.putZeros(1);
    // A fixed size takes no length, and starts on an octet past 16 bits.
    const bool fixed = met->lower == met->upper;
    if (!fixed) putConstrained(w, b.length - met->lower, uint64_t{met->upper} - met->lower);
    if (!fixed || met->upper > 16) w.align();
    w.putBitString(b.value, b.length);
    traceLength(c, nullptr, !fixed, b.length);
    return true;
  }
  SizeInfo si = sizeInfo(s_, z);
  uint64_t n = b.length;
  auto bitAt = [&](uint64_t i) { return i < b.length && (b.value[i / 8] >> (7 - i % 8)) & 1; };
  if (z.flags & ZUR_T_NAMED_BITS) {
    while (n > 0 && !bitAt(n - 1)) --n;
    if (n < si.bounds.lower) n = si.bounds.lower;
    // Zero bits up to the next size permitted.
    if (si.gapped) {
      const ZurSize &size = s_.codec->sizes[z.sizeRange];
      const ZurSize *gap = &size + 1;
      for (uint32_t i = 0; i < size.gaps; ++i)
        if (n >= gap[i].lower && n <= gap[i].upper) n = uint64_t{gap[i].upper} + 1;
    }
  }
  SizeForm f = sizeForm(si, n, 1, false);
  if (si.extensible) {
    w.putBit(!f.inRoot);
  } else if (!f.inRoot || (si.gapped && sizeInGap(s_, type, n))) {
    return fail(ROW_SIZE_CONSTRAINT, ReportArg::of(static_cast<int64_t>(n)));
  }
  auto putRange = [&](uint64_t first, uint64_t count) {
    uint64_t stored = first < b.length ? std::min<uint64_t>(count, b.length - first) : 0;
    if (first % 8 == 0) {
      w.putBitString(b.value + first / 8, stored);
    } else {
      for (uint64_t i = 0; i < stored; ++i) w.putBit(bitAt(first + i));
    }
    w.putZeros(count - stored);
  };
  if (f.fixed) {
    if (f.alignItems) w.align();
    putRange(0, n);
    traceLength(c, nullptr, false, n);
    return true;
  }
  int32_t piece = 0;
  const bool fragmented = isFragment(f.bounds, n);
  putPieces(w, f.bounds, n, true, [&](uint64_t first, uint32_t count) {
    putRange(first, count);
    traceLength(c, nullptr, true, count, fragmented ? ++piece : -1);
  });
  return true;
}

bool Encoder::octets(BitWriter &w, uint32_t type, const unsigned char *v, const Context &c) {
  const ZurOctets &o = *reinterpret_cast<const ZurOctets *>(v);
  if (o.length != 0 && o.value == nullptr) return fail(ROW_NULL_IN_INPUT);
  if (const ZurSize *met = metSize(s_.type(type), o.length)) {
    if (met->flags & ZUR_R_EXTENSIBLE) w.putZeros(1);
    // A fixed size takes no length, and starts on an octet past two octets.
    const bool fixed = met->lower == met->upper;
    if (!fixed) putConstrained(w, o.length - met->lower, uint64_t{met->upper} - met->lower);
    if (!fixed || met->upper > 2) w.align();
    w.putOctets(o.value, o.length);
    traceLength(c, nullptr, !fixed, uint64_t{o.length} * 8);
    return true;
  }
  SizeInfo si = sizeInfo(s_, s_.type(type));
  SizeForm f = sizeForm(si, o.length, 8, false);
  if (si.extensible) {
    w.putBit(!f.inRoot);
  } else if (!f.inRoot || (si.gapped && sizeInGap(s_, type, o.length))) {
    return fail(ROW_SIZE_CONSTRAINT, ReportArg::of(o.length));
  }
  if (f.fixed) {
    if (f.alignItems) w.align();
    w.putOctets(o.value, o.length);
    traceLength(c, nullptr, false, uint64_t{o.length} * 8);
    return true;
  }
  if (!f.bounds.constrainedForm()) return lengthOctets(w, o.value, o.length, c);
  putPieces(w, f.bounds, o.length, true,
            [&](uint64_t first, uint32_t n) { w.putOctets(o.value + first, n); });
  traceLength(c, nullptr, true, uint64_t{o.length} * 8);
  return true;
}

namespace {

// Writes n characters as their codes, `bits` (1 to 32) each, packed into
// windows of up to 56 bits; false at the first character that code(ch, c)
// refuses, given in `bad`.
template <class Char, class Code>
bool packChars(BitWriter &w, unsigned bits, const Char *chars, uint64_t n, uint32_t &bad,
               Code code) {
  w.reserveBits(n * bits);
  const unsigned perWindow = 56 / bits;
  uint64_t window = 0;
  unsigned inWindow = 0;
  for (uint64_t i = 0; i < n; ++i) {
    uint32_t c;
    if (!code(chars[i], c)) {
      bad = chars[i];
      return false;
    }
    window = window << bits | c;
    if (++inWindow == perWindow) {
      w.putReserved(window, inWindow * bits);
      window = 0;
      inWindow = 0;
    }
  }
  if (inWindow != 0) w.putReserved(window, inWindow * bits);
  return true;
}

// Writes n characters of the alphabet; false at the first one outside it,
// given in `bad`.
template <class Char>
bool writeChars(BitWriter &w, const CharCoding &coding, const Char *chars, uint64_t n,
                uint32_t &bad) {
  if (coding.bits == 0) {  // an alphabet of one character: no bits at all
    uint32_t code;
    for (uint64_t i = 0; i < n; ++i) {
      if (!encodeChar(coding, chars[i], code)) {
        bad = chars[i];
        return false;
      }
    }
    return true;
  }
  if (coding.rangeCount != 1) {
    return packChars(w, coding.bits, chars, n, bad, [&](uint32_t ch, uint32_t &code) {
      return encodeChar(coding, ch, code);
    });
  }
  // One range: a character's code is itself or its distance from the first.
  const uint32_t first = coding.ranges[0], span = coding.ranges[1] - first;
  const uint32_t base = coding.indexed ? first : 0;
  if (sizeof(Char) == 1 && coding.bits == 8 && base == 0) {  // the octets are their codes
    for (uint64_t i = 0; i < n; ++i) {
      if (static_cast<uint32_t>(chars[i] - first) > span) {
        bad = chars[i];
        return false;
      }
    }
    w.putOctets(reinterpret_cast<const uint8_t *>(chars), static_cast<std::size_t>(n));
    return true;
  }
  if (sizeof(Char) == 1 && coding.bits == 7 && base == 0 && coding.ranges[1] <= 0x7F) {
    // Eight codes a step while they are all good; the rest (and the
    // first bad one) one by one.
    const auto lo = static_cast<uint8_t>(first), hi = static_cast<uint8_t>(coding.ranges[1]);
    w.reserveBits(n * 7);
    for (; n >= 8; chars += 8, n -= 8) {
      const uint64_t octets = loadBigEndian64(reinterpret_cast<const uint8_t *>(chars));
      if ((octets & 0x8080808080808080) != 0 || !octetsWithin(octets, lo, hi)) break;
      w.putReserved(gatherSevens(octets), 56);
    }
  }
  return packChars(w, coding.bits, chars, n, bad, [&](uint32_t ch, uint32_t &code) {
    code = ch - base;
    return ch - first <= span;
  });
}

}  // namespace

// The time types as the characters of their VisibleString form, the other
// types with a known multiplier as their characters of one width each.
bool Encoder::knownMultiplier(BitWriter &w, uint32_t type, const unsigned char *v,
                              const Context &c) {
  const ZurType &z = s_.type(type);
  if (z.builtin == ZB_UTC_TIME || z.builtin == ZB_GENERALIZED_TIME) return timeString(w, type, v, c);
  const uint16_t kind = s_.desc(type).kind;
  if (kind == KIND_BMP_STRING) {
    const ZurBmpChars &s = *reinterpret_cast<const ZurBmpChars *>(v);
    return characters(w, type, z, s.value, s.length, c);
  }
  if (kind == KIND_UNIVERSAL_STRING) {
    const ZurUniversalChars &s = *reinterpret_cast<const ZurUniversalChars *>(v);
    return characters(w, type, z, s.value, s.length, c);
  }
  const ZurChars &s = *reinterpret_cast<const ZurChars *>(v);
  return characters(w, type, z, reinterpret_cast<const uint8_t *>(s.value), s.length, c);
}

bool Encoder::timeString(BitWriter &w, uint32_t type, const unsigned char *v, const Context &c) {
  const bool generalized = s_.type(type).builtin == ZB_GENERALIZED_TIME;
  const TimeValue &t = *reinterpret_cast<const TimeValue *>(v);
  if (!encodableTime(generalized, t)) return fail(ROW_TIME_RANGE);
  char text[32];
  const uint64_t n = formatTime(generalized, t, text);
  return anyCharacters(w, type, SizeInfo{}, reinterpret_cast<const uint8_t *>(text), n, c);
}

// The general path spills its size form and coding around its calls, some
// 200 instructions a string; the usual case needs neither.
template <class Char>
inline bool Encoder::characters(BitWriter &w, uint32_t type, const ZurType &z, const Char *data, uint64_t n,
                                const Context &c) {
  if (z.sizeRange != 0 && z.alphabet == 0 && data != nullptr) {
    const ZurSize &size = s_.codec->sizes[z.sizeRange];
    if ((size.flags & (ZUR_R_UPPER | ZUR_R_GAPS)) == ZUR_R_UPPER && size.upper < kFixedLimit &&
        n >= size.lower && n <= size.upper) {
      const CharCoding &coding = *canonicalCoding(z.builtin, aligned_);
      if (size.flags & ZUR_R_EXTENSIBLE) w.putZeros(1);
      // A fixed size takes no length.
      const bool fixed = size.lower == size.upper;
      if (!fixed) putConstrained(w, n - size.lower, uint64_t{size.upper} - size.lower);
      if (uint64_t{size.upper} * coding.bits >= 16) w.align();
      if (!codes(w, coding, data, n)) return false;
      traceLength(c, nullptr, !fixed, n * coding.bits);
      return true;
    }
  }
  return anyCharacters(w, type, sizeInfo(s_, z), data, n, c);
}

template <class Char>
bool Encoder::anyCharacters(BitWriter &w, uint32_t type, SizeInfo si, const Char *data, uint64_t n,
                            const Context &c) {
  if (n != 0 && data == nullptr) return fail(ROW_NULL_IN_INPUT);
  CharCoding made;
  const CharCoding &coding = typeCoding(s_, type, aligned_, made);
  const SizeForm f = sizeForm(si, n, coding.bits, true);
  if (!si.extensible && (!f.inRoot || (si.gapped && sizeInGap(s_, type, n))))
    return fail(ROW_SIZE_CONSTRAINT, ReportArg::of(static_cast<int64_t>(n)));
  if (si.extensible) w.putBit(!f.inRoot);
  if (f.fixed) {
    if (f.alignItems) w.align();
    if (!codes(w, coding, data, n)) return false;
    traceLength(c, nullptr, false, n * coding.bits);
    return true;
  }
  if (f.bounds.constrainedForm()) {  // one length, of all of them: the usual case, without the loop
    putLength(w, f.bounds, n);
    if (f.alignItems) w.align();
    if (!codes(w, coding, data, n)) return false;
    traceLength(c, nullptr, true, n * coding.bits);
    return true;
  }
  const bool fragmented = isFragment(f.bounds, n);
  int32_t piece = 0;
  // A character outside the alphabet fails the encoding, whatever was written.
  bool ok = true;
  putPieces(w, f.bounds, n, f.alignItems, [&](uint64_t first, uint32_t count) {
    if (ok) ok = codes(w, coding, data + first, count);
    if (ok) traceLength(c, nullptr, true, uint64_t{count} * coding.bits, fragmented ? ++piece : -1);
  });
  return ok;
}

template <class Char>
bool Encoder::codes(BitWriter &w, const CharCoding &coding, const Char *chars, uint64_t n) {
  uint32_t bad = 0;
  if (writeChars(w, coding, chars, n, bad)) return true;
  std::snprintf(badChar_, sizeof badChar_, bad >= 0x20 && bad < 0x7F ? "%c" : "U+%04X",
                static_cast<unsigned>(bad));
  return fail(ROW_ALPHABET_CONSTRAINT, ReportArg::named(badChar_));
}

template <class EncodeInner>
bool Encoder::asOpenType(BitWriter &w, const Context &c, const char *label, EncodeInner inner) {
  if (openDepth_ == scratch_.size()) scratch_.push_back(std::make_unique<BitWriter>(aligned_));
  BitWriter &sub = *scratch_[openDepth_++];
  sub.clear();
  const std::size_t mark = trace_ != nullptr ? trace_->hold() : 0;
  bool ok = inner(sub);
  --openDepth_;
  const std::size_t lengthAt = trace_ != nullptr ? trace_->heldCount() : 0;
  if (ok) {
    sub.complete();
    ok = lengthOctets(w, sub.data(), sub.octetLength(), c, label);
  }
  if (trace_ != nullptr) trace_->release(mark, lengthAt);
  return ok;
}

namespace {

bool mayBeAbsent(const ZurComponent &zc) {
  return (zc.flags & (ZUR_C_OPTIONAL | ZUR_C_DEFAULT)) != 0;
}

}  // namespace

// Whether each component of a SEQUENCE or SET value goes into the encoding:
// bits of one word for up to 64 components (kept in a register while the
// components are encoded), else a run of the encoder's stack, which nested
// values may move (so it is indexed afresh each time).
struct Encoder::Inclusion {
  uint64_t narrow = 0;
  std::size_t base = 0;
  bool wide = false;
  bool at(const std::vector<uint8_t> &stack, uint32_t i) const {
    return wide ? stack[base + i] != 0 : (narrow >> i) & 1;
  }
};

// Which components of a SEQUENCE or SET value go into the encoding (a
// DEFAULT equal to its default value stays out), found once, and the
// presence bits of the root components that may be absent, put in runs of up
// to 56. Out of line, with registers of its own: the general case, of a SET
// in canonical order or of over 64 components; narrowPresence() takes the
// usual one.
Encoder::Presence Encoder::presence(BitWriter &w, uint32_t type, const unsigned char *v,
                                    std::size_t base) {
  const TypeDesc &d = s_.desc(type);
  const uint32_t first = d.ref, count = static_cast<uint32_t>(d.count);
  const ZurComponent *const components = &s_.component(first);
  const FieldDesc *const fields = &s_.field(first);
  const uint16_t *order = s_.type(type).builtin == ZB_SET ? canonicalOrder(s_, type) : nullptr;
  const bool wide = count > 64;
  const PresenceMask mask(d, v);
  uint64_t narrow = 0, additionBits = 0;
  Added added;
  bool anyAddition = false;
  uint64_t preamble = 0;
  unsigned pending = 0;
  for (uint32_t k = 0; k < count; ++k) {
    const uint32_t i = order == nullptr ? k : order[k];
    const uint8_t flags = components[i].flags;
    // Branches on the type's flags only: which components are present
    // changes from value to value, and would be mispredicted.
    bool in = true;
    if (flags & (ZUR_C_OPTIONAL | ZUR_C_DEFAULT | ZUR_C_EXTENSION)) {
      in = mask.has(fields[i]);
      if ((flags & ZUR_C_DEFAULT) != 0 && in) in = !equalsDefault(s_, first + i, v);
      if (flags & ZUR_C_EXTENSION) {
        anyAddition = anyAddition | in;
        added.count = std::max<uint32_t>(added.count, components[i].addition);
        added.lo = std::min(added.lo, i);
        added.hi = std::max(added.hi, i + 1);
        if (!wide) additionBits |= uint64_t{1} << i;
      } else {  // a presence bit
        preamble = preamble << 1 | in;
        if (++pending == 56) {
          w.putBits(preamble, pending);
          preamble = 0;
          pending = 0;
        }
      }
    }
    if (wide)
      present_[base + i] = in;
    else
      narrow |= uint64_t{in} << i;
  }
  w.putBits(preamble, pending);
  return Presence{narrow, additionBits, added, anyAddition};
}

inline Encoder::Presence Encoder::presenceOf(uint32_t type, uint64_t included, uint64_t additionBits) const {
  const bool anyAddition = (included & additionBits) != 0;
  return Presence{included, additionBits, anyAddition ? addedOf(type, additionBits) : Added{}, anyAddition};
}

// presence() for up to 64 components in the module's order, in a pass that
// keeps its state in registers: a component that is always there costs only
// the look at its flags, and the additions are only marked, their bounds
// read from the marks afterwards.
Encoder::Presence Encoder::narrowPresence(BitWriter &w, uint32_t type, const unsigned char *v) {
  const TypeDesc &d = s_.desc(type);
  const uint32_t first = d.ref, count = static_cast<uint32_t>(d.count);
  const ZurComponent *const components = &s_.component(first);
  const FieldDesc *const fields = &s_.field(first);
  const PresenceMask mask(d, v);
  // All in but those found absent. Branches on the type's flags only, as presence().
  uint64_t included = count == 0 ? 0 : ~uint64_t{0} >> (64 - count), additionBits = 0;
  uint64_t preamble = 0;
  unsigned pending = 0;
  for (uint32_t i = 0; i < count; ++i) {
    const uint8_t flags = components[i].flags;
    if ((flags & (ZUR_C_OPTIONAL | ZUR_C_DEFAULT | ZUR_C_EXTENSION)) == 0) continue;
    bool in = mask.has(fields[i]);
    if ((flags & ZUR_C_DEFAULT) != 0 && in) in = !equalsDefault(s_, first + i, v);
    included &= ~(uint64_t{!in} << i);
    if (flags & ZUR_C_EXTENSION) {
      additionBits |= uint64_t{1} << i;
      continue;
    }
    preamble = preamble << 1 | in;
    if (++pending == 56) {
      w.putBits(preamble, pending);
      preamble = 0;
      pending = 0;
    }
  }
  w.putBits(preamble, pending);
  return presenceOf(type, included, additionBits);
}

// narrowPresence() for a SEQUENCE whose presence record says that its mask
// holds the bits as the encoding wants them: the preamble is the mask's
// first bits, and a component is looked at only for the bit it has.
Encoder::Presence Encoder::maskPresence(BitWriter &w, uint32_t type, const unsigned char *v) {
  const TypeDesc &d = s_.desc(type);
  const ZurPresence &p = s_.codec->presences[s_.type(type).presence];
  const uint64_t word = maskWord(d.lenSize, v);
  if (p.rootBits != 0) w.putBits(word >> (64 - p.rootBits), p.rootBits);
  const uint32_t count = static_cast<uint32_t>(d.count);
  // Those without a presence bit, then the mask's bits in turn, one for
  // each component that has one.
  uint64_t included = (count == 0 ? 0 : ~uint64_t{0} >> (64 - count)) & ~p.components;
  uint64_t bits = word;
  for (uint64_t m = p.components; m != 0; m &= m - 1, bits <<= 1)
    included |= (bits >> 63) << std::countr_zero(m);
  return presenceOf(type, included, p.additions);
}

// The additions' bounds from their marks, and their number from the highest
// one's (a version bracket is one).
Encoder::Added Encoder::addedOf(uint32_t type, uint64_t additionBits) const {
  Added added;
  if (additionBits == 0) return added;
  const ZurComponent *const components = &s_.component(s_.desc(type).ref);
  added.lo = static_cast<uint32_t>(std::countr_zero(additionBits));
  added.hi = static_cast<uint32_t>(64 - std::countl_zero(additionBits));
  for (uint64_t m = additionBits; m != 0; m &= m - 1)
    added.count = std::max<uint32_t>(added.count, components[std::countr_zero(m)].addition);
  return added;
}

bool Encoder::sequence(BitWriter &w, uint32_t type, const unsigned char *v, const Context &c) {
  const Nesting nesting(depth_);
  const TypeDesc &d = s_.desc(type);
  const ZurType &z = s_.type(type);
  const uint32_t first = d.ref, count = static_cast<uint32_t>(d.count);
  const ZurComponent *const components = &s_.component(first);
  const FieldDesc *const fields = &s_.field(first);
  const uint16_t *order = z.builtin == ZB_SET ? canonicalOrder(s_, type) : nullptr;
  // The extension bit waits for the additions' presence, known below.
  const uint64_t extensionBit = w.bitLength();
  if (z.flags & ZUR_T_EXTENSIBLE) w.putZeros(1);
  const std::size_t base = present_.size();
  const bool wide = count > 64;
  struct Release {
    std::vector<uint8_t> *stack;
    std::size_t base;
    ~Release() {
      if (stack != nullptr) stack->resize(base);
    }
  } release{wide ? &present_ : nullptr, base};
  if (wide) present_.resize(base + count);
  const Presence p = wide                 ? presence(w, type, v, base)
                     : z.presence != 0     ? maskPresence(w, type, v)
                     : order == nullptr    ? narrowPresence(w, type, v)
                                           : presence(w, type, v, base);
  const uint64_t narrow = p.narrow;
  const Inclusion included{narrow, base, wide};
  if (p.anyAddition) w.setBit(extensionBit);
  if (trace_ != nullptr) {
    uint32_t rootCount = 0;
    for (uint32_t i = 0; i < count; ++i)
      rootCount += (components[i].flags & ZUR_C_EXTENSION) == 0 && included.at(present_, i);
    trace_->item(c.place, nullptr, PER_FIELD_COUNT, false, rootCount);
    if (w.bitLength() > extensionBit) traceLength(c, "preamble", false, w.bitLength() - extensionBit);
  }
  Context inner{{nullptr, nullptr, 0, c.place.depth + 1}};
  const bool inOrder = order == nullptr && !included.wide;
  if (inOrder && plain()) {
    if (!plainComponents(w, fields, narrow & ~p.additionBits, v, inner)) return false;
    return !p.anyAddition || additions(w, type, v, c, included, p.added);
  }
  auto encodeRoot = [&](uint32_t i) {
    const FieldDesc &f = fields[i];
    if (trace_ != nullptr) {
      inner.place.fieldName = name(first + i);
      inner.place.caption = caption(f.type);
    }
    inner.place.index = static_cast<int32_t>(i + 1);
    return checkedValue(w, f.type, v + f.offset, inner) || failedIn(first + i);
  };
  if (inOrder) {
    // In the module's order: straight through the bits of those included.
    for (uint64_t m = narrow & ~p.additionBits; m != 0; m &= m - 1)
      if (!encodeRoot(static_cast<uint32_t>(std::countr_zero(m)))) return false;
  } else {
    for (uint32_t k = 0; k < count; ++k) {
      const uint32_t i = order != nullptr ? order[k] : k;
      if ((components[i].flags & ZUR_C_EXTENSION) != 0 || !included.at(present_, i)) continue;
      if (!encodeRoot(i)) return false;
    }
  }
  return !p.anyAddition || additions(w, type, v, c, included, p.added);
}

// The root components of a SEQUENCE value in the module's order, one bit
// of `included` each, neither traced nor at the depth limit: a loop of its
// own, whose few values stay in registers across the calls it makes.
bool Encoder::plainComponents(BitWriter &w, const FieldDesc *fields, uint64_t included,
                              const unsigned char *v, const Context &inner) {
  for (; included != 0; included &= included - 1) {
    const FieldDesc &f = fields[std::countr_zero(included)];
    if (!value<false>(w, f.type, v + f.offset, inner))
      return failedIn(static_cast<uint32_t>(&f - &s_.field(0)));
  }
  return true;
}

// The extension additions of a SEQUENCE or SET value: their presence bits,
// then each present one as an open type (a version bracket as one SEQUENCE).
bool Encoder::additions(BitWriter &w, uint32_t type, const unsigned char *v, const Context &c,
                        Inclusion included, Added added) {
  const uint32_t first = s_.desc(type).ref;
  const ZurComponent *const components = &s_.component(first);
  auto encoded = [&](uint32_t i) { return included.at(present_, i); };
  const uint32_t lo = added.lo, hi = added.hi, additionCount = added.count;
  const uint64_t start = w.bitLength();
  putSmallLength(w, additionCount);
  for (uint32_t k = 1; k <= additionCount; ++k) {
    bool present = false;
    for (uint32_t i = lo; i < hi && !present; ++i)
      present = components[i].addition == k && encoded(i);
    w.putBit(present);
  }
  traceLength(c, "extensions", true, w.bitLength() - start);
  for (uint32_t k = 1; k <= additionCount; ++k) {
    uint32_t members = 0, only = 0, present = 0;
    for (uint32_t i = lo; i < hi; ++i) {
      if (components[i].addition != k) continue;
      ++members;
      only = i;
      present += encoded(i) ? 1 : 0;
    }
    if (present == 0) continue;
    const FieldDesc &f = s_.field(first + only);
    Context inner{{name(first + only), caption(f.type), static_cast<int32_t>(only + 1),
                   c.place.depth + 1}};
    bool ok;
    if (members == 1 && (components[only].flags & ZUR_C_BRACKET) == 0) {
      ok = asOpenType(w, inner, "extension", [&](BitWriter &sub) {
        return value(sub, f.type, v + f.offset, inner) || failedIn(first + only);
      });
    } else {  // a version bracket, even of one component: its components as one SEQUENCE
      for (uint32_t i = lo; i < hi; ++i) {
        const ZurComponent &zc = components[i];
        if (zc.addition == k && !mayBeAbsent(zc) && !encoded(i))
          return fail(ROW_MANDATORY_EXTENSION_ABSENT, ReportArg::named(s_.fieldName(first + i)));
      }
      ok = asOpenType(w, inner, "extension group", [&](BitWriter &sub) {
        for (uint32_t i = lo; i < hi; ++i) {
          const ZurComponent &zc = components[i];
          if (zc.addition == k && mayBeAbsent(zc)) sub.putBit(encoded(i));
        }
        for (uint32_t i = lo; i < hi; ++i) {
          if (components[i].addition != k || !encoded(i)) continue;
          const FieldDesc &g = s_.field(first + i);
          Context member{{name(first + i), caption(g.type), static_cast<int32_t>(i + 1),
                          c.place.depth + 1}};
          if (!value(sub, g.type, v + g.offset, member)) return failedIn(first + i);
        }
        return true;
      });
    }
    if (!ok) return false;
  }
  return true;
}

bool Encoder::choice(BitWriter &w, uint32_t type, const unsigned char *v, const Context &c) {
  const Nesting nesting(depth_);
  const TypeDesc &d = s_.desc(type);
  const ZurType &z = s_.type(type);
  int32_t selector = static_cast<int32_t>(loadSigned(v, 4));
  uint32_t count = s_.componentCount(type);
  if (selector < 1 || static_cast<uint32_t>(selector) > count)
    return fail(ROW_CHOICE_SELECTOR, ReportArg::of(selector));
  uint32_t position = static_cast<uint32_t>(selector - 1), of;
  uint32_t rank = choiceRank(s_, type, position, of);
  const bool extension = (s_.component(d.ref + position).flags & ZUR_C_EXTENSION) != 0;
  if (z.flags & ZUR_T_EXTENSIBLE) w.putBit(extension);
  const FieldDesc &f = s_.field(d.ref + position);
  Context inner{{name(d.ref + position), caption(f.type), selector, c.place.depth + 1}};
  if (!extension) {
    putConstrained(w, rank, of - 1);
    if (trace_ != nullptr) trace_->item(c.place, nullptr, PER_INDEX, true, rank);
    return value(w, f.type, v + f.offset, inner) || failedIn(d.ref + position);
  }
  putSmallNumber(w, rank);
  if (trace_ != nullptr) trace_->item(c.place, "extension", PER_INDEX, true, rank);
  return asOpenType(w, inner, nullptr, [&](BitWriter &sub) {
    return value(sub, f.type, v + f.offset, inner) || failedIn(d.ref + position);
  });
}

bool Encoder::list(BitWriter &w, uint32_t type, const unsigned char *v, const Context &c) {
  const Nesting nesting(depth_);
  const TypeDesc &d = s_.desc(type);
  const ZurList &l = *reinterpret_cast<const ZurList *>(v);
  const uint32_t elementType = d.ref;
  const std::size_t stride = static_cast<std::size_t>(d.count);
  SizeInfo si = sizeInfo(s_, s_.type(type));
  SizeForm f = sizeForm(si, l.count, 0, false);
  if (si.extensible) {
    w.putBit(!f.inRoot);
  } else if (!f.inRoot || (si.gapped && sizeInGap(s_, type, l.count))) {
    return fail(ROW_COUNT_CONSTRAINT, ReportArg::of(l.count));
  }
  Context inner{{nullptr, caption(elementType), 0, c.place.depth + 1}};
  bool ok = true;
  const bool plainElements = plain();
  auto elements = [&](uint64_t from, uint64_t n) {
    if (ok && n != 0 && l.value == nullptr) ok = fail(ROW_NULL_IN_INPUT);
    for (uint64_t i = from; ok && i < from + n; ++i) {
      if (plainElements) {
        ok = value<false>(w, elementType, l.value + i * stride, inner);
        continue;
      }
      inner.place.index = static_cast<int32_t>(i + 1);
      ok = checkedValue(w, elementType, l.value + i * stride, inner);
    }
  };
  if (f.fixed) {
    if (trace_ != nullptr) trace_->item(c.place, nullptr, PER_COUNT, false, l.count);
    elements(0, l.count);
    return ok;
  }
  const bool fragmented = isFragment(f.bounds, l.count);
  int32_t piece = 0;
  putPieces(w, f.bounds, l.count, false, [&](uint64_t from, uint32_t n) {
    if (trace_ != nullptr && ok)
      trace_->item(c.place, nullptr, PER_COUNT, true, n, fragmented ? ++piece : -1);
    elements(from, n);
  });
  return ok;
}

bool Encoder::openType(BitWriter &w, uint32_t type, const unsigned char *v, const Context &c) {
  const Nesting nesting(depth_);
  const TypeDesc &d = s_.desc(type);
  if (d.kind == KIND_ENCODED) {
    const EncodedValue &e = *reinterpret_cast<const EncodedValue *>(v);
    if (e.length == 0) return fail(ROW_OPEN_TYPE_ENCODING);
    if (e.octets == nullptr) return fail(ROW_NULL_IN_INPUT);
    return lengthOctets(w, e.octets, e.length, c);
  }
  int32_t selector = static_cast<int32_t>(loadSigned(v, 4));
  if (selector < 1 || static_cast<uint32_t>(selector) > s_.componentCount(type))
    return fail(ROW_CHOICE_SELECTOR, ReportArg::of(selector));
  const FieldDesc &f = s_.field(d.ref + static_cast<uint32_t>(selector - 1));
  // Octets kept encoded (an object the set does not know) are traced as the
  // component, as the decoder does.
  if (s_.desc(f.type).kind == KIND_ENCODED) return openType(w, f.type, v + f.offset, c);
  Context inner{{name(d.ref + static_cast<uint32_t>(selector - 1)), caption(f.type), 0,
                 c.place.depth + 1}};
  return asOpenType(w, c, nullptr,
                    [&](BitWriter &sub) { return value(sub, f.type, v + f.offset, inner); });
}

}  // namespace zurcore::per
