// Bit, octet and character strings, segmented strings, OBJECT IDENTIFIER and
// encoded values.
#include <gtest/gtest.h>

#include <cstring>

#include "tests/printer/print_harness.h"

namespace zurtest {
namespace {

class StringValues : public PrinterTest {
 protected:
  uint16_t withMaxLen(TypeDesc t, int32_t maxLen) {
    t.maxLen = maxLen;
    return b.add(t);
  }
  // A segmented string: the parent holds the first node's address.
  uint16_t segmented(uint32_t kind, std::size_t dataOffset, uint16_t flags = 0) {
    TypeDesc t = CtlBuilder::desc(kind, sizeof(void *), 4, dataOffset);
    t.typeFlags = flags;
    return b.add(t);
  }
};

TEST_F(StringValues, BitStrings) {
  uint16_t k3 = b.counted(KIND_BITS_PTR);
  uint32_t wide[4] = {0x11223344, 0x55667788, 0, 0};
  unsigned char two[2] = {0xF0, 0x80}, data[2] = {0xA5, 0x80};
  ByAddress<uint32_t, unsigned char> p{9, data}, none{9, nullptr};
  Inline<uint16_t, 4> in{17, {1, 2, 3, 4}};
  // Bits in a 2-byte integer are printed in the demo's measurement. The
  // scratch holds 8 octets: the low 32 bits of the first 8 bytes.
  expectTexts(
      {{withMaxLen(CtlBuilder::desc(KIND_BITS_IN_INT, 16), 128), wide, "'0000000011223344'H"},
       {withMaxLen(CtlBuilder::desc(KIND_BITS_FIXED, 2), 9), two, "'F080'H"},
       {k3, &p, "'A580'H"},
       {k3, &none, "''H"},
       {b.record<Inline<uint16_t, 4>>(KIND_BITS_INLINE, 2, 2), &in, "'010203'H"}});
}

TEST_F(StringValues, OctetStringsAndEncodedValues) {
  uint16_t k51 = b.record<EncodedValue>(KIND_ENCODED);
  Inline<uint32_t, 8> v{3, {1, 2, 3}};
  Inline<uint8_t, 8> w{0, {}};
  unsigned char d[] = {0xDE, 0xAD, 0xBE, 0xEF}, seq[] = {0x30, 0x00};
  ByAddress<uint32_t, unsigned char> p{4, d};
  ByAddress<uint16_t, unsigned char> p2{2, d};
  ByAddress<uint8_t, unsigned char> p3{1, nullptr};
  EncodedValue e{0, 2, seq}, empty{0, 0, seq};
  expectTexts({{b.record<Inline<uint32_t, 8>>(KIND_OCTETS_INLINE, 4, 4), &v, "'010203'H"},
               {b.record<Inline<uint8_t, 8>>(KIND_OCTETS_INLINE2, 1, 1), &w, "''H"},
               {b.counted(KIND_OCTETS_PTR), &p, "'DEADBEEF'H"},
               {b.counted(KIND_OCTETS_PTR2, 2), &p2, "'DEAD'H"},
               {b.counted(KIND_OCTETS_PTR3, 1), &p3, "''H"},
               {k51, &e, "'3000'H"},
               {k51, &empty, "''H"}});
}

TEST_F(StringValues, WideCharactersPrintBigEndian) {
  uint16_t k53 = b.counted(KIND_BMP_STRING);
  uint16_t k54 = b.counted(KIND_UNIVERSAL_STRING);
  uint16_t abc[] = {'A', 'B', 'C'};
  ByAddress<uint32_t, uint16_t> v{3, abc};
  uint32_t u[] = {0x1F600, 'z'};
  ByAddress<uint32_t, uint32_t> w{2, u}, none{2, nullptr};
  expectTexts(
      {{k53, &v, "'004100420043'H"}, {k54, &w, "'0001F6000000007A'H"}, {k54, &none, "''H"}});
  env->printLimit = 5;  // 6 octets, cut to 5, lowered to 4
  EXPECT_EQ(show(k53, &v), "'00410042...'H");
  env->printLimit = 6;
  EXPECT_EQ(show(k53, &v), "'004100420043'H");
  env->printLimit = 3;  // less than one character
  EXPECT_EQ(show(k54, &w), "'...'H");
  ByAddress<uint32_t, uint32_t> claimsMore{0x40000001, u};  // 2^32 + 4 octets
  env->printLimit = 8;
  EXPECT_EQ(show(k54, &claimsMore), "'0001F6000000007A...'H");
  env->printLimit = 0;
  MemAllocFn saved = env->memAlloc;
  env->memAlloc = [](uint32_t) -> void * { return nullptr; };
  std::string text = show(k53, &v);
  env->memAlloc = saved;
  EXPECT_EQ(text, "");  // no memory: nothing printed
}

TEST_F(StringValues, CharacterStringsAndTheirCuts) {
  uint16_t k22 = withMaxLen(CtlBuilder::desc(KIND_CHARS_FIXED, 10), 10);
  uint16_t k23 = b.record<Inline<uint32_t, 8>>(KIND_CHARS_INLINE, 4, 4);
  uint16_t k24 = b.add(CtlBuilder::desc(KIND_CHARS_NUL, 16));
  uint16_t k25 = b.counted(KIND_CHARS_PTR);
  char ab[10] = "ab", text[16] = "abcd", empty[16] = "";
  Inline<uint32_t, 8> six{6, {'a', 'b', 'c', 'd', 'e', 'f'}}, three{3, {'a', 'b', 'c'}};
  ByAddress<uint32_t, const char> p{5, "hello world"}, none{5, nullptr};
  expectTexts({{k22, ab, "\"ab\""},
               {k24, text, "\"abcd\""},
               {k24, empty, "\"\""},
               {k25, &p, "\"hello\""},
               {k25, &none, "\"\""}});
  env->printLimit = 5;
  EXPECT_EQ(show(k22, ab), "\"ab ...\"");  // decided on maxLen
  env->printLimit = 3;
  expectTexts({{k23, &six, "\"abc ...\""}, {k23, &three, "\"abc\""}, {k24, text, "\"abc ...\""}});
}

struct ArcNode {
  ArcNode *next;
  uint32_t arc;
};

TEST_F(StringValues, ObjectIdentifiers) {
  using ArcArray = Inline<int16_t, 4, uint32_t>;
  using ArcPtr = ByAddress<int16_t, uint16_t>;
  uint16_t k26 = b.record<ArcArray>(KIND_OID_ARRAY, 4, offsetof(ArcArray, data));
  TypeDesc list = CtlBuilder::desc(KIND_OID_LIST, sizeof(void *), 4, offsetof(ArcNode, arc));
  list.count = 4;
  uint16_t k27 = b.add(list);
  uint16_t k28 = b.record<ArcPtr>(KIND_OID_PTR, 2, offsetof(ArcPtr, data));
  ArcArray a{3, {1, 2, 840}}, a0{0, {}};
  ArcNode n3{nullptr, 10045}, n2{&n3, 840}, n1{&n2, 2};
  ArcNode *first = &n1, *noNode = nullptr;
  uint16_t arcs[] = {2, 5, 4, 3};
  ArcPtr p{4, arcs}, p0{4, nullptr};
  expectTexts({{k26, &a, "{ 1 2 840 }"},
               {k26, &a0, "{ }"},
               {k27, &first, "{ 2 840 10045 }"},
               {k27, &noNode, "{ }"},
               {k28, &p, "{ 2 5 4 3 }"},
               {k28, &p0, "{ }"}});

  // Encoded contents, inline (cut to maxLen octets) or by address (printed in
  // the demo's measurement).
  uint16_t inlineOid =
      withMaxLen(CtlBuilder::desc(KIND_OID_ENCODED, sizeof(Inline<uint16_t, 8>), 2, 2), 3);
  uint16_t byAddress = b.counted(KIND_OID_ENCODED);
  b.edit(byAddress).maxLen = -1;
  Inline<uint16_t, 8> rsa{6, {0x2A, 0x86, 0x48, 0x86, 0xF7, 0x0D}}, one{1, {0x2A}};
  unsigned char cut[] = {0x2A, 0x86, 0x48, 0x86}, padded[] = {0x2A, 0x80, 0x01};
  std::vector<unsigned char> huge(65538, 0x01);
  huge[0] = 0x2A;
  std::string hugeText = "'2A";
  for (std::size_t k = 1; k < huge.size(); ++k) hugeText += "01";
  hugeText += "'H";
  ByAddress<uint32_t, unsigned char> none{6, nullptr}, partial{4, cut}, bad{3, padded},
      tooLong{static_cast<uint32_t>(huge.size()), huge.data()};
  // A cut last subidentifier is completed by "... }"; contents the converter
  // cannot read, or none, or more than its 16-bit count takes, are shown as
  // octets.
  expectTexts({{inlineOid, &rsa, "{ 1 2 840 }"},
               {inlineOid, &one, "{ 1 2 }"},
               {byAddress, &partial, "{ 1 2 840 ... }"},
               {byAddress, &bad, "'2A8001'H"},
               {byAddress, &none, "''H"},
               {byAddress, &tooLong, hugeText.c_str()}});
}

struct SegNode {
  SegNode *next;
  uint32_t length;
  unsigned char data[4];
};

// Segments of a component, each on a line of its own, are printed in the
// demo's measurement.
TEST_F(StringValues, SegmentsStandOnLinesOfTheirOwn) {
  uint16_t top =
      b.sequence("Top", {field("s", segmented(KIND_SEG_OCTETS_INLINE, offsetof(SegNode, data)))});
  SegNode *head = nullptr;
  EXPECT_EQ(show(top, &head), "\n{\n  s \n}");

  // In a list the first segment starts on the element's line; further
  // segments take the depth of the segmented value, one step in.
  uint16_t list = b.sequenceOf(KIND_SEQOF_PTR_ARRAY, "L",
                               segmented(KIND_SEG_BITS_INLINE, offsetof(SegNode, data)));
  SegNode second{nullptr, 12, {0x12, 0x30}}, first{&second, 3, {0xE0}};
  head = &first;
  ByAddress<uint32_t, SegNode *> v{1, &head};
  EXPECT_EQ(show(list, &v, 1), "{\n  'E0'H\n    '1230'H\n}");
}

TEST_F(StringValues, SegmentedCharactersInlineAndNulTerminated) {
  uint16_t chars = segmented(KIND_SEG_CHARS_INLINE, offsetof(SegNode, data));
  uint16_t text = segmented(KIND_SEG_CHARS_NUL, offsetof(SegNode, data));
  SegNode second{nullptr, 2, {'c', 'd', 'e'}}, first{&second, 4, {'a', 'b', 'x', 'y'}};
  SegNode *head = &first;
  env->workArea.printDepth = 1;
  EXPECT_EQ(show(chars, &head), "\n    \"abxy\"\n    \"cd\"");
  env->printLimit = 3;
  EXPECT_EQ(show(chars, &head), "\n    \"abx ...\"\n    \"cd\"");
  second.data[3] = 0;
  std::memcpy(first.data, "ab\0", 3);
  EXPECT_EQ(show(text, &head), "\n    \"ab\"\n    \"cde\"");
}

// A value printed by following a chain of nodes leaves the SEQUENCE's own
// place as it was: the component after it is read where it lies.
TEST_F(StringValues, ChainsLeaveTheComponentAfterThemInPlace) {
  struct IntNode {
    IntNode *next;
    int32_t value;
  };
  TypeDesc arcList = CtlBuilder::desc(KIND_OID_LIST, sizeof(void *), 4, offsetof(ArcNode, arc));
  arcList.count = 4;
  IntNode i2{nullptr, 8}, i1{&i2, 7};
  ArcNode a2{nullptr, 3}, a1{&a2, 1};
  SegNode s2{nullptr, 1, {0xCD}}, s1{&s2, 1, {0xAB}};
  const struct {
    uint16_t chain;
    void *head;
    const char *text;
  } cases[] = {
      {b.sequenceOf(KIND_SEQOF_LIST, nullptr, b.integer()), &i1, "\n  {\n    7,\n    8\n  }"},
      {b.add(arcList), &a1, "{ 1 3 }"},
      {segmented(KIND_SEG_OCTETS_INLINE, offsetof(SegNode, data)), &s1, "\n    'AB'H\n    'CD'H"}};
  for (const auto &c : cases) {
    struct {
      void *head;
      int32_t z;
    } v{c.head, 6};
    const uint16_t top = b.sequence("Top", {field("l", c.chain), field("z", b.integer())});
    EXPECT_EQ(show(top, &v), std::string("\n{\n  l ") + c.text + ",\n  z 6\n}");
  }
}

struct SegPtrNode2 {
  SegPtrNode2 *next, *prev;
  uint32_t length;
  const char *data;
};

TEST_F(StringValues, SegmentsWithDataAddressesAndTwoLinkWords) {
  uint16_t chars = segmented(KIND_SEG2_CHARS_PTR, offsetof(SegPtrNode2, data));
  uint16_t octets = segmented(KIND_SEG2_OCTETS_PTR, offsetof(SegPtrNode2, data));
  uint16_t bits = segmented(KIND_SEG2_BITS_PTR, offsetof(SegPtrNode2, data));
  SegPtrNode2 third{nullptr, nullptr, 7, nullptr};
  SegPtrNode2 second{&third, nullptr, 2, "\x01\x02zz"};
  SegPtrNode2 first{&second, nullptr, 3, "XYZ!"};
  SegPtrNode2 *head = &first;
  EXPECT_EQ(show(chars, &head, 1), "\"XYZ\"\n  \"\x01\x02\"\n  \"\"");
  EXPECT_EQ(show(octets, &head, 1), "'58595A'H\n  '0102'H\n  ''H");
  first.length = 9;  // bits: two octets
  EXPECT_EQ(show(bits, &head, 1), "'5859'H\n  '01'H\n  ''H");
}

TEST_F(StringValues, DataKeptOutsideMemoryIsAnnounced) {
  ApiWord file =
      env->services->makeDeferredHandle(env.get(), 1, reinterpret_cast<ApiWord>("/tmp/zur7"));
  ApiWord socket = env->services->makeDeferredHandle(env.get(), 2, 31337);
  uint16_t octets = b.counted(KIND_OCTETS_PTR);
  uint16_t chars = b.counted(KIND_CHARS_PTR);
  uint16_t wide = b.counted(KIND_BMP_STRING);
  uint16_t encoded = b.record<EncodedValue>(KIND_ENCODED);
  for (uint16_t t : {octets, chars, wide, encoded}) b.edit(t).typeFlags = TYPE_MAY_DEFER;
  uint16_t plain = b.counted(KIND_OCTETS_PTR);

  ByAddress<uint32_t, unsigned char> v{3, reinterpret_cast<unsigned char *>(file)};
  ByAddress<uint32_t, const char> c{3, reinterpret_cast<const char *>(socket)};
  ByAddress<uint32_t, uint16_t> w{1, reinterpret_cast<uint16_t *>(file)};
  EncodedValue e{0, 5, reinterpret_cast<const unsigned char *>(socket)};
  // Without the flag, or for data in memory, ordinary octets.
  unsigned char d[] = {1, 2, 3};
  ByAddress<uint32_t, unsigned char> m{3, d};
  expectTexts({{octets, &v, "\"/tmp/zur7\" (tmp-file)"},
               {chars, &c, "\"31337\" (tcpip-socket id)"},
               {wide, &w, "\"/tmp/zur7\" (tmp-file)"},
               {encoded, &e, "\"31337\" (tcpip-socket id)"},
               {plain, &m, "'010203'H"},
               {octets, &m, "'010203'H"}});
  EXPECT_EQ(reinterpret_cast<ApiWord>(e.octets), socket);

  // Deferred segments are announced one by one.
  struct Node {
    Node *next;
    uint32_t length;
    const unsigned char *data;
  };
  uint16_t seg = segmented(KIND_SEG_OCTETS_PTR, offsetof(Node, data), TYPE_MAY_DEFER);
  static const unsigned char ab[] = {0xAB};
  Node second{nullptr, 1, ab}, first{&second, 1, reinterpret_cast<const unsigned char *>(file)};
  Node *head = &first;
  EXPECT_EQ(show(seg, &head, 1), "\"/tmp/zur7\" (tmp-file)\n  'AB'H");
}

}  // namespace
}  // namespace zurtest
