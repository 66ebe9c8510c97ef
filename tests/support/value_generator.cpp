#include "tests/support/value_generator.h"

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>

#include "zurbase/values.h"
#include "zurcore/codec/defaults.h"
#include "zurcore/codec/value_equality.h"

namespace zurtest {
namespace {

template <class T>
void store(unsigned char *p, const T &v) {
  std::memcpy(p, &v, sizeof v);
}

void appendUtf8(std::vector<unsigned char> &out, uint32_t c) {
  if (c < 0x80) {
    out.push_back(static_cast<unsigned char>(c));
  } else if (c < 0x800) {
    out.push_back(static_cast<unsigned char>(0xC0 | c >> 6));
    out.push_back(static_cast<unsigned char>(0x80 | (c & 0x3F)));
  } else if (c < 0x10000) {
    out.push_back(static_cast<unsigned char>(0xE0 | c >> 12));
    out.push_back(static_cast<unsigned char>(0x80 | (c >> 6 & 0x3F)));
    out.push_back(static_cast<unsigned char>(0x80 | (c & 0x3F)));
  } else {
    out.push_back(static_cast<unsigned char>(0xF0 | c >> 18));
    out.push_back(static_cast<unsigned char>(0x80 | (c >> 12 & 0x3F)));
    out.push_back(static_cast<unsigned char>(0x80 | (c >> 6 & 0x3F)));
    out.push_back(static_cast<unsigned char>(0x80 | (c & 0x3F)));
  }
}

// A value (size) of a constraint's gaps moved to the nearest one beside the
// gap that the constraint permits (gaps follow the record; see ZUR_R_GAPS).
template <class Record, class Number>
Number besideGaps(const Record &r, Number n) {
  if ((r.flags & ZUR_R_GAPS) == 0) return n;
  const Record *gap = &r + 1;
  for (uint32_t i = 0; i < r.gaps; ++i)
    if (n >= gap[i].lower && n <= gap[i].upper)
      return (r.flags & ZUR_R_UPPER) == 0 || gap[i].upper < r.upper ? static_cast<Number>(gap[i].upper + 1)
                                                                     : static_cast<Number>(gap[i].lower - 1);
  return n;
}

constexpr char kPrintable[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789 '()+,-./:=?";

}  // namespace

ValueGenerator::ValueGenerator(const CtlTbl *ctl, uint32_t seed) : rng_(seed) {
  zurcore::openSchema(ctl, s_);
}

unsigned char *ValueGenerator::allocate(std::size_t n) {
  blocks_.emplace_back(n + 8, 0);
  return blocks_.back().data();
}

void *ValueGenerator::value(int32_t pdu) {
  const uint32_t type = s_.pduType(pdu);
  const TypeDesc &d = s_.desc(type);
  unsigned char *slot = allocate((d.typeFlags & TYPE_BY_POINTER) != 0 ? sizeof(void *) : d.size);
  fill(type, slot, 0);
  return slot;
}

void ValueGenerator::fill(uint32_t type, unsigned char *slot, int depth) {
  const TypeDesc &d = s_.desc(type);
  unsigned char *v = slot;
  if ((d.typeFlags & TYPE_BY_POINTER) != 0) {
    v = allocate(d.size);
    store(slot, v);
  }
  fillBody(type, v, depth);
}

void ValueGenerator::fillBody(uint32_t type, unsigned char *v, int depth) {
  switch (s_.type(type).builtin) {
    case ZB_BOOLEAN:
      v[0] = coin() ? 1 : 0;
      break;
    case ZB_NULL:
      break;
    case ZB_INTEGER:
    case ZB_ENUMERATED:
      fillInteger(type, v);
      break;
    case ZB_REAL: {
      static constexpr double kReals[] = {1.5, -2.25, 1e100, -3.0e-5, 123456789.0};
      double r = coin() ? kReals[pick(0, 4)]
                        : std::ldexp(static_cast<double>(pick(1, 1u << 30) | 1u), static_cast<int>(pick(0, 200)) - 100);
      if (printable) {
        const std::string decimal = std::to_string(pick(1000, 9999)) + "e" + std::to_string(static_cast<int>(pick(0, 60)) - 30);
        r = std::strtod(decimal.c_str(), nullptr);
      }
      store(v, coin() ? r : -r);
      break;
    }
    case ZB_BIT_STRING:
      fillBits(type, v);
      break;
    case ZB_OBJECT_IDENTIFIER:
    case ZB_RELATIVE_OID:
      fillOid(v, s_.type(type).builtin == ZB_RELATIVE_OID);
      break;
    case ZB_UTC_TIME:
    case ZB_GENERALIZED_TIME:
      fillTime(type, v);
      break;
    case ZB_SEQUENCE:
    case ZB_SET:
      fillComponents(type, v, depth);
      break;
    case ZB_SEQUENCE_OF:
    case ZB_SET_OF:
      fillElements(type, v, depth);
      break;
    case ZB_CHOICE:
      fillChoice(type, v, depth);
      break;
    case ZB_OPEN_TYPE:
      fillOpenType(type, v, nullptr, 0, depth);
      break;
    default:
      fillString(type, v);
      break;
  }
}

void ValueGenerator::fillComponents(uint32_t type, unsigned char *v, int depth) {
  const TypeDesc &d = s_.desc(type);
  // Filled again when it came out equal to a DEFAULT: no presence bit or
  // open type of the last try may stay.
  std::memset(v, 0, d.size);
  // A version bracket is there or not as a whole: its first component draws
  // for all; inside a bracket that is there, only its OPTIONAL and DEFAULT
  // components may be left out.
  uint16_t bracket = 0;
  bool bracketThere = false;
  for (uint32_t i = 0; i < static_cast<uint32_t>(d.count); ++i) {
    const uint32_t comp = d.ref + i;
    const FieldDesc &f = s_.field(comp);
    const ZurComponent &zc = s_.component(comp);
    bool absent;
    if ((zc.flags & ZUR_C_BRACKET) != 0) {
      if (zc.addition != bracket) {
        bracket = zc.addition;
        bracketThere = depth < maxDepth && coin();
      }
      absent = !bracketThere || ((zc.flags & (ZUR_C_OPTIONAL | ZUR_C_DEFAULT)) != 0 && coin());
    } else {
      absent = s_.mayBeAbsent(comp) && (depth >= maxDepth || coin());
    }
    if (absent) {
      zurcore::copyDefault(s_, comp, v);
      continue;
    }
    if (s_.type(f.type).builtin == ZB_OPEN_TYPE) {
      unsigned char *held = v + f.offset;
      if ((s_.desc(f.type).typeFlags & TYPE_BY_POINTER) != 0) {  // an open type of a recursive module
        held = allocate(s_.desc(f.type).size);
        store(v + f.offset, held);
      }
      fillOpenType(f.type, held, v, type, depth + 1);
    } else {
      fill(f.type, v + f.offset, depth + 1);
      for (int tries = 0; tries < 8 && zurcore::equalsDefault(s_, comp, v); ++tries) fill(f.type, v + f.offset, depth + 1);
      if (zurcore::equalsDefault(s_, comp, v)) continue;  // left absent: the presence bit stays clear
    }
    if (f.presenceBit >= 0 && s_.mayBeAbsent(comp)) zurcore::setMaskBit(v, f.presenceBit, d.lenSize);
  }
}

void ValueGenerator::fillElements(uint32_t type, unsigned char *v, int depth) {
  const TypeDesc &d = s_.desc(type);
  const uint32_t count = depth >= maxDepth ? length(type, 0) : length(type, maxElements);
  const std::size_t stride = static_cast<std::size_t>(d.count);
  unsigned char *elements = count != 0 ? allocate(count * stride) : nullptr;
  for (uint32_t k = 0; k < count; ++k) fill(d.ref, elements + k * stride, depth + 1);
  store(v, count);
  store(v + d.dataOffset, elements);
}

// Whether alternative `position` of a CHOICE has as many alternatives of its
// part (root or extension additions) before it in the canonical order of
// tags as in the module's.
bool ValueGenerator::sameChoiceIndex(uint32_t type, uint32_t position) const {
  const uint32_t first = s_.firstComponent(type), count = s_.componentCount(type);
  const uint16_t order = s_.type(type).order;
  auto extension = [&](uint32_t p) { return (s_.component(first + p).flags & ZUR_C_EXTENSION) != 0; };
  uint32_t before = 0, canonicalBefore = 0;
  for (uint32_t p = 0; p < position; ++p) before += extension(p) == extension(position);
  for (uint32_t i = 0; i < count; ++i) {
    const uint32_t p = order != 0 ? s_.codec->order[order + i] : i;
    if (p == position) break;
    canonicalBefore += extension(p) == extension(position);
  }
  return before == canonicalBefore;
}

void ValueGenerator::fillChoice(uint32_t type, unsigned char *v, int depth) {
  const TypeDesc &d = s_.desc(type);
  uint32_t i = pick(0, static_cast<uint32_t>(d.count) - 1);
  if (sameChoiceIndexes) {
    std::vector<uint32_t> same;
    for (uint32_t p = 0; p < static_cast<uint32_t>(d.count); ++p)
      if (sameChoiceIndex(type, p)) same.push_back(p);
    if (!same.empty()) i = same[i % same.size()];
  }
  const FieldDesc &f = s_.field(d.ref + i);
  store(v, static_cast<int32_t>(i + 1));
  fill(f.type, v + f.offset, depth + 1);
}

// An open type whose object set selects its type picks an object and sets
// the component that selects it to the object's id; without a set, or for
// links this generator does not follow, it holds an encoded value.
void ValueGenerator::fillOpenType(uint32_t type, unsigned char *v, unsigned char *parent,
                                  uint32_t parentType, int depth) {
  const TypeDesc &d = s_.desc(type);
  const ZurType &zt = s_.type(type);
  if (d.kind == KIND_ENCODED) return fillEncoded(v);
  const ZurOpenType &link = s_.codec->openTypes[zt.openType];
  const uint32_t last = static_cast<uint32_t>(d.count);
  const bool followed = parent != nullptr && link.up == 0 && link.pathLength == 1 && link.objectCount != 0;
  if (!followed || ((link.flags & ZUR_R_EXTENSIBLE) != 0 && pick(0, 3) == 0)) {
    if (followed) unknownId(link, parent, parentType, depth);
    store(v, static_cast<int32_t>(last));
    return fillEncoded(v + s_.field(d.ref + last - 1).offset);
  }
  const ZurObject &object = s_.codec->objects[link.firstObject + pick(0, link.objectCount - 1)];
  const TypeDesc &pd = s_.desc(parentType);
  const uint32_t idComp = pd.ref + s_.codec->paths[link.firstPath];
  const FieldDesc &idField = s_.field(idComp);
  std::memcpy(parent + idField.offset, object.id, s_.desc(idField.type).size);
  if (idField.presenceBit >= 0 && s_.mayBeAbsent(idComp)) zurcore::setMaskBit(parent, idField.presenceBit, pd.lenSize);
  store(v, static_cast<int32_t>(object.alternative));
  fill(object.type, v + s_.field(d.ref + object.alternative - 1).offset, depth + 1);
}

// The component that selects the object of an extensible set drawn again
// until it selects none: a peer decodes a known id's value as the object's
// type, where the value kept encoded is any octets.
void ValueGenerator::unknownId(const ZurOpenType &link, unsigned char *parent, uint32_t parentType, int depth) {
  const TypeDesc &pd = s_.desc(parentType);
  const uint32_t idComp = pd.ref + s_.codec->paths[link.firstPath];
  const FieldDesc &idField = s_.field(idComp);
  auto known = [&] {
    for (uint32_t i = 0; i < link.objectCount; ++i)
      if (zurcore::valuesEqual(s_, idField.type, parent + idField.offset, s_.codec->objects[link.firstObject + i].id))
        return true;
    return false;
  };
  for (int tries = 0; tries < 64 && known(); ++tries) fill(idField.type, parent + idField.offset, depth);
  if (idField.presenceBit >= 0 && s_.mayBeAbsent(idComp)) zurcore::setMaskBit(parent, idField.presenceBit, pd.lenSize);
}

void ValueGenerator::fillEncoded(unsigned char *v) {
  // A small INTEGER, the kind of value an algorithm's parameters hold.
  const uint32_t n = pick(1, 3);
  unsigned char *octets = allocate(n + 2);
  octets[0] = 0x02;
  octets[1] = static_cast<unsigned char>(n);
  for (uint32_t k = 0; k < n; ++k) octets[2 + k] = static_cast<unsigned char>(pick(0, 255));
  if (n > 1 && ((octets[2] == 0 && octets[3] < 0x80) || (octets[2] == 0xFF && octets[3] >= 0x80))) octets[2] = 0x11;
  store(v, EncodedValue{0, n + 2, octets});
}

void ValueGenerator::fillInteger(uint32_t type, unsigned char *v) {
  const TypeDesc &d = s_.desc(type);
  const ZurType &zt = s_.type(type);
  if (d.kind == KIND_ENUMERATED) {
    const ZurEnum &e = s_.codec->enums[zt.valueRange];
    store(v, s_.codec->enumValues[e.firstValue + pick(0, e.rootCount + e.extCount - 1u)]);
    return;
  }
  if (d.kind == KIND_OCTETS_PTR2) {
    // (0..MAX) and other ranges with a lower bound take no negative values;
    // above a lower bound over 0, nine octets or more of a positive number.
    // (MIN..n) takes a number of at most 64 bits up to n.
    const ZurRange &r = s_.codec->ranges[zt.valueRange];
    if (zt.valueRange != 0 && (r.flags & (ZUR_R_LOWER | ZUR_R_UPPER)) == ZUR_R_UPPER) {
      const auto x = static_cast<uint64_t>(
          besideGaps(r, r.upper - static_cast<int64_t>(pick(0, UINT32_MAX) >> pick(0, 31))));
      uint32_t n = 8;
      while (n > 1 && (x >> (8 * n - 9) == 0 || x >> (8 * n - 9) == (uint64_t{1} << (73 - 8 * n)) - 1)) --n;
      unsigned char *octets = allocate(n);
      for (uint32_t k = 0; k < n; ++k) octets[k] = static_cast<unsigned char>(x >> (8 * (n - 1 - k)));
      store(v, ZurHugeInt{n, octets});
      return;
    }
    const bool nonNegative = zt.valueRange != 0 && (r.flags & ZUR_R_LOWER) != 0;
    const bool large = nonNegative && r.lower > 0;
    // Past 64 bits, no number is in a gap.
    const uint32_t n = pick(large || (r.flags & ZUR_R_GAPS) != 0 ? 9 : 1, 20);
    unsigned char *octets = allocate(n);
    for (uint32_t k = 0; k < n; ++k) octets[k] = static_cast<unsigned char>(pick(0, 255));
    if (nonNegative) octets[0] &= 0x7F;
    // The shortest form: a leading octet that only repeats the sign goes.
    if (n > 1 && ((octets[0] == 0 && octets[1] < 0x80) || (octets[0] == 0xFF && octets[1] >= 0x80))) octets[0] = 0x42;
    store(v, ZurHugeInt{n, octets});
    return;
  }
  const uint64_t raw = (uint64_t{pick(0, UINT32_MAX)} << 32 | pick(0, UINT32_MAX)) >> pick(0, 63);
  if (zt.valueRange != 0) {
    const ZurRange &r = s_.codec->ranges[zt.valueRange];
    if ((r.flags & ZUR_R_LOWER) != 0 && (r.flags & ZUR_R_UPPER) != 0) {
      if (beyondRoots && (r.flags & ZUR_R_EXTENSIBLE) != 0 && r.upper < INT32_MAX && coin()) {
        store(v, r.upper + 1 + static_cast<int64_t>(raw % 1000));
        return;
      }
      const uint64_t span = static_cast<uint64_t>(r.upper) - static_cast<uint64_t>(r.lower);
      const uint64_t offset = span == UINT64_MAX ? raw : raw % (span + 1);
      store(v, besideGaps(r, static_cast<int64_t>(static_cast<uint64_t>(r.lower) + offset)));
      return;
    }
    if ((r.flags & ZUR_R_LOWER) != 0) {
      store(v, besideGaps(r, r.lower + static_cast<int64_t>(raw >> 2)));
      return;
    }
    store(v, besideGaps(r, coin() ? static_cast<int64_t>(raw >> 1) : -static_cast<int64_t>(raw >> 1)));
    return;
  }
  store(v, coin() ? static_cast<int64_t>(raw >> 1) : -static_cast<int64_t>(raw >> 1));
}

uint32_t ValueGenerator::length(uint32_t type, uint32_t fallbackMax) {
  const ZurType &zt = s_.type(type);
  uint32_t lo = 0, hi = fallbackMax;
  if (zt.sizeRange != 0) {
    const ZurSize &size = s_.codec->sizes[zt.sizeRange];
    lo = size.lower;
    hi = (size.flags & ZUR_R_UPPER) != 0 && size.upper - lo < fallbackMax ? size.upper : lo + fallbackMax;
    if (beyondRoots && (size.flags & ZUR_R_EXTENSIBLE) != 0 && (size.flags & ZUR_R_UPPER) != 0 && coin())
      return size.upper + 1 + pick(0, 3);
    return besideGaps(size, pick(lo, hi));
  }
  return pick(lo, hi);
}

uint32_t ValueGenerator::character(uint32_t type) {
  const ZurType &zt = s_.type(type);
  if (zt.alphabet != 0) {
    const ZurAlphabet &a = s_.codec->alphabets[zt.alphabet];
    const uint32_t *range = s_.codec->charRanges + 2 * (a.firstRange + pick(0, a.rangeCount - 1));
    return pick(range[0], range[1]);
  }
  switch (zt.builtin) {
    case ZB_NUMERIC_STRING:
      return pick(0, 10) == 10 ? ' ' : '0' + pick(0, 9);
    case ZB_PRINTABLE_STRING:
      return static_cast<unsigned char>(kPrintable[pick(0, sizeof kPrintable - 2)]);
    case ZB_UTF8_STRING: {
      static constexpr uint32_t kWide[] = {0xE9, 0x20AC, 0x1F600};
      return pick(0, 3) == 0 ? kWide[pick(0, 2)] : ascii();
    }
    case ZB_BMP_STRING:
      return pick(0x20, 0xD7FF);
    case ZB_UNIVERSAL_STRING: {
      const uint32_t c = pick(0x20, 0x10FFFF);
      return c >= 0xD800 && c <= 0xDFFF ? 0x41 : c;
    }
    default:
      return ascii();
  }
}

// The printer puts a string's octets between quotes as they are: a quote
// inside would end it.
uint32_t ValueGenerator::ascii() {
  const uint32_t c = pick(0x20, 0x7E);
  return printable && c == '"' ? '!' : c;
}

void ValueGenerator::fillString(uint32_t type, unsigned char *v) {
  const ZurType &zt = s_.type(type);
  const uint32_t n = length(type, 12);
  if (zt.builtin == ZB_OCTET_STRING) {
    unsigned char *octets = allocate(n);
    for (uint32_t k = 0; k < n; ++k) octets[k] = static_cast<unsigned char>(pick(0, 255));
    store(v, ZurOctets{n, octets});
    return;
  }
  if (zt.builtin == ZB_BMP_STRING || zt.builtin == ZB_UNIVERSAL_STRING) {
    const std::size_t unit = zt.builtin == ZB_BMP_STRING ? 2 : 4;
    unsigned char *chars = allocate(n * unit);
    for (uint32_t k = 0; k < n; ++k) {
      const uint32_t c = character(type);
      if (unit == 2)
        store(chars + 2 * k, static_cast<uint16_t>(c));
      else
        store(chars + 4 * k, c);
    }
    store(v, ZurOctets{n, chars});
    return;
  }
  std::vector<unsigned char> text;
  // Without a size constraint a text has 1 to 3 characters: constraints the
  // codecs do not see (SIZE (1..ub) on a TeletexString) may still bound it.
  const uint32_t count = zt.sizeRange != 0 ? n : pick(1, 3);
  for (uint32_t k = 0; k < count; ++k) appendUtf8(text, character(type));
  unsigned char *chars = allocate(text.size() + 1);
  if (!text.empty()) std::memcpy(chars, text.data(), text.size());
  store(v, ZurChars{static_cast<uint32_t>(text.size()), reinterpret_cast<char *>(chars)});
}

void ValueGenerator::fillBits(uint32_t type, unsigned char *v) {
  uint32_t bits = length(type, 40);
  if (printable && bits % 8 != 0) bits = bits < 8 ? 8 : bits - bits % 8;
  unsigned char *octets = allocate((bits + 7) / 8);
  for (uint32_t k = 0; k < bits; ++k)
    if (coin()) octets[k / 8] |= static_cast<unsigned char>(0x80u >> (k % 8));
  if ((s_.type(type).flags & ZUR_T_NAMED_BITS) != 0 && bits != 0)
    octets[(bits - 1) / 8] |= static_cast<unsigned char>(0x80u >> ((bits - 1) % 8));
  store(v, ZurBits{bits, octets});
}

void ValueGenerator::fillOid(unsigned char *v, bool relative) {
  std::vector<uint64_t> arcs;
  const uint32_t count = pick(relative ? 1 : 2, 6);
  for (uint32_t k = 0; k < count; ++k) arcs.push_back(pick(0, UINT32_MAX) >> pick(0, 31));
  if (relative) {
    auto *values = reinterpret_cast<uint32_t *>(allocate(count * sizeof(uint32_t)));
    for (uint32_t k = 0; k < count; ++k) values[k] = static_cast<uint32_t>(arcs[k]);
    store(v, ZurRelativeOid{static_cast<int16_t>(count), values});
    return;
  }
  arcs[0] = pick(0, 2);
  if (arcs[0] < 2) arcs[1] %= 40;
  std::vector<unsigned char> contents;
  for (uint32_t k = 1; k < count; ++k) {
    uint64_t arc = k == 1 ? arcs[0] * 40 + arcs[1] : arcs[k];
    unsigned char groups[10];
    int n = 0;
    do {
      groups[n++] = static_cast<unsigned char>(arc & 0x7F);
      arc >>= 7;
    } while (arc != 0);
    while (n-- > 0) contents.push_back(static_cast<unsigned char>(groups[n] | (n != 0 ? 0x80 : 0)));
  }
  unsigned char *octets = allocate(contents.size());
  std::memcpy(octets, contents.data(), contents.size());
  store(v, ZurOid{static_cast<uint32_t>(contents.size()), octets});
}

void ValueGenerator::fillTime(uint32_t type, unsigned char *v) {
  const bool generalized = s_.type(type).builtin == ZB_GENERALIZED_TIME;
  TimeValue t{};
  t.year = static_cast<int16_t>(generalized ? pick(1950, 2049) : pick(0, 99));
  t.month = static_cast<int16_t>(pick(1, 12));
  t.day = static_cast<int16_t>(pick(1, 28));
  t.hour = static_cast<int16_t>(pick(0, 23));
  t.minute = static_cast<int16_t>(pick(0, 59));
  t.second = static_cast<int16_t>(pick(0, 59));
  if (generalized) {
    t.millisec = static_cast<int16_t>(coin() ? 0 : pick(1, 999));
    t.utc = 1;
  }
  store(v, t);
}

}  // namespace zurtest
