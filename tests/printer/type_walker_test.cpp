// The walker's layout of constructed values and its scalar kinds.
#include <gtest/gtest.h>

#include <cstring>
#include <limits>

#include "tests/printer/print_harness.h"

namespace zurtest {
namespace {

class TypeWalker : public ::testing::Test {
 protected:
  TestEnv env;
  CtlBuilder b;
};

struct RecValue {
  uint8_t mask;
  int32_t a;
  struct {
    int32_t n;
    int32_t elems[4];
  } b;
  struct {
    int32_t sel;
    uint8_t x;
  } c;
  int32_t d;
};

TEST_F(TypeWalker, PrintsTheRecordLayoutByteForByte) {
  uint16_t integer = b.integer();
  uint16_t listOf = b.sequenceOfArray(nullptr, integer, 4);
  uint16_t choice = b.choice(nullptr, {field("x", b.boolean())});
  uint16_t rec = b.sequence("Rec",
                            {field("a", integer), field("b", listOf), field("c", choice),
                             field("d", integer).optional(0)},
                            1);
  int pdu = b.pdu(rec);
  const CtlTbl *ctl = b.table();
  const FieldDesc *f = ctl->fields + ctl->types[rec].ref;
  ASSERT_EQ(f[0].offset, offsetof(RecValue, a));
  ASSERT_EQ(f[1].offset, offsetof(RecValue, b));
  ASSERT_EQ(f[2].offset, offsetof(RecValue, c));
  ASSERT_EQ(f[3].offset, offsetof(RecValue, d));
  ASSERT_EQ(ctl->types[rec].size, sizeof(RecValue));

  RecValue v{};
  v.a = 5;
  v.b.n = 2;
  v.b.elems[0] = 1;
  v.b.elems[1] = 2;
  v.c.sel = 1;
  v.c.x = 1;
  v.d = 77;  // absent: mask bit 0 clear
  EXPECT_EQ(printPdu(env, ctl, pdu, &v),
            "value Rec ::= \n{\n  a 5,\n  b \n  {\n    1,\n    2\n  },\n  c x : TRUE\n}\n");
  EXPECT_EQ(env->workArea.printDepth, 0);

  v.mask = 0x80;
  EXPECT_NE(printPdu(env, ctl, pdu, &v).find("  c x : TRUE,\n  d 77\n}"), std::string::npos);
}

TEST_F(TypeWalker, EmptyConstructedValuesPrintBracesOnTwoLines) {
  uint16_t integer = b.integer();
  uint16_t allAbsent =
      b.sequence("S", {field("p", integer).optional(0), field("q", integer).optional(1)}, 1);
  uint16_t array = b.sequenceOfArray("A", integer, 2);
  uint16_t list = b.sequenceOfList("L", integer);
  uint16_t byAddress = b.sequenceOfByAddress("P", integer);
  const CtlTbl *ctl = b.table();

  struct {
    uint8_t mask;
    int32_t p, q;
  } s{0, 1, 2};
  EXPECT_EQ(walk(env, ctl, b.type(allAbsent), &s), "\n{\n}");

  struct {
    int32_t n;
    int32_t e[2];
  } a{0, {9, 9}};
  EXPECT_EQ(walk(env, ctl, b.type(array), &a), "\n{\n}");

  void *first = nullptr;
  EXPECT_EQ(walk(env, ctl, b.type(list), &first), "\n{\n}");

  struct {
    int32_t n;
    int32_t *e;
  } p{3, nullptr};
  EXPECT_EQ(walk(env, ctl, b.type(byAddress), &p), "\n{\n}");
}

struct Pair {
  int32_t id;
  uint8_t flag;
};

TEST_F(TypeWalker, ElementsThatAreSequencesOpenOnTheirOwnLine) {
  uint16_t pair = b.sequence("Pair", {field("id", b.integer()), field("flag", b.boolean())});
  uint16_t outer = b.sequenceOfArray("Pairs", pair, 2);
  uint16_t top = b.sequence("Top", {field("pairs", outer)});
  const CtlTbl *ctl = b.table();
  struct {
    struct {
      int32_t n;
      Pair e[2];
    } pairs;
  } v{{2, {{1, 0}, {2, 3}}}};
  EXPECT_EQ(walk(env, ctl, b.type(top), &v),
            "\n{\n  pairs \n  {\n    {\n      id 1,\n      flag FALSE\n    },"
            "\n    {\n      id 2,\n      flag TRUE\n    }\n  }\n}");
}

struct IntNode {
  IntNode *next;
  int32_t value;
};

struct IntNode2 {
  IntNode2 *next;
  IntNode2 *prev;
  int32_t value;
};

TEST_F(TypeWalker, FollowsListNodesWithOneAndTwoLinkWords) {
  uint16_t integer = b.integer();
  uint16_t list = b.sequenceOfList(nullptr, integer);
  uint16_t list2 = b.sequenceOfList(nullptr, integer, KIND_SETOF_LIST2);
  const CtlTbl *ctl = b.table();
  ASSERT_EQ(b.type(list)->dataOffset, offsetof(IntNode, value));
  ASSERT_EQ(b.type(list2)->dataOffset, offsetof(IntNode2, value));

  IntNode n3{nullptr, 30}, n2{&n3, 20}, n1{&n2, 10};
  IntNode *first = &n1;
  EXPECT_EQ(walk(env, ctl, b.type(list), &first), "\n{\n  10,\n  20,\n  30\n}");

  IntNode2 m2{nullptr, nullptr, -2}, m1{&m2, nullptr, -1};
  IntNode2 *first2 = &m1;
  EXPECT_EQ(walk(env, ctl, b.type(list2), &first2, 1), "{\n  -1,\n  -2\n}");
}

TEST_F(TypeWalker, ElementsByAddressAreReadCountBytesApart) {
  uint16_t byAddress = b.sequenceOfByAddress(nullptr, b.integer(2));
  const CtlTbl *ctl = b.table();
  int16_t elements[] = {7, -8, 9};
  struct {
    int32_t n;
    int16_t *e;
  } v{3, elements};
  EXPECT_EQ(walk(env, ctl, b.type(byAddress), &v, 1), "{\n  7,\n  -8,\n  9\n}");
}

TEST_F(TypeWalker, ChoiceCountsAsOneNestingLevel) {
  uint16_t inner = b.sequence("In", {field("k", b.integer())});
  uint16_t alt = b.choice("Alt", {field("n", b.null()), field("seq", inner)});
  uint16_t top = b.sequence("Top", {field("c", alt)});
  const CtlTbl *ctl = b.table();
  struct {
    struct {
      int32_t sel;
      int32_t k;
    } c;
  } v{{2, 42}};
  EXPECT_EQ(walk(env, ctl, b.type(top), &v), "\n{\n  c seq : \n    {\n      k 42\n    }\n}");

  v.c.sel = 1;
  EXPECT_EQ(walk(env, ctl, b.type(top), &v), "\n{\n  c n : NULL\n}");
}

TEST_F(TypeWalker, ChoiceSelectorOutsideTheAlternativesPrintsNothing) {
  uint16_t alt = b.choice("Alt", {field("n", b.null()), field(nullptr, b.boolean())});
  const CtlTbl *ctl = b.table();
  struct {
    int32_t sel;
    uint8_t x;
  } v{0, 1};
  EXPECT_EQ(walk(env, ctl, b.type(alt), &v), "");
  v.sel = 3;
  EXPECT_EQ(walk(env, ctl, b.type(alt), &v), "");
  v.sel = -1;
  EXPECT_EQ(walk(env, ctl, b.type(alt), &v), "");
  v.sel = 2;
  EXPECT_EQ(walk(env, ctl, b.type(alt), &v), "<anonymous> : TRUE");
  EXPECT_EQ(env->workArea.printDepth, 0);
}

TEST_F(TypeWalker, ComponentsHeldThroughAddresses) {
  uint16_t integer = b.integer();
  uint16_t inner = b.sequence("In", {field("k", integer)});
  uint16_t held = b.byPointer(inner);
  uint16_t heldInt = b.byPointer(integer);
  uint16_t top = b.sequence("Top", {field("p", held), field("q", heldInt),
                                    field("r", heldInt).optional(-1)});
  const CtlTbl *ctl = b.table();
  int32_t k = 11, q = -3;
  struct {
    int32_t *p;
    int32_t *q;
    int32_t *r;
  } v{&k, &q, nullptr};
  EXPECT_EQ(walk(env, ctl, b.type(top), &v), "\n{\n  p \n  {\n    k 11\n  },\n  q -3\n}");

  // A null address of a component that is always present prints its name
  // followed by nothing.
  v.q = nullptr;
  EXPECT_EQ(walk(env, ctl, b.type(top), &v), "\n{\n  p \n  {\n    k 11\n  },\n  q \n}");
  v.r = &q;
  q = 8;
  EXPECT_NE(walk(env, ctl, b.type(top), &v).find("  r 8\n}"), std::string::npos);
}

TEST_F(TypeWalker, PresenceMasksWiderThanAnInteger) {
  uint16_t integer = b.integer();
  uint16_t s = b.sequence("S", {field("x", integer).optional(9), field("y", integer).optional(8)},
                          5);
  const CtlTbl *ctl = b.table();
  struct {
    uint8_t mask[5];
    int32_t x, y;
  } v{{0, 0x40, 0, 0, 0}, 1, 2};
  EXPECT_EQ(walk(env, ctl, b.type(s), &v), "\n{\n  x 1\n}");
}

TEST_F(TypeWalker, IntegersOfEveryWidth) {
  uint16_t i8 = b.integer(8), i1 = b.integer(1), u8 = b.unsignedInteger(8);
  uint16_t i2 = b.integer(2), u4 = b.unsignedInteger(4);
  const CtlTbl *ctl = b.table();
  uint64_t all = ~uint64_t{0};
  uint8_t ff = 0xFF;
  int16_t minus = -32768;
  uint32_t big = 4000000000u;
  EXPECT_EQ(walk(env, ctl, b.type(i8), &all), "-1");
  EXPECT_EQ(walk(env, ctl, b.type(i1), &ff), "-1");
  EXPECT_EQ(walk(env, ctl, b.type(u8), &all), "18446744073709551615");
  EXPECT_EQ(walk(env, ctl, b.type(i2), &minus), "-32768");
  EXPECT_EQ(walk(env, ctl, b.type(u4), &big), "4000000000");
}

TEST_F(TypeWalker, EnumerationsMapIndexesOnlyWhenTheTableSaysSo) {
  uint16_t e = b.enumerated(4, {0, 5, -1});
  uint16_t plain = b.enumerated(4);
  uint16_t ue = b.enumerated(1, {10, 20}, KIND_ENUMERATED_UNSIGNED);
  int32_t index = 2;
  const CtlTbl *noMap = b.table(0);
  EXPECT_EQ(walk(env, noMap, b.type(e), &index), "2");
  const CtlTbl *ctl = b.table(CTL_ENUM_AS_INDEX);
  EXPECT_EQ(walk(env, ctl, b.type(e), &index), "-1");
  EXPECT_EQ(walk(env, ctl, b.type(plain), &index), "2");
  index = 3;
  EXPECT_EQ(walk(env, ctl, b.type(e), &index), "3");
  index = -1;
  EXPECT_EQ(walk(env, ctl, b.type(e), &index), "-1");
  uint8_t u = 1;
  EXPECT_EQ(walk(env, ctl, b.type(ue), &u), "20");
  u = 200;
  EXPECT_EQ(walk(env, ctl, b.type(ue), &u), "200");
}

TEST_F(TypeWalker, OtherScalars) {
  uint16_t boolean = b.boolean(), null = b.null(), f = b.real(4), d = b.real(8);
  uint16_t text = b.add(CtlBuilder::desc(KIND_REAL_TEXT, 8));
  uint16_t mixed = b.record<MixedReal>(KIND_MIXED_REAL);
  uint16_t utc = b.record<TimeValue>(KIND_UTC_TIME);
  uint16_t gen = b.record<TimeValue>(KIND_GENERALIZED_TIME);
  const CtlTbl *ctl = b.table();
  uint8_t two = 2, zero = 0;
  EXPECT_EQ(walk(env, ctl, b.type(boolean), &two), "TRUE");
  EXPECT_EQ(walk(env, ctl, b.type(boolean), &zero), "FALSE");
  EXPECT_EQ(walk(env, ctl, b.type(null), &zero), "NULL");
  float half = 1.5f;
  double big = 12345.678;
  EXPECT_EQ(walk(env, ctl, b.type(f), &half), "{ 1.500, 10, 0 }");
  EXPECT_EQ(walk(env, ctl, b.type(d), &big), "{ 1.235, 10, 4 }");
  char digits[] = "3.25E2";
  EXPECT_EQ(walk(env, ctl, b.type(text), digits), "\"3.25E2\"");
  MixedReal m{};
  m.form = 1;
  m.value.text = "1e3";
  EXPECT_EQ(walk(env, ctl, b.type(mixed), &m), "\"1e3\"");
  TimeValue t{96, 7, 31, 12, 5, 9, 0, 0, 0};
  EXPECT_EQ(walk(env, ctl, b.type(utc), &t), "\"960731120509Z\"");
  t.year = 1996;
  t.millisec = 250;
  t.utc = 1;
  EXPECT_EQ(walk(env, ctl, b.type(gen), &t), "\"19960731120509.250Z\"");
}

TEST_F(TypeWalker, KindsWithoutARulePrintNothingAndKeepTheDepth) {
  uint16_t k70 = b.add(CtlBuilder::desc(70, 4));
  uint16_t k49 = b.add(CtlBuilder::desc(KIND_UNREAD49, 4));
  const CtlTbl *ctl = b.table();
  int32_t v = 1;
  env->workArea.printDepth = 3;
  EXPECT_EQ(walk(env, ctl, b.type(k70), &v), "");
  EXPECT_EQ(walk(env, ctl, b.type(k49), &v), "");
  EXPECT_EQ(env->workArea.printDepth, 3);
}

// A mapping service that hands out copies of blocks, so the walker must read
// each block through the address returned for it and return to its caller's
// block when it leaves one.
struct CopyingServices {
  static inline std::vector<std::vector<unsigned char>> copies;
  static inline int remaps = 0;
  static void *remap(Env *, void *, void *toRef, uint32_t size) {
    ++remaps;
    auto *src = static_cast<unsigned char *>(toRef);
    copies.emplace_back(src, src + size);
    return copies.back().data();
  }
};

TEST_F(TypeWalker, ReadsBlocksThroughTheRemappingService) {
  uint16_t integer = b.integer();
  uint16_t held = b.byPointer(b.sequence("In", {field("k", integer)}));
  uint16_t top = b.sequence("Top", {field("p", held), field("z", integer)});
  const CtlTbl *ctl = b.table();
  int32_t k = 5;
  struct {
    int32_t *p;
    int32_t z;
  } v{&k, 6};
  CopyingServices::copies.reserve(16);
  CopyingServices::remaps = 0;
  RemapValueFn saved = env->services->remapValue;
  env->services->remapValue = CopyingServices::remap;
  std::string text = walk(env, ctl, b.type(top), &v);
  env->services->remapValue = saved;
  EXPECT_EQ(text, "\n{\n  p \n  {\n    k 5\n  },\n  z 6\n}");
  EXPECT_EQ(CopyingServices::remaps, 2);  // into the held block and back
  CopyingServices::copies.clear();
}

}  // namespace
}  // namespace zurtest
