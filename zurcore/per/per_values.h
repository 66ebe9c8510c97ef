// The value layouts of compiled modules as the PER codec reads and writes
// them (docs/api.md, "Values of compiled modules"), and the PER-visible
// constraints of a type as the codec tables give them.
#ifndef ZURCORE_PER_PER_VALUES_H
#define ZURCORE_PER_PER_VALUES_H

#include <cstdint>
#include <cstring>

#include "char_alphabet.h"
#include "whole_numbers.h"
#include "zurbase/codec_tables.h"
#include "zurbase/values.h"
#include "zurcore/codec/tables.h"

namespace zurcore::per {

// SEQUENCE OF and SET OF: the elements in one array.
struct ZurList {
  uint32_t count;
  unsigned char *value;
};

// The presence of an OPTIONAL, DEFAULT or extension component: its bit of
// the parent's mask (bit 0 the most significant; masks of up to 4 bytes are
// integers) or, for a negative presenceBit, a non-null address.
inline bool isPresent(const TypeDesc &parent, const FieldDesc &f, const unsigned char *value) {
  if (f.presenceBit < 0) {
    void *address;
    std::memcpy(&address, value + f.offset, sizeof address);
    return address != nullptr;
  }
  unsigned bit = static_cast<unsigned>(f.presenceBit);
  switch (parent.lenSize) {
    case 1: return (value[0] >> (7 - bit)) & 1;
    case 2: {
      uint16_t m;
      std::memcpy(&m, value, 2);
      return (m >> (15 - bit)) & 1;
    }
    case 4: {
      uint32_t m;
      std::memcpy(&m, value, 4);
      return (m >> (31 - bit)) & 1;
    }
    default: return (value[bit / 8] >> (7 - bit % 8)) & 1;
  }
}

// A presence mask of 1, 2 or 4 bytes (an integer) as one word, bit 0 of the
// mask at the top; 0 for a wider one.
inline uint64_t maskWord(uint16_t width, const unsigned char *value) {
  switch (width) {
    case 1: return uint64_t{value[0]} << 56;
    case 2: {
      uint16_t m;
      std::memcpy(&m, value, 2);
      return uint64_t{m} << 48;
    }
    case 4: {
      uint32_t m;
      std::memcpy(&m, value, 4);
      return uint64_t{m} << 32;
    }
    default: return 0;
  }
}

// The inverse of maskWord: sets the bits of `word` (bit 0 of the mask at
// the top) in a mask of 1, 2 or 4 bytes.
inline void orMaskWord(uint16_t width, unsigned char *value, uint64_t word) {
  switch (width) {
    case 1: value[0] = static_cast<unsigned char>(value[0] | word >> 56); break;
    case 2: {
      uint16_t m;
      std::memcpy(&m, value, 2);
      m = static_cast<uint16_t>(m | word >> 48);
      std::memcpy(value, &m, 2);
      break;
    }
    default: {
      uint32_t m;
      std::memcpy(&m, value, 4);
      m |= static_cast<uint32_t>(word >> 32);
      std::memcpy(value, &m, 4);
    }
  }
}

// isPresent for each component of one value, its mask read once when it is
// an integer.
class PresenceMask {
 public:
  PresenceMask(const TypeDesc &parent, const unsigned char *value)
      : parent_(parent), value_(value), word_(maskWord(parent.lenSize, value)),
        bytes_(parent.lenSize != 1 && parent.lenSize != 2 && parent.lenSize != 4) {}
  bool has(const FieldDesc &f) const {
    if (f.presenceBit >= 0 && !bytes_) return (word_ << f.presenceBit) >> 63;
    return isPresent(parent_, f, value_);
  }

