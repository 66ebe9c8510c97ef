#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "library/entry_points.h"
#include "tests/support/test_env.h"

namespace {

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
