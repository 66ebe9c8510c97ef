// A real message through a compiled module: the X.690 personnel record's
// module compiled by zurasn1 at run time, its BER encoding decoded by
// zurcore's codec with the trace on (the tag/length tree with the field
// names), the value printed in value notation, and encoded again under DER,
// which puts the SET's components in the order of their tags.
#include <iostream>

#include "demo.h"
#include "personnel_encoding.h"
#include "zurasn1/zurasn1.h"

namespace demo {
namespace {

// X.690 Annex A's module, as the record above was encoded with it.
constexpr const char *kPersonnelModule = R"(
PersonnelRecords DEFINITIONS ::= BEGIN
PersonnelRecord ::= [APPLICATION 0] IMPLICIT SET {
  name         Name,
  title        [0] VisibleString,
  number       EmployeeNumber,
  dateOfHire   [1] Date,
  nameOfSpouse [2] Name,
  children     [3] IMPLICIT SEQUENCE OF ChildInformation DEFAULT {} }
ChildInformation ::= SET { name Name, dateOfBirth [0] Date }
Name ::= [APPLICATION 1] IMPLICIT SEQUENCE {
  givenName  VisibleString,
  initial    VisibleString,
  familyName VisibleString }
EmployeeNumber ::= [APPLICATION 2] IMPLICIT INTEGER
Date ::= [APPLICATION 3] IMPLICIT VisibleString -- YYYYMMDD
END
)";

}  // namespace

std::unique_ptr<zurasn1::Compilation> personnelModule() {
  return zurasn1::Compilation::compile({{"personnel.asn1", kPersonnelModule}}, std::cerr);
}

int decodePersonnelRecord(Env *env, const zurasn1::Compilation &compiled, void **value) {
  std::span<const unsigned char> record = personnelEncoding();
  env->ctlTbl = compiled.ctlTbl();
  entry<ApiSetEncodingRulesFn>(SLOT_SET_ENCODING_RULES)(env, RULES_BER);
  entry<ApiSetterFn>(SLOT_SET_DECODING_FLAGS)(env, ZURCORE_FLAG_TRACE);
  // The decoder moves the buffer's words as it reads.
  EncBuf in{static_cast<int32_t>(record.size()), const_cast<unsigned char *>(record.data())};
  int32_t pdu = compiled.pduNumber("PersonnelRecord");
  *value = nullptr;
  return entry<ApiDecodeFn>(SLOT_DECODE)(env, &pdu, &in, value);
}

void showTrace() {
  auto compiled = personnelModule();
  if (!compiled) return;
  Env *env = zurcoreCreateEnv(apiTbl);
  const int32_t pdu = compiled->pduNumber("PersonnelRecord");

  heading("a BER message decoded through a compiled module, with the trace");
  void *value = nullptr;
  std::fflush(stdout);
  int rc = decodePersonnelRecord(env, *compiled, &value);
  std::printf("apiDecode returned %d%s", rc, rc == 0 ? "\n" : ": ");
  if (rc != 0) std::printf("%s", entry<ApiGetErrorMsgFn>(SLOT_GET_ERROR_MSG)(env));
  if (rc == 0) {
    std::fflush(stdout);
    entry<ApiPrintPduFn>(SLOT_PRINT_PDU)(env, pdu, value);
    entry<ApiSetEncodingRulesFn>(SLOT_SET_ENCODING_RULES)(env, RULES_DER);
    EncBuf out{0, nullptr};
    rc = entry<ApiEncodeFn>(SLOT_ENCODE)(env, pdu, value, &out);
    std::printf("apiEncode under DER returned %d, %d octets (components in tag order):\n", rc,
                static_cast<int>(out.length));
    std::fflush(stdout);
    if (rc == 0) entry<ApiPrintHexFn>(SLOT_PRINT_HEX)(env, out.value, out.length);
    env->memFree(out.value);
    zurcoreFreeValue(env, value);
  }
  zurcoreDestroyEnv(env);
}

}  // namespace demo
