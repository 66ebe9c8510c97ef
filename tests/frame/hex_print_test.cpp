#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "library/entry_points.h"
#include "tests/support/test_env.h"

namespace {

std::vector<unsigned char> counting(int n) {
  std::vector<unsigned char> v;
  for (int i = 0; i < n; ++i) v.push_back(static_cast<unsigned char>(i));
  return v;
}

TEST(HexPrint, GroupsOfFourOctetsEightToALine) {
  const std::string line =
      "00010203 04050607 08090A0B 0C0D0E0F 10111213 14151617 18191A1B 1C1D1E1F\n";
  const struct {
    std::vector<unsigned char> data;
    int32_t length;  // 0: the data's size
    std::string text;
    long calls = -1;  // -1: not checked
  } cases[] = {
      {{0x01, 0xAB, 0xFF}, 0, "01ABFF\n", 7},  // one call per digit and one for the new line
      {{0xDE, 0xAD, 0xBE, 0xEF}, 0, "DEADBEEF \n"},
      {counting(32), 0, line},
      {counting(65), 0,
       line + "20212223 24252627 28292A2B 2C2D2E2F 30313233 34353637 38393A3B 3C3D3E3F\n40\n"},
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
