// Test support: lays out a control table the way a compiler would, so that a
// test states its types in a few lines:
//
//   CtlBuilder b;
//   auto rec = b.sequence("Rec", {field("a", b.integer()), field("d", b.boolean()).optional(0)},
//                         1);
//   int pdu = b.pdu(rec);
//   const CtlTbl *ctl = b.table();
//
// Component offsets are laid out in declaration order with natural alignment
// unless a field gives its own with at(); values in tests are C records of
// the same shape, so on 32-bit targets they have the documented layouts.
#ifndef ZURBASE_TESTS_CTL_BUILDER_H
#define ZURBASE_TESTS_CTL_BUILDER_H

#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "zurbase/ctltbl.h"

namespace zurtest {

struct Field {
  const char *name;  // null: anonymous
  uint16_t type;
  int64_t offset = -1;  // -1: laid out by the builder
  int16_t presenceBit = 0;
  uint8_t flags = FIELD_NAMED;

  // May be absent; present when bit `bit` of the parent's mask is set, or for
  // a negative bit when the address at the component's place is not null.
  Field &optional(int16_t bit) {
    presenceBit = bit;
    flags |= FIELD_OPTIONAL;
    return *this;
  }
  Field &at(std::size_t off) {
    offset = static_cast<int64_t>(off);
    return *this;
  }
};

inline Field field(const char *name, uint16_t type) {
  Field f{name, type};
  if (name == nullptr) f.flags = 0;
  return f;
}

class CtlBuilder {
 public:
  CtlBuilder();

  // Any descriptor; its parent holds `slotSize` bytes aligned to `slotAlign`
  // (0: the descriptor's size, aligned as an integer of that size).
  uint16_t add(const TypeDesc &td, uint32_t slotSize = 0, uint32_t slotAlign = 0);
  // A descriptor for the C record T: size and alignment from T.
  template <class T>
  uint16_t record(uint32_t kind, uint16_t lenSize = 0, std::size_t dataOffset = 0,
                  const char *name = nullptr) {
    return add(desc(kind, sizeof(T), lenSize, dataOffset, name), sizeof(T), alignof(T));
  }
  static TypeDesc desc(uint32_t kind, std::size_t size, uint16_t lenSize = 0,
                       std::size_t dataOffset = 0, const char *name = nullptr);

  uint16_t integer(uint16_t lenSize = 4, const char *name = "INTEGER");
  uint16_t unsignedInteger(uint16_t lenSize = 4);
  uint16_t boolean();
  uint16_t null();
  uint16_t real(uint32_t size = sizeof(double));
  // ENUMERATED stored in lenSize bytes; with values, an enumeration pair.
  uint16_t enumerated(uint16_t lenSize, const std::vector<int32_t> &values = {},
                      uint32_t kind = KIND_ENUMERATED);
  // A value of `kind` made of a length field of lenSize bytes and, at the
  // next address-aligned place, the address of the data (kinds 3, 10, 20,
  // 25, 53, 54, 62, and 63 with maxLen -1).
  uint16_t counted(uint32_t kind, uint16_t lenSize = 4, const char *name = nullptr);
  // SEQUENCE (or SET, by kind) whose value begins with a presence mask of
  // maskSize bytes.
  uint16_t sequence(const char *name, const std::vector<Field> &fields, uint16_t maskSize = 0,
                    uint32_t kind = KIND_SEQUENCE);
  // CHOICE with a selector of selSize bytes; every alternative starts at the
  // same offset after the selector.
  uint16_t choice(const char *name, const std::vector<Field> &fields, uint16_t selSize = 4);
  // SEQUENCE OF in array form (kind 14): a count of lenSize bytes, then
  // `capacity` elements inline.
  uint16_t sequenceOfArray(const char *name, uint16_t element, uint32_t capacity,
                           uint16_t lenSize = 4);
  // SEQUENCE OF with the count and the address of the elements (kind 16).
  uint16_t sequenceOfByAddress(const char *name, uint16_t element, uint16_t lenSize = 4);
  // SEQUENCE OF as a chain of nodes (kind 15, or 47 with two link words):
  // the parent holds the first node's address.
  uint16_t sequenceOfList(const char *name, uint16_t element, uint32_t kind = KIND_SEQOF_LIST);
  // The same type, held by its parent through an address.
  uint16_t byPointer(uint16_t type);

  // Offset at which a list node of `linkWords` addresses holds an element of
  // the given type.
  uint32_t nodeDataOffset(uint16_t element, uint32_t linkWords = 1) const;

  // PDU number (from 1) of a type.
  int pdu(uint16_t type);

  // The finished table; the builder must outlive it and not change after.
  const CtlTbl *table(uint16_t flags = 0);
  const TypeDesc *type(uint16_t index) const { return &types_[index]; }
  TypeDesc &edit(uint16_t index) { return types_[index]; }

 private:
  struct Slot {
    uint32_t size;
    uint32_t align;
  };
  uint16_t nameIndex(const char *name);
  const char *keep(const char *text);
  uint16_t addFields(const std::vector<Field> &fields, uint32_t start, bool overlay,
                     uint32_t &size, uint32_t &align);

  std::vector<TypeDesc> types_;
  std::vector<Slot> slots_;
  std::vector<FieldDesc> fields_;
  std::vector<ApiWord> info_;
  std::vector<uint16_t> pdus_;
  std::deque<std::string> texts_;
  std::deque<std::vector<int32_t>> enumValues_;
  CtlTbl table_{};
};

}  // namespace zurtest

#endif
