// Reading integers and links of decoded values.
#include "printer/value_access.h"

#include <gtest/gtest.h>

#include <vector>

#include "tests/support/test_env.h"


namespace zur {
namespace {

TEST(LoadInteger, ReadsTheNumberOfBytesItsWidthNames) {
  const unsigned char ff[8] = {0xFF, 0xFF, 0x7F, 0x01, 0x02, 0x03, 0x04, 0x80};
  EXPECT_EQ(loadUInt(ff, 2), 65535u);
  EXPECT_EQ(loadInt(ff, 2), -1);
  EXPECT_EQ(loadUInt(ff, 0), 0xFFu);
  EXPECT_EQ(loadInt(ff, 1), -1);
  EXPECT_EQ(loadInt(ff, 3), -1);          // two bytes
  EXPECT_EQ(loadInt(ff, 5), 0x017FFFFF);  // four bytes
  EXPECT_EQ(loadUInt(ff, 7), 0x017FFFFFu);
  EXPECT_EQ(loadUInt(ff, 8), 0x80040302017FFFFFull);
  EXPECT_EQ(loadUInt(ff, 12), 0x80040302017FFFFFull);
  EXPECT_LT(loadInt(ff, 8), 0);
}

TEST(ListLinks, LinkSizeByKind) {
  TypeDesc t{};
  t.size = 4;
  const std::pair<std::vector<uint32_t>, uint32_t> groups[] = {{{15, 18, 27, 31, 37, 45}, 4u},
                                                               {{38, 41, 44, 46, 47, 48}, 8u},
                                                               {{0, 14, 16, 26, 28, 49, 63}, 0u}};
  for (const auto &[kinds, size] : groups) {
    for (uint32_t kind : kinds) {
      t.kind = kind;
      EXPECT_EQ(listLinkSize(&t), size) << kind;
    }
  }
}

// A link moves the cursor to the start of the block it names, whose size a
// later return to it is remapped with; a null link leaves the cursor alone.
TEST(ListLinks, FollowLinks) {
  zurtest::TestEnv env;
  struct Node {
    Node *next;
  } last{nullptr}, first{&last};
  PrintCursor cur{env.get(), nullptr, nullptr, 0, 0};
  cur.base = reinterpret_cast<unsigned char *>(&first);
  ASSERT_TRUE(followLink(&cur, 24));
  EXPECT_EQ(cur.blockRef, &last);
  EXPECT_EQ(cur.blockSize, 24u);
  EXPECT_FALSE(followLink(&cur, 99));
  EXPECT_EQ(cur.blockSize, 24u);
}

}  // namespace
}  // namespace zur
