// Reading integers, bits and links of decoded values.
#include <gtest/gtest.h>

#include "printer/value_access.h"
#include "tests/support/test_env.h"

namespace zur {
namespace {

TEST(LoadInteger, ReadsTheNumberOfBytesItsWidthNames) {
  const unsigned char ff[8] = {0xFF, 0xFF, 0x7F, 0x01, 0x02, 0x03, 0x04, 0x80};
  EXPECT_EQ(loadUInt(ff, 2), 65535u);
  EXPECT_EQ(loadInt(ff, 2), -1);
  EXPECT_EQ(loadUInt(ff, 0), 0xFFu);
  EXPECT_EQ(loadInt(ff, 1), -1);
  EXPECT_EQ(loadInt(ff, 3), -1);              // two bytes
  EXPECT_EQ(loadInt(ff, 5), 0x017FFFFF);      // four bytes
  EXPECT_EQ(loadUInt(ff, 7), 0x017FFFFFu);
  EXPECT_EQ(loadUInt(ff, 8), 0x80040302017FFFFFull);
  EXPECT_EQ(loadUInt(ff, 12), 0x80040302017FFFFFull);
  EXPECT_LT(loadInt(ff, 8), 0);
}

TEST(GetBit, CountsFromTheMostSignificantBit) {
  const unsigned char top = 0x80;
  EXPECT_EQ(getBit(&top, 0, 1), 1);
  EXPECT_EQ(getBit(&top, 7, 1), 0);
  const unsigned char word[8] = {0x01, 0x80};  // the integer 0x8001
  EXPECT_EQ(getBit(word, 0, 2), 1);
  EXPECT_EQ(getBit(word, 15, 2), 1);
  EXPECT_EQ(getBit(word, 1, 2), 0);
  EXPECT_EQ(getBit(word, 0, 8), 0);
  EXPECT_EQ(getBit(word, 7, 8), 1);
  EXPECT_EQ(getBit(word, 8, 8), 1);
  EXPECT_EQ(getBit(word, -1, 2), 0);
  const unsigned char four[4] = {0x00, 0x00, 0x00, 0x40};
  EXPECT_EQ(getBit(four, 1, 4), 1);
  EXPECT_EQ(getBit(four, 0, 4), 0);
}

TEST(BigEndian, StoresTheIntegerMostSignificantByteFirst) {
  const uint32_t v = 0x11223344;
  unsigned char out[8] = {};
  storeBigEndian(out, &v, 4);
  EXPECT_EQ(std::vector<unsigned char>(out, out + 4),
            (std::vector<unsigned char>{0x11, 0x22, 0x33, 0x44}));
  const uint16_t h = 0xABC0;
  storeBigEndian(out, &h, 2);
  EXPECT_EQ(out[0], 0xAB);
  EXPECT_EQ(out[1], 0xC0);
  // Width 8 keeps the low four bytes, behind four zero bytes.
  const uint64_t wide = 0x0102030405060708ull;
  std::fill(out, out + 8, 0xEE);
  storeBigEndian(out, &wide, 8);
  EXPECT_EQ(std::vector<unsigned char>(out, out + 8),
            (std::vector<unsigned char>{0, 0, 0, 0, 0x05, 0x06, 0x07, 0x08}));
}

TEST(BigEndian, CopiesOnlyTwoToFourByteCharacters) {
  const uint32_t c = 0x00010203;
  unsigned char dst[4] = {0xEE, 0xEE, 0xEE, 0xEE};
  EXPECT_EQ(bigEndianBytes(dst, &c, 1), reinterpret_cast<const unsigned char *>(&c));
  EXPECT_EQ(bigEndianBytes(dst, &c, 8), reinterpret_cast<const unsigned char *>(&c));
  EXPECT_EQ(dst[0], 0xEE);
  EXPECT_EQ(bigEndianBytes(dst, &c, 4), dst);
  EXPECT_EQ(std::vector<unsigned char>(dst, dst + 4),
            (std::vector<unsigned char>{0x00, 0x01, 0x02, 0x03}));
  const uint16_t a = 0x0041;
  EXPECT_EQ(bigEndianBytes(dst, &a, 2), dst);
  EXPECT_EQ(dst[0], 0x00);
  EXPECT_EQ(dst[1], 0x41);
}

TEST(ListLinks, LinkSizeByKind) {
  TypeDesc t{};
  t.size = 4;
  for (uint32_t kind : {15u, 18u, 27u, 31u, 37u, 45u}) {
    t.kind = kind;
    EXPECT_EQ(listLinkSize(&t), 4u) << kind;
  }
  for (uint32_t kind : {38u, 44u, 46u, 47u, 48u}) {
    t.kind = kind;
    EXPECT_EQ(listLinkSize(&t), 8u) << kind;
  }
  for (uint32_t kind : {0u, 14u, 16u, 26u, 28u, 49u, 63u}) {
    t.kind = kind;
    EXPECT_EQ(listLinkSize(&t), 0u) << kind;
  }
}

struct Node {
  Node *next;
  int value;
};

TEST(ListLinks, CountsTheNodesOfAChain) {
  Node c{nullptr, 3}, b{&c, 2}, a{&b, 1};
  EXPECT_EQ(countLinks(&a), 3u);
  EXPECT_EQ(countLinks(nullptr), 0u);
}

TEST(ListLinks, FollowLinkMovesToTheLinkedBlockOrStays) {
  zurtest::TestEnv env;
  Node second{nullptr, 2};
  struct {
    int pad;
    Node *first;
  } holder{0, &second};
  PrintCursor c{env.get(), reinterpret_cast<unsigned char *>(&holder), &holder,
                offsetof(decltype(holder), first), sizeof holder};
  ASSERT_TRUE(followLink(&c, sizeof(Node)));
  EXPECT_EQ(c.base, reinterpret_cast<unsigned char *>(&second));
  EXPECT_EQ(c.blockRef, &second);
  EXPECT_EQ(c.offset, 0u);
  EXPECT_EQ(c.blockSize, sizeof(Node));
  EXPECT_FALSE(followLink(&c, 99));
  EXPECT_EQ(c.blockRef, &second);
  EXPECT_EQ(c.blockSize, sizeof(Node));

  holder.first = nullptr;
  PrintCursor d{env.get(), reinterpret_cast<unsigned char *>(&holder), &holder,
                offsetof(decltype(holder), first), sizeof holder};
  EXPECT_FALSE(followLink(&d, sizeof(Node)));
  EXPECT_EQ(d.offset, offsetof(decltype(holder), first));
  EXPECT_EQ(d.base, reinterpret_cast<unsigned char *>(&holder));
}

}  // namespace
}  // namespace zur
