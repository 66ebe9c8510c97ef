// Text of the leaf formatters.
#include "printer/leaf_format.h"

#include <gtest/gtest.h>

#include <limits>
#include <string>

#include "tests/support/test_env.h"

namespace zur {
namespace {

class LeafFormat : public ::testing::Test {
 protected:
  void SetUp() override { env.captureWithHook(); }
  // The text of one call of the formatter f.
  template <class F, class... A>
  std::string text(F f, A... args) {
    zurtest::hookText().clear();
    f(env.get(), args...);
    return zurtest::hookText();
  }
  zurtest::TestEnv env;
};

TEST_F(LeafFormat, NewlineIndentsToTheDepth) {
  env->workArea.printDepth = 3;
  EXPECT_EQ(text(printNewline, 1), "\n    ");
  EXPECT_EQ(env->workArea.printIndent, 2);
  EXPECT_EQ(text(printNewline, 5), "\n    ");  // deeper than the depth: indentation kept
  EXPECT_EQ(env->workArea.printIndent, 2);
  env->workArea.printDepth = 0;
  EXPECT_EQ(text(printNewline, 0), "\n");
}

TEST_F(LeafFormat, HexOctetsAreCutAtThePrintLimit) {
  const unsigned char o[] = {0x01, 0xAB, 0xFF};
  EXPECT_EQ(text(printHexOctets, "'", o, 2, "'H"), "'01AB'H");
  env->printLimit = 1;
  EXPECT_EQ(text(printHexOctets, "'", o, 2, "'H"), "'01 ...'H");
  EXPECT_EQ(text(printHexOctets, nullptr, o, 3, nullptr), "01");
  env->printLimit = 3;
  EXPECT_EQ(text(printHexOctets, "'", o, 3, "'H"), "'01ABFF'H");
  EXPECT_EQ(text(printHexOctets, "'", o, 0, "'H"), "''H");
}

TEST_F(LeafFormat, NumberListsOfEveryWidth) {
  const uint8_t w1[] = {200, 3};
  const uint16_t w2[] = {1, 65535};
  const unsigned char w3[] = {1, 1, 0, 2, 0, 0};
  const uint32_t w4[] = {840, 4294967295u};
  const uint64_t w8[] = {0x100000007ull, 12};
  EXPECT_EQ(text(printNumberList, w1, 2, 1), " 200 3");
  EXPECT_EQ(text(printNumberList, w2, 2, 2), " 1 65535");
  EXPECT_EQ(text(printNumberList, w3, 2, 3), " 257 2");
  EXPECT_EQ(text(printNumberList, w4, 2, 4), " 840 4294967295");
  EXPECT_EQ(text(printNumberList, w8, 2, 8), " 7 12");
  EXPECT_EQ(text(printNumberList, w4, 0, 4), "");
  EXPECT_EQ(text(printNumberList, w4, 2, 9), "");
  EXPECT_EQ(text(printNumberList, w4, 2, 0), "");
}

TEST_F(LeafFormat, TimeZones) {
  const std::pair<TimeValue, const char *> generalized[] = {
      {{1996, 7, 31, 12, 5, 9, 250, 0, 1}, "\"19960731120509.250Z\""},
      {{1996, 7, 31, 12, 5, 9, 250, -90, 0}, "\"19960731120509.250-0130\""},
      {{1996, 7, 31, 12, 5, 9, 250, 0, 0}, "\"19960731120509.250\""},
      {{5, 1, 2, 3, 4, 5, 6, 60, 0}, "\"00050102030405.006+0100\""}};
  const std::pair<TimeValue, const char *> utc[] = {
      {{96, 7, 31, 12, 5, 9, 250, 0, 0}, "\"960731120509Z\""},
      {{96, 7, 31, 12, 5, 9, 250, 330, 1}, "\"960731120509+0530\""},
      {{96, 7, 31, 12, 5, 9, 250, -5, 1}, "\"960731120509-0005\""}};
  for (const auto &[t, s] : generalized) EXPECT_EQ(text(printGeneralizedTime, &t), s);
  for (const auto &[t, s] : utc) EXPECT_EQ(text(printUTCTime, &t), s);
}

// The x87 unit's precision control (bits 8-9 of its control word: 2 for a
// 53-bit, 3 for a 64-bit mantissa) is the caller's: mingw programs start at
// 64 bits, Microsoft's run-time at 53. REAL text must not depend on it.
class X87Precision {
 public:
  explicit X87Precision(unsigned pc) {
#if defined(__i386__)
    asm volatile("fnstcw %0" : "=m"(saved_));
    unsigned short cw = static_cast<unsigned short>((saved_ & ~0x300u) | (pc << 8));
    asm volatile("fldcw %0" : : "m"(cw));
#else
    (void)pc;
#endif
  }
  ~X87Precision() {
#if defined(__i386__)
    asm volatile("fldcw %0" : : "m"(saved_));
#endif
  }

 private:
  unsigned short saved_ = 0;
};

TEST_F(LeafFormat, BinaryRealsAsMantissaBaseExponent) {
  const std::pair<double, const char *> cases[] = {
      {12345.678, "{ 1.235, 10, 4 }"},
      {0.00123, "{ 1.230, 10, -3 }"},
      {-5, "{ -5.000, 10, 0 }"},
      {1.0, "{ 1.000, 10, 0 }"},
      {10.0, "{ 1.000, 10, 1 }"},
      {1000.0, "{ 1.000, 10, 3 }"},
      {1e-5, "{ 1.000, 10, -5 }"},
      {-0.5, "{ -5.000, 10, -1 }"},
      {999.9996, "{ 10.000, 10, 2 }"},  // the mantissa rounds up to 10
      {0.0, "0"},
      {-0.0, "0"},
      {std::numeric_limits<double>::quiet_NaN(), "0"},
      {std::numeric_limits<double>::infinity(), "PLUS-INFINITY"},
      {-std::numeric_limits<double>::infinity(), "MINUS-INFINITY"},
      {1e300, "{ 1.000, 10, 300 }"},
      {std::numeric_limits<double>::max(), "{ 1.798, 10, 308 }"},
      {std::numeric_limits<double>::min(), "{ 2.225, 10, -308 }"},
      // A subnormal: 10 to the 310th overflows, and the C library writes
      // the infinite mantissa; Microsoft's run-time spells it 1.#INF and
      // rounds that to three places too.
#ifdef _WIN32
      {1e-310, "{ 1.#IO, 10, -310 }"}};
#else
      {1e-310, "{ inf, 10, -310 }"}};
#endif
  for (unsigned pc : {2u, 3u}) {
    X87Precision precision(pc);
    for (const auto &[x, s] : cases) EXPECT_EQ(text(printBinaryReal, x), s) << x << " pc " << pc;
  }
}

TEST_F(LeafFormat, QuotedTextsAndMixedReals) {
  EXPECT_EQ(text(printQuotedString, "3.14"), "\"3.14\"");
  EXPECT_EQ(text(printQuotedString, nullptr), "\"NULL\"");
  MixedReal r{};
  r.value.binary = 0.00123;
  EXPECT_EQ(text(printMixedReal, &r), "{ 1.230, 10, -3 }");
  r.form = 1;
  r.value.text = "-2.5E-3";
  EXPECT_EQ(text(printMixedReal, &r), "\"-2.5E-3\"");
  r.form = 2;
  EXPECT_EQ(text(printMixedReal, &r), "");
}

}  // namespace
}  // namespace zur
