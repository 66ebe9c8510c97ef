// libFuzzer target: zurcore's BER/DER codec on the compiled PKIX modules,
// the CodecKinds module, Megaco's H.248 module and LDAP's. The first two input
// octets pick the rules (bit 0 of the first: DER) and the PDU (the other
// bits, see pickPdu: 0 Certificate, 1 CertificateList, 2 Everything, 3
// MegacoMessage, then every other PDU in order); the rest is decoded. A
// failure must leave its row in the message buffer and nothing allocated; a
// value that decodes must print and encode under DER (unless it holds an
// unknown CHOICE alternative, which cannot be encoded, or kept open-type
// octets that DER cannot write), and that encoding must decode again under
// DER (but for the depth limit inside kept octets) and encode to the same
// octets.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "fuzz_env.h"
#include "fuzz_modules.h"

namespace {

using zurfuzz::entry;

int decode(Env *env, int32_t pdu, const unsigned char *data, std::size_t size, void **value) {
  int32_t pduArg = pdu;
  void *in = const_cast<unsigned char *>(data);
  int32_t length = static_cast<int32_t>(size);
  *value = nullptr;
  return env->codecA->decode(env, &pduArg, &in, &length, value, nullptr, env->ctlTbl, 0, env->msgBuf);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  static zurfuzz::CodecFixture fixture(ZUR_FUZZ_MODULES,
                                       {"Certificate", "CertificateList", "Everything", "MegacoMessage"});
  Env *env = fixture.env;
  if (size < 2) return 0;
  const int32_t pdu = zurfuzz::pickPdu(fixture.pdus, data);
  entry<ApiSetEncodingRulesFn>(SLOT_SET_ENCODING_RULES)(env, (data[0] & 1) != 0 ? RULES_DER : RULES_BER);
  // A copy of exactly the input's size, so reading past it is caught.
  std::vector<unsigned char> octets(data + 2, data + size);
  void *value = nullptr;
  env->msgBuf[0] = '\0';
  if (decode(env, pdu, octets.data(), octets.size(), &value) != 0) {
    if (std::strncmp(env->msgBuf, "D00", 3) != 0) __builtin_trap();
    return 0;
  }
  entry<ApiPrintPduFn>(SLOT_PRINT_PDU)(env, pdu, value);
  entry<ApiSetEncodingRulesFn>(SLOT_SET_ENCODING_RULES)(env, RULES_DER);
  void *first = nullptr;
  int32_t firstLength = 0;
  if (env->codecA->encode(env, pdu, value, &first, &firstLength, env->ctlTbl, 0, env->msgBuf) != 0) {
    if (std::strncmp(env->msgBuf, "E0009S", 6) != 0 && std::strncmp(env->msgBuf, "E0037E", 6) != 0)
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
