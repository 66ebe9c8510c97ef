#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "examples/personnel_encoding.h"
#include "frame/entry_points.h"
#include "frame/sibling.h"
#include "tests/support/captured_output.h"
#include "tests/support/test_env.h"

namespace {

using Octets = std::vector<unsigned char>;

struct Decoded {
  int status;
  std::string trace;
  std::string message;
  int32_t lengthLeft;
};

// Links the stand-in's BER codec as selecting BER rules does, and decodes.
Decoded decode(const Octets &in, uint32_t flags = 0, int32_t rules = 0) {
  zurtest::TestEnv env;
  env.captureWithHook();
  env->encRules = rules;
  zurcoreLinkBer(env.get());
  EXPECT_NE(env->codecA, nullptr);
  EXPECT_EQ(env->codecA->encode, nullptr);
  void *data = const_cast<unsigned char *>(in.data());
  int32_t length = static_cast<int32_t>(in.size());
  void *out = nullptr;
  uint32_t outLen = 0;
  env->msgBuf[0] = '\0';
  int status = env->codecA->decode(env.get(), nullptr, &data, &length, &out, &outLen,
                                   nullptr, flags, env->msgBuf);
  return {status, zurtest::hookText(), env->msgBuf, length};
}

TEST(BerTraceDecoder, PersonnelRecordTree) {
  const auto record = demo::personnelEncoding();
  const Octets in(record.begin(), record.end());
  Decoded d = decode(in);
  EXPECT_EQ(d.status, 0);
  EXPECT_EQ(d.lengthLeft, 0);
  const char *vs = "VisibleString: tag = [UNIVERSAL 26] primitive; length = ";
  EXPECT_EQ(d.trace,
            "#1 : tag = [APPLICATION 0] constructed; length = 133\n"
            "  #1 : tag = [APPLICATION 1] constructed; length = 16\n"
            "    #1 " + std::string(vs) + "4\n"
            "    #2 " + vs + "1\n"
            "    #3 " + vs + "5\n"
            "  #2 : tag = [0] constructed; length = 10\n"
            "    #1 " + vs + "8\n"
            "  #3 : tag = [APPLICATION 2] primitive; length = 1\n"
            "  #4 : tag = [1] constructed; length = 10\n"
            "    #1 : tag = [APPLICATION 3] primitive; length = 8\n"
            "  #5 : tag = [2] constructed; length = 18\n"
            "    #1 : tag = [APPLICATION 1] constructed; length = 16\n"
            "      #1 " + vs + "4\n"
            "      #2 " + vs + "1\n"
            "      #3 " + vs + "5\n"
            "  #6 : tag = [3] constructed; length = 66\n"
            "    #1 SET: tag = [UNIVERSAL 17] constructed; length = 31\n"
            "      #1 : tag = [APPLICATION 1] constructed; length = 17\n"
            "        #1 " + vs + "5\n"
            "        #2 " + vs + "1\n"
            "        #3 " + vs + "5\n"
            "      #2 : tag = [0] constructed; length = 10\n"
            "        #1 : tag = [APPLICATION 3] primitive; length = 8\n"
            "    #2 SET: tag = [UNIVERSAL 17] constructed; length = 31\n"
            "      #1 : tag = [APPLICATION 1] constructed; length = 17\n"
            "        #1 " + vs + "5\n"
            "        #2 " + vs + "1\n"
            "        #3 " + vs + "5\n"
            "      #2 : tag = [0] constructed; length = 10\n"
            "        #1 : tag = [APPLICATION 3] primitive; length = 8\n");
}

TEST(BerTraceDecoder, IndefiniteFormsEndWithEocLines) {
  Decoded d = decode({0x30, 0x80, 0x02, 0x01, 0x05, 0xA1, 0x80, 0x05, 0x00, 0x00, 0x00,
                      0x00, 0x00, 0x01, 0x01, 0xFF});
  EXPECT_EQ(d.status, 0);
  EXPECT_EQ(d.trace,
            "#1 SEQUENCE: tag = [UNIVERSAL 16] constructed; length = indef\n"
            "  #1 INTEGER: tag = [UNIVERSAL 2] primitive; length = 1\n"
            "  #2 : tag = [1] constructed; length = indef\n"
            "    #1 NULL: tag = [UNIVERSAL 5] primitive; length = 0\n"
            "    EOC\n"
            "  EOC\n"
            "#2 BOOLEAN: tag = [UNIVERSAL 1] primitive; length = 1\n");
}

TEST(BerTraceDecoder, MultiOctetTagsAndLengths) {
  Octets in = {0x7F, 0x81, 0x00, 0x82, 0x01, 0x04, 0x04, 0x82, 0x01, 0x00};
  in.resize(in.size() + 256, 0xAB);
  in.insert(in.end(), {0xDF, 0xFF, 0x7F, 0x00});
  Decoded d = decode(in);
  EXPECT_EQ(d.status, 0);
  EXPECT_EQ(d.trace,
            "#1 : tag = [APPLICATION 128] constructed; length = 260\n"
            "  #1 OCTET STRING: tag = [UNIVERSAL 4] primitive; length = 256\n"
            "#2 : tag = [PRIVATE 16383] primitive; length = 0\n");
}

TEST(BerTraceDecoder, UnknownUniversalTagsHaveNoCaption) {
  Decoded d = decode({0x0F, 0x00, 0x1F, 0x40, 0x00});
  EXPECT_EQ(d.status, 0);
  EXPECT_EQ(d.trace,
            "#1 : tag = [UNIVERSAL 15] primitive; length = 0\n"
            "#2 : tag = [UNIVERSAL 64] primitive; length = 0\n");
}

TEST(BerTraceDecoder, TruncatedInputLeavesPartialTrace) {
  const Octets in = {0x30, 0x80, 0x02, 0x01, 0x05};
  Decoded d = decode(in);
  EXPECT_EQ(d.status, 4);
  EXPECT_EQ(d.message, "D0055S: Premature end of input buffer.\n");
  EXPECT_EQ(d.trace,
            "#1 SEQUENCE: tag = [UNIVERSAL 16] constructed; length = indef\n"
            "  #1 INTEGER: tag = [UNIVERSAL 2] primitive; length = 1\n"
            "not parsed: 0 octets from offset 5:\n");
  EXPECT_EQ(d.lengthLeft, 5);  // failed input is left as given
  EXPECT_EQ(decode({0x30}).status, 4);
  EXPECT_EQ(decode({0x1F, 0x81}).status, 4);
  EXPECT_EQ(decode({0x04, 0x82, 0x01}).status, 4);
}

TEST(BerTraceDecoder, LengthPastTheEnd) {
  Decoded top = decode({0x04, 0x05, 0x01, 0x02});
  EXPECT_EQ(top.status, 4);
  EXPECT_EQ(top.trace, "not parsed: 4 octets from offset 0: 04 05 01 02\n");
  Decoded inner = decode({0x30, 0x04, 0x02, 0x05, 0x01, 0x02, 0x05, 0x00, 0x05, 0x00});
  EXPECT_EQ(inner.status, 5);
  EXPECT_EQ(inner.message, "D0031S: Inconsistent lengths.\n");
  EXPECT_EQ(inner.trace,
            "#1 SEQUENCE: tag = [UNIVERSAL 16] constructed; length = 4\n"
            "not parsed: 8 octets from offset 2: 02 05 01 02 05 00 05 00\n");
  Decoded longer = decode({0x30, 0x0F, 0x04, 0x07, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10});
  EXPECT_EQ(longer.status, 4);
  EXPECT_EQ(longer.trace, "not parsed: 14 octets from offset 0: 30 0F 04 07 01 02 03 04 ...\n");
}

TEST(BerTraceDecoder, TagAndLengthTooLong) {
  Decoded tag = decode({0x30, 0x05, 0x9F, 0xFF, 0xFF, 0x7F, 0x00});
  EXPECT_EQ(tag.status, 10);
  EXPECT_EQ(tag.message, "D0019E: Tag too long: 4.\n");
  EXPECT_EQ(tag.trace,
            "#1 SEQUENCE: tag = [UNIVERSAL 16] constructed; length = 5\n"
            "not parsed: 5 octets from offset 2: 9F FF FF 7F 00\n");
  Decoded five = decode({0x04, 0x85, 0x00, 0x00, 0x00, 0x00, 0x01, 0x00});
  EXPECT_EQ(five.status, 10);
  EXPECT_EQ(five.message, "D0026S: Length too long: .\n");
  EXPECT_EQ(decode({0x04, 0x84, 0x80, 0x00, 0x00, 0x00}).status, 10);
  EXPECT_EQ(decode({0x04, 0xFF}).status, 10);
}

TEST(BerTraceDecoder, MisplacedOrMissingEoc) {
  Decoded stray = decode({0x05, 0x00, 0x00, 0x00});
  EXPECT_EQ(stray.status, 5);
  EXPECT_EQ(stray.message, "D0058E: Expected tag, found EOC octets.\n");
  Decoded missing = decode({0x30, 0x04, 0x30, 0x80, 0x02, 0x00, 0x05, 0x00});
  EXPECT_EQ(missing.status, 5);
  EXPECT_EQ(missing.message, "D0050S: Expected EOC octets.\n");
  EXPECT_EQ(missing.trace,
            "#1 SEQUENCE: tag = [UNIVERSAL 16] constructed; length = 4\n"
            "  #1 SEQUENCE: tag = [UNIVERSAL 16] constructed; length = indef\n"
            "    #1 INTEGER: tag = [UNIVERSAL 2] primitive; length = 0\n"
            "not parsed: 2 octets from offset 6: 05 00\n");
  Decoded odd = decode({0x30, 0x80, 0x00, 0x01, 0x00});
  EXPECT_EQ(odd.status, 5);
  EXPECT_EQ(odd.message, "D0028E: Non-standard EOC octets.\n");
  Decoded primitive = decode({0x04, 0x80, 0x01, 0x00, 0x00});
  EXPECT_EQ(primitive.status, 5);
  EXPECT_EQ(primitive.message, "D0051S: Found primitive encoding with indefinite length.\n");
}

TEST(BerTraceDecoder, PrintErrorsFlagAddsTheMessageToTheTrace) {
  Decoded d = decode({0x04, 0x80}, 0x2);
  EXPECT_EQ(d.trace,
            "not parsed: 2 octets from offset 0: 04 80\n"
            "D0051S: Found primitive encoding with indefinite length.\n");
}

TEST(BerTraceDecoder, NullOrEmptyInputIsRefused) {
  zurtest::TestEnv env;
  zurcoreLinkBer(env.get());
  void *data = nullptr;
  int32_t length = 3;
  EXPECT_EQ(env->codecA->decode(env.get(), nullptr, &data, &length, nullptr, nullptr, nullptr, 0,
                                env->msgBuf),
            11);
  EXPECT_STREQ(env->msgBuf, "D0011S: Unexpected NULL pointer in input.\n");
  const unsigned char octet = 0x05;
  data = const_cast<unsigned char *>(&octet);
  length = 0;  // an empty encoding holds no PDU
  EXPECT_EQ(env->codecA->decode(env.get(), nullptr, &data, &length, nullptr, nullptr, nullptr, 0,
                                env->msgBuf),
            4);
  EXPECT_STREQ(env->msgBuf, "D0055S: Premature end of input buffer.\n");
}

TEST(BerTraceDecoder, TraceFollowsTheRulesInForce) {
  const Octets in = {0x02, 0x01, 0x07};
  EXPECT_EQ(decode(in, 0, 4).trace, "#1 INTEGER: tag = [UNIVERSAL 2] primitive; length = 1\n");
  Decoded per = decode(in, 0, 1);
  EXPECT_EQ(per.status, 0);
  EXPECT_EQ(per.trace, "#1 INTEGER\n");
  EXPECT_EQ(decode(in, 0, 3).trace, "");
}

TEST(BerTraceDecoder, ThroughTheFrontEnds) {
  zurtest::TestEnv env;
  env.captureWithHook();
  ASSERT_EQ(zur::apiSetEncodingRules(env.get(), 4), 0);
  ASSERT_EQ(zur::apiSetFlags(env.get(), 0x2), 0);
  unsigned char octets[] = {0x31, 0x03, 0x01, 0x01, 0x00, 0x04, 0x80};
  EncBuf in{sizeof octets, octets};
  void *decoded = nullptr;
  EXPECT_EQ(zur::apiDecode(env.get(), nullptr, &in, &decoded), 5);
  EXPECT_EQ(zurtest::hookText(),
            "#1 SET: tag = [UNIVERSAL 17] constructed; length = 3\n"
            "  #1 BOOLEAN: tag = [UNIVERSAL 1] primitive; length = 1\n"
            "not parsed: 2 octets from offset 5: 04 80\n"
            "D0051S: Found primitive encoding with indefinite length.\n");
  EXPECT_STREQ(zur::apiGetErrorMsg(env.get()),
               "D0051S: Found primitive encoding with indefinite length.\n");
  EXPECT_EQ(in.length, static_cast<int32_t>(sizeof octets));

  zurtest::hookText().clear();
  in.length = 5;
  EXPECT_EQ(zur::apiDecode(env.get(), nullptr, &in, &decoded), 0);
  EXPECT_EQ(in.length, 0);
  EXPECT_EQ(in.value, octets + 5);
  EXPECT_EQ(decoded, nullptr);  // no values are decoded
  EXPECT_EQ(zurtest::hookText(),
            "#1 SET: tag = [UNIVERSAL 17] constructed; length = 3\n"
            "  #1 BOOLEAN: tag = [UNIVERSAL 1] primitive; length = 1\n");
}

}  // namespace
