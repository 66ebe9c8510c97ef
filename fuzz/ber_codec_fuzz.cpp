// libFuzzer target: zurcore's BER/DER codec on the compiled PKIX modules,
// the CodecKinds module, Megaco's H.248 module, LDAP's and LinkAP (open types
// that table constraints select). The first two input octets pick the rules
// (bit 0 of the first: DER) and the PDU (the other bits, see pickPdu: 0
// Certificate, 1 CertificateList, 2 Everything, 3 MegacoMessage, 4 LinkPDU,
// then every other PDU in order); the rest is decoded. A
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

// The value's DER encoding, or the report of the encoder that refused it
// (encoded false).
std::string derOf(Env *env, int32_t pdu, void *value, bool *encoded = nullptr) {
  entry<ApiSetEncodingRulesFn>(SLOT_SET_ENCODING_RULES)(env, RULES_DER);
  void *octets = nullptr;
  int32_t length = 0;
  const bool ok = env->codecA->encode(env, pdu, value, &octets, &length, env->ctlTbl, 0, env->msgBuf) == 0;
  if (encoded != nullptr) *encoded = ok;
  if (!ok) return env->msgBuf;
  std::string der(static_cast<const char *>(octets), static_cast<std::size_t>(length));
  env->memFree(octets);
  return der;
}

// The general way's decode of the input tells what the first decode told:
// its status, report, and octets left, and `der` (derOf the first value).
void decodeTheGeneralWay(Env *env, int32_t pdu, int32_t rules, const std::vector<unsigned char> &octets,
                         int status, const std::string &report, int32_t left, const std::string &der) {
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
  if (againLeft != left || der != derOf(env, pdu, again)) __builtin_trap();
  zurcoreFreeValue(env, again);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  static zurfuzz::CodecFixture fixture(ZUR_FUZZ_MODULES,
                                       {"Certificate", "CertificateList", "Everything", "MegacoMessage", "LinkPDU"});
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
  const std::string report = env->msgBuf;
  bool encoded = false;
  std::string first;
  if (status == 0) {
    entry<ApiPrintPduFn>(SLOT_PRINT_PDU)(env, pdu, value);
    first = derOf(env, pdu, value, &encoded);
  }
  decodeTheGeneralWay(env, pdu, rules, octets, status, report, left, first);
  if (status != 0) {
    if (std::strncmp(report.c_str(), "D00", 3) != 0) __builtin_trap();
    return 0;
  }
  if (!encoded) {
    if (first.compare(0, 6, "E0009S") != 0 && first.compare(0, 6, "E0037E") != 0 &&
        first.compare(0, 6, "E0013S") != 0)
      __builtin_trap();
    zurcoreFreeValue(env, value);
    return 0;
  }
  // Exactly the encoding's size again, so reading past it is caught.
  const std::vector<unsigned char> firstOctets(first.begin(), first.end());
  entry<ApiSetEncodingRulesFn>(SLOT_SET_ENCODING_RULES)(env, RULES_DER);
  void *again = nullptr;
  if (decode(env, pdu, firstOctets.data(), firstOctets.size(), &again) != 0) {
    // DER walks the elements inside kept open types, which BER steps over
    // whole: only there may they meet the depth limit.
    if (std::strstr(env->msgBuf, "(nesting deeper than the limit)") == nullptr) __builtin_trap();
    zurcoreFreeValue(env, value);
    return 0;
  }
  bool encodedAgain = false;
  if (derOf(env, pdu, again, &encodedAgain) != first || !encodedAgain) __builtin_trap();
  zurcoreFreeValue(env, again);
  zurcoreFreeValue(env, value);
  return 0;
}
