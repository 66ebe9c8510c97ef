// Test support: the modules the compiler tests use, compiled in memory.
#ifndef ZURBASE_TESTS_COMPILER_COMPILED_MODULES_H
#define ZURBASE_TESTS_COMPILER_COMPILED_MODULES_H

#include <gtest/gtest.h>

#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "zurasn1/zurasn1.h"

namespace zurtest {

// PKIX1Explicit88 and PKIX1Implicit88 of Debian's erlang-src.
inline std::vector<std::string> pkixModules() {
  return {ZURASN1_PKIX_DIR "/PKIX1Explicit88.asn1", ZURASN1_PKIX_DIR "/PKIX1Implicit88.asn1"};
}

// tests/compiler/data/ZurLayouts.asn1: every layout the compiler makes.
inline std::string ownModule() { return ZURASN1_OWN_MODULE; }

// The modules compiled together; a failure shows the diagnostics.
inline std::unique_ptr<zurasn1::Compilation> compileModules(const std::vector<std::string> &paths) {
  std::ostringstream diagnostics;
  auto compiled = zurasn1::Compilation::compileFiles(paths, diagnostics);
  EXPECT_NE(compiled, nullptr) << diagnostics.str();
  return compiled;
}

}  // namespace zurtest

#endif
