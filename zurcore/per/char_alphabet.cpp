#include "char_alphabet.h"

namespace zurcore::per {

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
