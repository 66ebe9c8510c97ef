// libFuzzer target: what zurasn1 encode runs. CodecKinds and
// value_kinds.asn1, the kinds it leaves out, compile once; bits 1 to 7 of
// the first input octet pick the PDU (0 Everything, 1 Wide, then every
// other in order) and the rest is value notation read by
// Compilation::readValues. Every value read encodes under
// BER, DER, ALIGNED and UNALIGNED PER, or fails with its row in the message
// buffer; what encodes is decoded again under the same rules, as zurasn1
// decode would read it back, and a failure there too leaves its row (an
// open type given as its encoding is put in as written, so its value need
// not decode).
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <sstream>
#include <string>
#include <vector>

#include "fuzz_env.h"
#include "fuzz_modules.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  static zurfuzz::CodecFixture fixture(ZUR_FUZZ_VALUE_MODULES, {"Everything", "FuzzKinds.Wide"});
  Env *env = fixture.env;
  if (size < 1) return 0;
  const uint8_t pick[2] = {data[0], 0};
  const int32_t pdu = zurfuzz::pickPdu(fixture.pdus, pick);
  const zurasn1::ModuleText input{"in.txt", std::string(reinterpret_cast<const char *>(data + 1), size - 1)};
  std::ostringstream diagnostics;
  const std::unique_ptr<zurasn1::Compilation> read = fixture.compiled->readValues(input, pdu, diagnostics);
  if (!read) {
    if (diagnostics.str().find("in.txt:") == std::string::npos) __builtin_trap();
    return 0;
  }
  if (read->values().empty()) __builtin_trap();
  env->ctlTbl = read->ctlTbl();
  for (const void *value : read->values())
    for (int32_t rules : {RULES_BER, RULES_DER, RULES_PER_ALIGNED, RULES_PER}) {
      zurfuzz::entry<ApiSetEncodingRulesFn>(SLOT_SET_ENCODING_RULES)(env, rules);
      EncBuf out{0, nullptr};
      env->msgBuf[0] = '\0';
      if (zurfuzz::entry<ApiEncodeFn>(SLOT_ENCODE)(env, pdu, const_cast<void *>(value), &out) != 0) {
        if (std::strncmp(env->msgBuf, "E0", 2) != 0) __builtin_trap();
        continue;
      }
      // An exact copy, so that reading past the encoding is caught.
      std::vector<unsigned char> octets(static_cast<unsigned char *>(out.value),
                                        static_cast<unsigned char *>(out.value) + out.length);
      env->memFree(out.value);
      EncBuf in{static_cast<int32_t>(octets.size()), octets.data()};
      int32_t pduArg = pdu;
      void *decoded = nullptr;
      if (zurfuzz::entry<ApiDecodeFn>(SLOT_DECODE)(env, &pduArg, &in, &decoded) != 0) {
        if (std::strncmp(env->msgBuf, "D0", 2) != 0) __builtin_trap();
        continue;
      }
      zurcoreFreeValue(env, decoded);
    }
  env->ctlTbl = fixture.compiled->ctlTbl();
  return 0;
}
