// The lookups the printer makes in a control table.
#include <gtest/gtest.h>

#include "tests/support/ctl_builder.h"

namespace zurtest {
namespace {

TEST(CtlLookup, MaskBitsCountFromTheMostSignificantBit) {
  const unsigned char top = 0x80;
  const unsigned char word[8] = {0x01, 0x80};  // the integer 0x8001
  const unsigned char four[4] = {0x00, 0x00, 0x00, 0x40};
  const struct {
    const unsigned char *mask;
    int bit;
    uint16_t width;
    int set;
  } cases[] = {{&top, 0, 1, 1},  {&top, 7, 1, 0}, {word, 0, 2, 1}, {word, 15, 2, 1},
               {word, 1, 2, 0},  {word, 0, 8, 0}, {word, 7, 8, 1}, {word, 8, 8, 1},
               {word, -1, 2, 0}, {four, 1, 4, 1}, {four, 0, 4, 0}};
  for (const auto &c : cases) EXPECT_EQ(ctlMaskBit(c.mask, c.bit, c.width), c.set) << c.bit;
}

TEST(CtlLookup, PresenceOfComponents) {
  const unsigned char mask[4] = {0x00, 0x80};  // the integer 0x8000
  FieldDesc c{};
  c.presenceBit = 15;
  EXPECT_EQ(ctlComponentPresent(&c, mask, 2, nullptr), 1);  // not optional: present
  c.fieldFlags = FIELD_OPTIONAL;
  EXPECT_EQ(ctlComponentPresent(&c, mask, 2, nullptr), 0);
  c.presenceBit = 0;
  EXPECT_EQ(ctlComponentPresent(&c, mask, 2, nullptr), 1);
  c.fieldFlags = FIELD_DEFAULT;
  c.presenceBit = -1;  // present when the address held in its place is not null
  int target = 0;
  int *held = &target;
  EXPECT_EQ(ctlComponentPresent(&c, mask, 2, reinterpret_cast<unsigned char *>(&held)), 1);
  held = nullptr;
  EXPECT_EQ(ctlComponentPresent(&c, mask, 2, reinterpret_cast<unsigned char *>(&held)), 0);
}

}  // namespace
}  // namespace zurtest
