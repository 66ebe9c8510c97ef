// REAL contents octets (binary, decimal and special forms) to and from a
// double; shared by the BER/DER decoder and encoder.
#ifndef ZURCORE_BER_REAL_CODEC_H
#define ZURCORE_BER_REAL_CODEC_H

#include <cstddef>
#include <cstdint>

namespace zurcore {

// What a leaf decoder says beside the row of a fault.
struct LeafFault {
  const char *derRule = nullptr;  // the DER rule broken by otherwise good BER
  int64_t arg = 0;                // the row's argument
};

// Decodes n contents octets: 0, or the row of the fault.
int decodeReal(const unsigned char *p, std::size_t n, bool der, double &out, LeafFault &fault);

// The DER contents octets of v (base 2, odd mantissa, minimal exponent);
// returns how many of out's 16 octets they take.
std::size_t encodeReal(double v, unsigned char out[16]);

}  // namespace zurcore

#endif
