// Output routing: apiPrint's text to a print hook or standard output, and
// the hex dump.
#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "frame/print.h"
#include "library/entry_points.h"
#include "tests/support/test_env.h"

namespace {

std::array<ApiWord, 10> seenWords;
int recordingHook(Env *, const char *, ApiWord w0, ApiWord w1, ApiWord w2, ApiWord w3, ApiWord w4,
                  ApiWord w5, ApiWord w6, ApiWord w7, ApiWord w8, ApiWord w9) {
  seenWords = {w0, w1, w2, w3, w4, w5, w6, w7, w8, w9};
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
                                'y', "z", 0.12);
    EXPECT_EQ(out.text(), c.out) << c.hook << c.hookOnly;
    EXPECT_EQ(zurtest::hookText(), c.hooked) << c.hook << c.hookOnly;
    EXPECT_EQ(r, c.result) << c.hook << c.hookOnly;
  }
}

TEST(PrintRouting, HookAlwaysReceivesTenWordsAndItsResultComesBack) {
  zurtest::TestEnv env;
  zurcoreSetPrintHook(env.get(), recordingHook);
  seenWords.fill(0xAA);
  EXPECT_EQ(zur::apiPrint(env.get(), "%d %f", 7, 2.0), 77);
  EXPECT_EQ(seenWords[0], 7u);
  const int used = sizeof(ApiWord) == 4 ? 3 : 2;
  for (int i = used; i < 10; ++i) EXPECT_EQ(seenWords[i], 0u) << i;
}

// Longer dumps, their wrapping and the blank behind a group that ends no
// line are in the hook-call reference of the printer tests.
TEST(HexPrint, GroupsOfFourOctetsEightToALine) {
  std::vector<unsigned char> line(32);
  for (std::size_t i = 0; i < line.size(); ++i) line[i] = static_cast<unsigned char>(i);
  const struct {
    std::vector<unsigned char> data;
    int32_t length;  // 0: the data's size
    std::string text;
    long calls = -1;  // -1: not checked
  } cases[] = {
      {{0x01, 0xAB, 0xFF}, 0, "01ABFF\n", 7},  // one call per digit and one for the new line
      {line, 0, "00010203 04050607 08090A0B 0C0D0E0F 10111213 14151617 18191A1B 1C1D1E1F\n"},
      {{}, 0, "", 0},
      {{1}, -3, ""},
  };
  for (const auto &c : cases) {
    zurtest::TestEnv env;
    env.captureWithHook();
    const auto length = c.length == 0 ? static_cast<int32_t>(c.data.size()) : c.length;
    zur::apiPrintHex(env.get(), c.data.data(), length);
    EXPECT_EQ(zurtest::hookText(), c.text) << c.data.size() << " octets";
    if (c.calls >= 0) {
      EXPECT_EQ(zurtest::hookCalls(), c.calls);
    }
  }
}

// No Env, or no octets at the address, print nothing rather than fault.
TEST(HexPrint, NoEnvOrNoOctetsPrintNothing) {
  zurtest::TestEnv env;
  env.captureWithHook();
  const unsigned char octets[] = {1, 2};
  zur::apiPrintHex(nullptr, octets, 2);
  zur::apiPrintHex(env.get(), nullptr, 2);
  zur::apiPrintHex(env.get(), octets, 2);
  EXPECT_EQ(zurtest::hookText(), "0102\n");
}

TEST(HexPrint, TopBitAddressesAreOsakBufferLists) {
#if defined(__linux__) && ZURBASE_WORD32
  GTEST_SKIP() << "32-bit Linux keeps user memory in the upper half; no OSAK test there";
#else
  zurtest::TestEnv env;
  env.captureWithHook();
  const ApiWord top = ApiWord{1} << (sizeof(ApiWord) * 8 - 1);
  zur::apiPrintHex(env.get(), reinterpret_cast<const void *>(top | 0x10), 4);
  EXPECT_EQ(zurtest::hookText(), "Warning: Sorry, cannot print in hex from OSAK buffers\n");
#endif
}

}  // namespace
