// How a known-multiplier character string type puts its characters into
// PER: bits per character from the effective permitted alphabet, and each
// character as its own code or as its index in the alphabet when the codes
// do not fit those bits.
#ifndef ZURCORE_PER_CHAR_ALPHABET_H
#define ZURCORE_PER_CHAR_ALPHABET_H

#include <cstddef>
#include <cstdint>

#include "whole_numbers.h"
#include "zurbase/codec_tables.h"

namespace zurcore::per {

struct CharCoding {
  const uint32_t *ranges = nullptr;  // (first, last) pairs, ascending
  uint32_t rangeCount = 0;
  uint64_t size = 0;                 // characters in the alphabet
  unsigned bits = 0;                 // per character
  bool indexed = false;              // characters as their index in the alphabet
  // For the built-in alphabets of several ranges (NumericString,
  // PrintableString), whose characters lie in 1..0x7F and whose codes take
  // at most eight bits: the character of each code (0 for none) and the
  // code of each character (0xFF for none), one look-up a character.
  const uint8_t *charOf = nullptr;
  const uint8_t *codeOf = nullptr;
};

namespace alphabet_detail {

// The built-in types' own alphabets as (first, last) ranges.
inline constexpr uint32_t kNumeric[] = {' ', ' ', '0', '9'};
inline constexpr uint32_t kPrintable[] = {' ', ' ', '\'', ')', '+', '/', '0', ':',
                                          '=', '=', '?', '?', 'A', 'Z', 'a', 'z'};
inline constexpr uint32_t kVisible[] = {0x20, 0x7E};
inline constexpr uint32_t kIa5[] = {0x00, 0x7F};
inline constexpr uint32_t kBmp[] = {0x0000, 0xFFFF};
inline constexpr uint32_t kUniversal[] = {0x00000000, 0xFFFFFFFF};

template <std::size_t N>
constexpr bool set(const uint32_t (&table)[N], const uint32_t *&ranges, uint32_t &rangeCount) {
  ranges = table;
  rangeCount = N / 2;
  return true;
}

}  // namespace alphabet_detail

// The type's own alphabet, for the built-in types with a known multiplier
// (NumericString, PrintableString, VisibleString, IA5String, BMPString,
// UniversalString, and the time types as VisibleString); false otherwise.
constexpr bool canonicalAlphabet(uint8_t builtin, const uint32_t *&ranges, uint32_t &rangeCount) {
  using namespace alphabet_detail;
  switch (builtin) {
    case ZB_NUMERIC_STRING: return set(kNumeric, ranges, rangeCount);
    case ZB_PRINTABLE_STRING: return set(kPrintable, ranges, rangeCount);
    case ZB_VISIBLE_STRING:
    case ZB_UTC_TIME:
    case ZB_GENERALIZED_TIME: return set(kVisible, ranges, rangeCount);
    case ZB_IA5_STRING: return set(kIa5, ranges, rangeCount);
    case ZB_BMP_STRING: return set(kBmp, ranges, rangeCount);
    case ZB_UNIVERSAL_STRING: return set(kUniversal, ranges, rangeCount);
    default: return false;
  }
}

// The coding of an alphabet of `rangeCount` ranges.
constexpr CharCoding charCoding(const uint32_t *ranges, uint32_t rangeCount, bool aligned) {
  CharCoding c;
  c.ranges = ranges;
  c.rangeCount = rangeCount;
  for (uint32_t i = 0; i < rangeCount; ++i)
    c.size += uint64_t{ranges[2 * i + 1]} - ranges[2 * i] + 1;
  c.bits = c.size == 0 ? 0 : bitsFor(c.size - 1);
  // The ALIGNED variant rounds up to a power of two: one bit for an
  // alphabet of one character, which takes none in the UNALIGNED variant.
  if (aligned && c.size > 0) c.bits = c.bits == 0 ? 1 : 1u << bitsFor(c.bits - 1);
  uint32_t highest = rangeCount == 0 ? 0 : ranges[2 * rangeCount - 1];
  c.indexed = c.bits < 32 && highest >= (uint64_t{1} << c.bits);
  return c;
}

namespace alphabet_detail {

struct CodeTables {
  uint8_t charOf[256] = {};
  uint8_t codeOf[256] = {};
};

// The tables of a coding whose characters lie in 1..0x7F, with codes of at
// most eight bits.
constexpr CodeTables makeTables(const CharCoding &c) {
  CodeTables t;
  for (uint8_t &code : t.codeOf) code = 0xFF;
  uint32_t index = 0;
  for (uint32_t i = 0; i < c.rangeCount; ++i) {
    for (uint32_t ch = c.ranges[2 * i]; ch <= c.ranges[2 * i + 1]; ++ch, ++index) {
      const uint32_t code = c.indexed ? index : ch;
      t.charOf[code] = static_cast<uint8_t>(ch);
      t.codeOf[ch] = static_cast<uint8_t>(code);
    }
  }
  return t;
}

// Per variant, UNALIGNED then ALIGNED.
template <std::size_t N>
constexpr CodeTables tablesOf(const uint32_t (&ranges)[N], bool aligned) {
  return makeTables(charCoding(ranges, N / 2, aligned));
}
inline constexpr CodeTables kNumericTables[2] = {tablesOf(kNumeric, false), tablesOf(kNumeric, true)};
inline constexpr CodeTables kPrintableTables[2] = {tablesOf(kPrintable, false), tablesOf(kPrintable, true)};

// The built-in types' codings, per type number (below 32), UNALIGNED then
// ALIGNED; made while compiling, so that a look-up costs no guard.
struct Codings {
  CharCoding coding[32][2] = {};
  bool known[32] = {};
};

constexpr Codings makeCodings() {
  Codings c;
  for (uint8_t b = 0; b < 32; ++b) {
    const uint32_t *ranges = nullptr;
    uint32_t count = 0;
    c.known[b] = canonicalAlphabet(b, ranges, count);
    if (!c.known[b]) continue;
    for (int aligned = 0; aligned < 2; ++aligned) {
      CharCoding &coding = c.coding[b][aligned];
      coding = charCoding(ranges, count, aligned != 0);
      // Chosen without comparing addresses, which a sanitizer's build does
      // not take as a constant expression.
      if (b == ZB_NUMERIC_STRING || b == ZB_PRINTABLE_STRING) {
        const CodeTables &tables = b == ZB_NUMERIC_STRING ? kNumericTables[aligned] : kPrintableTables[aligned];
        coding.charOf = tables.charOf;
        coding.codeOf = tables.codeOf;
      }
    }
  }
  return c;
}

inline constexpr Codings kCodings = makeCodings();

}  // namespace alphabet_detail

// The coding of a built-in type's own alphabet; null for a type without a
// known multiplier.
constexpr const CharCoding *canonicalCoding(uint8_t builtin, bool aligned) {
  using alphabet_detail::kCodings;
  return builtin < 32 && kCodings.known[builtin] ? &kCodings.coding[builtin][aligned ? 1 : 0] : nullptr;
}

// The two below for alphabets of several ranges.
inline bool encodeCharInRanges(const CharCoding &c, uint32_t ch, uint32_t &code) {
  uint32_t index = 0;
  for (uint32_t i = 0; i < c.rangeCount; ++i) {
    uint32_t first = c.ranges[2 * i], last = c.ranges[2 * i + 1];
    if (ch < first) return false;
    if (ch <= last) {
      code = c.indexed ? index + (ch - first) : ch;
      return true;
    }
    index += last - first + 1;
  }
  return false;
}

bool decodeCharInRanges(const CharCoding &coding, uint32_t code, uint32_t &ch);

// A character's code in the encoding; false when it is outside the alphabet.
inline bool encodeChar(const CharCoding &coding, uint32_t ch, uint32_t &code) {
  if (coding.codeOf != nullptr) {
    code = ch <= 0xFF ? coding.codeOf[ch] : 0xFF;
    return code != 0xFF;
  }
  if (coding.rangeCount != 1) return encodeCharInRanges(coding, ch, code);
  const uint32_t first = coding.ranges[0];
  code = coding.indexed ? ch - first : ch;
  return ch >= first && ch <= coding.ranges[1];
}

// The character of a code; false when no character has it.
inline bool decodeChar(const CharCoding &coding, uint32_t code, uint32_t &ch) {
  if (coding.charOf != nullptr) {
    ch = code <= 0xFF ? coding.charOf[code] : 0;
    return ch != 0;
  }
  if (coding.rangeCount != 1) return decodeCharInRanges(coding, code, ch);
  const uint32_t first = coding.ranges[0];
  ch = coding.indexed ? first + code : code;
  return ch >= first && ch <= coding.ranges[1];  // a code past the end lands above the last or wraps below the first
}

// Eight characters a step, for the strings of one-octet characters whose
// 7-bit codes are the characters themselves.

// Whether every octet of w lies in [lo, hi], all of them below 0x80.
inline bool octetsWithin(uint64_t w, uint8_t lo, uint8_t hi) {
  constexpr uint64_t ones = 0x0101010101010101, highs = ones * 0x80;
  // No octet carries into the next: each sum stays below 0x100.
  const uint64_t atLeastLo = w + ones * (0x80u - lo), aboveHi = w + ones * (0x7Fu - hi);
  return (atLeastLo & ~aboveHi & highs) == highs;
}

// Eight 7-bit codes, the first at bits 55..49 of x, spread one to an octet
// (the first in the most significant), in three halvings.
inline uint64_t spreadSevens(uint64_t x) {
  x = (x & 0x000000000FFFFFFF) | (x << 4 & 0x0FFFFFFF00000000);
  x = (x & 0x00003FFF00003FFF) | (x << 2 & 0x3FFF00003FFF0000);
  return (x & 0x007F007F007F007F) | (x << 1 & 0x7F007F007F007F00);
}

// The inverse: eight octets below 0x80 packed into 56 bits.
inline uint64_t gatherSevens(uint64_t x) {
  x = (x & 0x007F007F007F007F) | (x >> 1 & 0x3F803F803F803F80);
  x = (x & 0x00003FFF00003FFF) | (x >> 2 & 0x0FFFC0000FFFC000);
  return (x & 0x000000000FFFFFFF) | (x >> 4 & 0x00FFFFFFF0000000);
}

}  // namespace zurcore::per

#endif
