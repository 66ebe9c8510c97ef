#include "char_alphabet.h"

#include "zurbase/codec_tables.h"
#include "whole_numbers.h"

namespace zurcore::per {
namespace {

constexpr uint32_t kNumeric[] = {' ', ' ', '0', '9'};
constexpr uint32_t kPrintable[] = {' ', ' ', '\'', ')', '+', '/', '0', ':',
                                   '=', '=', '?', '?', 'A', 'Z', 'a', 'z'};
constexpr uint32_t kVisible[] = {0x20, 0x7E};
constexpr uint32_t kIa5[] = {0x00, 0x7F};
constexpr uint32_t kBmp[] = {0x0000, 0xFFFF};
constexpr uint32_t kUniversal[] = {0x00000000, 0xFFFFFFFF};

template <std::size_t N>
constexpr bool set(const uint32_t (&table)[N], const uint32_t *&ranges, uint32_t &rangeCount) {
  ranges = table;
  rangeCount = N / 2;
  return true;
}

constexpr bool builtinAlphabet(uint8_t builtin, const uint32_t *&ranges, uint32_t &rangeCount) {
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

constexpr CharCoding makeCoding(const uint32_t *ranges, uint32_t rangeCount, bool aligned) {
  CharCoding c;
  c.ranges = ranges;
  c.rangeCount = rangeCount;
  for (uint32_t i = 0; i < rangeCount; ++i)
    c.size += uint64_t{ranges[2 * i + 1]} - ranges[2 * i] + 1;
  c.bits = c.size == 0 ? 0 : bitsFor(c.size - 1);
  // The ALIGNED variant rounds up to a power of two.
  if (aligned && c.bits > 0) c.bits = 1u << bitsFor(c.bits - 1);
  uint32_t highest = rangeCount == 0 ? 0 : ranges[2 * rangeCount - 1];
  c.indexed = c.bits < 32 && highest >= (uint64_t{1} << c.bits);
  return c;
}

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
    c.known[b] = builtinAlphabet(b, ranges, count);
    if (!c.known[b]) continue;
    c.coding[b][0] = makeCoding(ranges, count, false);
    c.coding[b][1] = makeCoding(ranges, count, true);
  }
  return c;
}

constexpr Codings kCodings = makeCodings();

}  // namespace

bool canonicalAlphabet(uint8_t builtin, const uint32_t *&ranges, uint32_t &rangeCount) {
  return builtinAlphabet(builtin, ranges, rangeCount);
}

CharCoding charCoding(const uint32_t *ranges, uint32_t rangeCount, bool aligned) {
  return makeCoding(ranges, rangeCount, aligned);
}

const CharCoding *canonicalCoding(uint8_t builtin, bool aligned) {
  return builtin < 32 && kCodings.known[builtin] ? &kCodings.coding[builtin][aligned ? 1 : 0] : nullptr;
}

bool encodeCharInRanges(const CharCoding &c, uint32_t ch, uint32_t &code) {
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

bool decodeCharInRanges(const CharCoding &c, uint32_t code, uint32_t &ch) {
  if (!c.indexed) {
    uint32_t ignored;
    ch = code;
    return encodeCharInRanges(c, code, ignored);
  }
  for (uint32_t i = 0; i < c.rangeCount; ++i) {
    uint32_t first = c.ranges[2 * i], last = c.ranges[2 * i + 1];
    if (code <= last - first) {
      ch = first + code;
      return true;
    }
    code -= last - first + 1;
  }
  return false;
}

}  // namespace zurcore::per
