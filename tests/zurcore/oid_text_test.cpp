#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "frame/sibling.h"
#include "tests/support/test_env.h"

namespace {

struct Converted {
  int result;
  std::string text;
  bool hadText;
};

Converted convert(const std::vector<unsigned char> &octets) {
  zurtest::TestEnv env;
  OidInput in{static_cast<uint16_t>(octets.size()), 0, octets.data()};
  OidOutput out{0, nullptr};
  Converted c{zurcoreOidToText(env.get(), &in, &out), "", out.text != nullptr};
  if (out.text != nullptr) {
    c.text = out.text;
    env->memFree(out.text);
  }
  return c;
}

TEST(OidText, CompleteIdentifiersSplitTheFirstSubidentifier) {
  Converted rsa = convert({0x2A, 0x86, 0x48, 0x86, 0xF7, 0x0D});
  EXPECT_EQ(rsa.result, OID_COMPLETE);
  EXPECT_EQ(rsa.text, "{ 1 2 840 113549 }");
  EXPECT_EQ(convert({0x00}).text, "{ 0 0 }");
  EXPECT_EQ(convert({0x55, 0x04, 0x03}).text, "{ 2 5 4 3 }");
  EXPECT_EQ(convert({0x88, 0x37, 0x01}).text, "{ 2 999 1 }");
  EXPECT_EQ(convert({0x81, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x00}).text,
            "{ 2 9223372036854775728 }");
}

TEST(OidText, TruncatedLastArcGivesIncompleteTextReadyForTheEllipsis) {
  Converted c = convert({0x2A, 0x86, 0x48, 0x86});
  EXPECT_EQ(c.result, OID_INCOMPLETE);
  EXPECT_EQ(c.text, "{ 1 2 840 ");
  EXPECT_EQ(convert({0x86}).text, "{ ");
}

TEST(OidText, MalformedEncodingsGiveNoText) {
  for (const auto &bad : std::vector<std::vector<unsigned char>>{
           {}, {0x80, 0x01}, {0x2A, 0x80, 0x01},
           {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x7F}}) {
    Converted c = convert(bad);
    EXPECT_EQ(c.result, OID_MALFORMED) << bad.size();
    EXPECT_FALSE(c.hadText);
  }
}

}  // namespace
