// Default images are laid out as the component's value; addresses inside
// them point into the tables, which outlive every decoded value.
#include "defaults.h"

#include <cstring>

#include "value_equality.h"

namespace zurcore {

void copyDefault(const Schema &s, uint32_t component, unsigned char *parent) {
  const void *image = defaultImage(s, component);
  if (image == nullptr) return;
  const FieldDesc &f = s.field(component);
  const TypeDesc &d = s.desc(f.type);
  if ((d.typeFlags & TYPE_BY_POINTER) != 0)
    std::memcpy(parent + f.offset, &image, sizeof image);
  else
    std::memcpy(parent + f.offset, image, d.size);
}

bool equalsDefault(const Schema &s, uint32_t component, const unsigned char *parent) {
  const void *image = defaultImage(s, component);
  if (image == nullptr) return false;
  const FieldDesc &f = s.field(component);
  const TypeDesc &d = s.desc(f.type);
  const unsigned char *value = parent + f.offset;
  if ((d.typeFlags & TYPE_BY_POINTER) == 0) return valuesEqual(s, f.type, value, image);
  const void *held;
  std::memcpy(&held, value, sizeof held);
  return held != nullptr && valuesEqual(s, f.type, &held, &image);
}

}  // namespace zurcore
