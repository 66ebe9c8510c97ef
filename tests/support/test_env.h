// Test support: an Env made by the sibling stand-in, freed at scope end.
#ifndef ZURBASE_TESTS_TEST_ENV_H
#define ZURBASE_TESTS_TEST_ENV_H

#include "zurbase/zurcore.h"

namespace zurtest {

class TestEnv {
 public:
  TestEnv();
  ~TestEnv();
  TestEnv(const TestEnv &) = delete;
  TestEnv &operator=(const TestEnv &) = delete;
  Env *get() const { return env_; }
  Env *operator->() const { return env_; }
  // Sends all output to appendingHook, after clearing what it holds.
  void captureWithHook();

 private:
  Env *env_;
};

}  // namespace zurtest

#endif
