// The benchmark's value: a SEQUENCE OF Record, each Record
// { id INTEGER, name IA5String, flag BOOLEAN, data OCTET STRING (16 octets),
//   sub SEQUENCE OF INTEGER (3 elements) }, with the same contents for every
// printer that is measured.
#ifndef ZURBASE_BENCH_BENCH_VALUE_H
#define ZURBASE_BENCH_BENCH_VALUE_H

#include <cstdint>
#include <string>

namespace bench {

inline constexpr int kElements = 100000;
inline constexpr int kDataOctets = 16;
inline constexpr int kSubElements = 3;

// Contents of element i.
inline int32_t elementId(int i) { return i * 7 - 350000; }
inline std::string elementName(int i) { return "record-" + std::to_string(i); }
inline bool elementFlag(int i) { return i % 3 == 0; }
inline unsigned char elementOctet(int i, int k) { return static_cast<unsigned char>(i * 31 + k); }
inline int32_t elementSub(int i, int k) { return i * (k + 1) - 1000 * k; }

}  // namespace bench

#endif
