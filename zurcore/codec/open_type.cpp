// The link goes `up` enclosing values, then down a path of component
// indexes; a component not (yet) present selects nothing, so a SET whose
// id follows the open type keeps it encoded.
#include "open_type.h"

#include <cstring>

#include "value_equality.h"

namespace zurcore {
namespace {

bool isStructure(uint32_t kind) {
  return kind == KIND_SEQUENCE || kind == KIND_SET || kind == KIND_SEQUENCE_EXT || kind == KIND_SET_EXT;
}

}  // namespace

const ZurObject *selectObject(const Schema &s, uint32_t openType, const ValueFrame *innermost) {
  const ZurType &t = s.type(openType);
  if (t.openType == 0) return nullptr;
  const ZurOpenType &link = s.codec->openTypes[t.openType];
  const ValueFrame *frame = innermost;
  for (uint16_t i = 0; i < link.up && frame != nullptr; ++i) frame = frame->outer;
  if (frame == nullptr) return nullptr;

  const unsigned char *value = frame->value;
  uint32_t type = frame->type;
  for (uint16_t step = 0; step < link.pathLength; ++step) {
    const TypeDesc &d = s.desc(type);
    const uint16_t index = s.codec->paths[link.firstPath + step];
    if (index >= static_cast<uint32_t>(d.count)) return nullptr;
    const FieldDesc &f = s.field(d.ref + index);
    if (isStructure(d.kind)) {
      if (ctlComponentPresent(&f, value, d.lenSize, value + f.offset) == 0) return nullptr;
    } else if (d.kind == KIND_CHOICE) {
      int32_t choice;
      std::memcpy(&choice, value, sizeof choice);
      if (choice != index + 1) return nullptr;
    } else {
      return nullptr;
    }
    value += f.offset;
    type = f.type;
    if (step + 1 < link.pathLength && (s.desc(type).typeFlags & TYPE_BY_POINTER) != 0) {
      std::memcpy(&value, value, sizeof value);
      if (value == nullptr) return nullptr;
    }
  }
  const ZurObject *objects = s.codec->objects + link.firstObject;
  for (uint32_t i = 0; i < link.objectCount; ++i)
    if (valuesEqual(s, type, value, objects[i].id)) return &objects[i];
  return nullptr;
}

}  // namespace zurcore
