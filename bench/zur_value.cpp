#include "bench/zur_value.h"

#include <cstddef>

namespace bench {
namespace {

enum : uint16_t { T_INTEGER, T_IA5, T_BOOLEAN, T_OCTETS, T_SUB, T_RECORD, T_RECORDS };

using Name = decltype(ZurRecord::name);
using Data = decltype(ZurRecord::data);
using Sub = decltype(ZurRecord::sub);

const TypeDesc kTypes[] = {
    {0, 0, 0, "INTEGER", 4, 0, 4, 0, 0, 0, KIND_INTEGER, 0},
    {0, 0, 0, "IA5String", sizeof(Name), 0, 4, offsetof(Name, chars), 0, 0, KIND_CHARS_PTR, 0},
    {0, 0, 0, "BOOLEAN", 1, 0, 0, 0, 0, 0, KIND_BOOLEAN, 0},
    {0, 0, 0, "OCTET STRING", sizeof(Data), 0, 4, offsetof(Data, octets), 0, 0,
     KIND_OCTETS_INLINE, 0},
    {0, 0, 0, nullptr, sizeof(Sub), sizeof(int32_t), 4, offsetof(Sub, elements), 0, T_INTEGER,
     KIND_SEQOF_ARRAY, 0},
    {0, 0, 0, "Record", sizeof(ZurRecord), 5, 0, 0, 0, 0, KIND_SEQUENCE, 0},
    {0, 0, 0, "Records", sizeof(ZurRecords), sizeof(ZurRecord), 4,
     offsetof(ZurRecords, elements), 0, T_RECORD, KIND_SEQOF_PTR_ARRAY, 0},
};

constexpr uint8_t kNamed = FIELD_NAMED;
const FieldDesc kFields[] = {
    {offsetof(ZurRecord, id), T_INTEGER, 0, 1, kNamed, 0},
    {offsetof(ZurRecord, name), T_IA5, 0, 2, kNamed, 0},
    {offsetof(ZurRecord, flag), T_BOOLEAN, 0, 3, kNamed, 0},
    {offsetof(ZurRecord, data), T_OCTETS, 0, 4, kNamed, 0},
    {offsetof(ZurRecord, sub), T_SUB, 0, 5, kNamed, 0},
};

const char *const kNames[] = {nullptr, "id", "name", "flag", "data", "sub"};
const ApiWord kInfo[] = {0,
                         reinterpret_cast<ApiWord>(kNames[1]),
                         reinterpret_cast<ApiWord>(kNames[2]),
                         reinterpret_cast<ApiWord>(kNames[3]),
                         reinterpret_cast<ApiWord>(kNames[4]),
                         reinterpret_cast<ApiWord>(kNames[5])};
const uint16_t kPdus[] = {T_RECORDS};
const CtlTbl kTable = {{0}, 0, 1, 0, kPdus, kTypes, kFields, kInfo};

}  // namespace

ZurValue::ZurValue() : records_(kElements), names_(kElements) {
  for (int i = 0; i < kElements; ++i) {
    ZurRecord &r = records_[i];
    names_[i] = elementName(i);
    r.id = elementId(i);
    r.name = {static_cast<uint32_t>(names_[i].size()), names_[i].c_str()};
    r.flag = elementFlag(i) ? 1 : 0;
    r.data.length = kDataOctets;
    for (int k = 0; k < kDataOctets; ++k) r.data.octets[k] = elementOctet(i, k);
    r.sub.count = kSubElements;
    for (int k = 0; k < kSubElements; ++k) r.sub.elements[k] = elementSub(i, k);
  }
  root_ = {static_cast<uint32_t>(kElements), records_.data()};
}

const CtlTbl &zurBenchTable() { return kTable; }

}  // namespace bench
