// The walker's layout of constructed values and its scalar kinds.
#include <gtest/gtest.h>

#include <vector>

#include "tests/printer/print_harness.h"

namespace zurtest {
namespace {

using TypeWalker = PrinterTest;

struct RecValue {
  uint8_t mask;
  int32_t a;
  Inline<int32_t, 4, int32_t> b;
  Inline<int32_t, 1> c;  // the selector, then the alternative
  int32_t d;
};

TEST_F(TypeWalker, PrintsTheRecordLayoutByteForByte) {
  uint16_t integer = b.integer();
  uint16_t listOf = b.sequenceOf(KIND_SEQOF_ARRAY, nullptr, integer, 4);
  uint16_t choice = b.choice(nullptr, {field("x", b.boolean())});
  uint16_t rec = b.sequence("Rec",
                            {field("a", integer), field("b", listOf), field("c", choice),
                             field("d", integer).optional(0)},
                            1);
  int pdu = b.pdu(rec);
  const CtlTbl *ctl = b.table();

  // Compilers may give a CHOICE its number of alternatives or leave it 0.
  for (int32_t count : {1, 0}) {
    b.edit(choice).count = count;
    RecValue v{0, 5, {2, {1, 2}}, {1, {1}}, 77};  // d absent: mask bit 0 clear
    EXPECT_EQ(printPdu(env, ctl, pdu, &v),
              "value Rec ::= \n{\n  a 5,\n  b \n  {\n    1,\n    2\n  },\n  c x : TRUE\n}\n")
        << count;
    EXPECT_EQ(env->workArea.printDepth, 0);
    v.mask = 0x80;
    EXPECT_NE(printPdu(env, ctl, pdu, &v).find("  c x : TRUE,\n  d 77\n}"), std::string::npos)
        << count;
  }
}

TEST_F(TypeWalker, EmptyConstructedValuesPrintBracesOnTwoLines) {
  uint16_t integer = b.integer();
  struct {
    uint8_t mask;
    int32_t p, q;
  } s{0, 1, 2};
  Inline<int32_t, 2, int32_t> a{0, {9, 9}};
  void *first = nullptr;
  ByAddress<int32_t, int32_t> p{3, nullptr};
  uint16_t allAbsent =
      b.sequence("S", {field("p", integer).optional(0), field("q", integer).optional(1)}, 1);
  expectTexts({{allAbsent, &s, "\n{\n}"},
               {b.sequenceOf(KIND_SEQOF_ARRAY, "A", integer, 2), &a, "\n{\n}"},
               {b.sequenceOf(KIND_SEQOF_LIST, "L", integer), &first, "\n{\n}"},
               {b.sequenceOf(KIND_SEQOF_PTR_ARRAY, "P", integer), &p, "\n{\n}"}});
}

struct IntNode2 {
  IntNode2 *next, *prev;
  int32_t value;
};

TEST_F(TypeWalker, FollowsListNodesAndElementAddresses) {
  uint16_t list2 = b.sequenceOf(KIND_SETOF_LIST2, nullptr, b.integer());
  uint16_t byAddress = b.sequenceOf(KIND_SEQOF_PTR_ARRAY, nullptr, b.integer(2));

  IntNode2 m2{nullptr, nullptr, -2}, m1{&m2, nullptr, -1};
  IntNode2 *first2 = &m1;
  EXPECT_EQ(show(list2, &first2, 1), "{\n  -1,\n  -2\n}");
  // Elements by address are read `count` bytes apart.
  int16_t elements[] = {7, -8, 9};
  ByAddress<int32_t, int16_t> v{3, elements};
  EXPECT_EQ(show(byAddress, &v, 1), "{\n  7,\n  -8,\n  9\n}");
}

TEST_F(TypeWalker, ChoiceCountsAsOneNestingLevel) {
  uint16_t inner = b.sequence("In", {field("k", b.integer())});
  uint16_t alt = b.choice("Alt", {field("n", b.null()), field("seq", inner)});
  uint16_t top = b.sequence("Top", {field("c", alt)});
  Inline<int32_t, 1, int32_t> v{2, {42}};  // the selector, then the alternative
  EXPECT_EQ(show(top, &v), "\n{\n  c seq : \n    {\n      k 42\n    }\n}");
}

// With a count the selector is bounded by it; without one (count 0 or below)
// only a selector below 1 names no alternative.
TEST_F(TypeWalker, ChoiceSelectorsWithAndWithoutACount) {
  uint16_t alt = b.choice("Alt", {field("n", b.null()), field(nullptr, b.boolean())});
  uint16_t after = b.boolean();  // the next record, read for selector 3 without a count
  b.choice(nullptr, {field("z", after)});
  struct {
    int32_t count, sel;
    const char *text;
  } cases[] = {{2, 0, ""},  {2, -1, ""},  {2, 3, ""},  {2, 2, "<anonymous> : TRUE"},
               {0, 0, ""},  {0, -1, ""},  {0, 2, "<anonymous> : TRUE"},
               {0, 3, "z : TRUE"}, {-1, 1, "n : NULL"}};
  Inline<int32_t, 1> v{0, {1}};
  for (const auto &c : cases) {
    b.edit(alt).count = c.count;
    v.length = c.sel;
    EXPECT_EQ(show(alt, &v), c.text) << "count " << c.count << " selector " << c.sel;
    EXPECT_EQ(env->workArea.printDepth, 0);
  }
}

TEST_F(TypeWalker, ChoicesAsElementsOfASequenceOf) {
  uint16_t alt = b.choice("Alt", {field("i", b.integer()), field("f", b.boolean())});
  uint16_t list = b.sequenceOf(KIND_SEQOF_ARRAY, "L", alt, 3);
  struct Element {
    int32_t sel, value;
  };
  Inline<int32_t, 3, Element> v{3, {{2, 0}, {1, -4}, {2, 1}}};
  for (int32_t count : {2, 0}) {
    b.edit(alt).count = count;
    EXPECT_EQ(show(list, &v), "\n{\n  f : FALSE,\n  i : -4,\n  f : TRUE\n}") << count;
  }
}

TEST_F(TypeWalker, ComponentsHeldThroughAddresses) {
  uint16_t integer = b.integer();
  uint16_t held = b.byPointer(b.sequence("In", {field("k", integer)}));
  uint16_t heldInt = b.byPointer(integer);
  uint16_t top =
      b.sequence("Top", {field("p", held), field("q", heldInt), field("r", heldInt).optional(-1)});
  int32_t k = 11, q = -3;
  int32_t *v[] = {&k, &q, nullptr};
  EXPECT_EQ(show(top, v), "\n{\n  p \n  {\n    k 11\n  },\n  q -3\n}");
  // A null address of a component that is always present prints its name
  // followed by nothing.
  v[1] = nullptr;
  EXPECT_EQ(show(top, v), "\n{\n  p \n  {\n    k 11\n  },\n  q \n}");
  v[2] = &q;
  q = 8;
  EXPECT_NE(show(top, v).find("  r 8\n}"), std::string::npos);
}

TEST_F(TypeWalker, PresenceMasksWiderThanAnInteger) {
  uint16_t integer = b.integer();
  uint16_t s =
      b.sequence("S", {field("x", integer).optional(9), field("y", integer).optional(8)}, 5);
  struct {
    uint8_t mask[5];
    int32_t x, y;
  } v{{0, 0x40, 0, 0, 0}, 1, 2};
  EXPECT_EQ(show(s, &v), "\n{\n  x 1\n}");
}

// Double and mixed REAL and both times are printed in the demo's measurement.
// Kinds without a rule print nothing and leave the depth as it was.
TEST_F(TypeWalker, Scalars) {
  uint64_t all = ~uint64_t{0};
  uint8_t two = 2, zero = 0;
  uint32_t big = 4000000000u;
  float half = 1.5f;
  char digits[] = "3.25E2";
  int32_t v = 1;
  env->workArea.printDepth = 3;
  expectTexts({{b.integer(8), &all, "-1"},
               {b.integer(8, "INTEGER", KIND_UNSIGNED), &all, "18446744073709551615"},
               {b.integer(4, "INTEGER", KIND_UNSIGNED), &big, "4000000000"},
               {b.boolean(), &two, "TRUE"},
               {b.boolean(), &zero, "FALSE"},
               {b.null(), &zero, "NULL"},
               {b.real(4), &half, "{ 1.500, 10, 0 }"},
               {b.add(CtlBuilder::desc(KIND_REAL_TEXT, 8)), digits, "\"3.25E2\""},
               {b.add(CtlBuilder::desc(70, 4)), &v, ""},
               {b.add(CtlBuilder::desc(KIND_UNREAD49, 4)), &v, ""}});
  EXPECT_EQ(env->workArea.printDepth, 3);
}

TEST_F(TypeWalker, EnumerationsMapIndexesOnlyWhenTheTableSaysSo) {
  uint16_t e = b.enumerated(4, {0, 5, -1});
  uint16_t ue = b.enumerated(1, {10, 20}, KIND_ENUMERATED_UNSIGNED);
  int32_t two = 2, three = 3, minus = -1;
  uint8_t one = 1, big = 200;
  int64_t wide = 0x100000001LL;  // not index 1
  EXPECT_EQ(show(e, &two), "2");
  tableFlags = CTL_ENUM_AS_INDEX;
  expectTexts({{e, &two, "-1"},
               {b.enumerated(4), &two, "2"},
               {e, &three, "3"},
               {e, &minus, "-1"},
               {ue, &one, "20"},
               {ue, &big, "200"},
               {b.enumerated(8, {0, 5}), &wide, "4294967297"}});
}

// Hands out copies of blocks, so the walker must read each block through the
// address returned for it and return to its caller's block when it leaves one.
std::vector<std::vector<unsigned char>> copies;
void *copyingRemap(Env *, void *, void *toRef, uint32_t size) {
  auto *src = static_cast<unsigned char *>(toRef);
  copies.emplace_back(src, src + size);
  return copies.back().data();
}

TEST_F(TypeWalker, ReadsBlocksThroughTheRemappingService) {
  uint16_t integer = b.integer();
  uint16_t held = b.byPointer(b.sequence("In", {field("k", integer)}));
  uint16_t top = b.sequence("Top", {field("p", held), field("z", integer)});
  int32_t k = 5;
  struct {
    int32_t *p;
    int32_t z;
  } v{&k, 6};
  copies.clear();
  copies.reserve(16);
  RemapValueFn saved = env->services->remapValue;
  env->services->remapValue = copyingRemap;
  std::string text = show(top, &v);
  env->services->remapValue = saved;
  EXPECT_EQ(text, "\n{\n  p \n  {\n    k 5\n  },\n  z 6\n}");
  EXPECT_EQ(copies.size(), 2u);  // into the held block and back
}

// Lists long enough to fill the standard-output buffer twice over, at a
// shallow indentation and at one of more blanks than a line break stores at
// once, with numbers of every width: standard output gets the hook's text
// wherever the buffer fills.
TEST_F(TypeWalker, LongListsReachStandardOutputAsTheHookSeesThem) {
  const uint16_t listOf = b.sequenceOf(KIND_SEQOF_PTR_ARRAY, "L", b.integer());
  uint16_t nested = listOf;
  for (int level = 0; level < 12; ++level) nested = b.sequence("S", {field("s", nested)});
  const int pdus[] = {b.pdu(listOf), b.pdu(nested)};
  const CtlTbl *ctl = b.table();
  std::vector<int32_t> numbers(5000);
  for (uint32_t i = 0; i < numbers.size(); ++i)
    numbers[i] = static_cast<int32_t>((i * 2654435761u) >> (i % 31));
  ByAddress<int32_t, int32_t> list{static_cast<int32_t>(numbers.size()), numbers.data()};
  for (int pdu : pdus) {
    const std::string hooked = printPdu(env, ctl, pdu, &list);
    zurcoreSetPrintHook(env.get(), nullptr);
    StdoutCapture out;
    EXPECT_EQ(zur::printPdu(env.get(), pdu, &list, ctl), 0);
    const std::string text = out.text();
    EXPECT_GT(text.size(), 2u * 16384);
    EXPECT_TRUE(text == hooked) << "PDU " << pdu;  // too long to show
  }
}

}  // namespace
}  // namespace zurtest
