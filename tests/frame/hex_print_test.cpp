#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "library/entry_points.h"
#include "tests/support/captured_output.h"
#include "tests/support/test_env.h"

namespace {

std::string hexOf(const std::vector<unsigned char> &data, int *calls = nullptr) {
  zurtest::TestEnv env;
  env.captureWithHook();
  zur::apiPrintHex(env.get(), data.data(), static_cast<int32_t>(data.size()));
  if (calls != nullptr) *calls = static_cast<int>(zurtest::hookCalls());
  return zurtest::hookText();
}

std::vector<unsigned char> counting(int n) {
  std::vector<unsigned char> v;
  for (int i = 0; i < n; ++i) v.push_back(static_cast<unsigned char>(i));
  return v;
}

TEST(HexPrint, ShortDumpsEndWithOneNewLine) {
  int calls = 0;
  EXPECT_EQ(hexOf({0x01, 0xAB, 0xFF}, &calls), "01ABFF\n");
  EXPECT_EQ(calls, 7);  // one call per digit and one for the new line
  EXPECT_EQ(hexOf({0xDE, 0xAD, 0xBE, 0xEF}), "DEADBEEF \n");
}

TEST(HexPrint, FullLinesHoldEightGroupsOfFourOctets) {
  const std::string line =
      "00010203 04050607 08090A0B 0C0D0E0F 10111213 14151617 18191A1B 1C1D1E1F\n";
  EXPECT_EQ(hexOf(counting(32)), line);
  EXPECT_EQ(hexOf(counting(33)), line + "20\n");
  EXPECT_EQ(hexOf(counting(64)).size(), 2 * line.size());
}

TEST(HexPrint, NothingAtAllForZeroOrNegativeLength) {
  int calls = -1;
  EXPECT_EQ(hexOf({}, &calls), "");
  EXPECT_EQ(calls, 0);
  zurtest::TestEnv env;
  env.captureWithHook();
  unsigned char one = 1;
  zur::apiPrintHex(env.get(), &one, -3);
  EXPECT_EQ(zurtest::hookText(), "");
}

TEST(HexPrint, GoesToStandardOutputWithoutHook) {
  zurtest::TestEnv env;
  zurtest::StdoutCapture out;
  const unsigned char data[] = {0x30, 0x03, 0x02, 0x01, 0x05};
  zur::apiPrintHex(env.get(), data, 5);
  EXPECT_EQ(out.text(), "30030201 05\n");
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
