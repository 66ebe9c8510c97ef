// Reading decoded values: integers of the widths the control table names,
// big-endian copies, and the links of list values.
#ifndef ZURBASE_PRINTER_VALUE_ACCESS_H
#define ZURBASE_PRINTER_VALUE_ACCESS_H

#include <cstdint>
#include <cstring>

#include "printer/print_cursor.h"

namespace zur {

// Unsigned integer at p in machine order: 1 byte for widths 0 and 1, 2 for
// 2 and 3, 4 for 4 to 7, 8 from 8 on.
inline uint64_t loadUInt(const void *p, unsigned width) {
  if (width < 2) {
    uint8_t v;
    std::memcpy(&v, p, 1);
    return v;
  }
  if (width < 4) {
    uint16_t v;
    std::memcpy(&v, p, 2);
    return v;
  }
  if (width < 8) {
    uint32_t v;
    std::memcpy(&v, p, 4);
    return v;
  }
  uint64_t v;
  std::memcpy(&v, p, 8);
  return v;
}

// The same bytes as loadUInt, widened with their sign.
inline int64_t loadInt(const void *p, unsigned width) {
  if (width < 2) {
    int8_t v;
    std::memcpy(&v, p, 1);
    return v;
  }
  if (width < 4) {
    int16_t v;
    std::memcpy(&v, p, 2);
    return v;
  }
  if (width < 8) {
    int32_t v;
    std::memcpy(&v, p, 4);
    return v;
  }
  int64_t v;
  std::memcpy(&v, p, 8);
  return v;
}

// Writes the low 32 bits of the width-byte integer at src into dst[0..width),
// most significant byte first.
void storeBigEndian(unsigned char *dst, const void *src, int16_t width);

// For widths 2 to 4: the integer at src copied big-endian into dst, and dst
// returned; for any other width src itself is returned.
const unsigned char *bigEndianBytes(unsigned char *dst, const void *src, uint16_t width);

// Size of the link words at the head of each node of a list or segment value;
// 0 for types whose value is not a chain of nodes.
inline uint32_t listLinkSize(const TypeDesc *td) { return ctlLinkSize(td); }

// Moves the cursor to the block that the address at its position points to;
// false, with the cursor unchanged, when that address is null.
bool followLink(PrintCursor *cursor, uint32_t size);

// Notices, in constant memory, a chain of nodes that comes back on itself
// (Brent's algorithm): each node is compared with one remembered node, which
// moves ahead after 1, 2, 4, ... nodes. A loop is noticed before the walk
// has passed three times as many nodes as the chain has.
class LoopCheck {
 public:
  LoopCheck() = default;
  // Starts on a chain's first node.
  explicit LoopCheck(const void *first) { cameRound(first); }
  // True when node is the remembered one: the chain has come round.
  bool cameRound(const void *node) {
    if (node == mark_) return true;
    if (++steps_ == span_) {
      mark_ = node;
      span_ *= 2;
      steps_ = 0;
    }
    return false;
  }

 private:
  const void *mark_ = nullptr;
  std::size_t span_ = 1;
  std::size_t steps_ = 0;
};

// The address stored at p.
inline void *loadAddress(const void *p) {
  void *a;
  std::memcpy(&a, p, sizeof a);
  return a;
}

}  // namespace zur

#endif
