// The modules a codec fuzz target compiles when it starts, and the PDU each
// input picks.
#ifndef ZURBASE_FUZZ_FUZZ_MODULES_H
#define ZURBASE_FUZZ_FUZZ_MODULES_H

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <initializer_list>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "fuzz_env.h"
#include "zurasn1/zurasn1.h"

namespace zurfuzz {

// The module files of `list` ('|' between paths: CMake would split a
// definition at ';') compiled; a target that cannot compile its modules
// stops with the compiler's diagnostics.
inline std::unique_ptr<zurasn1::Compilation> compileModules(const char *list) {
  std::vector<std::string> paths;
  std::stringstream in(list);
  for (std::string path; std::getline(in, path, '|');) paths.push_back(path);
  std::ostringstream diagnostics;
  auto compiled = zurasn1::Compilation::compileFiles(paths, diagnostics);
  if (!compiled) {
    std::fputs(diagnostics.str().c_str(), stderr);
    std::abort();
  }
  return compiled;
}

// The PDUs a codec fuzz target picks from: those named in `first` (as
// pduNumber takes them), then every other PDU in number order.
inline std::vector<int32_t> pduOrder(const zurasn1::Compilation &compiled,
                                     std::initializer_list<const char *> first) {
  std::vector<int32_t> pdus;
  for (const char *name : first) {
    const int32_t pdu = compiled.pduNumber(name);
    if (pdu == 0) {
      std::fputs(compiled.pduProblem(name).c_str(), stderr);
      std::abort();
    }
    pdus.push_back(pdu);
  }
  for (int32_t pdu = 1; pdu <= static_cast<int32_t>(compiled.pduCount()); ++pdu)
    if (std::find(pdus.begin(), pdus.end(), pdu) == pdus.end()) pdus.push_back(pdu);
  return pdus;
}

// The PDU an input's two leading octets pick from `pdus`: the first octet's
// bits 1 to 7 are the low bits of the index, the second octet the high ones
// (bit 0 of the first octet is left to the rules). The modules have more
// PDUs than one octet could reach.
inline int32_t pickPdu(const std::vector<int32_t> &pdus, const uint8_t *data) {
  const std::size_t index = static_cast<std::size_t>(data[0] >> 1) | static_cast<std::size_t>(data[1]) << 7;
  return pdus[index % pdus.size()];
}

// What a codec fuzz target sets up once: its modules compiled, an Env on
// their tables, and the PDUs its inputs pick from.
struct CodecFixture {
  CodecFixture(const char *modules, std::initializer_list<const char *> first)
      : compiled(compileModules(modules)), env(hookedEnv()), pdus(pduOrder(*compiled, first)) {
    env->ctlTbl = compiled->ctlTbl();
  }
  std::unique_ptr<zurasn1::Compilation> compiled;
  Env *env;
  std::vector<int32_t> pdus;
};

}  // namespace zurfuzz

#endif
