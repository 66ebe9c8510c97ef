// Bit, octet and character strings, segmented strings, OBJECT IDENTIFIER and
// encoded values.
#include <gtest/gtest.h>

#include <cstring>

#include "tests/printer/print_harness.h"

namespace zurtest {
namespace {

class StringValues : public ::testing::Test {
 protected:
  std::string show(uint16_t type, void *v, uint8_t inList = 0) {
    return walk(env, b.table(), b.type(type), v, inList);
  }
  TestEnv env;
  CtlBuilder b;
};

template <class L, std::size_t N>
struct Inline {
  L length;
  unsigned char data[N];
};

template <class L, class D>
struct ByAddress {
  L length;
  D *data;
};

TEST_F(StringValues, BitStrings) {
  TypeDesc inInt = CtlBuilder::desc(KIND_BITS_IN_INT, 2);
  inInt.maxLen = 12;
  uint16_t k1 = b.add(inInt);
  uint16_t k1wide = b.add([] {
    TypeDesc t = CtlBuilder::desc(KIND_BITS_IN_INT, 16);
    t.maxLen = 128;
    return t;
  }());
  TypeDesc fixed = CtlBuilder::desc(KIND_BITS_FIXED, 2);
  fixed.maxLen = 9;
  uint16_t k2 = b.add(fixed);
  uint16_t k3 = b.counted(KIND_BITS_PTR);
  uint16_t k4 = b.record<Inline<uint16_t, 4>>(KIND_BITS_INLINE, 2, 2);

  uint16_t bits = 0xABC0;
  EXPECT_EQ(show(k1, &bits), "'ABC0'H");
  uint32_t wide[4] = {0x11223344, 0x55667788, 0, 0};
  // The scratch holds 8 octets: the low 32 bits of the first 8 bytes.
  EXPECT_EQ(show(k1wide, wide), "'0000000011223344'H");
  unsigned char two[2] = {0xF0, 0x80};
  EXPECT_EQ(show(k2, two), "'F080'H");
  unsigned char data[2] = {0xA5, 0x80};
  ByAddress<uint32_t, unsigned char> p{9, data};
  EXPECT_EQ(show(k3, &p), "'A580'H");
  p.data = nullptr;
  EXPECT_EQ(show(k3, &p), "''H");
  Inline<uint16_t, 4> in{17, {1, 2, 3, 4}};
  EXPECT_EQ(show(k4, &in), "'010203'H");
}

TEST_F(StringValues, OctetStringsAndThePrintLimit) {
  uint16_t k9 = b.record<Inline<uint32_t, 8>>(KIND_OCTETS_INLINE, 4, 4);
  uint16_t k21 = b.record<Inline<uint8_t, 8>>(KIND_OCTETS_INLINE2, 1, 1);
  uint16_t k10 = b.counted(KIND_OCTETS_PTR);
  uint16_t k20 = b.counted(KIND_OCTETS_PTR2, 2);
  uint16_t k62 = b.counted(KIND_OCTETS_PTR3, 1);
  Inline<uint32_t, 8> v{3, {1, 2, 3}};
  EXPECT_EQ(show(k9, &v), "'010203'H");
  env->printLimit = 2;
  EXPECT_EQ(show(k9, &v), "'0102 ...'H");
  env->printLimit = 3;
  EXPECT_EQ(show(k9, &v), "'010203'H");
  env->printLimit = 0;
  Inline<uint8_t, 8> w{0, {}};
  EXPECT_EQ(show(k21, &w), "''H");
  unsigned char d[] = {0xDE, 0xAD, 0xBE, 0xEF};
  ByAddress<uint32_t, unsigned char> p{4, d};
  EXPECT_EQ(show(k10, &p), "'DEADBEEF'H");
  ByAddress<uint16_t, unsigned char> p2{2, d};
  EXPECT_EQ(show(k20, &p2), "'DEAD'H");
  ByAddress<uint8_t, unsigned char> p3{1, nullptr};
  EXPECT_EQ(show(k62, &p3), "''H");
}

TEST_F(StringValues, EncodedValues) {
  uint16_t k51 = b.record<EncodedValue>(KIND_ENCODED);
  unsigned char d[] = {0x30, 0x00};
  EncodedValue v{0, 2, d};
  EXPECT_EQ(show(k51, &v), "'3000'H");
  v.length = 0;
  EXPECT_EQ(show(k51, &v), "''H");
}

TEST_F(StringValues, WideCharactersPrintBigEndian) {
  uint16_t k53 = b.counted(KIND_BMP_STRING);
  uint16_t k54 = b.counted(KIND_UNIVERSAL_STRING);
  uint16_t abc[] = {'A', 'B', 'C'};
  ByAddress<uint32_t, uint16_t> v{3, abc};
  EXPECT_EQ(show(k53, &v), "'004100420043'H");
  env->printLimit = 5;  // 6 octets, cut to 5, lowered to 4
  EXPECT_EQ(show(k53, &v), "'00410042...'H");
  env->printLimit = 6;
  EXPECT_EQ(show(k53, &v), "'004100420043'H");
  env->printLimit = 0;
  uint32_t u[] = {0x1F600, 'z'};
  ByAddress<uint32_t, uint32_t> w{2, u};
  EXPECT_EQ(show(k54, &w), "'0001F6000000007A'H");
  env->printLimit = 3;  // less than one character
  EXPECT_EQ(show(k54, &w), "'...'H");
  env->printLimit = 0;
  w.data = nullptr;
  EXPECT_EQ(show(k54, &w), "''H");
}

TEST_F(StringValues, WideCharactersPrintNothingWithoutMemory) {
  uint16_t k53 = b.counted(KIND_BMP_STRING);
  uint16_t abc[] = {'A'};
  ByAddress<uint32_t, uint16_t> v{1, abc};
  MemAllocFn saved = env->memAlloc;
  env->memAlloc = [](uint32_t) -> void * { return nullptr; };
  std::string text = show(k53, &v);
  env->memAlloc = saved;
  EXPECT_EQ(text, "");
}

TEST_F(StringValues, CharacterStringsAndTheirCuts) {
  TypeDesc fixed = CtlBuilder::desc(KIND_CHARS_FIXED, 10);
  fixed.maxLen = 10;
  uint16_t k22 = b.add(fixed);
  uint16_t k23 = b.record<Inline<uint32_t, 8>>(KIND_CHARS_INLINE, 4, 4);
  uint16_t k24 = b.add(CtlBuilder::desc(KIND_CHARS_NUL, 16));
  uint16_t k25 = b.counted(KIND_CHARS_PTR);

  char ab[10] = "ab";
  EXPECT_EQ(show(k22, ab), "\"ab\"");
  env->printLimit = 5;
  EXPECT_EQ(show(k22, ab), "\"ab ...\"");  // decided on maxLen
  env->printLimit = 3;
  Inline<uint32_t, 8> v{6, {'a', 'b', 'c', 'd', 'e', 'f'}};
  EXPECT_EQ(show(k23, &v), "\"abc ...\"");
  v.length = 3;
  EXPECT_EQ(show(k23, &v), "\"abc\"");
  char text[16] = "abcd";
  EXPECT_EQ(show(k24, text), "\"abc ...\"");
  env->printLimit = 0;
  EXPECT_EQ(show(k24, text), "\"abcd\"");
  char empty[16] = "";
  EXPECT_EQ(show(k24, empty), "\"\"");
  ByAddress<uint32_t, const char> p{5, "hello world"};
  EXPECT_EQ(show(k25, &p), "\"hello\"");
  p.data = nullptr;
  EXPECT_EQ(show(k25, &p), "\"\"");
}

struct ArcNode {
  ArcNode *next;
  uint32_t arc;
};

TEST_F(StringValues, ObjectIdentifiers) {
  struct ArcArray {
    int16_t count;
    uint32_t arcs[4];
  };
  uint16_t k26 = b.record<ArcArray>(KIND_OID_ARRAY, 4, offsetof(ArcArray, arcs));
  TypeDesc list = CtlBuilder::desc(KIND_OID_LIST, sizeof(void *), 4, offsetof(ArcNode, arc));
  list.count = 4;
  uint16_t k27 = b.add(list);
  struct ArcPtr {
    int16_t count;
    uint16_t *arcs;
  };
  uint16_t k28 = b.record<ArcPtr>(KIND_OID_PTR, 2, offsetof(ArcPtr, arcs));

  ArcArray a{3, {1, 2, 840}};
  EXPECT_EQ(show(k26, &a), "{ 1 2 840 }");
  a.count = 0;
  EXPECT_EQ(show(k26, &a), "{ }");

  ArcNode n3{nullptr, 10045}, n2{&n3, 840}, n1{&n2, 2};
  ArcNode *first = &n1;
  EXPECT_EQ(show(k27, &first), "{ 2 840 10045 }");
  first = nullptr;
  EXPECT_EQ(show(k27, &first), "{ }");

  uint16_t arcs[] = {2, 5, 4, 3};
  ArcPtr p{4, arcs};
  EXPECT_EQ(show(k28, &p), "{ 2 5 4 3 }");
  p.arcs = nullptr;
  EXPECT_EQ(show(k28, &p), "{ }");
}

TEST_F(StringValues, EncodedObjectIdentifiers) {
  TypeDesc inl = CtlBuilder::desc(KIND_OID_ENCODED, sizeof(Inline<uint16_t, 8>), 2, 2);
  inl.maxLen = 3;
  uint16_t inlineOid = b.add(inl);
  uint16_t byAddress = b.counted(KIND_OID_ENCODED);
  b.edit(byAddress).maxLen = -1;

  Inline<uint16_t, 8> v{6, {0x2A, 0x86, 0x48, 0x86, 0xF7, 0x0D}};
  EXPECT_EQ(show(inlineOid, &v), "{ 1 2 840 }");  // cut to maxLen octets
  v.length = 1;
  EXPECT_EQ(show(inlineOid, &v), "{ 1 2 }");
  unsigned char rsa[] = {0x2A, 0x86, 0x48, 0x86, 0xF7, 0x0D};
  ByAddress<uint32_t, unsigned char> p{6, rsa};
  EXPECT_EQ(show(byAddress, &p), "{ 1 2 840 113549 }");
  p.data = nullptr;  // no octets: the converter's no-text answer
  EXPECT_EQ(show(byAddress, &p), "''H");
}

struct SegNode {
  SegNode *next;
  uint32_t length;
  unsigned char data[4];
};

struct SegPtrNode2 {
  SegPtrNode2 *next;
  SegPtrNode2 *prev;
  uint32_t length;
  const char *data;
};

TEST_F(StringValues, SegmentedOctetsStandOnLinesOfTheirOwn) {
  uint16_t seg = b.add(CtlBuilder::desc(KIND_SEG_OCTETS_INLINE, sizeof(void *), 4,
                                        offsetof(SegNode, data)),
                       sizeof(void *), alignof(void *));
  uint16_t top = b.sequence("Top", {field("s", seg)});
  SegNode second{nullptr, 1, {0xCD}}, first{&second, 1, {0xAB}};
  SegNode *head = &first;
  EXPECT_EQ(printPdu(env, b.table(), b.pdu(top), &head),
            "value Top ::= \n{\n  s \n    'AB'H\n    'CD'H\n}\n");
  head = nullptr;
  EXPECT_EQ(show(top, &head), "\n{\n  s \n}");
}

TEST_F(StringValues, SegmentedStringsInAListStartOnTheElementsLine) {
  uint16_t seg = b.add(CtlBuilder::desc(KIND_SEG_BITS_INLINE, sizeof(void *), 4,
                                        offsetof(SegNode, data)),
                       sizeof(void *), alignof(void *));
  uint16_t list = b.sequenceOfByAddress("L", seg);
  SegNode second{nullptr, 12, {0x12, 0x30}}, first{&second, 3, {0xE0}};
  SegNode *head = &first;
  ByAddress<uint32_t, SegNode *> v{1, &head};
  // Further segments take the depth of the segmented value, one step in.
  EXPECT_EQ(show(list, &v, 1), "{\n  'E0'H\n    '1230'H\n}");
}

TEST_F(StringValues, SegmentedCharactersInlineAndNulTerminated) {
  uint16_t chars = b.add(CtlBuilder::desc(KIND_SEG_CHARS_INLINE, sizeof(void *), 4,
                                          offsetof(SegNode, data)));
  uint16_t text = b.add(CtlBuilder::desc(KIND_SEG_CHARS_NUL, sizeof(void *), 4,
                                         offsetof(SegNode, data)));
  SegNode second{nullptr, 2, {'c', 'd', 'e'}}, first{&second, 4, {'a', 'b', 'x', 'y'}};
  SegNode *head = &first;
  env->workArea.printDepth = 1;
  EXPECT_EQ(show(chars, &head), "\n    \"abxy\"\n    \"cd\"");
  env->printLimit = 3;
  EXPECT_EQ(show(chars, &head), "\n    \"abx ...\"\n    \"cd\"");
  second.data[3] = 0;
  std::memcpy(first.data, "ab\0", 3);
  EXPECT_EQ(show(text, &head), "\n    \"ab\"\n    \"cde\"");
  env->printLimit = 0;
}

TEST_F(StringValues, SegmentsWithDataAddressesAndTwoLinkWords) {
  TypeDesc t = CtlBuilder::desc(KIND_SEG2_CHARS_PTR, sizeof(void *), 4,
                                offsetof(SegPtrNode2, data));
  uint16_t chars = b.add(t);
  t.kind = KIND_SEG2_OCTETS_PTR;
  uint16_t octets = b.add(t);
  t.kind = KIND_SEG2_BITS_PTR;
  uint16_t bits = b.add(t);
  SegPtrNode2 third{nullptr, nullptr, 7, nullptr};
  SegPtrNode2 second{&third, nullptr, 2, "\x01\x02zz"};
  SegPtrNode2 first{&second, nullptr, 3, "XYZ!"};
  SegPtrNode2 *head = &first;
  EXPECT_EQ(show(chars, &head, 1), "\"XYZ\"\n  \"\x01\x02\"\n  \"\"");
  EXPECT_EQ(show(octets, &head, 1), "'58595A'H\n  '0102'H\n  ''H");
  first.length = 9;  // bits: two octets
  EXPECT_EQ(show(bits, &head, 1), "'5859'H\n  '01'H\n  ''H");
}

class DeferredStrings : public StringValues {
 protected:
  void SetUp() override {
    fileHandle = env->services->makeDeferredHandle(env.get(), 1,
                                                   reinterpret_cast<ApiWord>("/tmp/zur7"));
    socketHandle = env->services->makeDeferredHandle(env.get(), 2, 31337);
  }
  ApiWord fileHandle = 0;
  ApiWord socketHandle = 0;
};

TEST_F(DeferredStrings, DataKeptOutsideMemoryIsAnnounced) {
  uint16_t octets = b.counted(KIND_OCTETS_PTR);
  b.edit(octets).typeFlags = TYPE_MAY_DEFER;
  uint16_t plain = b.counted(KIND_OCTETS_PTR);
  uint16_t chars = b.counted(KIND_CHARS_PTR);
  b.edit(chars).typeFlags = TYPE_MAY_DEFER;
  uint16_t wide = b.counted(KIND_BMP_STRING);
  b.edit(wide).typeFlags = TYPE_MAY_DEFER;
  uint16_t encoded = b.record<EncodedValue>(KIND_ENCODED);
  b.edit(encoded).typeFlags = TYPE_MAY_DEFER;

  ByAddress<uint32_t, unsigned char> v{3, reinterpret_cast<unsigned char *>(fileHandle)};
  EXPECT_EQ(show(octets, &v), "\"/tmp/zur7\" (tmp-file)");
  ByAddress<uint32_t, const char> c{3, reinterpret_cast<const char *>(socketHandle)};
  EXPECT_EQ(show(chars, &c), "\"31337\" (tcpip-socket id)");
  ByAddress<uint32_t, uint16_t> w{1, reinterpret_cast<uint16_t *>(fileHandle)};
  EXPECT_EQ(show(wide, &w), "\"/tmp/zur7\" (tmp-file)");
  EncodedValue e{0, 5, reinterpret_cast<const unsigned char *>(socketHandle)};
  EXPECT_EQ(show(encoded, &e), "\"31337\" (tcpip-socket id)");
  EXPECT_EQ(reinterpret_cast<ApiWord>(e.octets), socketHandle);

  // Without the flag the run-time is not asked: ordinary octets.
  unsigned char d[] = {1, 2, 3};
  ByAddress<uint32_t, unsigned char> m{3, d};
  EXPECT_EQ(show(plain, &m), "'010203'H");
  EXPECT_EQ(show(octets, &m), "'010203'H");
}

TEST_F(DeferredStrings, DeferredSegmentsAreAnnouncedOneByOne) {
  TypeDesc t = CtlBuilder::desc(KIND_SEG_OCTETS_PTR, sizeof(void *), 4,
                                offsetof(SegPtrNode2, prev));
  t.typeFlags = TYPE_MAY_DEFER;
  uint16_t seg = b.add(t);
  struct Node {
    Node *next;
    uint32_t length;
    const unsigned char *data;
  };
  b.edit(seg).dataOffset = offsetof(Node, data);
  static const unsigned char ab[] = {0xAB};
  Node second{nullptr, 1, ab};
  Node first{&second, 1, reinterpret_cast<const unsigned char *>(fileHandle)};
  Node *head = &first;
  EXPECT_EQ(show(seg, &head, 1), "\"/tmp/zur7\" (tmp-file)\n  'AB'H");
}

}  // namespace
}  // namespace zurtest
