#include "tests/guard/sample_table.h"

#include <cstddef>

namespace zurtest {
namespace {

enum TypeIndex : std::uint16_t { T_REC, T_INTEGER, T_TEXT, T_ANONYMOUS, T_NEST, T_REC_REF };

constexpr TypeDesc type(const char *name, uint32_t kind, uint32_t size, int32_t count,
                        uint16_t lenSize, uint16_t typeFlags, uint16_t ref) {
  TypeDesc t{};
  t.name = name;
  t.kind = kind;
  t.size = size;
  t.count = count;
  t.lenSize = lenSize;
  t.typeFlags = typeFlags;
  t.ref = ref;
  return t;
}

constexpr FieldDesc field(uint32_t offset, uint16_t typeIndex, uint16_t nameIdx) {
  FieldDesc f{};
  f.offset = offset;
  f.type = typeIndex;
  f.nameIdx = nameIdx;
  f.fieldFlags = FIELD_NAMED;
  return f;
}

const TypeDesc kTypes[] = {
    type("Rec", KIND_SEQUENCE, sizeof(RecValue), 2, 1, 0, 0),
    type("INTEGER", KIND_INTEGER, 4, 0, 4, 0, 0),
    type("IA5String", KIND_CHARS_NUL, 64, 0, 0, TYPE_BY_POINTER, 0),
    type(nullptr, KIND_INTEGER, 4, 0, 4, 0, 0),
    type("Nest", KIND_CHOICE, 4, 1, 4, 0, 2),
    type("Rec", KIND_SEQUENCE, sizeof(RecValue), 2, 1, TYPE_BY_POINTER, 0),
};

const FieldDesc kFields[] = {
    field(offsetof(RecValue, a), T_INTEGER, 0),
    field(offsetof(RecValue, b), T_TEXT, 1),
    field(0, T_NEST, 2),
};

const std::uint16_t kPduTypes[] = {T_REC, T_ANONYMOUS, T_NEST, T_REC_REF};

const ApiWord kInfo[] = {reinterpret_cast<ApiWord>("a"), reinterpret_cast<ApiWord>("b"),
                         reinterpret_cast<ApiWord>("x")};

CtlTbl makeTable() {
  CtlTbl table{};
  table.pduCount = 4;
  table.pduTypes = kPduTypes;
  table.types = kTypes;
  table.fields = kFields;
  table.infoTable = kInfo;
  return table;
}

const CtlTbl kTable = makeTable();

}  // namespace

const CtlTbl &sampleTable() { return kTable; }

std::string recTextBeforeB(std::int32_t a) {
  return "value Rec ::= \n{\n  a " + std::to_string(a) + ",\n  b ";
}

std::string recText(std::int32_t a, const std::string &b) {
  return recTextBeforeB(a) + "\"" + b + "\"\n}\n";
}

}  // namespace zurtest
