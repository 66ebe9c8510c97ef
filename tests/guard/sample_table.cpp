#include <cstddef>

#include "tests/guard/guard_support.h"

namespace zurtest {
namespace {

enum TypeIndex : std::uint16_t { T_REC, T_INTEGER, T_TEXT, T_ANONYMOUS, T_NEST, T_REC_REF };

// maxLen, -, -, name, size, count, lenSize, dataOffset, typeFlags, ref, kind, -
const TypeDesc kTypes[] = {
    {0, 0, 0, "Rec", sizeof(RecValue), 2, 1, 0, 0, 0, KIND_SEQUENCE, 0},
    {0, 0, 0, "INTEGER", 4, 0, 4, 0, 0, 0, KIND_INTEGER, 0},
    {0, 0, 0, "IA5String", 64, 0, 0, 0, TYPE_BY_POINTER, 0, KIND_CHARS_NUL, 0},
    {0, 0, 0, nullptr, 4, 0, 4, 0, 0, 0, KIND_INTEGER, 0},
    {0, 0, 0, "Nest", 4, 1, 4, 0, 0, 2, KIND_CHOICE, 0},
    {0, 0, 0, "Rec", sizeof(RecValue), 2, 1, 0, TYPE_BY_POINTER, 0, KIND_SEQUENCE, 0},
};

// offset, type, presenceBit, nameIdx, fieldFlags, -
const FieldDesc kFields[] = {
    {offsetof(RecValue, a), T_INTEGER, 0, 0, FIELD_NAMED, 0},
    {offsetof(RecValue, b), T_TEXT, 0, 1, FIELD_NAMED, 0},
    {0, T_NEST, 0, 2, FIELD_NAMED, 0},
};

const std::uint16_t kPduTypes[] = {T_REC, T_ANONYMOUS, T_NEST, T_REC_REF};

const ApiWord kInfo[] = {reinterpret_cast<ApiWord>("a"), reinterpret_cast<ApiWord>("b"),
                         reinterpret_cast<ApiWord>("x")};

const CtlTbl kTable{{}, 0, 4, 0, kPduTypes, kTypes, kFields, kInfo};

}  // namespace

const CtlTbl &sampleTable() { return kTable; }

std::string recTextBeforeB(std::int32_t a) {
  return "value Rec ::= \n{\n  a " + std::to_string(a) + ",\n  b ";
}

std::string recText(std::int32_t a, const std::string &b) {
  return recTextBeforeB(a) + "\"" + b + "\"\n}\n";
}

}  // namespace zurtest
