// Reading and writing a member of a value record at a byte address: value
// layouts are reached through byte offsets from the tables, so the members
// need not be aligned for their type.
#ifndef ZURCORE_CODEC_RAW_ACCESS_H
#define ZURCORE_CODEC_RAW_ACCESS_H

#include <cstring>

namespace zurcore {

template <class T>
T load(const void *p) {
  T v;
  std::memcpy(&v, p, sizeof v);
  return v;
}

template <class T>
void store(void *p, const T &value) {
  std::memcpy(p, &value, sizeof value);
}

}  // namespace zurcore

#endif
