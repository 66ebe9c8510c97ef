#include "tests/support/ctl_builder.h"

#include <algorithm>

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
  if (size == 1) return 1;
  if (size == 2) return offsetof(Probe<int16_t>, v);
  if (size == 3 || size == 4) return offsetof(Probe<int32_t>, v);
  return std::max<uint32_t>(offsetof(Probe<int64_t>, v), offsetof(Probe<void *>, v));
}

uint32_t roundUp(uint32_t n, uint32_t align) { return (n + align - 1) / align * align; }

constexpr uint32_t kAddress = sizeof(void *);
const uint32_t kAddressAlign = offsetof(Probe<void *>, v);

}  // namespace

TypeDesc CtlBuilder::desc(uint32_t kind, std::size_t size, uint16_t lenSize, std::size_t dataOffset,
                          const char *name) {
  return TypeDesc{
      0, 0, 0,    name, static_cast<uint32_t>(size), 0, lenSize, static_cast<uint16_t>(dataOffset),
      0, 0, kind, 0};
}

uint16_t CtlBuilder::add(const TypeDesc &td, uint32_t slotSize, uint32_t slotAlign) {
  types_.push_back(td);
  if (slotSize == 0) slotSize = td.size;
  slots_.push_back({slotSize, slotAlign != 0 ? slotAlign : memberAlign(slotSize)});
  return static_cast<uint16_t>(types_.size() - 1);
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

// Lays out the components from `start` one after the other, or all at
// `start` when they overlay (CHOICE).
uint16_t CtlBuilder::constructed(uint32_t kind, const char *name, const std::vector<Field> &fields,
                                 uint16_t lenSize, uint32_t start, bool overlay, uint32_t align) {
  TypeDesc t = desc(kind, 0, lenSize, 0, name);
  t.count = static_cast<int32_t>(fields.size());
  t.ref = static_cast<uint16_t>(fields_.size());
  uint32_t next = start;
  for (const Field &f : fields) {
    const Slot &slot = slots_.at(f.type);
    uint32_t offset = roundUp(overlay ? start : next, slot.align);
    auto nameIdx = static_cast<uint16_t>(f.name != nullptr ? info_.size() : 0);
    if (f.name != nullptr) info_.push_back(reinterpret_cast<ApiWord>(f.name));
    fields_.push_back(FieldDesc{offset, f.type, f.presenceBit, nameIdx, f.flags, 0});
    align = std::max(align, slot.align);
    next = std::max(next, offset + slot.size);
  }
  t.size = roundUp(next, align);
  return add(t, t.size, align);
}

uint16_t CtlBuilder::sequence(const char *name, const std::vector<Field> &fields,
                              uint16_t maskSize) {
  uint32_t align = maskSize != 0 ? memberAlign(maskSize > 4 ? 1 : maskSize) : 1;
  return constructed(KIND_SEQUENCE, name, fields, maskSize, maskSize, false, align);
}

uint16_t CtlBuilder::choice(const char *name, const std::vector<Field> &fields) {
  uint32_t start = 4;
  for (const Field &f : fields) start = roundUp(start, slots_.at(f.type).align);
  return constructed(KIND_CHOICE, name, fields, 4, start, true, memberAlign(4));
}

uint16_t CtlBuilder::sequenceOf(uint32_t kind, const char *name, uint16_t element,
                                uint32_t capacity) {
  const Slot e = slots_.at(element);
  uint16_t t;
  if (kind == KIND_SEQOF_ARRAY) {
    uint32_t align = std::max(memberAlign(4), e.align), data = roundUp(4, e.align);
    t = add(desc(kind, roundUp(data + e.size * capacity, align), 4, data, name), 0, align);
  } else if (kind == KIND_SEQOF_PTR_ARRAY) {
    t = counted(kind, 4, name);
  } else {
    uint32_t links = kind == KIND_SEQOF_LIST2 || kind == KIND_SETOF_LIST2 ? 2 : 1;
    t = add(desc(kind, kAddress, 0, roundUp(links * kAddress, e.align), name), 0, kAddressAlign);
  }
  types_[t].count = static_cast<int32_t>(e.size);
  types_[t].ref = element;
  return t;
}

uint16_t CtlBuilder::byPointer(uint16_t type) {
  TypeDesc t = types_.at(type);
  t.typeFlags |= TYPE_BY_POINTER;
  return add(t, kAddress, kAddressAlign);
}

const CtlTbl *CtlBuilder::table(uint16_t flags) {
  const auto pdus = static_cast<uint16_t>(pdus_.size());
  table_ = CtlTbl{{0}, flags, pdus, 0, pdus_.data(), types_.data(), fields_.data(), info_.data()};
  return &table_;
}

}  // namespace zurtest
