// Values that would print for ever or without bound: lists that come back on
// themselves, a type that contains itself, wide strings that claim more
// characters than exist. Each print ends, keeps what it printed and gives
// back what it allocated.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "printer/print_cursor.h"
#include "tests/printer/print_harness.h"
#include "zurbase/status.h"

namespace zurtest {
namespace {

class EndlessValues : public PrinterTest {
 protected:
  // A whole print through the driver: its result and its text.
  std::pair<int, std::string> print(uint16_t type, void *v) {
    env.captureWithHook();
    int pdu = b.pdu(type);
    int code = zur::printPdu(env.get(), pdu, v, b.table());
    return {code, hookText()};
  }
};

// One node shape for every list form: the link, then an element, an arc or
// a segment's length, a segment's address, a segment in place.
struct Node {
  Node *next;
  uint32_t n;
  const char *text;
  unsigned char octets[4];
};

// Every list form leaves with the too-long row once it is back at a node it
// passed; the elements printed until then stay, a tail's repeated ones too.
TEST_F(EndlessValues, ListsThatComeBackOnThemselvesEnd) {
  auto kind = [&](uint32_t k, std::size_t at, const char *name) {
    TypeDesc t = CtlBuilder::desc(k, sizeof(void *), 4, at, name);
    t.count = 4;
    return b.add(t);
  };
  const uint16_t list = b.sequenceOf(KIND_SEQOF_LIST, "L", b.integer());
  const struct {
    uint16_t type;
    std::vector<uint32_t> n;  // one node each, the last linked to node `back`
    std::size_t back;
    std::string text;
  } cases[] = {
      {list, {1}, 0, "value L ::= \n{\n  1"},
      {list, {1, 2}, 0, "value L ::= \n{\n  1,\n  2"},
      {list, {1, 2, 3}, 1, "value L ::= \n{\n  1,\n  2,\n  3,\n  2"},
      {kind(KIND_OID_LIST, offsetof(Node, n), "O"), {7}, 0, "value O ::= { 7"},
      {kind(KIND_SEG_OCTETS_INLINE, offsetof(Node, octets), "S"), {1, 1}, 0,
       "value S ::= \n  'A0'H\n  'A1'H"},
      {kind(KIND_SEG_CHARS_PTR, offsetof(Node, text), "P"), {2}, 0, "value P ::= \n  \"XY\""},
  };
  for (const auto &c : cases) {
    std::vector<Node> nodes(c.n.size());
    for (std::size_t i = 0; i < nodes.size(); ++i)
      nodes[i] = {&nodes[i + 1 < nodes.size() ? i + 1 : c.back], c.n[i], "XY",
                  {static_cast<unsigned char>(0xA0 + i)}};
    Node *first = nodes.data();
    auto [code, text] = print(c.type, &first);
    EXPECT_EQ(code, ZURBASE_STATUS_TOO_LONG) << c.text;
    EXPECT_EQ(text, c.text);
  }
}

// A SEQUENCE whose component is the SEQUENCE itself nests one level more at
// each component: the print stops at the depth limit, after every level up
// to it has printed its brace and its component's name.
TEST_F(EndlessValues, ATypeThatContainsItselfStopsAtTheDepthLimit) {
  uint16_t inner = b.integer();
  uint16_t self = b.sequence("T", {field("a", inner)});
  b.edit(inner) = *b.type(self);
  int32_t value = 0;
  auto [code, text] = print(self, &value);
  EXPECT_EQ(code, ZURBASE_STATUS_TOO_LONG);
  EXPECT_EQ(std::count(text.begin(), text.end(), '{'), zur::kMaxPrintDepth);
  const std::string deepest = "\n" + std::string(2 * zur::kMaxPrintDepth, ' ') + "a ";
  EXPECT_TRUE(text.ends_with(deepest));
  EXPECT_LT(text.size(), 200'000u);
}

// What memAlloc handed out and the largest size asked for.
long liveBlocks = 0;
uint32_t largestAsk = 0;
void *countingAlloc(uint32_t size) {
  ++liveBlocks;
  largestAsk = std::max(largestAsk, size);
  return std::malloc(size != 0 ? size : 1);
}
void countingFree(void *block) {
  --liveBlocks;
  std::free(block);
}

// Wide characters behind an address that faults: the print ends with the
// memory-violation code, having asked for a small block whatever the claimed
// length, and that block is back when the print returns.
TEST_F(EndlessValues, AFaultInAWideStringLeavesNoBlockBehind) {
  uint16_t bmp = b.counted(KIND_BMP_STRING, 4, "B");
  uint16_t universal = b.counted(KIND_UNIVERSAL_STRING, 4, "U");
  env->memAlloc = countingAlloc;
  env->memFree = countingFree;
  auto *nowhere = reinterpret_cast<uint16_t *>(0x10);
  ByAddress<uint32_t, uint16_t> cases[] = {
      {3, nowhere}, {0x7fffffff, nowhere}, {0x40000001, nowhere}};
  for (auto &c : cases) {
    for (uint16_t type : {bmp, universal}) {
      liveBlocks = 0;
      largestAsk = 0;
      auto [code, text] = print(type, &c);
      EXPECT_EQ(code, ZURBASE_STATUS_MEMORY_VIOLATION) << c.length;
      EXPECT_EQ(text, type == bmp ? "value B ::= " : "value U ::= ");
      EXPECT_EQ(liveBlocks, 0) << c.length;
      EXPECT_LE(largestAsk, 4096u) << c.length;
    }
  }
}

}  // namespace
}  // namespace zurtest
