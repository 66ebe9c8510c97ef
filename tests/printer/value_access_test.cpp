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

struct Node {
  Node *next;
  int value;
};

TEST(ListLinks, FollowLinks) {
  zurtest::TestEnv env;
  Node c{nullptr, 3};

  struct {
    int pad;
    Node *first;
  } holder{0, &c};
  const uint32_t at = offsetof(decltype(holder), first);
  auto *base = reinterpret_cast<unsigned char *>(&holder);
  PrintCursor cur{env.get(), base, &holder, at, sizeof holder};
  ASSERT_TRUE(followLink(&cur, sizeof(Node)));
  EXPECT_EQ(cur.base, reinterpret_cast<unsigned char *>(&c));
  EXPECT_EQ(cur.blockRef, &c);
  EXPECT_EQ(cur.offset, 0u);
  EXPECT_EQ(cur.blockSize, sizeof(Node));
  EXPECT_FALSE(followLink(&cur, 99));  // a null link: the cursor stays
  EXPECT_EQ(cur.blockRef, &c);
  EXPECT_EQ(cur.blockSize, sizeof(Node));

  holder.first = nullptr;
  PrintCursor d{env.get(), base, &holder, at, sizeof holder};
  EXPECT_FALSE(followLink(&d, sizeof(Node)));
  EXPECT_EQ(d.offset, at);
  EXPECT_EQ(d.base, base);
}

}  // namespace
}  // namespace zur
