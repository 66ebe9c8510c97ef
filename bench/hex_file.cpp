// Dumps a file in hexadecimal to standard output through the shipped library's
// apiPrintHex, for scripts/bench-hex.
#include <cstdio>
#include <fstream>
#include <vector>

#include "zurbase/zurcore.h"

int main(int argc, char **argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: hex_file <file>\n");
    return 2;
  }
  std::ifstream in(argv[1], std::ios::binary | std::ios::ate);
  std::vector<unsigned char> octets(in ? static_cast<std::size_t>(in.tellg()) : 0);
  if (!in || !in.seekg(0) ||
      !in.read(reinterpret_cast<char *>(octets.data()), static_cast<std::streamsize>(octets.size()))) {
    std::fprintf(stderr, "hex_file: cannot read %s\n", argv[1]);
    return 2;
  }
  Env *env = zurcoreCreateEnv(apiTbl);
  if (env == nullptr) {
    std::fprintf(stderr, "hex_file: no memory for the environment\n");
    return 1;
  }
  auto printHex = reinterpret_cast<ApiPrintHexFn>(apiTbl[SLOT_PRINT_HEX]);
  printHex(env, octets.data(), static_cast<int32_t>(octets.size()));
  zurcoreDestroyEnv(env);
  return std::fflush(stdout) == 0 ? 0 : 1;
}
