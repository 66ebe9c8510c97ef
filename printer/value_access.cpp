#include "printer/value_access.h"

#include "printer/service_calls.h"

namespace zur {

void storeBigEndian(unsigned char *dst, const void *src, int16_t width) {
  auto v = static_cast<uint32_t>(loadUInt(src, static_cast<unsigned>(width)));
  for (int i = width - 1; i >= 0; --i) {
    dst[i] = static_cast<unsigned char>(v);
    v >>= 8;
  }
}

const unsigned char *bigEndianBytes(unsigned char *dst, const void *src, uint16_t width) {
  if (width < 2 || width > 4) return static_cast<const unsigned char *>(src);
  auto v = static_cast<uint32_t>(loadUInt(src, width));
  for (int i = width - 1; i >= 0; --i) {
    dst[i] = static_cast<unsigned char>(v);
    v >>= 8;
  }
  return dst;
}

bool followLink(PrintCursor *cursor, uint32_t size) {
  void *link = loadAddress(cursor->base + cursor->offset);
  if (link == nullptr) return false;
  Env *env = cursor->env;
  cursor->base = remapValue(env, cursor->blockRef, link, size);
  cursor->offset = 0;
  cursor->blockRef = link;
  cursor->blockSize = size;
  return true;
}

}  // namespace zur
