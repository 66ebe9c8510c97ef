// The identifier and length octets of one BER element, read by one
// side-effect-free function that every reader of the codec (decoding,
// skipping, counting, checking) goes through.
#ifndef ZURCORE_BER_HEADER_H
#define ZURCORE_BER_HEADER_H

#include <cstddef>
#include <cstdint>

namespace zurcore {

struct Header {
  uint16_t tag = 0;          // class in the top two bits, number in the low 14 (as ZurTag)
  bool constructed = false;
  bool definite = true;
  uint32_t length = 0;       // contents octets; 0 for the indefinite form
  uint32_t size = 0;         // identifier and length octets
};

// Why a header cannot be read: a row of the error table, the offset of the
// offending octet, and for DER the rule it breaks.
struct HeaderFault {
  int row = 0;
  std::size_t at = 0;
  const char *derRule = nullptr;
  int64_t octets = -1;  // the octets of a tag or length too long, else -1
};

// Reads the header at in[pos], which must end before `limit`; `inputEnd` is
// the end of the whole input, telling a premature end of input from an
// element that overruns its parent. A definite length must also fit before
// `limit`. Under DER the length must be definite and minimal. Tag numbers
// above 16383 are refused as too long. EOC octets read as tag 0, primitive,
// length 0.
bool readHeader(const unsigned char *in, std::size_t pos, std::size_t limit, std::size_t inputEnd,
                bool der, Header &h, HeaderFault &fault);

}  // namespace zurcore

#endif
