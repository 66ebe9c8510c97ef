// libFuzzer target: zurcore's PER codec, ALIGNED and UNALIGNED, on the
// personnel records of X.691 Annex A, the PerKinds module, Megaco's H.248 module,
// LDAP's and LinkAP (open types that table constraints select). The first two
// input octets pick the variant (bit 0 of the first: ALIGNED) and the PDU (the
// other bits, see pickPdu: 0 to 2 the personnel records, unconstrained,
// constrained and extensible, 3 MegacoMessage, 4 LinkPDU, then every other PDU
// in order); the rest is decoded. A failure must leave its
// row in the message buffer; a value that decodes must print and encode
// (unless it holds an unknown CHOICE alternative, which cannot be encoded),
// and that encoding must decode again and encode to the same octets.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "fuzz_env.h"
#include "fuzz_modules.h"

namespace {

using zurfuzz::entry;

int decode(Env *env, int32_t pdu, const std::vector<unsigned char> &octets, void **value) {
  int32_t pduArg = pdu;
  void *in = const_cast<unsigned char *>(octets.data());
  int32_t length = static_cast<int32_t>(octets.size());
  *value = nullptr;
  return env->codecB->decode(env, &pduArg, &in, &length, value, nullptr, env->ctlTbl, 0,
                             env->msgBuf);
}

std::vector<unsigned char> encode(Env *env, int32_t pdu, void *value) {
  void *out = nullptr;
  int32_t length = 0;
  if (env->codecB->encode(env, pdu, value, &out, &length, env->ctlTbl, 0, env->msgBuf) != 0) {
    // Only an unknown extension alternative cannot be encoded again.
    if (std::strncmp(env->msgBuf, "E0009S", 6) != 0) __builtin_trap();
    return {};
  }
  std::vector<unsigned char> octets(static_cast<unsigned char *>(out),
                                    static_cast<unsigned char *>(out) + length);
  env->memFree(out);
  return octets;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  static zurfuzz::CodecFixture fixture(ZUR_FUZZ_PER_MODULES, {"PersonnelUnconstrained.PersonnelRecord",
                                                              "PersonnelConstrained.PersonnelRecord",
                                                              "PersonnelExtensible.PersonnelRecord",
                                                              "MegacoMessage", "LinkPDU"});
  Env *env = fixture.env;
  if (size < 2) return 0;
  const int32_t pdu = zurfuzz::pickPdu(fixture.pdus, data);
  entry<ApiSetEncodingRulesFn>(SLOT_SET_ENCODING_RULES)(
      env, (data[0] & 1) != 0 ? RULES_PER_ALIGNED : RULES_PER);
  // A copy of exactly the input's size, so reading past it is caught (the
  // room for one octet keeps an empty input's address valid).
  std::vector<unsigned char> octets;
  octets.reserve(size);
  octets.assign(data + 2, data + size);
  void *value = nullptr;
  env->msgBuf[0] = '\0';
  if (decode(env, pdu, octets, &value) != 0) {
    if (std::strncmp(env->msgBuf, "D00", 3) != 0 || std::strstr(env->msgBuf, " at bit ") == nullptr)
      __builtin_trap();
    return 0;
  }
  entry<ApiPrintPduFn>(SLOT_PRINT_PDU)(env, pdu, value);
  std::vector<unsigned char> first = encode(env, pdu, value);
  zurcoreFreeValue(env, value);
  if (first.empty()) return 0;
  if (decode(env, pdu, first, &value) != 0) __builtin_trap();
  std::vector<unsigned char> second = encode(env, pdu, value);
  zurcoreFreeValue(env, value);
  if (second != first) __builtin_trap();
  return 0;
}
