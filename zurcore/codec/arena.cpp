// Arena blocks: the first one at least as large as the caller's hint, each
// later one twice the one before, so a decode makes few memAlloc calls.
#include "arena.h"

#include <cstring>

#include "rows.h"
#include "zurbase/zurcore.h"

namespace zurcore {
namespace {

constexpr uint32_t kBlockMagic = 0x7A617231;  // "zar1"
constexpr uint32_t kMinBlock = 512;
constexpr uint32_t kMaxBlock = 1u << 24;

}  // namespace

void Arena::useCallerArea(void *area, uint32_t size) {
  areaStart_ = static_cast<unsigned char *>(area);
  next_ = areaStart_;
  end_ = areaStart_ + size;
}

void *Arena::fail(int row, int64_t arg) {
  faultRow_ = row;
  faultArg_ = arg;
  return nullptr;
}

void *Arena::allocateSlow(std::size_t need) {
  if (areaStart_ != nullptr) return fail(ROW_OUTPUT_TOO_SMALL, end_ - areaStart_);
  constexpr uint64_t header = sizeof(ArenaBlock);
  if (taken_ + header + need > limit_)
    return fail(ROW_OUTPUT_LIMIT, static_cast<int64_t>(taken_ + header + need));
  uint64_t size = first_ == nullptr ? hint_ : taken_;
  if (size < kMinBlock) size = kMinBlock;
  if (size > kMaxBlock) size = kMaxBlock;
  if (size > limit_ - taken_ - header) size = limit_ - taken_ - header;
  if (size < need) size = need;
  const uint64_t total = size + header;
  void *raw = env_->memAlloc(static_cast<uint32_t>(total));
  if (raw == nullptr) return fail(ROW_ALLOCATION_FAILED, static_cast<int64_t>(total));
  taken_ += total;
  auto *block = static_cast<ArenaBlock *>(raw);
  block->magic = kBlockMagic;
  block->size = static_cast<uint32_t>(size);
  block->next = nullptr;
  if (first_ == nullptr) {
    first_ = block;
  } else {
    block->next = first_->next;
    first_->next = block;
  }
  unsigned char *data = reinterpret_cast<unsigned char *>(block + 1);
  next_ = data + need;
  end_ = data + size;
  return data;
}

void Arena::release() {
  if (first_ == nullptr) return;
  freeArenaValue(env_, first_ + 1);
  first_ = nullptr;
}

int freeArenaValue(Env *env, void *value) {
  if (value == nullptr) return 0;
  ArenaBlock *first = static_cast<ArenaBlock *>(value) - 1;
  if (first->magic != kBlockMagic) return -1;
  first->magic = 0;
  for (ArenaBlock *b = first->next; b != nullptr;) {
    ArenaBlock *next = b->next;
    env->memFree(b);
    b = next;
  }
  env->memFree(first);
  return 0;
}

}  // namespace zurcore
