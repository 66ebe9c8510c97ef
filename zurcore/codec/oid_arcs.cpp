#include "oid_arcs.h"

#include "rows.h"

namespace zurcore {

std::size_t arcContents(uint32_t arc, uint8_t *out) {
  std::size_t n = 0;
  for (int shift = 28; shift > 0; shift -= 7)
    if (n > 0 || (arc >> shift) != 0) out[n++] = static_cast<uint8_t>(0x80 | ((arc >> shift) & 0x7F));
  out[n++] = static_cast<uint8_t>(arc & 0x7F);
  return n;
}

ArcCheck checkArcs(const uint8_t *in, std::size_t length, bool relative) {
  ArcCheck c;
  if (length == 0) {
    if (!relative) c.row = ROW_BAD_OID;
    return c;
  }
  if ((in[length - 1] & 0x80) != 0) {
    c.row = ROW_BAD_OID;
    c.offset = length - 1;
    c.argument = static_cast<int64_t>(length - 1);
    return c;
  }
  uint64_t arc = 0;
  std::size_t start = 0;
  for (std::size_t i = 0; i < length; ++i) {
    if (i == start && in[i] == 0x80) {
      c.row = ROW_SUBID_NEEDLESSLY_LONG;
      c.offset = i;
      return c;
    }
    arc = arc << 7 | (in[i] & 0x7F);
    if (relative && arc > UINT32_MAX) {
      c.row = ROW_SUBID_TOO_LONG;
      c.offset = start;
      c.argument = static_cast<int64_t>(i - start + 1);
      return c;
    }
    if ((in[i] & 0x80) == 0) {
      ++c.count;
      arc = 0;
      start = i + 1;
    }
  }
  return c;
}

void arcsFromContents(const uint8_t *in, std::size_t length, uint32_t *arcs) {
  uint32_t arc = 0;
  for (std::size_t i = 0; i < length; ++i) {
    arc = arc << 7 | (in[i] & 0x7F);
    if ((in[i] & 0x80) == 0) {
      *arcs++ = arc;
      arc = 0;
    }
  }
}

}  // namespace zurcore
