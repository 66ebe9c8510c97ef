// The compiled tables a codec walks: the control table (layout: kinds,
// offsets, sizes, presence bits, names) and zurcore's codec tables behind it
// (tags, constraints, defaults, extensions, open-type links), reached
// through one record with the lookups every codec makes.
#ifndef ZURCORE_CODEC_TABLES_H
#define ZURCORE_CODEC_TABLES_H

#include <cstdint>
#include <cstring>

#include "zurbase/codec_tables.h"

namespace zurcore {

struct Schema {
  const CtlTbl *ctl = nullptr;
  const ZurCodecTbl *codec = nullptr;
  // The arrays the lookups below index, held here: a lookup waits for one
  // load less than through ctl or codec.
  const TypeDesc *descs = nullptr;
  const FieldDesc *fields = nullptr;
  const ZurType *types = nullptr;
  const ZurComponent *components = nullptr;
  const ZurTag *allTags = nullptr;

  const TypeDesc &desc(uint32_t type) const { return descs[type]; }
  const ZurType &type(uint32_t type) const { return types[type]; }
  const FieldDesc &field(uint32_t component) const { return fields[component]; }
  const ZurComponent &component(uint32_t component) const { return components[component]; }
  // The type's tags, outermost first (tagCount of them).
  const ZurTag *tags(const ZurType &t) const { return allTags + t.firstTag; }
  // The tags an encoding of the type may begin with (matchCount of them).
  const ZurTag *matchTags(const ZurType &t) const { return allTags + t.firstMatch; }
  // The component's identifier, or null for an anonymous one.
  const char *fieldName(uint32_t component) const {
    const FieldDesc &f = field(component);
    return (f.fieldFlags & FIELD_NAMED) != 0 ? reinterpret_cast<const char *>(ctl->infoTable[f.nameIdx])
                                             : nullptr;
  }
  // Index of the first component of a SEQUENCE, SET or CHOICE type.
  uint32_t firstComponent(uint32_t type) const { return desc(type).ref; }
  uint32_t componentCount(uint32_t type) const { return static_cast<uint32_t>(desc(type).count); }
  uint32_t elementType(uint32_t type) const { return desc(type).ref; }
  uint32_t pduType(int32_t pdu) const { return ctl->pduTypes[pdu - 1]; }
  bool mayBeAbsent(uint32_t component) const {
    return (field(component).fieldFlags & (FIELD_OPTIONAL | FIELD_DEFAULT)) != 0 ||
           (this->component(component).flags & (ZUR_C_OPTIONAL | ZUR_C_DEFAULT | ZUR_C_EXTENSION)) != 0;
  }
  // Does an encoding of the type begin with this tag?
  bool startsWith(const ZurType &t, uint16_t tag) const {
    if (t.matchCount == 1) return t.startTag == tag;
    if (t.matchCount == 0) return true;  // an untagged open type takes any tag
    const ZurTag *m = matchTags(t);
    for (uint16_t i = 0; i < t.matchCount; ++i)
      if (m[i].tag == tag) return true;
    return false;
  }
};

// Sets bit `bit` of a presence mask `width` bytes wide (bit 0 the most
// significant; masks of 1, 2 or 4 bytes are integers in the machine's
// order, wider ones bytes), the inverse of ctlMaskBit. Each width has its
// own copy of a fixed size: a copy of `width` bytes is a byte loop, and the
// word read behind it waits for the byte stores to drain.
inline void setMaskBit(unsigned char *mask, int bit, uint16_t width) {
  switch (width) {
    case 1:
      mask[0] |= static_cast<unsigned char>(0x80u >> bit);
      break;
    case 2: {
      uint16_t word;
      std::memcpy(&word, mask, 2);
      word = static_cast<uint16_t>(word | 0x8000u >> bit);
      std::memcpy(mask, &word, 2);
      break;
    }
    case 4: {
      uint32_t word;
      std::memcpy(&word, mask, 4);
      word |= 0x80000000u >> bit;
      std::memcpy(mask, &word, 4);
      break;
    }
    default:
      mask[bit / 8] |= static_cast<unsigned char>(0x80u >> (bit % 8));
  }
}

// Opens the tables of a control table: 0, or the error row that refuses it
// (a null table, one without zurasn1's magic, one of another version).
int openSchema(const CtlTbl *ctl, Schema &schema);

// The name a trace shows for a type: its own, else its built-in type's.
const char *typeCaption(const Schema &schema, uint32_t type);

}  // namespace zurcore

#endif
