#include <gtest/gtest.h>

#include "frame/print.h"
#include "tests/support/captured_output.h"
#include "tests/support/test_env.h"

namespace {

ApiWord seenWords[10];
int recordingHook(Env *, const char *, ApiWord w0, ApiWord w1, ApiWord w2, ApiWord w3, ApiWord w4,
                  ApiWord w5, ApiWord w6, ApiWord w7, ApiWord w8, ApiWord w9) {
  const ApiWord w[10] = {w0, w1, w2, w3, w4, w5, w6, w7, w8, w9};
  for (int i = 0; i < 10; ++i) seenWords[i] = w[i];
  return 77;
}

TEST(PrintRouting, HookGetsEverythingAndStandardOutputNothing) {
  for (int hookOnly : {0, 1}) {
    zurtest::TestEnv env;
    env.captureWithHook();
    env->hookOnly = hookOnly;
    zurtest::StdoutCapture out;
    int r = zur::apiPrint(env.get(), "%s=%d %I64u\n", "n", -4, 5000000000ULL);
    EXPECT_EQ(out.text(), "");
    EXPECT_EQ(zurtest::hookText(), "n=-4 5000000000\n");
    EXPECT_EQ(r, 16);
  }
}

TEST(PrintRouting, WithoutHookTextGoesToStandardOutput) {
  zurtest::TestEnv env;
  zurtest::StdoutCapture out;
  int r = zur::apiPrint(env.get(), "%c%s %.2f\n", 'x', "yz", 0.125);
  EXPECT_EQ(out.text(), "xyz 0.12\n");
  EXPECT_EQ(r, 9);
}

TEST(PrintRouting, HookTableWithoutPrintFallsBackToStandardOutput) {
  zurtest::TestEnv env;
  HookTbl hooks{};
  env->hooks = &hooks;
  zurtest::StdoutCapture out;
  zur::apiPrint(env.get(), "plain");
  EXPECT_EQ(out.text(), "plain");
}

TEST(PrintRouting, HookOnlyWithoutHookPrintsNothingAndAnswersZero) {
  zurtest::TestEnv env;
  env->hookOnly = 1;
  zurtest::StdoutCapture out;
  EXPECT_EQ(zur::apiPrint(env.get(), "lost %d", 1), 0);
  EXPECT_EQ(out.text(), "");
}

TEST(PrintRouting, HookAlwaysReceivesTenWordsAndItsResultComesBack) {
  zurtest::TestEnv env;
  zurcoreSetPrintHook(env.get(), recordingHook);
  for (ApiWord &w : seenWords) w = 0xAA;
  EXPECT_EQ(zur::apiPrint(env.get(), "%d %f", 7, 2.0), 77);
  EXPECT_EQ(seenWords[0], 7u);
  const int used = sizeof(ApiWord) == 4 ? 3 : 2;
  for (int i = used; i < 10; ++i) EXPECT_EQ(seenWords[i], 0u) << i;
}

}  // namespace
