#include <gtest/gtest.h>

#include "frame/print.h"
#include "tests/support/test_env.h"

namespace {

ApiWord seenWords[10];
int recordingHook(Env *, const char *, ApiWord w0, ApiWord w1, ApiWord w2, ApiWord w3, ApiWord w4,
                  ApiWord w5, ApiWord w6, ApiWord w7, ApiWord w8, ApiWord w9) {
  const ApiWord w[10] = {w0, w1, w2, w3, w4, w5, w6, w7, w8, w9};
  for (int i = 0; i < 10; ++i) seenWords[i] = w[i];
  return 77;
}

// A hook takes everything; without one, text goes to standard output unless
// only the hook may print.
TEST(PrintRouting, HookOrStandardOutput) {
  HookTbl noPrint{};
  const struct {
    bool hook;
    int32_t hookOnly;
    HookTbl *hooks;
    const char *out, *hooked;
    int result;
  } cases[] = {{true, 0, nullptr, "", "n=-4 5000000000 yz 0.12\n", 24},
               {true, 1, nullptr, "", "n=-4 5000000000 yz 0.12\n", 24},
               {false, 0, nullptr, "n=-4 5000000000 yz 0.12\n", "", 24},
               {false, 0, &noPrint, "n=-4 5000000000 yz 0.12\n", "", 24},
               {false, 1, nullptr, "", "", 0}};
  for (const auto &c : cases) {
    zurtest::TestEnv env;
    if (c.hook) env.captureWithHook();
    if (c.hooks != nullptr) env->hooks = c.hooks;
    env->hookOnly = c.hookOnly;
    zurtest::hookText().clear();
    zurtest::StdoutCapture out;
    const int r = zur::apiPrint(env.get(), "%s=%d %I64u %c%s %.2f\n", "n", -4, 5000000000ULL,
                                'y', "z", 0.125);
    EXPECT_EQ(out.text(), c.out) << c.hook << c.hookOnly;
    EXPECT_EQ(zurtest::hookText(), c.hooked) << c.hook << c.hookOnly;
    EXPECT_EQ(r, c.result) << c.hook << c.hookOnly;
  }
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
