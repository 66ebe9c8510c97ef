#include "tests/guard/sample_table.h"

#include <cstddef>

namespace zurtest {
namespace {

enum TypeIndex : std::uint16_t { T_REC, T_INTEGER, T_TEXT, T_ANONYMOUS, T_NEST, T_REC_REF };

const TypeDesc kTypes[] = {
    {.name = "Rec", .size = sizeof(RecValue), .count = 2, .lenSize = 1, .ref = 0,
     .kind = KIND_SEQUENCE},
    {.name = "INTEGER", .size = 4, .lenSize = 4, .kind = KIND_INTEGER},
    {.name = "IA5String", .size = 64, .typeFlags = TYPE_BY_POINTER, .kind = KIND_CHARS_NUL},
    {.name = nullptr, .size = 4, .lenSize = 4, .kind = KIND_INTEGER},
    {.name = "Nest", .size = 4, .count = 1, .lenSize = 4, .ref = 2, .kind = KIND_CHOICE},
    {.name = "Rec", .size = sizeof(RecValue), .count = 2, .lenSize = 1,
     .typeFlags = TYPE_BY_POINTER, .ref = 0, .kind = KIND_SEQUENCE},
};

const FieldDesc kFields[] = {
    {.offset = offsetof(RecValue, a), .type = T_INTEGER, .nameIdx = 0, .fieldFlags = FIELD_NAMED},
    {.offset = offsetof(RecValue, b), .type = T_TEXT, .nameIdx = 1, .fieldFlags = FIELD_NAMED},
    {.offset = 0, .type = T_NEST, .nameIdx = 2, .fieldFlags = FIELD_NAMED},
};

const std::uint16_t kPduTypes[] = {T_REC, T_ANONYMOUS, T_NEST, T_REC_REF};

const ApiWord kInfo[] = {reinterpret_cast<ApiWord>("a"), reinterpret_cast<ApiWord>("b"),
                         reinterpret_cast<ApiWord>("x")};

const CtlTbl kTable = {
    .pduCount = 4, .pduTypes = kPduTypes, .types = kTypes, .fields = kFields, .infoTable = kInfo};

}  // namespace

const CtlTbl &sampleTable() { return kTable; }

std::string recTextBeforeB(std::int32_t a) {
  return "value Rec ::= \n{\n  a " + std::to_string(a) + ",\n  b ";
}

std::string recText(std::int32_t a, const std::string &b) {
  return recTextBeforeB(a) + "\"" + b + "\"\n}\n";
}

}  // namespace zurtest
