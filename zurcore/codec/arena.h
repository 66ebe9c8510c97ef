// The memory of one decode: every block it takes from Env.memAlloc is
// chained behind the first, whose header lies just before the root value,
// so that zurcoreFreeValue(env, root) releases the whole value. Given a
// caller's area, the decode lays everything out inside it and takes
// nothing from memAlloc. Requests are carved out of the current block (no
// allocation per element); a failed decode releases everything it took.
#ifndef ZURCORE_CODEC_ARENA_H
#define ZURCORE_CODEC_ARENA_H

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "rows.h"
#include "zurbase/env.h"

namespace zurcore {

// What lies before each block of an arena.
struct alignas(8) ArenaBlock {
  ArenaBlock *next;  // the first block: the chain of the others
  uint32_t magic;
  uint32_t size;     // bytes behind this header
};

class Arena {
 public:
  // `limit`: most bytes the decode may take, headers included; `sizeHint`:
  // the size of the first block, as a rule from the input's length.
  Arena(Env *env, uint64_t limit, uint32_t sizeHint)
      : env_(env), limit_(limit), hint_(sizeHint) {}
  ~Arena() { release(); }
  Arena(const Arena &) = delete;
  Arena &operator=(const Arena &) = delete;

  // Lays the decode out in a caller's area of `size` bytes instead.
  void useCallerArea(void *area, uint32_t size);

  // `size` zeroed bytes aligned to 8, or null with fault() set. The first
  // request is the root value, at the start of the first block (or of the
  // caller's area).
  void *allocate(std::size_t size) {
    void *p = allocateUninitialized(size);
    if (p != nullptr) zero(static_cast<unsigned char *>(p), (size + 7) & ~std::size_t{7});
    return p;
  }
  // As allocate, without zeroing: for bytes the caller writes in full.
  [[gnu::always_inline]] void *allocateUninitialized(std::size_t size) {
    if (size > kMaxRequest) return fail(ROW_OUTPUT_LIMIT, static_cast<int64_t>(size));
    std::size_t need = (size + 7) & ~std::size_t{7};
    if (need <= static_cast<std::size_t>(end_ - next_)) {
      unsigned char *p = next_;
      next_ += need;
      return p;
    }
    return allocateSlow(need);
  }

  // Why the last request failed: the row (output area too small, the limit
  // passed, memAlloc refused) and its argument.
  int faultRow() const { return faultRow_; }
  int64_t faultArg() const { return faultArg_; }

  // Hands the value over: release() no longer frees it.
  void keep() { first_ = nullptr; }
  // Frees every block taken so far.
  void release();
  // Bytes of a caller's area used so far.
  uint32_t areaUsed() const { return static_cast<uint32_t>(next_ - areaStart_); }
  bool inCallerArea() const { return areaStart_ != nullptr; }

 private:
  static constexpr std::size_t kMaxRequest = std::size_t{1} << 30;
  // Zeroes n bytes, a multiple of 8. Most requests are small (the elements
  // of a short list, a value held by pointer): two overlapping stores of a
  // fixed size clear them without a call to memset.
  static void zero(unsigned char *p, std::size_t n) {
    if (n > 64) {
      std::memset(p, 0, n);
    } else if (n > 32) {
      zeroEnds<32>(p, n);
    } else if (n > 16) {
      zeroEnds<16>(p, n);
    } else if (n != 0) {
      zeroEnds<8>(p, n);
    }
  }
  // The first and the last kWidth of n bytes zeroed, all of them when n is
  // from kWidth to twice that.
  template <std::size_t kWidth>
  static void zeroEnds(unsigned char *p, std::size_t n) {
    static constexpr unsigned char kZeros[kWidth] = {};
    std::memcpy(p, kZeros, kWidth);
    std::memcpy(p + n - kWidth, kZeros, kWidth);
  }
  void *allocateSlow(std::size_t need);
  void *fail(int row, int64_t arg);

  Env *env_;
  uint64_t limit_;
  uint32_t hint_;
  uint64_t taken_ = 0;
  ArenaBlock *first_ = nullptr;
  unsigned char *next_ = nullptr;
  unsigned char *end_ = nullptr;
  unsigned char *areaStart_ = nullptr;
  int faultRow_ = 0;
  int64_t faultArg_ = 0;
};

// Frees a value that a decode allocated (its root): 0, or the code of the
// row for an address that is no such root.
int freeArenaValue(Env *env, void *value);

}  // namespace zurcore

#endif
