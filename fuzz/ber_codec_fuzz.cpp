// libFuzzer target: zurcore's BER/DER codec on the compiled PKIX modules,
// the CodecKinds module, Megaco's H.248 module and LDAP's. The first two input
// octets pick the rules (bit 0 of the first: DER) and the PDU (the other
// bits, see pickPdu: 0 Certificate, 1 CertificateList, 2 Everything, 3
// MegacoMessage, then every other PDU in order); the rest is decoded. A
// failure must leave its row in the message buffer and nothing allocated; a
// value that decodes must print and encode under DER (unless it holds an
// unknown CHOICE alternative, which cannot be encoded, kept open-type octets
// or a time not in UTC, which DER cannot write), and that encoding must
// decode again under DER (but for the depth limit inside kept octets) and
// encode to the same octets. Each input is decoded a second time the general way (traced, on
// tables without identifier octets, so that no shortcut is taken), which must
// tell the same: the same report, or a value taking the same octets that DER
// writes alike.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "fuzz_env.h"
#include "fuzz_modules.h"
#include "tests/support/general_tables.h"

namespace {

using zurfuzz::entry;

int decode(Env *env, int32_t pdu, const unsigned char *data, std::size_t size, void **value,
           const CtlTbl *ctl = nullptr, uint32_t flags = 0, int32_t *left = nullptr) {
  int32_t pduArg = pdu;
  void *in = const_cast<unsigned char *>(data);
  int32_t length = static_cast<int32_t>(size);
  *value = nullptr;
  const int status = env->codecA->decode(env, &pduArg, &in, &length, value, nullptr,
                                         ctl != nullptr ? ctl : env->ctlTbl, flags, env->msgBuf);
  if (left != nullptr) *left = length;
  return status;
}

// The value's DER encoding, or the report of the encoder that refused it.
std::string derOf(Env *env, int32_t pdu, void *value) {
  entry<ApiSetEncodingRulesFn>(SLOT_SET_ENCODING_RULES)(env, RULES_DER);
  void *octets = nullptr;
  int32_t length = 0;
  if (env->codecA->encode(env, pdu, value, &octets, &length, env->ctlTbl, 0, env->msgBuf) != 0)
    return env->msgBuf;
  std::string der(static_cast<const char *>(octets), static_cast<std::size_t>(length));
  env->memFree(octets);
  return der;
}

// The general way's decode of the input tells what the first decode told.
void decodeTheGeneralWay(Env *env, int32_t pdu, int32_t rules, const std::vector<unsigned char> &octets,
                         int status, const std::string &report, int32_t left, void *value) {
  static const zurtest::GeneralTables general(*reinterpret_cast<const ZurTables *>(env->ctlTbl));
  entry<ApiSetEncodingRulesFn>(SLOT_SET_ENCODING_RULES)(env, rules);
  void *again = nullptr;
  int32_t againLeft = 0;
  env->msgBuf[0] = '\0';
  if (decode(env, pdu, octets.data(), octets.size(), &again, general.ctlTbl(), ZURCORE_FLAG_TRACE, &againLeft) !=
          status ||
      (status != 0 && report != env->msgBuf))
    __builtin_trap();
  if (status != 0) return;
  if (againLeft != left || derOf(env, pdu, value) != derOf(env, pdu, again)) __builtin_trap();
  zurcoreFreeValue(env, again);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  static zurfuzz::CodecFixture fixture(ZUR_FUZZ_MODULES,
                                       {"Certificate", "CertificateList", "Everything", "MegacoMessage"});
  Env *env = fixture.env;
  if (size < 2) return 0;
  const int32_t pdu = zurfuzz::pickPdu(fixture.pdus, data);
  const int32_t rules = (data[0] & 1) != 0 ? RULES_DER : RULES_BER;
  entry<ApiSetEncodingRulesFn>(SLOT_SET_ENCODING_RULES)(env, rules);
  // A copy of exactly the input's size, so reading past it is caught.
  std::vector<unsigned char> octets(data + 2, data + size);
  void *value = nullptr;
  env->msgBuf[0] = '\0';
  int32_t left = 0;
  const int status = decode(env, pdu, octets.data(), octets.size(), &value, nullptr, 0, &left);
  decodeTheGeneralWay(env, pdu, rules, octets, status, env->msgBuf, left, value);
  if (status != 0) {
    if (std::strncmp(env->msgBuf, "D00", 3) != 0) __builtin_trap();
    return 0;
  }
  entry<ApiPrintPduFn>(SLOT_PRINT_PDU)(env, pdu, value);
  entry<ApiSetEncodingRulesFn>(SLOT_SET_ENCODING_RULES)(env, RULES_DER);
  void *first = nullptr;
  int32_t firstLength = 0;
  if (env->codecA->encode(env, pdu, value, &first, &firstLength, env->ctlTbl, 0, env->msgBuf) != 0) {
    if (std::strncmp(env->msgBuf, "E0009S", 6) != 0 && std::strncmp(env->msgBuf, "E0037E", 6) != 0 &&
        std::strncmp(env->msgBuf, "E0013S", 6) != 0)
      __builtin_trap();
    zurcoreFreeValue(env, value);
    return 0;
  }
  void *again = nullptr;
  if (decode(env, pdu, static_cast<unsigned char *>(first), static_cast<std::size_t>(firstLength), &again) != 0) {
    // DER walks the elements inside kept open types, which BER steps over
    // whole: only there may they meet the depth limit.
    if (std::strstr(env->msgBuf, "(nesting deeper than the limit)") == nullptr) __builtin_trap();
    env->memFree(first);
    zurcoreFreeValue(env, value);
    return 0;
  }
  void *second = nullptr;
  int32_t secondLength = 0;
  if (env->codecA->encode(env, pdu, again, &second, &secondLength, env->ctlTbl, 0, env->msgBuf) != 0 ||
      secondLength != firstLength || std::memcmp(first, second, static_cast<std::size_t>(firstLength)) != 0)
    __builtin_trap();
  env->memFree(first);
  env->memFree(second);
  zurcoreFreeValue(env, again);
  zurcoreFreeValue(env, value);
  return 0;
}
