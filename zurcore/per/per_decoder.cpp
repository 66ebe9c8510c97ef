#include "per_decoder.h"

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

namespace zurcore::per {
namespace {

// The shortest two's complement of a number, from its octets.
void trimSigned(const uint8_t *&p, std::size_t &n) {
  while (n > 1 && ((p[0] == 0x00 && !(p[1] & 0x80)) || (p[0] == 0xFF && (p[1] & 0x80)))) {
    ++p;
    --n;
  }
}

bool mayBeAbsent(const ZurComponent &zc) {
  return (zc.flags & (ZUR_C_OPTIONAL | ZUR_C_DEFAULT)) != 0;
}

// One length determinant, a count in the constrained form read inline.
inline bool readLength(BitReader &r, const LengthBounds &bounds, uint32_t &n, bool &fragment) {
  const uint64_t span = uint64_t{bounds.upper} - bounds.lower;
  if (bounds.constrainedForm() && (!r.aligned() || span < 0xFF)) {
    uint64_t offset;
    fragment = false;
    if (!r.getBits(bitsFor(span), offset)) return false;
    n = static_cast<uint32_t>(bounds.lower + offset);
    return true;
  }
  return getLength(r, bounds, n, fragment);
}

// As readPieces, with the usual single piece read without a copy of the
// reader to come back to.
template <class Start, class GetItems>
bool readRun(BitReader &r, const LengthBounds &bounds, bool alignItems, uint64_t bitsPerItem, Start start,
             GetItems getItems) {
  const uint64_t mark = r.position();
  uint32_t n;
  bool fragment;
  if (!readLength(r, bounds, n, fragment)) return false;
  if (!fragment) {
    if (alignItems) r.align();
    return r.need(n * bitsPerItem) && start(n) && getItems(0, n);
  }
  r.rewind(mark);
  return readPieces(r, bounds, alignItems, bitsPerItem, start, getItems);
}

}  // namespace

void *Decoder::refused(BitReader &r, uint64_t size) {
  if (size > UINT32_MAX)
    r.fail(ROW_LENGTH_TOO_LONG);
  else
    r.fail(arena_.faultRow(), arena_.faultArg());
  return nullptr;
}

bool Decoder::decode(BitReader &r, uint32_t type, void *&root) {
  // A type held through its address is returned as the address of a slot
  // holding that address, as the printer and the encoders take it.
  presence_.clear();
  const TypeDesc &d = s_.desc(type);
  const uint64_t slot = (d.typeFlags & TYPE_BY_POINTER) != 0 ? sizeof(void *) : d.size;
  auto *v = static_cast<unsigned char *>(allocate(r, slot));
  if (v == nullptr) return false;
  Context c{{nullptr, caption(type), 0, 0}, nullptr};
  if (!value(r, type, v, c)) return false;
  root = v;
  return true;
}

inline bool Decoder::value(BitReader &r, uint32_t type, unsigned char *held, const Context &c) {
  const TypeDesc &d = s_.desc(type);
  unsigned char *v = held;
  if ((d.typeFlags & TYPE_BY_POINTER) != 0) {
    v = static_cast<unsigned char *>(allocate(r, d.size));
    if (v == nullptr) return false;
    std::memcpy(held, &v, sizeof v);
  }
  if (depth_ >= maxDepth_) return r.fail(ROW_SIZE_TOO_LONG, depth_ + 1, kDepthLimitDetail);
  ++depth_;
  const bool ok = contents(r, type, v, c);
  --depth_;
  if (!ok && trace_ != nullptr) trace_->error(c.place);
  return ok;
}

inline bool Decoder::component(BitReader &r, uint32_t type, unsigned char *held, const Context &c) {
  const TypeDesc &d = s_.desc(type);
  unsigned char *v = held;
  if ((d.typeFlags & TYPE_BY_POINTER) != 0) {
    v = static_cast<unsigned char *>(allocate(r, d.size));
    if (v == nullptr) return false;
    std::memcpy(held, &v, sizeof v);
  }
  return contents(r, type, v, c);
}

// One dispatch on the built-in type, every kind in a function of its own
// (so that the dispatch keeps no frame).
bool Decoder::contents(BitReader &r, uint32_t type, unsigned char *v, const Context &c) {
  const uint8_t builtin = s_.type(type).builtin;
  switch (builtin) {
    case ZB_BOOLEAN: return boolean(r, v, c);
    case ZB_NULL: return null(c);
    case ZB_INTEGER: return integer(r, type, v, c);
    case ZB_ENUMERATED: return enumerated(r, type, v, c);
    case ZB_REAL: return real(r, type, v, c);
    case ZB_BIT_STRING: return bits(r, type, v, c);
    case ZB_OCTET_STRING: return octets(r, type, v, c);
    case ZB_OBJECT_IDENTIFIER:
    case ZB_RELATIVE_OID: return oid(r, builtin == ZB_RELATIVE_OID, v, c);
    case ZB_UTC_TIME:
    case ZB_GENERALIZED_TIME: return time(r, type, v, c);
    case ZB_SEQUENCE:
    case ZB_SET: return sequence(r, type, v, c);
    case ZB_CHOICE: return choice(r, type, v, c);
    case ZB_SEQUENCE_OF:
    case ZB_SET_OF: return list(r, type, v, c);
    case ZB_OPEN_TYPE: return openType(r, type, v, c);
    default:
      if (isKnownMultiplier(builtin)) return knownMultiplier(r, type, v, c);
      return plainChars(r, v, c);
  }
}

bool Decoder::boolean(BitReader &r, unsigned char *v, const Context &c) {
  bool b = false;
  const bool ok = r.getBit(b);
  v[0] = b ? 1 : 0;
  if (ok) traceLength(c, nullptr, false, 1);
  return ok;
}

bool Decoder::null(const Context &c) {
  if (trace_ != nullptr) trace_->item(c.place, nullptr, PER_NOT_ENCODED, false, 0);
  return true;
}

bool Decoder::oid(BitReader &r, bool relative, unsigned char *v, const Context &c) {
  uint8_t *data;
  uint64_t length;
  if (!lengthOctets(r, data, length, c)) return false;
  const ArcCheck check = checkArcs(data, length, relative);
  if (check.row != 0) return r.fail(check.row, check.argument);
  const uint32_t count = check.count;
  if (!relative) {
    ZurOid &oid = *reinterpret_cast<ZurOid *>(v);
    oid.length = static_cast<uint32_t>(length);
    oid.value = data;
    return true;
  }
  if (count > INT16_MAX) return r.fail(ROW_OID_TOO_LONG, count);
  ZurRelativeOid &oid = *reinterpret_cast<ZurRelativeOid *>(v);
  oid.value = static_cast<uint32_t *>(allocate(r, uint64_t{count} * sizeof(uint32_t)));
  oid.count = static_cast<int16_t>(count);
  if (oid.value == nullptr && count != 0) return false;
  arcsFromContents(data, length, oid.value);
  return true;
}

bool Decoder::plainChars(BitReader &r, unsigned char *v, const Context &c) {
  ZurChars &chars = *reinterpret_cast<ZurChars *>(v);
  uint8_t *data;
  uint64_t length;
  const bool ok = lengthOctets(r, data, length, c, 1);
  chars.length = static_cast<uint32_t>(length);
  chars.value = reinterpret_cast<char *>(data);
  return ok;
}

bool Decoder::integer(BitReader &r, uint32_t type, unsigned char *v, const Context &c) {
  const TypeDesc &d = s_.desc(type);
  const ZurType &z = s_.type(type);
  static constexpr ZurRange kUnbounded{};
  const ZurRange &range = z.valueRange != 0 ? s_.codec->ranges[z.valueRange] : kUnbounded;
  // The usual INTEGER (lb..ub) in a word, untraced: its offset read at once.
  if (range.flags == (ZUR_R_LOWER | ZUR_R_UPPER) && d.kind != KIND_OCTETS_PTR2 && trace_ == nullptr) {
    const uint64_t lower = static_cast<uint64_t>(range.lower), span = static_cast<uint64_t>(range.upper) - lower;
    const uint64_t at = r.position();
    uint64_t offset;
    if (!getConstrained(r, span, offset)) return false;
    if (offset > span) return r.failAt(at, ROW_VALUE_RANGE, static_cast<int64_t>(lower + offset));
    const uint64_t u = lower + offset;
    if (d.kind == KIND_UNSIGNED)
      std::memcpy(v, &u, sizeof u);
    else
      storeSigned(v, d.lenSize, static_cast<int64_t>(u));
    return true;
  }
  const bool hasLower = (range.flags & ZUR_R_LOWER) != 0, hasUpper = (range.flags & ZUR_R_UPPER) != 0;
  bool inRoot = true;
  if (range.flags & ZUR_R_EXTENSIBLE) {
    bool extended;
    if (!r.getBit(extended)) return false;
    inRoot = !extended;
  }
  if (d.kind == KIND_OCTETS_PTR2) {
    return hugeInteger(r, range, inRoot, *reinterpret_cast<ZurHugeInt *>(v), c);
  }
  const bool isUnsigned = d.kind == KIND_UNSIGNED;
  const uint64_t lower = static_cast<uint64_t>(range.lower), span = static_cast<uint64_t>(range.upper) - lower;
  uint64_t u;
  enum { UNCONSTRAINED, CONSTRAINED, SEMI_CONSTRAINED } form;
  if (!inRoot || (!hasLower && !(isUnsigned && hasUpper))) {
    form = UNCONSTRAINED;
    const uint64_t at = r.position();
    int64_t n;
    if (!getUnconstrained(r, n)) return false;
    // An upper bound alone is no part of the encoding.
    if (inRoot && hasUpper && !isUnsigned && n > range.upper) return r.failAt(at, ROW_VALUE_RANGE, n);
    u = static_cast<uint64_t>(n);
  } else if (hasUpper) {
    form = CONSTRAINED;
    const uint64_t at = r.position();
    uint64_t offset;
    if (!getConstrained(r, span, offset)) return false;
    if (offset > span) return r.failAt(at, ROW_VALUE_RANGE, static_cast<int64_t>(lower + offset));
    u = lower + offset;
  } else {
    form = SEMI_CONSTRAINED;
    uint64_t offset;
    if (!getSemiConstrained(r, offset)) return false;
    u = lower + offset;
    bool overflow = isUnsigned ? u < lower : static_cast<int64_t>(u) < range.lower;
    if (overflow) return r.fail(ROW_INTEGER_TOO_LONG, 9);
  }
  if (isUnsigned)
    std::memcpy(v, &u, sizeof u);
  else
    storeSigned(v, d.lenSize, static_cast<int64_t>(u));
  if (trace_ != nullptr) {
    const uint64_t offset = u - lower;
    switch (form) {
      case UNCONSTRAINED: traceLength(c, nullptr, true, 8 * signedOctetsFor(static_cast<int64_t>(u))); break;
      case CONSTRAINED:
        traceLength(c, nullptr, r.aligned() && span > 0xFFFF, constrainedBits(r.aligned(), offset, span));
        break;
      case SEMI_CONSTRAINED: traceLength(c, nullptr, true, 8 * octetsFor(offset));
    }
  }
  return true;
}

bool Decoder::hugeInteger(BitReader &r, const ZurRange &range, bool inRoot, ZurHugeInt &out,
                          const Context &c) {
  uint8_t *data = nullptr;
  uint64_t length;
  const uint64_t at = r.position();
  if (!lengthOctets(r, data, length, c)) return false;
  if (length == 0) return r.fail(ROW_MISENCODED);
  if (inRoot && (range.flags & ZUR_R_LOWER)) {
    // The offset from the lower bound is unsigned: add the bound back, in
    // two's complement one octet wider than both.
    // Summed in 64 bits: allocate() refuses a width that a 32-bit size_t
    // would have wrapped.
    const uint64_t wideLength = length + 9;
    auto *wide = static_cast<uint8_t *>(allocate(r, wideLength));
    if (wide == nullptr) return false;
    const auto width = static_cast<std::size_t>(wideLength);
    std::memcpy(wide + 9, data, width - 9);
    data = wide;
    uint64_t add = static_cast<uint64_t>(range.lower);
    uint8_t addFill = range.lower < 0 ? 0xFF : 0x00;
    unsigned carry = 0;
    for (std::size_t i = 0; i < width; ++i) {
      unsigned a = data[width - 1 - i];
      unsigned b = i < 8 ? static_cast<unsigned>((add >> (8 * i)) & 0xFF) : addFill;
      unsigned sum = a + b + carry;
      data[width - 1 - i] = static_cast<uint8_t>(sum);
      carry = sum >> 8;
    }
    length = width;
  }
  const uint8_t *p = data;
  std::size_t n = static_cast<std::size_t>(length);
  trimSigned(p, n);
  if (inRoot && (range.flags & (ZUR_R_LOWER | ZUR_R_UPPER)) == ZUR_R_UPPER) {
    // An upper bound alone is no part of the encoding.
    int64_t value;
    if (!signedValue(p, n, value)) {
      if ((p[0] & 0x80) == 0) return r.failAt(at, ROW_INTEGER_TOO_LONG, static_cast<int64_t>(n));
    } else if (value > range.upper) {
      return r.failAt(at, ROW_VALUE_RANGE, value);
    }
  }
  out.length = static_cast<uint32_t>(n);
  out.value = const_cast<uint8_t *>(p);
  return true;
}

bool Decoder::enumerated(BitReader &r, uint32_t type, unsigned char *v, const Context &c) {
  const ZurType &z = s_.type(type);
  const ZurEnum &e = s_.codec->enums[z.valueRange];
  const int32_t *values = s_.codec->enumValues + e.firstValue;
  bool extended = false;
  if ((z.flags & ZUR_T_EXTENSIBLE) && !r.getBit(extended)) return false;
  uint64_t index;
  const uint64_t at = r.position();
  if (!extended) {
    if (!getConstrained(r, e.rootCount - 1u, index)) return false;
    if (index >= e.rootCount) return r.failAt(at, ROW_ENUM_VALUE, static_cast<int64_t>(index));
  } else {
    if (!getSmallNumber(r, index)) return false;
    if (index >= e.extCount) return r.failAt(at, ROW_ENUM_VALUE, static_cast<int64_t>(index));
  }
  storeSigned(v, s_.desc(type).lenSize, values[(extended ? e.rootCount : 0) + index]);
  if (trace_ != nullptr)
    trace_->item(c.place, extended ? "extension" : nullptr, PER_INDEX, true, index);
  return true;
}

bool Decoder::real(BitReader &r, uint32_t type, unsigned char *v, const Context &c) {
  uint8_t *data;
  uint64_t length;
  if (!lengthOctets(r, data, length, c)) return false;
  double x;
  LeafFault fault;
  int row = decodeReal(data, static_cast<std::size_t>(length), false, x, fault);
  if (row != 0) return r.fail(row, fault.arg);
  if (s_.desc(type).size == sizeof(float)) {
    float f = static_cast<float>(x);
    std::memcpy(v, &f, sizeof f);
  } else {
    std::memcpy(v, &x, sizeof x);
  }
  return true;
}

bool Decoder::lengthOctets(BitReader &r, uint8_t *&data, uint64_t &length, const Context &c,
                           std::size_t extra) {
  int32_t piece = 0;
  return readRun(
      r, kUnboundedLength, true, 8,
      [&](uint64_t total) {
        length = total;
        data = static_cast<uint8_t *>(allocateFilled(r, total + extra));
        return data != nullptr;
      },
      [&](uint64_t first, uint32_t n) {
        ++piece;
        traceLength(c, nullptr, true, uint64_t{n} * 8, first > 0 || n >= LengthBounds::kFragment ? piece : -1);
        return r.getOctets(data + first, n);
      });
}

namespace {

// How a string's items follow its size constraint, as the encoder chose.
struct SizeForm {
  bool fixed;
  bool alignItems;
  LengthBounds bounds;
};

// Made in one piece: built field by field, the record would be read back
// whole before its stores had landed.
inline bool readSizeForm(BitReader &r, const SizeInfo &si, uint64_t itemBits, bool characters, SizeForm &f) {
  bool extended = false;
  if (si.extensible && !r.getBit(extended)) return false;
  const bool fixed = !extended && si.fixed() && si.bounds.upper < kFixedLimit;
  const LengthBounds bounds = extended ? kUnboundedLength : si.bounds;
  f = SizeForm{fixed, itemsAligned(characters, fixed, bounds, itemBits), bounds};
  return true;
}

// A count read from the input against the root's bounds (not after the
// extension bit, which frees it).
bool checkSize(BitReader &r, const SizeForm &f, uint64_t n, int row) {
  bool within = n >= f.bounds.lower && (!f.bounds.bounded || n <= f.bounds.upper);
  return within || r.fail(row, static_cast<int64_t>(n));
}

}  // namespace

bool Decoder::bits(BitReader &r, uint32_t type, unsigned char *v, const Context &c) {
  ZurBits &b = *reinterpret_cast<ZurBits *>(v);
  SizeForm f;
  if (!readSizeForm(r, sizeInfo(s_, s_.type(type)), 1, false, f)) return false;
  if (f.fixed) {
    uint64_t n = f.bounds.upper;
    if (f.alignItems) r.align();
    if (!r.need(n)) return false;
    b.value = static_cast<uint8_t *>(allocateFilled(r, (n + 7) / 8));
    if (b.value == nullptr) return false;
    b.length = static_cast<uint32_t>(n);
    r.getBitString(b.value, n);
    traceLength(c, nullptr, false, n);
    return true;
  }
  int32_t piece = 0;
  return readRun(
      r, f.bounds, true, 1,
      [&](uint64_t total) {
        if (!checkSize(r, f, total, ROW_SIZE_CONSTRAINT)) return false;
        b.value = static_cast<uint8_t *>(allocateFilled(r, (total + 7) / 8));
        b.length = static_cast<uint32_t>(total);
        return b.value != nullptr;
      },
      [&](uint64_t first, uint32_t n) {
        ++piece;
        traceLength(c, nullptr, true, n, first > 0 || isFragment(f.bounds, n) ? piece : -1);
        return r.getBitString(b.value + first / 8, n);
      });
}

bool Decoder::octets(BitReader &r, uint32_t type, unsigned char *v, const Context &c) {
  ZurOctets &o = *reinterpret_cast<ZurOctets *>(v);
  SizeForm f;
  if (!readSizeForm(r, sizeInfo(s_, s_.type(type)), 8, false, f)) return false;
  if (f.fixed) {
    uint64_t n = f.bounds.upper;
    if (f.alignItems) r.align();
    if (!r.need(n * 8)) return false;
    o.value = static_cast<uint8_t *>(allocateFilled(r, n));
    if (o.value == nullptr) return false;
    o.length = static_cast<uint32_t>(n);
    r.getOctets(o.value, static_cast<std::size_t>(n));
    traceLength(c, nullptr, false, n * 8);
    return true;
  }
  int32_t piece = 0;
  return readRun(
      r, f.bounds, true, 8,
      [&](uint64_t total) {
        if (!checkSize(r, f, total, ROW_SIZE_CONSTRAINT)) return false;
        o.value = static_cast<uint8_t *>(allocateFilled(r, total));
        o.length = static_cast<uint32_t>(total);
        return o.value != nullptr;
      },
      [&](uint64_t first, uint32_t n) {
        ++piece;
        traceLength(c, nullptr, true, uint64_t{n} * 8, first > 0 || isFragment(f.bounds, n) ? piece : -1);
        return r.getOctets(o.value + first, n);
      });
}

namespace {

// The usual strings of one-octet characters whose codes are the characters
// of one range, eight characters a step: 8-bit codes on an octet boundary
// are the octets themselves, 7-bit codes are spread one to an octet. A
// last step of fewer takes the codes it needs from its window, the others
// cleared, and stores all eight octets: `out` has room up to the next
// multiple of eight behind n, as allocateFilled() leaves it, and the octet
// behind the last character stays the terminator. Reads the characters and
// returns true; false, having read nothing, when a character is outside the
// range or the codes are of another width, for readChars to read them (and
// report the first one).
inline bool readOctetChars(BitReader &r, const CharCoding &coding, uint8_t *out, uint64_t n) {
  if (coding.rangeCount != 1 || coding.indexed || coding.ranges[1] > 0x7F) return false;
  const unsigned bits = coding.bits;
  if (bits != 7 && (bits != 8 || r.position() % 8 != 0)) return false;
  constexpr uint64_t ones = 0x0101010101010101, highs = ones * 0x80;
  const auto lo = static_cast<uint8_t>(coding.ranges[0]), hi = static_cast<uint8_t>(coding.ranges[1]);
  const uint64_t start = r.position();
  for (uint64_t i = 0; i < n; i += 8) {
    uint64_t codes = bits == 8 ? r.peek() : spreadSevens(r.peek() >> 8);
    const uint64_t taken = std::min<uint64_t>(n - i, 8);
    const uint64_t keep = ~uint64_t{0} << (64 - 8 * taken);
    codes &= keep;
    // Those cleared read as lo, within the range.
    const uint64_t checked = codes | (ones * lo & ~keep);
    if ((checked & highs) != 0 || !octetsWithin(checked, lo, hi)) return r.rewind(start), false;
    storeBigEndian64(out + i, codes);
    r.advance(taken * bits);
  }
  return true;
}

// Reads n codes of `bits` bits into out, as many from one window as it
// holds, each turned into its character by decode(code, ch), false for a
// code of no character; the caller has made sure they are all there.
template <class Char, class Decode>
bool readCodes(BitReader &r, unsigned bits, Char *out, uint64_t n, Decode decode) {
  const uint64_t perWindow = bits == 0 ? n : BitReader::kWindowBits / bits;
  for (uint64_t i = 0; i < n;) {
    uint64_t window = r.peek();
    const uint64_t at = r.position(), end = std::min(n, i + perWindow);
    for (uint64_t j = i; j < end; ++j) {
      const auto code = static_cast<uint32_t>(window >> 1 >> (63 - bits));
      window <<= bits;
      uint32_t ch;
      if (!decode(code, ch)) return r.failAt(at + (j - i) * bits, ROW_ALPHABET_CONSTRAINT, code);
      out[j] = static_cast<Char>(ch);
    }
    r.advance((end - i) * bits);
    i = end;
  }
  return true;
}

// Reads n characters into out, each a code of the alphabet's width; the
// caller has made sure they are all there. Out of line, one copy per
// width, so that knownMultiplier() stays a small frame.
template <class Char>
[[gnu::noinline]] bool readChars(BitReader &r, const CharCoding &coding, Char *out, uint64_t n) {
  if constexpr (sizeof(Char) == 1) {
    if (readOctetChars(r, coding, out, n)) return true;
  }
  const unsigned bits = coding.bits;
  if (coding.rangeCount != 1) {
    return readCodes(r, bits, out, n, [&coding](uint32_t code, uint32_t &ch) { return decodeChar(coding, code, ch); });
  }
  // Kept in locals: the stores through out may alias the coding.
  const bool indexed = coding.indexed;
  const uint32_t first = coding.ranges[0], last = coding.ranges[1];
  // Every code a character, itself (BMPString, UniversalString): nothing to look at.
  if (!indexed && first == 0 && (bits >= 32 || last >= (uint64_t{1} << bits) - 1)) {
    return readCodes(r, bits, out, n, [](uint32_t code, uint32_t &ch) { return ch = code, true; });
  }
  return readCodes(r, bits, out, n, [indexed, first, last](uint32_t code, uint32_t &ch) {
    ch = indexed ? first + code : code;
    return ch >= first && ch <= last;
  });
}

}  // namespace

bool Decoder::knownMultiplier(BitReader &r, uint32_t type, unsigned char *v, const Context &c) {
  const TypeDesc &d = s_.desc(type);
  CharCoding made;
  const CharCoding &coding = typeCoding(s_, type, aligned_, made);
  const unsigned width = d.kind == KIND_BMP_STRING ? 2 : d.kind == KIND_UNIVERSAL_STRING ? 4 : 1;
  SizeForm f;
  if (!readSizeForm(r, sizeInfo(s_, s_.type(type)), coding.bits, true, f)) return false;
  // The value's length and data words lie as in ZurChars for every width.
  ZurChars &chars = *reinterpret_cast<ZurChars *>(v);
  unsigned char *data = nullptr;
  auto start = [&](uint64_t total) {
    if (!f.fixed && !checkSize(r, f, total, ROW_SIZE_CONSTRAINT)) return false;
    data = static_cast<unsigned char *>(allocateFilled(r, (total + 1) * width));
    chars.length = static_cast<uint32_t>(total);
    chars.value = reinterpret_cast<char *>(data);
    return data != nullptr;
  };
  auto getChars = [&](uint64_t first, uint64_t n) {
    switch (width) {
      case 1: return readChars(r, coding, data + first, n);
      case 2: return readChars(r, coding, reinterpret_cast<uint16_t *>(data) + first, n);
      default: return readChars(r, coding, reinterpret_cast<uint32_t *>(data) + first, n);
    }
  };
  if (f.fixed) {
    const uint64_t total = f.bounds.upper;
    if (f.alignItems) r.align();
    if (!r.need(total * coding.bits) || !start(total) || !getChars(0, total)) return false;
    traceLength(c, nullptr, false, total * coding.bits);
    return true;
  }
  int32_t piece = 0;
  return readRun(r, f.bounds, f.alignItems, coding.bits, start, [&](uint64_t first, uint32_t n) {
    ++piece;
    traceLength(c, nullptr, true, uint64_t{n} * coding.bits,
                first > 0 || isFragment(f.bounds, n) ? piece : -1);
    return getChars(first, n);
  });
}

bool Decoder::time(BitReader &r, uint32_t type, unsigned char *v, const Context &c) {
  CharCoding coding = typeCoding(s_, type, aligned_);
  char text[32];
  uint32_t n;
  bool fragment;
  if (!getLength(r, kUnboundedLength, n, fragment)) return false;
  if (fragment || n >= sizeof text) return r.fail(ROW_TIME_RANGE);
  r.align();
  for (uint32_t i = 0; i < n; ++i) {
    uint64_t code;
    uint32_t ch;
    if (!r.getBits(coding.bits, code)) return false;
    if (!decodeChar(coding, static_cast<uint32_t>(code), ch))
      return r.fail(ROW_ALPHABET_CONSTRAINT, static_cast<int64_t>(code));
    text[i] = static_cast<char>(ch);
  }
  traceLength(c, nullptr, true, uint64_t{n} * coding.bits);
  LeafFault fault;
  int row = parseTime(s_.type(type).builtin == ZB_GENERALIZED_TIME,
                      reinterpret_cast<const unsigned char *>(text), n, false,
                      *reinterpret_cast<TimeValue *>(v), fault);
  return row == 0 || r.fail(row, fault.arg);
}

bool Decoder::openOctets(BitReader &r, BitReader &inner, const Context &c, const char *label) {
  const uint64_t mark = r.position();
  uint32_t n;
  bool fragmented;
  if (!getLength(r, kUnboundedLength, n, fragmented)) return false;
  uint64_t total = n;
  if (fragmented) {  // counted ahead, to be joined
    r.rewind(mark);
    BitReader after(r);
    if (!countPieces(r, kUnboundedLength, true, 8, total, after)) return r.failWith(after.fault());
  } else {
    if (n == 0) return r.failAt(mark, ROW_OPEN_TYPE_EMPTY);
    r.align();
    if (!r.need(uint64_t{n} * 8)) return false;
    traceLength(c, label, true, uint64_t{n} * 8);
    if (r.position() % 8 == 0) {  // read in place
      inner = BitReader(r.here(), n, aligned_, r.origin() + r.position());
      r.advance(uint64_t{n} * 8);
      return true;
    }
  }
  while (joined_.size() <= openDepth_) joined_.push_back(std::make_unique<std::vector<uint8_t>>());
  std::vector<uint8_t> &buffer = *joined_[openDepth_];
  buffer.resize(static_cast<std::size_t>(total));
  const uint64_t origin = r.origin() + r.position();
  int32_t piece = 0;
  if (fragmented) {
    if (!getPieces(r, kUnboundedLength, true, [&](uint64_t first, uint32_t count) {
          traceLength(c, label, true, uint64_t{count} * 8, ++piece);
          return r.getOctets(buffer.data() + first, count);
        }))
      return false;
  } else if (!r.getOctets(buffer.data(), n)) {
    return false;
  }
  inner = BitReader(buffer.data(), buffer.size(), aligned_, origin);
  return true;
}

template <class DecodeInner>
bool Decoder::inOpenType(BitReader &r, const Context &c, const char *label,
                         DecodeInner decodeInner) {
  BitReader inner(nullptr, 0, aligned_);
  if (!openOctets(r, inner, c, label)) return false;
  ++openDepth_;
  bool ok = decodeInner(inner);
  --openDepth_;
  return ok || r.failWith(inner.fault());
}

bool Decoder::sequence(BitReader &r, uint32_t type, unsigned char *v, const Context &c) {
  const ZurType &z = s_.type(type);
  if (z.presence != 0 && trace_ == nullptr) return maskedSequence(r, type, v, c);
  const uint16_t *order = z.builtin == ZB_SET ? canonicalOrder(s_, type) : nullptr;
  if (order != nullptr)
    return sequenceComponents(r, type, v, c, [order](uint32_t k) { return uint32_t{order[k]}; });
  return sequenceComponents(r, type, v, c, [](uint32_t k) { return k; });
}

template <class Position>
bool Decoder::sequenceComponents(BitReader &r, uint32_t type, unsigned char *v, const Context &c,
                                 Position position) {
  const TypeDesc &d = s_.desc(type);
  const ZurType &z = s_.type(type);
  const uint32_t first = d.ref, count = static_cast<uint32_t>(d.count);
  const ZurComponent *const components = &s_.component(first);
  const FieldDesc *const fields = &s_.field(first);
  ValueFrame frame{c.frame, v, type};
  const uint64_t start = r.position();
  bool extended = false;
  if ((z.flags & ZUR_T_EXTENSIBLE) && !r.getBit(extended)) return false;
  // The preamble's bits, kept by component in the module's order: in a
  // local word up to 64 components, on presence_ past that. They are taken
  // from windows of the input, checked once a window.
  const bool wide = count > 64;
  const std::size_t base = presence_.size();
  if (wide) presence_.resize(base + count, 1);
  uint64_t narrow = ~uint64_t{0};
  uint64_t window = r.peek();
  unsigned taken = 0;
  for (uint32_t k = 0; k < count; ++k) {
    const uint32_t i = position(k);
    const uint8_t flags = components[i].flags;
    if ((flags & ZUR_C_EXTENSION) != 0 || !mayBeAbsent(components[i])) continue;
    if (taken == BitReader::kWindowBits) {
      if (!r.skipPeeked(taken)) return presence_.resize(base), false;
      window = r.peek();
      taken = 0;
    }
    const uint64_t bit = window >> 63;
    window <<= 1;
    ++taken;
    if (wide)
      presence_[base + i] = static_cast<uint8_t>(bit);
    else
      narrow &= ~((bit ^ 1) << i);
  }
  if (!r.skipPeeked(taken)) return presence_.resize(base), false;
  // Nested values may move presence_: read through its base.
  auto present = [&](uint32_t i) { return wide ? presence_[base + i] != 0 : (narrow >> i & 1) != 0; };
  if (trace_ != nullptr) {
    uint32_t fieldCount = 0;
    for (uint32_t i = 0; i < count; ++i)
      fieldCount += (components[i].flags & ZUR_C_EXTENSION) == 0 && present(i);
    trace_->item(c.place, nullptr, PER_FIELD_COUNT, false, fieldCount);
    if (r.position() > start) traceLength(c, "preamble", false, r.position() - start);
  }
  bool ok = true;
  bool extensionDefaults = false;
  Context inner{{nullptr, nullptr, 0, c.place.depth + 1}, &frame};
  for (uint32_t k = 0; ok && k < count; ++k) {
    const uint32_t i = position(k);
    const uint8_t flags = components[i].flags;
    if (flags & ZUR_C_EXTENSION) {
      extensionDefaults = extensionDefaults || (flags & ZUR_C_DEFAULT) != 0;
      continue;
    }
    const FieldDesc &f = fields[i];
    if (!present(i)) {
      if (flags & ZUR_C_DEFAULT) copyDefault(s_, first + i, v);
      continue;
    }
    if (trace_ != nullptr) {
      inner.place.fieldName = name(first + i);
      inner.place.caption = caption(f.type);
    }
    inner.place.index = static_cast<int32_t>(i + 1);
    ok = value(r, f.type, v + f.offset, inner);
    if (ok && mayBeAbsent(components[i])) setPresent(d, f, v);
  }
  presence_.resize(base);
  if (!ok) return false;
  if (extended) {
    // The additions lie between the first and the last of them.
    uint32_t lo = 0, hi = count;
    while (lo < hi && components[lo].addition == 0) ++lo;
    while (hi > lo && components[hi - 1].addition == 0) --hi;
    return additions(r, type, v, frame, c, lo, hi);
  }
  for (uint32_t i = 0; extensionDefaults && i < count; ++i) {
    const uint8_t flags = components[i].flags;
    if ((flags & ZUR_C_EXTENSION) && (flags & ZUR_C_DEFAULT)) copyDefault(s_, first + i, v);
  }
  return true;
}

// An untraced SEQUENCE whose presence record (ZurPresence) says that its
// mask's first bits are the preamble: the preamble goes into the mask at
// once, and only the components it includes are looked at. Such a type has
// no DEFAULT component, so nothing is left to fill in for those absent.
bool Decoder::maskedSequence(BitReader &r, uint32_t type, unsigned char *v, const Context &c) {
  const TypeDesc &d = s_.desc(type);
  const ZurType &z = s_.type(type);
  const ZurPresence &p = s_.codec->presences[z.presence];
  bool extended = false;
  if ((z.flags & ZUR_T_EXTENSIBLE) && !r.getBit(extended)) return false;
  // At most 32 bits, at the top of the word.
  const uint64_t preamble = r.peek() & ~(~uint64_t{0} >> p.rootBits);
  if (!r.skipPeeked(p.rootBits)) return false;
  orMaskWord(d.lenSize, v, preamble);
  // Those without a presence bit, then a bit of the preamble for each root
  // component that has one, in turn.
  const uint32_t count = static_cast<uint32_t>(d.count);
  uint64_t included = (count == 0 ? 0 : ~uint64_t{0} >> (64 - count)) & ~p.components;
  uint64_t bits = preamble;
  for (uint64_t m = p.components & ~p.additions; m != 0; m &= m - 1, bits <<= 1)
    included |= (bits >> 63) << std::countr_zero(m);
  ValueFrame frame{c.frame, v, type};
  const Context inner{{nullptr, nullptr, 0, c.place.depth + 1}, &frame};
  const FieldDesc *const fields = &s_.field(d.ref);
  if (included != 0 && depth_ >= maxDepth_) {  // refused by value(), as deep as it is
    const FieldDesc &f = fields[std::countr_zero(included)];
    return value(r, f.type, v + f.offset, inner);
  }
  ++depth_;
  for (; included != 0; included &= included - 1) {
    const FieldDesc &f = fields[std::countr_zero(included)];
    if (!component(r, f.type, v + f.offset, inner)) return --depth_, false;
  }
  --depth_;
  if (!extended) return true;
  const uint32_t lo = p.additions == 0 ? count : static_cast<uint32_t>(std::countr_zero(p.additions));
  const uint32_t hi = p.additions == 0 ? count : static_cast<uint32_t>(64 - std::countl_zero(p.additions));
  return additions(r, type, v, frame, c, lo, hi);
}

bool Decoder::additions(BitReader &r, uint32_t type, unsigned char *v, const ValueFrame &frame,
                        const Context &c, uint32_t lo, uint32_t hi) {
  const TypeDesc &d = s_.desc(type);
  const uint32_t first = d.ref, count = static_cast<uint32_t>(d.count);
  const ZurComponent *const components = &s_.component(first);
  const uint64_t start = r.position();
  uint32_t n;
  if (!getSmallLength(r, n)) return false;
  if (!r.need(n)) return false;
  const std::size_t base = presence_.size();
  presence_.resize(base + n);
  for (uint32_t k = 0; k < n; ++k) {
    bool present = false;
    r.getBit(present);
    presence_[base + k] = present ? 1 : 0;
  }
  traceLength(c, "extensions", true, r.position() - start);
  bool ok = true;
  for (uint32_t k = 1; ok && k <= n; ++k) {
    if (!presence_[base + k - 1]) continue;
    uint32_t members = 0, only = 0;
    for (uint32_t i = lo; i < hi; ++i) {
      if (components[i].addition == k) {
        ++members;
        only = i;
      }
    }
    const FieldDesc &f = s_.field(first + only);
    Context inner{{members == 0 ? nullptr : name(first + only),
                   members == 0 ? nullptr : caption(f.type), static_cast<int32_t>(only + 1),
                   c.place.depth + 1},
                  &frame};
    if (members == 0) {  // an addition of a later version: skipped
      inner.place.index = static_cast<int32_t>(count + k);
      ok = inOpenType(r, inner, "unknown extension", [](BitReader &) { return true; });
    } else if (members == 1 && (components[only].flags & ZUR_C_BRACKET) == 0) {
      ok = inOpenType(r, inner, "extension", [&](BitReader &sub) {
        return value(sub, f.type, v + f.offset, inner);
      });
      if (ok) setPresent(d, f, v);
    } else {
      ok = inOpenType(r, inner, "extension group", [&](BitReader &sub) {
        const std::size_t group = presence_.size();
        presence_.resize(group + count, 1);
        bool fine = true;
        for (uint32_t i = lo; fine && i < hi; ++i) {
          const ZurComponent &zc = components[i];
          bool present = true;
          if (zc.addition == k && mayBeAbsent(zc)) fine = sub.getBit(present);
          presence_[group + i] = present ? 1 : 0;
        }
        for (uint32_t i = lo; fine && i < hi; ++i) {
          if (components[i].addition != k || !presence_[group + i]) continue;
          const FieldDesc &g = s_.field(first + i);
          Context member{{name(first + i), caption(g.type),
                          static_cast<int32_t>(i + 1), c.place.depth + 1},
                         &frame};
          fine = value(sub, g.type, v + g.offset, member);
          if (fine) setPresent(d, g, v);
        }
        presence_.resize(group);
        return fine;
      });
    }
  }
  presence_.resize(base);
  if (!ok) return false;
  for (uint32_t i = lo; i < hi; ++i) {
    const ZurComponent &zc = components[i];
    if ((zc.flags & ZUR_C_EXTENSION) && (zc.flags & ZUR_C_DEFAULT) &&
        !isPresent(d, s_.field(first + i), v))
      copyDefault(s_, first + i, v);
  }
  return true;
}

bool Decoder::choice(BitReader &r, uint32_t type, unsigned char *v, const Context &c) {
  const TypeDesc &d = s_.desc(type);
  const ZurType &z = s_.type(type);
  bool extended = false;
  if ((z.flags & ZUR_T_EXTENSIBLE) && !r.getBit(extended)) return false;
  uint32_t position = 0;
  uint64_t rank;
  ValueFrame frame{c.frame, v, type};
  if (!extended) {
    const uint32_t of = rootAlternatives(s_, type);
    const uint64_t at = r.position();
    if (!getConstrained(r, of - 1u, rank)) return false;
    if (rank >= of) return r.failAt(at, ROW_CHOICE_SELECTOR, static_cast<int64_t>(rank));
    choiceAtRank(s_, type, false, static_cast<uint32_t>(rank), position);
    if (trace_ != nullptr) trace_->item(c.place, nullptr, PER_INDEX, true, rank);
    storeSigned(v, 4, position + 1);
    const FieldDesc &f = s_.field(d.ref + position);
    Context inner{{name(d.ref + position), caption(f.type),
                   static_cast<int32_t>(position + 1), c.place.depth + 1},
                  &frame};
    return value(r, f.type, v + f.offset, inner);
  }
  if (!getSmallNumber(r, rank)) return false;
  if (trace_ != nullptr) trace_->item(c.place, "extension", PER_INDEX, true, rank);
  if (rank > UINT32_MAX || !choiceAtRank(s_, type, true, static_cast<uint32_t>(rank), position)) {
    storeSigned(v, 4, 0);  // an alternative of a later version
    return inOpenType(r, c, "unknown extension", [](BitReader &) { return true; });
  }
  storeSigned(v, 4, position + 1);
  const FieldDesc &f = s_.field(d.ref + position);
  Context inner{{name(d.ref + position), caption(f.type),
                 static_cast<int32_t>(position + 1), c.place.depth + 1},
                &frame};
  return inOpenType(r, inner, nullptr,
                    [&](BitReader &sub) { return value(sub, f.type, v + f.offset, inner); });
}

bool Decoder::list(BitReader &r, uint32_t type, unsigned char *v, const Context &c) {
  const TypeDesc &d = s_.desc(type);
  ZurList &l = *reinterpret_cast<ZurList *>(v);
  const uint32_t elementType = d.ref;
  const uint64_t stride = static_cast<uint64_t>(d.count);
  SizeForm f;
  if (!readSizeForm(r, sizeInfo(s_, s_.type(type)), 0, false, f)) return false;
  ValueFrame frame{c.frame, v, type};
  Context inner{{nullptr, caption(elementType), 0, c.place.depth + 1}, &frame};
  // Elements [from, from + n) into an array grown to hold them.
  auto elements = [&](uint64_t from, uint64_t n) {
    if (n == 0) return true;
    auto *grown = static_cast<unsigned char *>(allocate(r, (from + n) * stride));
    if (grown == nullptr) return false;
    if (from > 0) std::memcpy(grown, l.value, static_cast<std::size_t>(from * stride));
    l.value = grown;
    for (uint64_t i = from; i < from + n; ++i) {
      inner.place.index = static_cast<int32_t>(i + 1);
      if (!value(r, elementType, grown + i * stride, inner)) return false;
      l.count = static_cast<uint32_t>(i + 1);
    }
    return true;
  };
  if (f.fixed) {
    if (trace_ != nullptr) trace_->item(c.place, nullptr, PER_COUNT, false, f.bounds.upper);
    return elements(0, f.bounds.upper);
  }
  int32_t piece = 0;
  uint64_t total = 0;
  if (!getPieces(r, f.bounds, false, [&](uint64_t from, uint32_t n) {
        total = from + n;
        if (f.bounds.bounded && total > f.bounds.upper)
          return r.fail(ROW_COUNT_CONSTRAINT, static_cast<int64_t>(total));
        if (trace_ != nullptr)
          trace_->item(c.place, nullptr, PER_COUNT, true, n,
                       isFragment(f.bounds, n) || from > 0 ? ++piece : -1);
        return elements(from, n);
      }))
    return false;
  return checkSize(r, f, total, ROW_COUNT_CONSTRAINT);
}

bool Decoder::openType(BitReader &r, uint32_t type, unsigned char *v, const Context &c) {
  const TypeDesc &d = s_.desc(type);
  if (d.kind == KIND_ENCODED) {
    EncodedValue &e = *reinterpret_cast<EncodedValue *>(v);
    uint8_t *data;
    uint64_t length;
    if (!lengthOctets(r, data, length, c)) return false;
    if (length == 0) return r.fail(ROW_OPEN_TYPE_EMPTY);
    e.length = static_cast<ApiWord>(length);
    e.octets = data;
    return true;
  }
  const ZurObject *object = selectObject(s_, type, c.frame);
  const uint32_t alternatives = s_.componentCount(type);
  const uint32_t position = object != nullptr ? object->alternative - 1u : alternatives - 1;
  storeSigned(v, 4, position + 1);
  const FieldDesc &f = s_.field(d.ref + position);
  // An object the set does not know: the octets are the component's own,
  // traced as the component, as an open type without a table is.
  if (object == nullptr) return openType(r, f.type, v + f.offset, c);
  ValueFrame frame{c.frame, v, type};
  Context inner{{name(d.ref + position), caption(f.type), 0, c.place.depth + 1},
                &frame};
  return inOpenType(r, c, nullptr,
                    [&](BitReader &sub) { return value(sub, f.type, v + f.offset, inner); });
}

}  // namespace zurcore::per