 private:
  const TypeDesc &parent_;
  const unsigned char *value_;
  uint64_t word_;  // bit 0 of the mask at the top
  bool bytes_;
};

inline void setPresent(const TypeDesc &parent, const FieldDesc &f, unsigned char *value) {
  if (f.presenceBit >= 0) setMaskBit(value, f.presenceBit, parent.lenSize);  // else the address itself tells
}

// A signed integer of `width` bytes.
inline int64_t loadSigned(const unsigned char *p, unsigned width) {
  switch (width) {
    case 1: return static_cast<int8_t>(p[0]);
    case 2: { int16_t v; std::memcpy(&v, p, 2); return v; }
    case 4: { int32_t v; std::memcpy(&v, p, 4); return v; }
    default: { int64_t v; std::memcpy(&v, p, 8); return v; }
  }
}
inline void storeSigned(unsigned char *p, unsigned width, int64_t v) {
  switch (width) {
    case 1: p[0] = static_cast<uint8_t>(v); break;
    case 2: { int16_t n = static_cast<int16_t>(v); std::memcpy(p, &n, 2); break; }
    case 4: { int32_t n = static_cast<int32_t>(v); std::memcpy(p, &n, 4); break; }
    default: std::memcpy(p, &v, 8);
  }
}

// Whether n lies in a gap of a range or size constraint (ZUR_R_GAPS): the
// gaps are the entries right after it.
template <class Record, class Number>
bool inGaps(const Record &r, Number n) {
  const Record *gap = &r + 1;
  for (uint32_t i = 0; i < r.gaps; ++i)
    if (n >= gap[i].lower && n <= gap[i].upper) return true;
  return false;
}

// A size constraint as a length determinant sees it. Small enough to be
// passed in registers: the gaps of one that has them are looked up.
struct SizeInfo {
  LengthBounds bounds;
  bool extensible = false;
  bool gapped = false;  // ZUR_R_GAPS: see sizeInGap
  bool fixed() const { return bounds.bounded && bounds.lower == bounds.upper; }
  bool within(uint64_t n) const {
    return n >= bounds.lower && (!bounds.bounded || n <= bounds.upper);
  }
};

// Made in one piece: built field by field, the record would be read back
// whole before its stores had landed.
inline SizeInfo sizeInfo(const Schema &s, const ZurType &t) {
  if (t.sizeRange == 0) return SizeInfo{};
  const ZurSize &z = s.codec->sizes[t.sizeRange];
  const bool bounded = (z.flags & ZUR_R_UPPER) != 0;
  return SizeInfo{LengthBounds{z.lower, bounded ? z.upper : 0, bounded},
                  (z.flags & ZUR_R_EXTENSIBLE) != 0, (z.flags & ZUR_R_GAPS) != 0};
}

// Whether a size within the bounds of a type's SIZE lies in one of its
// gaps; for a SizeInfo that is `gapped`.
inline bool sizeInGap(const Schema &s, uint32_t type, uint64_t n) {
  return inGaps(s.codec->sizes[s.type(type).sizeRange], n);
}

// Fixed sizes of fewer than 64K items take no length.
inline constexpr uint64_t kFixedLimit = 65536;

// Whether a string's items start on an octet boundary (ALIGNED variant).
// Bit and octet strings: behind a length always, of a fixed size when it
// takes over 16 bits. Known-multiplier characters: when the most the size
// allows takes 16 bits or more, fixed or behind a length, so a fixed pair
// of 8-bit characters is aligned where a fixed pair of octets is not.
inline bool itemsAligned(bool characters, bool fixed, const LengthBounds &bounds, uint64_t itemBits) {
  if (!bounds.bounded) return true;
  const uint64_t most = uint64_t{bounds.upper} * itemBits;
  return characters ? most >= 16 : !fixed || most > 16;
}

// The characters of a known-multiplier string type: its effective permitted
// alphabet, or its own when it has none that PER sees (an extensible one).
// The coding is the table's own for a built-in alphabet, or one made into
// `made`: no copy to read back before it has landed.
inline const CharCoding &typeCoding(const Schema &s, uint32_t type, bool aligned, CharCoding &made) {
  const ZurType &t = s.type(type);
  if (t.alphabet != 0 && (s.codec->alphabets[t.alphabet].flags & ZUR_R_EXTENSIBLE) == 0) {
    const ZurAlphabet &a = s.codec->alphabets[t.alphabet];
    made = charCoding(s.codec->charRanges + 2 * a.firstRange, a.rangeCount, aligned);
    return made;
  }
  return *canonicalCoding(t.builtin, aligned);
}
inline CharCoding typeCoding(const Schema &s, uint32_t type, bool aligned) {
  CharCoding made;
  return typeCoding(s, type, aligned, made);
}

inline bool isKnownMultiplier(uint8_t builtin) { return canonicalCoding(builtin, false) != nullptr; }

// Where the components of a SET or CHOICE go in canonical tag order: their
// positions from 0, or null for the module's order.
inline const uint16_t *canonicalOrder(const Schema &s, uint32_t type) {
  const ZurType &t = s.type(type);
  return t.order != 0 ? s.codec->order + t.order : nullptr;
}

// The rank of component `position` among the root components (or among the
// extension additions) of a CHOICE in canonical order, and the number of them.
inline uint32_t choiceRank(const Schema &s, uint32_t type, uint32_t position, uint32_t &of) {
  const uint16_t *order = canonicalOrder(s, type);
  uint32_t first = s.firstComponent(type), count = s.componentCount(type);
  bool extension = (s.component(first + position).flags & ZUR_C_EXTENSION) != 0;
  uint32_t rank = 0;
  of = 0;
  for (uint32_t i = 0; i < count; ++i) {
    uint32_t p = order != nullptr ? order[i] : i;
    if (((s.component(first + p).flags & ZUR_C_EXTENSION) != 0) != extension) continue;
    if (p == position) rank = of;
    ++of;
  }
  return rank;
}

inline uint32_t rootAlternatives(const Schema &s, uint32_t type) {
  uint32_t first = s.firstComponent(type), count = s.componentCount(type), n = 0;
  for (uint32_t i = 0; i < count; ++i) n += (s.component(first + i).flags & ZUR_C_EXTENSION) == 0;
  return n;
}

// The component at a rank, the inverse of choiceRank; false past the last.
inline bool choiceAtRank(const Schema &s, uint32_t type, bool extension, uint32_t rank,
                         uint32_t &position) {
  const uint16_t *order = canonicalOrder(s, type);
  uint32_t first = s.firstComponent(type), count = s.componentCount(type);
  for (uint32_t i = 0; i < count; ++i) {
    uint32_t p = order != nullptr ? order[i] : i;
    if (((s.component(first + p).flags & ZUR_C_EXTENSION) != 0) != extension) continue;
    if (rank-- == 0) {
      position = p;
      return true;
    }
  }
  return false;
}

}  // namespace zurcore::per

#endif
