// The arcs of OBJECT IDENTIFIER and RELATIVE-OID contents octets, as BER
// writes them and PER carries them behind a length: checked, counted, read
// and written by both codecs alike.
#ifndef ZURCORE_CODEC_OID_ARCS_H
#define ZURCORE_CODEC_OID_ARCS_H

#include <cstddef>
#include <cstdint>

namespace zurcore {

// Room that one arc takes at most.
inline constexpr std::size_t kArcRoom = 5;
// Writes one arc in base 128; returns the octets written.
std::size_t arcContents(uint32_t arc, uint8_t *out);

// What checkArcs found: the decoding row (0 when the contents are good),
// where in the contents the fault lies, the row's argument (the offending
// octet's offset, or the too long arc's octets), and the arcs counted.
struct ArcCheck {
  int row = 0;
  std::size_t offset = 0;
  int64_t argument = 0;
  uint32_t count = 0;
};
// Checks contents octets: the last octet ends an arc, no arc begins with
// 0x80, an OBJECT IDENTIFIER is not empty, and a RELATIVE-OID's arcs fit
// 32 bits, which is how it is held (an OBJECT IDENTIFIER is held as its
// octets, so its arcs may be of any size).
ArcCheck checkArcs(const uint8_t *in, std::size_t length, bool relative);
// Reads the arcs of RELATIVE-OID contents that checkArcs accepted.
void arcsFromContents(const uint8_t *in, std::size_t length, uint32_t *arcs);

}  // namespace zurcore

#endif
