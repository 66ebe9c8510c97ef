#include "tests/support/ctl_builder.h"

#include <algorithm>
#include <stdexcept>

namespace zurtest {
namespace {

template <class T>
struct Probe {
  char c;
  T v;
};

// Alignment of a member of the given size inside a record, as the target's
// compiler places it (an 8-byte integer sits at 4 on i386 Linux).
uint32_t memberAlign(uint32_t size) {
  switch (size) {
    case 1:
      return 1;
    case 2:
      return offsetof(Probe<int16_t>, v);
    case 3:
    case 4:
      return offsetof(Probe<int32_t>, v);
    default:
      return std::max<uint32_t>(offsetof(Probe<int64_t>, v), offsetof(Probe<void *>, v));
  }
}

uint32_t roundUp(uint32_t n, uint32_t align) { return (n + align - 1) / align * align; }

constexpr uint32_t kAddress = sizeof(void *);
const uint32_t kAddressAlign = offsetof(Probe<void *>, v);

}  // namespace

CtlBuilder::CtlBuilder() {
  types_.reserve(64);
  // infoTable word 0 is never an enumeration pair: ref 0 means none.
  info_.push_back(0);
}

TypeDesc CtlBuilder::desc(uint32_t kind, std::size_t size, uint16_t lenSize,
                          std::size_t dataOffset, const char *name) {
  TypeDesc t{};
  t.kind = kind;
  t.size = static_cast<uint32_t>(size);
  t.lenSize = lenSize;
  t.dataOffset = static_cast<uint16_t>(dataOffset);
  t.name = name;
  return t;
}

const char *CtlBuilder::keep(const char *text) {
  if (text == nullptr) return nullptr;
  texts_.emplace_back(text);
  return texts_.back().c_str();
}

uint16_t CtlBuilder::add(const TypeDesc &td, uint32_t slotSize, uint32_t slotAlign) {
  if (types_.size() >= 0xFFFF) throw std::length_error("too many types");
  TypeDesc t = td;
  t.name = keep(td.name);
  types_.push_back(t);
  if (slotSize == 0) slotSize = t.size;
  if (slotAlign == 0) slotAlign = memberAlign(slotSize);
  slots_.push_back({slotSize, slotAlign});
  return static_cast<uint16_t>(types_.size() - 1);
}

uint16_t CtlBuilder::integer(uint16_t lenSize, const char *name) {
  return add(desc(KIND_INTEGER, lenSize, lenSize, 0, name));
}

uint16_t CtlBuilder::unsignedInteger(uint16_t lenSize) {
  return add(desc(KIND_UNSIGNED, lenSize, lenSize, 0, "INTEGER"));
}

uint16_t CtlBuilder::boolean() { return add(desc(KIND_BOOLEAN, 1, 0, 0, "BOOLEAN")); }

uint16_t CtlBuilder::null() { return add(desc(KIND_NULL, 1, 0, 0, "NULL")); }

uint16_t CtlBuilder::real(uint32_t size) {
  return add(desc(KIND_REAL, size, 0, 0, "REAL"), size,
             size > 4 ? offsetof(Probe<double>, v) : offsetof(Probe<float>, v));
}

uint16_t CtlBuilder::enumerated(uint16_t lenSize, const std::vector<int32_t> &values,
                                uint32_t kind) {
  TypeDesc t = desc(kind, lenSize, lenSize, 0, "ENUMERATED");
  if (!values.empty()) {
    enumValues_.push_back(values);
    t.ref = static_cast<uint16_t>(info_.size());
    info_.push_back(static_cast<ApiWord>(values.size()));
    info_.push_back(reinterpret_cast<ApiWord>(enumValues_.back().data()));
  }
  return add(t);
}

uint16_t CtlBuilder::counted(uint32_t kind, uint16_t lenSize, const char *name) {
  uint32_t data = roundUp(lenSize, kAddressAlign);
  return add(desc(kind, data + kAddress, lenSize, data, name), data + kAddress, kAddressAlign);
}

uint16_t CtlBuilder::nameIndex(const char *name) {
  info_.push_back(reinterpret_cast<ApiWord>(keep(name)));
  return static_cast<uint16_t>(info_.size() - 1);
}

// Appends the component records; lays out the components from `start` one
// after the other, or all at `start` when they overlay (CHOICE).
uint16_t CtlBuilder::addFields(const std::vector<Field> &fields, uint32_t start, bool overlay,
                               uint32_t &size, uint32_t &align) {
  auto first = static_cast<uint16_t>(fields_.size());
  uint32_t next = start;
  for (const Field &f : fields) {
    const Slot &slot = slots_.at(f.type);
    uint32_t offset = f.offset >= 0 ? static_cast<uint32_t>(f.offset)
                                    : roundUp(overlay ? start : next, slot.align);
    FieldDesc c{};
    c.offset = offset;
    c.type = f.type;
    c.presenceBit = f.presenceBit;
    c.fieldFlags = f.flags;
    c.nameIdx = f.name != nullptr ? nameIndex(f.name) : 0;
    fields_.push_back(c);
    align = std::max(align, slot.align);
    next = std::max(next, offset + slot.size);
  }
  size = roundUp(next, align);
  return first;
}

uint16_t CtlBuilder::sequence(const char *name, const std::vector<Field> &fields,
                              uint16_t maskSize, uint32_t kind) {
  uint32_t size = 0;
  uint32_t align = maskSize != 0 ? memberAlign(maskSize > 4 ? 1 : maskSize) : 1;
  uint16_t first = addFields(fields, maskSize, false, size, align);
  TypeDesc t = desc(kind, size, maskSize, 0, name);
  t.count = static_cast<int32_t>(fields.size());
  t.ref = first;
  return add(t, size, align);
}

uint16_t CtlBuilder::choice(const char *name, const std::vector<Field> &fields,
                            uint16_t selSize) {
  uint32_t size = 0;
  uint32_t align = memberAlign(selSize);
  uint32_t start = selSize;
  for (const Field &f : fields) start = roundUp(start, slots_.at(f.type).align);
  uint16_t first = addFields(fields, start, true, size, align);
  TypeDesc t = desc(KIND_CHOICE, size, selSize, 0, name);
  t.count = static_cast<int32_t>(fields.size());
  t.ref = first;
  return add(t, size, align);
}

uint16_t CtlBuilder::sequenceOfArray(const char *name, uint16_t element, uint32_t capacity,
                                     uint16_t lenSize) {
  const Slot e = slots_.at(element);
  uint32_t align = std::max(memberAlign(lenSize), e.align);
  uint32_t data = roundUp(lenSize, e.align);
  uint32_t size = roundUp(data + e.size * capacity, align);
  TypeDesc t = desc(KIND_SEQOF_ARRAY, size, lenSize, data, name);
  t.count = static_cast<int32_t>(e.size);
  t.ref = element;
  return add(t, size, align);
}

uint16_t CtlBuilder::sequenceOfByAddress(const char *name, uint16_t element, uint16_t lenSize) {
  uint32_t data = roundUp(lenSize, kAddressAlign);
  TypeDesc t = desc(KIND_SEQOF_PTR_ARRAY, data + kAddress, lenSize, data, name);
  t.count = static_cast<int32_t>(slots_.at(element).size);
  t.ref = element;
  return add(t, data + kAddress, kAddressAlign);
}

uint32_t CtlBuilder::nodeDataOffset(uint16_t element, uint32_t linkWords) const {
  return roundUp(linkWords * kAddress, slots_.at(element).align);
}

uint16_t CtlBuilder::sequenceOfList(const char *name, uint16_t element, uint32_t kind) {
  uint32_t links = kind == KIND_SEQOF_LIST2 || kind == KIND_SETOF_LIST2 ? 2 : 1;
  TypeDesc t = desc(kind, kAddress, 0, nodeDataOffset(element, links), name);
  t.count = static_cast<int32_t>(slots_.at(element).size);
  t.ref = element;
  return add(t, kAddress, kAddressAlign);
}

uint16_t CtlBuilder::byPointer(uint16_t type) {
  TypeDesc t = types_.at(type);
  t.typeFlags |= TYPE_BY_POINTER;
  return add(t, kAddress, kAddressAlign);
}

int CtlBuilder::pdu(uint16_t type) {
  pdus_.push_back(type);
  return static_cast<int>(pdus_.size());
}

const CtlTbl *CtlBuilder::table(uint16_t flags) {
  table_.flags = flags;
  table_.pduCount = static_cast<uint16_t>(pdus_.size());
  table_.pduTypes = pdus_.data();
  table_.types = types_.data();
  table_.fields = fields_.data();
  table_.infoTable = info_.data();
  return &table_;
}

}  // namespace zurtest
