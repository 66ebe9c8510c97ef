// Values that would print for ever or without bound: lists that come back on
// themselves, a type that contains itself, wide strings that claim more
// characters than exist. Each print ends, keeps what it printed and gives
// back what it allocated.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>

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

struct IntNode {
  IntNode *next;
  int32_t value;
};
struct ArcNode {
  ArcNode *next;
  uint32_t arc;
};
struct SegNode {
  SegNode *next;
  uint32_t length;
  unsigned char data[4];
};
struct SegPtrNode {
  SegPtrNode *next;
  uint32_t length;
  const char *data;
};

// Every list form leaves with the too-long row once it is back at a node it
// passed; the elements printed until then stay, a tail's repeated ones too.
TEST_F(EndlessValues, ListsThatComeBackOnThemselvesEnd) {
  uint16_t list = b.sequenceOf(KIND_SEQOF_LIST, "L", b.integer());
  TypeDesc arcs = CtlBuilder::desc(KIND_OID_LIST, sizeof(void *), 4, offsetof(ArcNode, arc), "O");
  arcs.count = sizeof(ArcNode) - offsetof(ArcNode, arc);
  uint16_t arcList = b.add(arcs);
  TypeDesc inlineSegs = CtlBuilder::desc(KIND_SEG_OCTETS_INLINE, sizeof(void *), 4,
                                         offsetof(SegNode, data), "S");
  uint16_t segments = b.add(inlineSegs);
  TypeDesc addressed = CtlBuilder::desc(KIND_SEG_CHARS_PTR, sizeof(void *), 4,
                                        offsetof(SegPtrNode, data), "P");
  uint16_t chars = b.add(addressed);

  IntNode self{nullptr, 1}, a{nullptr, 1}, b2{&a, 2};
  self.next = &self;
  a.next = &b2;  // a, b, a, ...
  IntNode t1{nullptr, 1}, t2{nullptr, 2}, t3{&t2, 3};
  t1.next = &t2;
  t2.next = &t3;  // 1, 2, 3, 2, 3, ...
  ArcNode arc{nullptr, 7};
  arc.next = &arc;
  SegNode seg2{nullptr, 1, {0xCD}}, seg1{&seg2, 1, {0xAB}};
  seg2.next = &seg1;
  SegPtrNode ptr{nullptr, 2, "XY"};
  ptr.next = &ptr;
  IntNode *selfHead = &self, *pairHead = &a, *tailHead = &t1;
  ArcNode *arcHead = &arc;
  SegNode *segHead = &seg1;
  SegPtrNode *ptrHead = &ptr;

  const struct {
    uint16_t type;
    void *value;
    std::string text;
  } cases[] = {
      {list, &selfHead, "value L ::= \n{\n  1"},
      {list, &pairHead, "value L ::= \n{\n  1,\n  2"},
      {list, &tailHead, "value L ::= \n{\n  1,\n  2,\n  3,\n  2"},
      {arcList, &arcHead, "value O ::= { 7"},
      {segments, &segHead, "value S ::= \n  'AB'H\n  'CD'H"},
      {chars, &ptrHead, "value P ::= \n  \"XY\""},
  };
  for (const auto &c : cases) {
    auto [code, text] = print(c.type, c.value);
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
