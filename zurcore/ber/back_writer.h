// Output written from its end towards its start: an element's contents go
// first, so its length is known when its header is written, and DER needs
// no second pass. The buffer is the Env's encoding scratch, kept from call
// to call and grown by doubling, so encoding allocates nothing per element.
#ifndef ZURCORE_BER_BACK_WRITER_H
#define ZURCORE_BER_BACK_WRITER_H

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "zurbase/env.h"

namespace zurcore {

// Blocks from Env.memAlloc that an Env's encoders reuse.
struct EncodeScratch {
  unsigned char *bytes;   // the output being written
  uint32_t byteSize;
  unsigned char *spare;   // room for reordering SET OF elements
  uint32_t spareSize;
  unsigned char *slices;  // ElementSlice records of SET OF elements
  uint32_t sliceBytes;
};

// Where one element of a SET OF lies among the octets written.
struct ElementSlice {
  uint32_t offset;
  uint32_t length;
};

// Frees the scratch blocks (when the Env goes).
void releaseScratch(Env *env, EncodeScratch &scratch);

// Makes `block` (of `size` bytes) hold at least `need` bytes, growing it by
// doubling; false when memAlloc refuses or `need` passes `limit`.
bool growBlock(Env *env, unsigned char *&block, uint32_t &size, uint64_t need, uint64_t limit);

class BackWriter {
 public:
  // A scratch block grown under a larger limit than this call's is used only
  // up to the limit.
  BackWriter(Env *env, EncodeScratch &scratch, uint64_t limit)
      : env_(env), scratch_(scratch), limit_(limit), end_(scratch.bytes + scratch.byteSize),
        floor_(scratch.byteSize > limit ? end_ - limit : scratch.bytes), front_(end_) {}

  // Room for n more octets in front; false (with faultRow) when none can be had.
  bool reserve(std::size_t n) { return n <= static_cast<std::size_t>(front_ - floor_) || grow(n); }
  void put(unsigned char b) { *--front_ = b; }
  void put(const void *p, std::size_t n) {
    if (n == 0) return;  // an empty value may have no address
    front_ -= n;
    std::memcpy(front_, p, n);
  }
  // Octets written so far; positions are told by this count, which growing
  // does not change.
  std::size_t used() const { return static_cast<std::size_t>(end_ - front_); }
  unsigned char *front() { return front_; }

  // The header of an element whose contents are the last `length` octets.
  bool header(uint16_t tag, bool constructed, std::size_t length);

  int faultRow() const { return faultRow_; }
  int64_t faultArg() const { return faultArg_; }

 private:
  bool grow(std::size_t n);

  Env *env_;
  EncodeScratch &scratch_;
  uint64_t limit_;
  unsigned char *end_;
  unsigned char *floor_;  // the lowest octet this call may write
  unsigned char *front_;
  int faultRow_ = 0;
  int64_t faultArg_ = 0;
};

}  // namespace zurcore

#endif
