// Test support: lays out a control table the way a compiler would, so that a
// test states its types in a few lines, e.g.
//   b.sequence("Rec", {field("a", b.integer()), field("d", b.boolean()).optional(0)}, 1)
// Components are laid out in declaration order with natural alignment, so a
// value is a C record of the same shape on every target. Names are literals.
#ifndef ZURBASE_TESTS_CTL_BUILDER_H
#define ZURBASE_TESTS_CTL_BUILDER_H

#include <cstddef>
#include <cstdint>
#include <deque>
#include <vector>

#include "zurbase/ctltbl.h"

namespace zurtest {

struct Field {
  const char *name;  // null: anonymous
  uint16_t type;
  int16_t presenceBit = 0;
  uint8_t flags = FIELD_NAMED;

  // Present when bit `bit` of the parent's mask is set, or for a negative bit
  // when the address at the component's place is not null.
  Field &optional(int16_t bit) {
    presenceBit = bit;
    flags |= FIELD_OPTIONAL;
    return *this;
  }
};

inline Field field(const char *name, uint16_t type) {
  return Field{name, type, 0, static_cast<uint8_t>(name != nullptr ? FIELD_NAMED : 0)};
}

class CtlBuilder {
 public:
  CtlBuilder() { types_.reserve(64); }  // type() stays valid while types are added
  static TypeDesc desc(uint32_t kind, std::size_t size, uint16_t lenSize = 0,
                       std::size_t dataOffset = 0, const char *name = nullptr);
  // Any descriptor; its parent holds `slotSize` bytes aligned to `slotAlign`
  // (0: the descriptor's size, aligned as an integer of that size).
  uint16_t add(const TypeDesc &td, uint32_t slotSize = 0, uint32_t slotAlign = 0);
  // A descriptor for the C record T: size and alignment from T.
  template <class T>
  uint16_t record(uint32_t kind, uint16_t lenSize = 0, std::size_t dataOffset = 0) {
    return add(desc(kind, sizeof(T), lenSize, dataOffset), sizeof(T), alignof(T));
  }

  uint16_t integer(uint16_t lenSize = 4, const char *name = "INTEGER",
                   uint32_t kind = KIND_INTEGER) {
    return add(desc(kind, lenSize, lenSize, 0, name));
  }
  uint16_t boolean() { return add(desc(KIND_BOOLEAN, 1, 0, 0, "BOOLEAN")); }
  uint16_t null() { return add(desc(KIND_NULL, 1, 0, 0, "NULL")); }
  uint16_t real(uint32_t size) { return add(desc(KIND_REAL, size, 0, 0, "REAL")); }
  // ENUMERATED stored in lenSize bytes; with values, an enumeration pair.
  uint16_t enumerated(uint16_t lenSize, const std::vector<int32_t> &values = {},
                      uint32_t kind = KIND_ENUMERATED);
  // A length field of lenSize bytes, then at the next address-aligned place
  // the address of the data.
  uint16_t counted(uint32_t kind, uint16_t lenSize = 4, const char *name = nullptr);
  // SEQUENCE whose value begins with a presence mask of maskSize bytes.
  uint16_t sequence(const char *name, const std::vector<Field> &fields, uint16_t maskSize = 0);
  // CHOICE with a 4-byte selector; the alternatives share one offset.
  uint16_t choice(const char *name, const std::vector<Field> &fields);
  // SEQUENCE OF of kind 14 (a 4-byte count, then `capacity` elements in
  // place), 16 (the count and the address of the elements), or 15, 47 and 48
  // (the address of the first node: its link words, then the element).
  uint16_t sequenceOf(uint32_t kind, const char *name, uint16_t element, uint32_t capacity = 0);
  // The same type, held by its parent through an address.
  uint16_t byPointer(uint16_t type);

  // PDU number (from 1) of a type.
  int pdu(uint16_t type) {
    pdus_.push_back(type);
    return static_cast<int>(pdus_.size());
  }
  // The finished table; the builder must outlive it.
  const CtlTbl *table(uint16_t flags = 0);
  const TypeDesc *type(uint16_t index) const { return &types_[index]; }
  TypeDesc &edit(uint16_t index) { return types_[index]; }

 private:
  struct Slot {
    uint32_t size;
    uint32_t align;
  };
  uint16_t constructed(uint32_t kind, const char *name, const std::vector<Field> &fields,
                       uint16_t lenSize, uint32_t start, bool overlay, uint32_t align);

  std::vector<TypeDesc> types_;
  std::vector<Slot> slots_;
  std::vector<FieldDesc> fields_;
  std::vector<ApiWord> info_{0};  // word 0 is never an enumeration pair: ref 0 means none
  std::vector<uint16_t> pdus_;
  std::deque<std::vector<int32_t>> enumValues_;
  CtlTbl table_{};
};

}  // namespace zurtest

#endif
