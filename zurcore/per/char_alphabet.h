// How a known-multiplier character string type puts its characters into
// PER: bits per character from the effective permitted alphabet, and each
// character as its own code or as its index in the alphabet when the codes
// do not fit those bits.
#ifndef ZURCORE_PER_CHAR_ALPHABET_H
#define ZURCORE_PER_CHAR_ALPHABET_H

#include <cstdint>

namespace zurcore::per {

struct CharCoding {
  const uint32_t *ranges = nullptr;  // (first, last) pairs, ascending
  uint32_t rangeCount = 0;
  uint64_t size = 0;                 // characters in the alphabet
  unsigned bits = 0;                 // per character
  bool indexed = false;              // characters as their index in the alphabet
};

// The type's own alphabet, for the built-in types with a known multiplier
// (NumericString, PrintableString, VisibleString, IA5String, BMPString,
// UniversalString, and the time types as VisibleString); false otherwise.
bool canonicalAlphabet(uint8_t builtin, const uint32_t *&ranges, uint32_t &rangeCount);

// The coding of an alphabet of `rangeCount` ranges.
CharCoding charCoding(const uint32_t *ranges, uint32_t rangeCount, bool aligned);

// The coding of a built-in type's own alphabet (a table made while compiling); null
// for a type without a known multiplier.
const CharCoding *canonicalCoding(uint8_t builtin, bool aligned);

// The two below for alphabets of several ranges.
bool encodeCharInRanges(const CharCoding &coding, uint32_t ch, uint32_t &code);
bool decodeCharInRanges(const CharCoding &coding, uint32_t code, uint32_t &ch);

// A character's code in the encoding; false when it is outside the alphabet.
inline bool encodeChar(const CharCoding &coding, uint32_t ch, uint32_t &code) {
  if (coding.rangeCount != 1) return encodeCharInRanges(coding, ch, code);
  const uint32_t first = coding.ranges[0];
  code = coding.indexed ? ch - first : ch;
  return ch >= first && ch <= coding.ranges[1];
}

// The character of a code; false when no character has it.
inline bool decodeChar(const CharCoding &coding, uint32_t code, uint32_t &ch) {
  if (coding.rangeCount != 1) return decodeCharInRanges(coding, code, ch);
  const uint32_t first = coding.ranges[0];
  ch = coding.indexed ? first + code : code;
  return ch >= first && ch <= coding.ranges[1];  // a code past the end lands above the last or wraps below the first
}

}  // namespace zurcore::per

#endif
