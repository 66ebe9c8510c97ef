// The encoding trace of a real encoding: zurcore's BER decoder walks it and
// reports each element to the library, which prints the tag/length tree.
// Files are zurtrace's job (scripts/demo FILE runs it after the tour).
#include "demo.h"
#include "personnel_encoding.h"

namespace demo {
namespace {

void traceEncoding(const char *title, std::vector<unsigned char> octets) {
  Env *env = zurcoreCreateEnv(apiTbl);
  heading(title);
  std::printf("%ld octets:\n", static_cast<long>(octets.size()));
  std::fflush(stdout);
  entry<ApiPrintHexFn>(SLOT_PRINT_HEX)(env, octets.data(), static_cast<int32_t>(octets.size()));
  std::printf("\ntrace:\n");
  std::fflush(stdout);
  // Without a compiled module: zurcore's trace codec reads any BER.
  zurcoreSetCodecs(env, zurcoreTraceCodec(), nullptr);
  entry<ApiSetEncodingRulesFn>(SLOT_SET_ENCODING_RULES)(env, RULES_BER);
  EncBuf in{static_cast<int32_t>(octets.size()), octets.data()};
  void *decoded = nullptr;
  int rc = entry<ApiDecodeFn>(SLOT_DECODE)(env, nullptr, &in, &decoded);
  std::fflush(stdout);
  if (rc == 0)
    std::printf("apiDecode returned 0\n");
  else
    std::printf("apiDecode returned %d: %s", rc, entry<ApiGetErrorMsgFn>(SLOT_GET_ERROR_MSG)(env));
  zurcoreDestroyEnv(env);
}

}  // namespace

void showTrace() {
  // The decoder moves the buffer's words as it reads, so it gets a copy.
  std::span<const unsigned char> record = personnelEncoding();
  traceEncoding("BER trace of the X.690 personnel record",
                std::vector<unsigned char>(record.begin(), record.end()));
}

}  // namespace demo
