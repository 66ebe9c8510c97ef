// Traces a BER/DER file to standard output through the shipped libraries:
// zurcore's BER decoder reports every element, zurbase prints the lines.
// Reports the decode time and throughput on standard error.
#include <chrono>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <vector>

#include "zurbase/zurcore.h"

namespace {

template <class Fn>
Fn entry(int slot) {
  return reinterpret_cast<Fn>(apiTbl[slot]);
}

}  // namespace

int main(int argc, char **argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: trace_file <file.der>\n");
    return 2;
  }
  std::ifstream in(argv[1], std::ios::binary);
  if (!in) {
    std::fprintf(stderr, "trace_file: cannot read %s\n", argv[1]);
    return 2;
  }
  std::vector<unsigned char> octets((std::istreambuf_iterator<char>(in)),
                                    std::istreambuf_iterator<char>());
  static char outBuffer[1 << 16];
  std::setvbuf(stdout, outBuffer, _IOFBF, sizeof outBuffer);

  Env *env = zurcoreCreateEnv(apiTbl);
  entry<ApiSetEncodingRulesFn>(SLOT_SET_ENCODING_RULES)(env, RULES_BER);
  EncBuf buf{static_cast<int32_t>(octets.size()), octets.data()};
  void *decoded = nullptr;
  const auto start = std::chrono::steady_clock::now();
  int rc = entry<ApiDecodeFn>(SLOT_DECODE)(env, nullptr, &buf, &decoded);
  std::fflush(stdout);
  const std::chrono::duration<double> seconds = std::chrono::steady_clock::now() - start;
  if (rc != 0) std::fprintf(stderr, "trace_file: %s", entry<ApiGetErrorMsgFn>(SLOT_GET_ERROR_MSG)(env));
  std::fprintf(stderr, "trace_file: %zu octets in %.3f s, %.1f MB/s\n", octets.size(),
               seconds.count(), octets.size() / 1e6 / seconds.count());
  zurcoreDestroyEnv(env);
  return rc == 0 ? 0 : 1;
}
