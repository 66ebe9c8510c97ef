// Growing keeps what is written at the end of the new block.
#include "back_writer.h"

#include "zurcore/codec/rows.h"

namespace zurcore {

void releaseScratch(Env *env, EncodeScratch &scratch) {
  if (scratch.bytes != nullptr) env->memFree(scratch.bytes);
  if (scratch.spare != nullptr) env->memFree(scratch.spare);
  if (scratch.slices != nullptr) env->memFree(scratch.slices);
  scratch = EncodeScratch{};
}

bool growBlock(Env *env, unsigned char *&block, uint32_t &size, uint64_t need, uint64_t limit) {
  if (need <= size) return true;
  uint64_t bigger = size < 4096 ? 4096 : uint64_t{size} * 2;
  while (bigger < need) bigger *= 2;
  if (bigger > limit) bigger = limit;
  if (bigger < need) return false;
  auto *fresh = static_cast<unsigned char *>(env->memAlloc(static_cast<uint32_t>(bigger)));
  if (fresh == nullptr) return false;
  if (block != nullptr) env->memFree(block);
  block = fresh;
  size = static_cast<uint32_t>(bigger);
  return true;
}

bool BackWriter::grow(std::size_t n) {
  const std::size_t used = this->used();
  const uint64_t need = uint64_t{used} + n;
  if (need > limit_) {
    faultRow_ = ROW_OUTPUT_LIMIT;
    faultArg_ = static_cast<int64_t>(need);
    return false;
  }
  unsigned char *old = scratch_.bytes;
  // The written octets move to the end of the new block, so the old one
  // must live until they are copied: grow a detached pointer.
  unsigned char *block = nullptr;
  uint32_t size = scratch_.byteSize;
  if (!growBlock(env_, block, size, need, limit_)) {
    faultRow_ = ROW_ALLOCATION_FAILED;
    faultArg_ = static_cast<int64_t>(need);
    return false;
  }
  if (used != 0) std::memcpy(block + size - used, front_, used);
  if (old != nullptr) env_->memFree(old);
  scratch_.bytes = block;
  scratch_.byteSize = size;
  end_ = block + size;
  floor_ = block;  // grown no larger than the limit
  front_ = end_ - used;
  return true;
}

bool BackWriter::header(uint16_t tag, bool constructed, std::size_t length) {
  if (!reserve(10)) return false;
  if (length < 0x80) {
    put(static_cast<unsigned char>(length));
  } else {
    unsigned char count = 0;
    for (; length != 0; length >>= 8, ++count) put(static_cast<unsigned char>(length & 0xFF));
    put(static_cast<unsigned char>(0x80 | count));
  }
  const auto lead = static_cast<unsigned char>((tag >> 14) << 6 | (constructed ? 0x20 : 0));
  unsigned number = tag & 0x3FFFu;
  if (number < 0x1F) {
    put(static_cast<unsigned char>(lead | number));
    return true;
  }
  put(static_cast<unsigned char>(number & 0x7F));
  for (number >>= 7; number != 0; number >>= 7) put(static_cast<unsigned char>(0x80 | (number & 0x7F)));
  put(static_cast<unsigned char>(lead | 0x1F));
  return true;
}

}  // namespace zurcore
