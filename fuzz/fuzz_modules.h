// The modules a codec fuzz target compiles when it starts.
#ifndef ZURBASE_FUZZ_FUZZ_MODULES_H
#define ZURBASE_FUZZ_FUZZ_MODULES_H

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

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

}  // namespace zurfuzz

#endif
