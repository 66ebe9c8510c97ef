// The values that PER carries as BER contents octets behind a length: REAL
// (in the canonical binary form when encoding) and RELATIVE-OID arcs.
#ifndef ZURCORE_PER_BER_CONTENTS_H
#define ZURCORE_PER_BER_CONTENTS_H

#include <cstddef>
#include <cstdint>

namespace zurcore::per {

// Room that realContents needs at most.
inline constexpr std::size_t kRealContentsRoom = 12;
// Writes the contents of a REAL; returns their length (0 for +0).
std::size_t realContents(double value, uint8_t *out);
// Reads the contents of a REAL of any form; 0 or the decoding row.
int realFromContents(const uint8_t *in, std::size_t length, double &value);

// Room that one arc takes at most.
inline constexpr std::size_t kArcRoom = 5;
// Writes one arc in base 128; returns the octets written.
std::size_t arcContents(uint32_t arc, uint8_t *out);
// Counts the arcs of RELATIVE-OID contents; 0 or the decoding row.
int countArcs(const uint8_t *in, std::size_t length, uint32_t &count);
// Reads the arcs of contents that countArcs accepted.
void arcsFromContents(const uint8_t *in, std::size_t length, uint32_t *arcs);

}  // namespace zurcore::per

#endif
