// The identifier and length octets of one BER element, read by one
// side-effect-free function that every reader of the codec (decoding,
// skipping, counting, checking) goes through; inline, since it runs once per
// element. Long tags and long lengths are taken in full BER; DER adds only
// its length rules (the minimal tag form is a rule of BER itself).
#ifndef ZURCORE_BER_HEADER_H
#define ZURCORE_BER_HEADER_H

#include <cstddef>
#include <cstdint>

#include "zurcore/codec/rows.h"

namespace zurcore {

struct Header {
  uint16_t tag = 0;          // class in the top two bits, number in the low 14 (as ZurTag)
  bool constructed = false;
  bool definite = true;
  uint32_t length = 0;       // contents octets; 0 for the indefinite form
  uint32_t size = 0;         // identifier and length octets
};

// Why a header cannot be read: a row of the error table, the offset of the
// offending octet, and for DER the rule it breaks. Every failure of
// readHeader sets all of it; a reader does not clear it first, once per
// element.
struct HeaderFault {
  int row;
  std::size_t at;
  const char *derRule;
  int64_t octets;  // the octets of a tag or length too long, else -1
};


namespace headerdetail {

inline constexpr uint32_t kMaxTagNumber = 0x3FFF;
inline constexpr std::size_t kMaxLengthOctets = 4;

inline bool fail(HeaderFault &fault, int row, std::size_t at, const char *rule = nullptr, int64_t octets = -1) {
  fault.row = row;
  fault.at = at;
  fault.derRule = rule;
  fault.octets = octets;
  return false;
}

inline int overrunRow(std::size_t limit, std::size_t inputEnd) {
  return limit >= inputEnd ? ROW_PREMATURE_END : ROW_INCONSISTENT_LENGTHS;
}

}  // namespace headerdetail

// UNIVERSAL types encoded as strings, which BER may cut into segments and
// DER may not: BIT and OCTET STRING, ObjectDescriptor, the character strings
// but CHARACTER STRING, and the times.
inline bool isUniversalStringTag(uint16_t tag) {
  return tag == 3 || tag == 4 || tag == 7 || tag == 12 || (tag >= 18 && tag <= 30 && tag != 29);
}

// Reads the header at in[pos], which must end before `limit`; `inputEnd` is
// the end of the whole input, telling a premature end of input from an
// element that overruns its parent. A definite length must also fit before
// `limit`. Under DER the length must be definite and minimal. Tag numbers
// above 16383 are refused as too long. EOC octets read as tag 0, primitive,
// length 0.
[[gnu::always_inline]] inline bool readHeader(const unsigned char *in, std::size_t pos, std::size_t limit,
                                              std::size_t inputEnd, bool der, Header &h, HeaderFault &fault) {
  using namespace headerdetail;
  const std::size_t start = pos;
  if (pos >= limit) return fail(fault, overrunRow(limit, inputEnd), pos);
  const unsigned char first = in[pos++];
  uint32_t number = first & 0x1Fu;
  if (number == 0x1F) {
    if (pos >= limit) return fail(fault, overrunRow(limit, inputEnd), pos);
    if (in[pos] == 0x80) return fail(fault, ROW_TAG_NEEDLESSLY_LONG, pos);
    number = 0;
    for (;;) {
      if (pos >= limit) return fail(fault, overrunRow(limit, inputEnd), pos);
      const unsigned char b = in[pos++];
      number = number << 7 | (b & 0x7Fu);
      if (number > kMaxTagNumber)
        return fail(fault, ROW_TAG_TOO_LONG, start, nullptr, static_cast<int64_t>(pos - start));
      if ((b & 0x80) == 0) break;
    }
    if (number < 0x1F) return fail(fault, ROW_TAG_NEEDLESSLY_LONG, start + 1);
  }
  h.tag = static_cast<uint16_t>((first >> 6) << 14 | number);
  h.constructed = (first & 0x20) != 0;

  if (pos >= limit) return fail(fault, overrunRow(limit, inputEnd), pos);
  const std::size_t lengthAt = pos;
  const unsigned char lead = in[pos++];
  h.definite = true;
  if (lead < 0x80) {
    h.length = lead;
  } else if (lead == 0x80) {
    if (der) return fail(fault, ROW_MISENCODED, lengthAt, "DER: definite length");
    h.definite = false;
    h.length = 0;
  } else {
    std::size_t count = lead & 0x7Fu;
    if (count == 0x7F) return fail(fault, ROW_LENGTH_TOO_LONG, lengthAt, nullptr, 127);
    if (count > limit - pos) return fail(fault, overrunRow(limit, inputEnd), limit);
    if (der && in[pos] == 0) return fail(fault, ROW_MISENCODED, lengthAt, "DER: minimal length octets");
    // BER may pad the length with leading zero octets.
    while (count > kMaxLengthOctets && in[pos] == 0) {
      ++pos;
      --count;
    }
    if (count > kMaxLengthOctets)
      return fail(fault, ROW_LENGTH_TOO_LONG, lengthAt, nullptr, static_cast<int64_t>(count));
    uint32_t length = 0;
    for (std::size_t k = 0; k < count; ++k) length = length << 8 | in[pos++];
    if (der && length < 0x80) return fail(fault, ROW_MISENCODED, lengthAt, "DER: minimal length octets");
    h.length = length;
  }
  h.size = static_cast<uint32_t>(pos - start);
  if (h.definite && h.length > limit - pos) return fail(fault, overrunRow(limit, inputEnd), limit);
  return true;
}



// Finds where the whole element at in[pos] ends within `limit`: past its
// contents, for an indefinite length past the EOC octets that close it and
// every element inside. False, with `fault` set, when no whole element is
// there. Each header is read as readHeader reads it (under `der` or not).
inline bool elementEnd(const unsigned char *in, std::size_t pos, std::size_t limit, std::size_t inputEnd,
                       bool der, std::size_t &end, HeaderFault &fault) {
  using namespace headerdetail;
  uint64_t open = 0;  // indefinite lengths not yet closed
  do {
    Header h;
    if (!readHeader(in, pos, limit, inputEnd, der, h, fault)) return false;
    if (!h.definite && !h.constructed) return fail(fault, ROW_PRIMITIVE_INDEFINITE, pos);
    pos += h.size + h.length;
    if (!h.definite) ++open;
    while (open != 0 && pos < limit && in[pos] == 0) {
      if (pos + 1 >= limit) return fail(fault, limit >= inputEnd ? ROW_PREMATURE_END : ROW_EXPECTED_EOC, pos);
      if (in[pos + 1] != 0) return fail(fault, ROW_NON_STANDARD_EOC, pos);
      pos += 2;
      --open;
    }
  } while (open != 0);
  end = pos;
  return true;
}

}  // namespace zurcore

#endif
