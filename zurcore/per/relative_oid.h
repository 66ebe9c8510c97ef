// RELATIVE-OID arcs as the BER contents octets that PER carries behind a
// length.
#ifndef ZURCORE_PER_RELATIVE_OID_H
#define ZURCORE_PER_RELATIVE_OID_H

#include <cstddef>
#include <cstdint>

namespace zurcore::per {

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
