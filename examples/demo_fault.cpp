#include <cstddef>

#include "demo.h"

namespace demo {

namespace {

// Greeting ::= SEQUENCE { count INTEGER, text IA5String }, with the text
// held through a pointer, as a compiler would lay out its control table.
struct Greeting {
  unsigned char presence;
  int32_t count;
  const char *text;
};

TypeDesc typeDesc(const char *name, uint32_t kind, uint32_t size, int32_t count, uint16_t lenSize,
                  uint16_t typeFlags) {
  TypeDesc t{};
  t.name = name;
  t.kind = kind;
  t.size = size;
  t.count = count;
  t.lenSize = lenSize;
  t.typeFlags = typeFlags;
  return t;
}

FieldDesc fieldDesc(uint32_t offset, uint16_t type, uint16_t nameIdx) {
  FieldDesc f{};
  f.offset = offset;
  f.type = type;
  f.nameIdx = nameIdx;
  f.fieldFlags = FIELD_NAMED;
  return f;
}

const TypeDesc greetingTypes[] = {
    typeDesc("Greeting", KIND_SEQUENCE, sizeof(Greeting), 2, 1, 0),
    typeDesc("INTEGER", KIND_INTEGER, 4, 0, 4, 0),
    typeDesc("IA5String", KIND_CHARS_NUL, 32, 0, 0, TYPE_BY_POINTER),
};
const FieldDesc greetingFields[] = {fieldDesc(offsetof(Greeting, count), 1, 0),
                                    fieldDesc(offsetof(Greeting, text), 2, 1)};
const uint16_t greetingPdus[] = {0};
const ApiWord greetingNames[] = {reinterpret_cast<ApiWord>("count"),
                                 reinterpret_cast<ApiWord>("text")};

CtlTbl greetingTable() {
  CtlTbl table{};
  table.pduCount = 1;
  table.pduTypes = greetingPdus;
  table.types = greetingTypes;
  table.fields = greetingFields;
  table.infoTable = greetingNames;
  return table;
}

}  // namespace

void showFaultSafePrint() {
  static const CtlTbl table = greetingTable();
  Env *env = zurcoreCreateEnv(apiTbl);
  env->ctlTbl = &table;
  auto printPdu = entry<ApiPrintPduFn>(SLOT_PRINT_PDU);

  heading("a PDU printed in value notation");
  Greeting hello{0, 3, "hello"};
  int result = printPdu(env, 1, &hello);
  std::fflush(stdout);
  std::printf("apiPrintPdu returned %d\n", result);

  heading("a corrupted value: the text pointer holds address 0x10");
  Greeting broken{0, 4, reinterpret_cast<const char *>(0x10)};
  result = printPdu(env, 1, &broken);
  std::fflush(stdout);
  std::printf("\napiPrintPdu returned %d (memory violation); the program goes on\n", result);

  heading("the next print on the same Env");
  Greeting again{0, 5, "still here"};
  result = printPdu(env, 1, &again);
  std::fflush(stdout);
  std::printf("apiPrintPdu returned %d\n", result);
  zurcoreDestroyEnv(env);
}

}  // namespace demo
