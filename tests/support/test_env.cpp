#include "tests/support/test_env.h"

#include <stdexcept>

#include "tests/support/captured_output.h"

namespace zurtest {

TestEnv::TestEnv() : env_(zurcoreCreateEnv(apiTbl)) {
  if (env_ == nullptr) throw std::runtime_error("zurcoreCreateEnv failed");
}

TestEnv::~TestEnv() { zurcoreDestroyEnv(env_); }

void TestEnv::captureWithHook() {
  hookText().clear();
  hookCalls() = 0;
  zurcoreSetPrintHook(env_, appendingHook);
}

}  // namespace zurtest
