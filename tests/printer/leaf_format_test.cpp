// Text of the leaf formatters.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "printer/leaf_format.h"
#include "tests/support/captured_output.h"
#include "tests/support/test_env.h"

namespace zur {
namespace {

class LeafFormat : public ::testing::Test {
 protected:
  void SetUp() override { env.captureWithHook(); }
  std::string take() {
    std::string t = zurtest::hookText();
    zurtest::hookText().clear();
    return t;
  }
  zurtest::TestEnv env;
};

TEST_F(LeafFormat, NewlineIndentsToTheDepth) {
  env->workArea.printDepth = 3;
  printNewline(env.get(), 1);
  EXPECT_EQ(env->workArea.printIndent, 2);
  EXPECT_EQ(take(), "\n    ");
  printNewline(env.get(), 5);  // deeper than the depth: indentation kept
  EXPECT_EQ(env->workArea.printIndent, 2);
  EXPECT_EQ(take(), "\n    ");
  env->workArea.printDepth = 0;
  printNewline(env.get(), 0);
  EXPECT_EQ(take(), "\n");
}

TEST_F(LeafFormat, HexOctetsAreCutAtThePrintLimit) {
  const unsigned char o[] = {0x01, 0xAB, 0xFF};
  printHexOctets(env.get(), "'", o, 2, "'H");
  EXPECT_EQ(take(), "'01AB'H");
  env->printLimit = 1;
  printHexOctets(env.get(), "'", o, 2, "'H");
  EXPECT_EQ(take(), "'01 ...'H");
  env->printLimit = 3;
  printHexOctets(env.get(), "'", o, 3, "'H");
  EXPECT_EQ(take(), "'01ABFF'H");
  printHexOctets(env.get(), "'", o, 0, "'H");
  EXPECT_EQ(take(), "''H");
  env->printLimit = 1;
  printHexOctets(env.get(), nullptr, o, 3, nullptr);
  EXPECT_EQ(take(), "01");
}

TEST_F(LeafFormat, NumberListsOfEveryWidth) {
  const uint16_t w2[] = {1, 65535};
  printNumberList(env.get(), w2, 2, 2);
  EXPECT_EQ(take(), " 1 65535");
  const uint32_t w4[] = {840, 4294967295u};
  printNumberList(env.get(), w4, 2, 4);
  EXPECT_EQ(take(), " 840 4294967295");
  const uint64_t w8[] = {0x100000007ull, 12};
  printNumberList(env.get(), w8, 2, 8);
  EXPECT_EQ(take(), " 7 12");
  const uint8_t w1[] = {200, 3};
  printNumberList(env.get(), w1, 2, 1);
  EXPECT_EQ(take(), " 200 3");
  const unsigned char w3[] = {1, 1, 0, 2, 0, 0};
  printNumberList(env.get(), w3, 2, 3);
  EXPECT_EQ(take(), " 257 2");
  printNumberList(env.get(), w4, 0, 4);
  printNumberList(env.get(), w4, 2, 9);
  printNumberList(env.get(), w4, 2, 0);
  EXPECT_EQ(take(), "");
}

TEST_F(LeafFormat, ObjectIdentifiersThroughTheConverter) {
  const unsigned char rsa[] = {0x2A, 0x86, 0x48, 0x86, 0xF7, 0x0D};
  printObjectId(env.get(), rsa, sizeof rsa);
  EXPECT_EQ(take(), "{ 1 2 840 113549 }");
  // The last subidentifier is cut: incomplete text is completed by "... }".
  const unsigned char cut[] = {0x2A, 0x86, 0x48, 0x86};
  printObjectId(env.get(), cut, sizeof cut);
  EXPECT_EQ(take(), "{ 1 2 840 ... }");
  // Contents the converter cannot read are shown in hexadecimal.
  const unsigned char padded[] = {0x2A, 0x80, 0x01};
  printObjectId(env.get(), padded, sizeof padded);
  EXPECT_EQ(take(), "'2A8001'H");
  printObjectId(env.get(), padded, 0);
  EXPECT_EQ(take(), "''H");
}

TEST_F(LeafFormat, GeneralizedTimeZones) {
  TimeValue t{1996, 7, 31, 12, 5, 9, 250, 0, 1};
  printGeneralizedTime(env.get(), &t);
  EXPECT_EQ(take(), "\"19960731120509.250Z\"");
  t.utc = 0;
  t.mindiff = -90;
  printGeneralizedTime(env.get(), &t);
  EXPECT_EQ(take(), "\"19960731120509.250-0130\"");
  t.mindiff = 0;
  printGeneralizedTime(env.get(), &t);
  EXPECT_EQ(take(), "\"19960731120509.250\"");
  t = TimeValue{5, 1, 2, 3, 4, 5, 6, 60, 0};
  printGeneralizedTime(env.get(), &t);
  EXPECT_EQ(take(), "\"00050102030405.006+0100\"");
}

TEST_F(LeafFormat, UtcTimeZones) {
  TimeValue t{96, 7, 31, 12, 5, 9, 250, 0, 0};
  printUTCTime(env.get(), &t);
  EXPECT_EQ(take(), "\"960731120509Z\"");
  t.mindiff = 330;
  t.utc = 1;
  printUTCTime(env.get(), &t);
  EXPECT_EQ(take(), "\"960731120509+0530\"");
  t.mindiff = -5;
  printUTCTime(env.get(), &t);
  EXPECT_EQ(take(), "\"960731120509-0005\"");
}

TEST_F(LeafFormat, BinaryRealsAsMantissaBaseExponent) {
  const std::pair<double, const char *> cases[] = {
      {12345.678, "{ 1.235, 10, 4 }"}, {0.00123, "{ 1.230, 10, -3 }"},
      {-5, "{ -5.000, 10, 0 }"},       {1.0, "{ 1.000, 10, 0 }"},
      {10.0, "{ 1.000, 10, 1 }"},      {-0.5, "{ -5.000, 10, -1 }"},
      {0.0, "0"},                      {-0.0, "0"},
      {std::numeric_limits<double>::quiet_NaN(), "0"},
      {std::numeric_limits<double>::infinity(), "PLUS-INFINITY"},
      {-std::numeric_limits<double>::infinity(), "MINUS-INFINITY"},
      {1e300, "{ 1.000, 10, 300 }"}};
  for (const auto &[x, text] : cases) {
    printBinaryReal(env.get(), x);
    EXPECT_EQ(take(), text) << x;
  }
}

TEST_F(LeafFormat, QuotedTextsAndMixedReals) {
  printQuotedString(env.get(), "3.14");
  EXPECT_EQ(take(), "\"3.14\"");
  printQuotedString(env.get(), nullptr);
  EXPECT_EQ(take(), "\"NULL\"");
  MixedReal r{};
  r.value.binary = 0.00123;
  printMixedReal(env.get(), &r);
  EXPECT_EQ(take(), "{ 1.230, 10, -3 }");
  r.form = 1;
  r.value.text = "-2.5E-3";
  printMixedReal(env.get(), &r);
  EXPECT_EQ(take(), "\"-2.5E-3\"");
  r.form = 2;
  printMixedReal(env.get(), &r);
  EXPECT_EQ(take(), "");
}

TEST_F(LeafFormat, DeferredValuesAreAnnouncedAndGetAFreshHandle) {
  SvcTbl *svc = env->services;
  static const char name[] = "/tmp/zur0042";
  ApiWord handle = svc->makeDeferredHandle(env.get(), 1, reinterpret_cast<ApiWord>(name));
  ASSERT_NE(handle, 0u);
  ApiWord word = handle;
  printDeferredValue(env.get(), &word, 1);
  EXPECT_EQ(take(), "\"/tmp/zur0042\" (tmp-file)");
  EXPECT_EQ(word, handle);

  ApiWord socketHandle = svc->makeDeferredHandle(env.get(), 2, 4000000000u);
  word = socketHandle;
  printDeferredValue(env.get(), &word, 2);
  EXPECT_EQ(take(), "\"4000000000\" (tcpip-socket id)");
  EXPECT_EQ(word, socketHandle);

  word = 1234;
  printDeferredValue(env.get(), &word, 3);
  EXPECT_EQ(take(), "");
  EXPECT_EQ(word, 1234u);
}

}  // namespace
}  // namespace zur
