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
// Checks OBJECT IDENTIFIER or RELATIVE-OID contents as the BER decoder does
// (the last octet ends an arc, no arc begins with 0x80, an OBJECT
// IDENTIFIER is not empty, a RELATIVE-OID's arcs fit 32 bits, which is how
// it is held) and counts their arcs: 0, or the decoding row with its
// argument (the offending octet's offset, or the too long arc's octets).
int checkArcs(const uint8_t *in, std::size_t length, bool relative, uint32_t &count, int64_t &argument);
// Reads the arcs of RELATIVE-OID contents that checkArcs accepted.
void arcsFromContents(const uint8_t *in, std::size_t length, uint32_t *arcs);

}  // namespace zurcore::per

#endif
