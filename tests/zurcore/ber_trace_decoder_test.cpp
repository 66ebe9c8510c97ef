#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "frame/sibling.h"
#include "tests/support/test_env.h"

namespace {

using Octets = std::vector<unsigned char>;

struct Decoded {
  int status;
  std::string trace;
  std::string message;
  int32_t lengthLeft;
};

// Links the trace codec as selecting BER rules does, and decodes.
Decoded decode(const void *in, int32_t length, uint32_t flags = 0, int32_t rules = 0) {
  zurtest::TestEnv env;
  env.captureWithHook();
  env->encRules = rules;
  zurcoreSetCodecs(env.get(), zurcoreTraceCodec(), nullptr);
  zurcoreLinkBer(env.get());
  EXPECT_NE(env->codecA, nullptr);
  EXPECT_EQ(env->codecA->encode, nullptr);
  void *data = const_cast<void *>(in);
  env->msgBuf[0] = '\0';
  int status = env->codecA->decode(env.get(), nullptr, &data, &length, nullptr, nullptr, nullptr,
                                   flags, env->msgBuf);
  return {status, zurtest::hookText(), env->msgBuf, length};
}

Decoded decode(const Octets &in, uint32_t flags = 0, int32_t rules = 0) {
  return decode(in.data(), static_cast<int32_t>(in.size()), flags, rules);
}

// Each row decodes its octets; null texts are not checked.
TEST(BerTraceDecoder, TracesAndStatusRows) {
  Octets multi = {0x7F, 0x81, 0x00, 0x82, 0x01, 0x04, 0x04, 0x82, 0x01, 0x00};
  multi.resize(multi.size() + 256, 0xAB);
  multi.insert(multi.end(), {0xDF, 0xFF, 0x7F, 0x00});
  const Octets integer = {0x02, 0x01, 0x07};
  const struct {
    const char *name;
    Octets in;
    int status;
    const char *trace;
    const char *message = nullptr;
    uint32_t flags = 0;
    int32_t rules = 0;
  } cases[] = {
      {"indefinite forms end with EOC lines",
       {0x30, 0x80, 0x02, 0x01, 0x05, 0xA1, 0x80, 0x05, 0x00, 0x00, 0x00, 0x00, 0x00, 0x01, 0x01,
        0xFF},
       0,
       "#1 SEQUENCE: tag = [UNIVERSAL 16] constructed; length = indef\n"
       "  #1 INTEGER: tag = [UNIVERSAL 2] primitive; length = 1\n"
       "  #2 : tag = [1] constructed; length = indef\n"
       "    #1 NULL: tag = [UNIVERSAL 5] primitive; length = 0\n"
       "    EOC\n"
       "  EOC\n"
       "#2 BOOLEAN: tag = [UNIVERSAL 1] primitive; length = 1\n"},
      {"multi-octet tags and lengths", multi, 0,
       "#1 : tag = [APPLICATION 128] constructed; length = 260\n"
       "  #1 OCTET STRING: tag = [UNIVERSAL 4] primitive; length = 256\n"
       "#2 : tag = [PRIVATE 16383] primitive; length = 0\n"},
      {"unknown universal tags have no caption", {0x0F, 0x00, 0x1F, 0x40, 0x00}, 0,
       "#1 : tag = [UNIVERSAL 15] primitive; length = 0\n"
       "#2 : tag = [UNIVERSAL 64] primitive; length = 0\n"},
      {"rules 4 trace as BER", integer, 0,
       "#1 INTEGER: tag = [UNIVERSAL 2] primitive; length = 1\n", nullptr, 0, 4},
      {"PER rules trace field lines", integer, 0, "#1 INTEGER\n", nullptr, 0, 1},
      {"rules 3 trace nothing", integer, 0, "", nullptr, 0, 3},
      {"truncated input leaves a partial trace", {0x30, 0x80, 0x02, 0x01, 0x05}, 4,
       "#1 SEQUENCE: tag = [UNIVERSAL 16] constructed; length = indef\n"
       "  #1 INTEGER: tag = [UNIVERSAL 2] primitive; length = 1\n"
       "not parsed: 0 octets from offset 5:\n",
       "D0055S: Premature end of input buffer.\n"},
      {"truncated before the length", {0x30}, 4, nullptr},
      {"truncated in a long tag", {0x1F, 0x81}, 4, nullptr},
      {"truncated in a long length", {0x04, 0x82, 0x01}, 4, nullptr},
      {"length past the parent's end",
       {0x30, 0x04, 0x02, 0x05, 0x01, 0x02, 0x05, 0x00, 0x05, 0x00}, 5,
       "#1 SEQUENCE: tag = [UNIVERSAL 16] constructed; length = 4\n"
       "not parsed: 8 octets from offset 2: 02 05 01 02 05 00 05 00\n",
       "D0031S: Inconsistent lengths.\n"},
      {"more than 8 octets unparsed", {0x30, 0x0F, 0x04, 0x07, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10}, 4,
       "not parsed: 14 octets from offset 0: 30 0F 04 07 01 02 03 04 ...\n"},
      {"tag too long", {0x30, 0x05, 0x9F, 0xFF, 0xFF, 0x7F, 0x00}, 10,
       "#1 SEQUENCE: tag = [UNIVERSAL 16] constructed; length = 5\n"
       "not parsed: 5 octets from offset 2: 9F FF FF 7F 00\n",
       "D0019E: Tag too long: 4.\n"},
      {"five length octets", {0x04, 0x85, 0x00, 0x00, 0x00, 0x00, 0x01, 0x00}, 10, nullptr,
       "D0026S: Length too long: 5.\n"},
      {"length past INT32_MAX", {0x04, 0x84, 0x80, 0x00, 0x00, 0x00}, 10, nullptr, "D0026S: Length too long: 4.\n"},
      {"reserved length octet", {0x04, 0xFF}, 10, nullptr},
      {"stray EOC", {0x05, 0x00, 0x00, 0x00}, 5, nullptr,
       "D0058E: Expected tag, found EOC octets.\n"},
      {"missing EOC", {0x30, 0x04, 0x30, 0x80, 0x02, 0x00, 0x05, 0x00}, 5,
       "#1 SEQUENCE: tag = [UNIVERSAL 16] constructed; length = 4\n"
       "  #1 SEQUENCE: tag = [UNIVERSAL 16] constructed; length = indef\n"
       "    #1 INTEGER: tag = [UNIVERSAL 2] primitive; length = 0\n"
       "not parsed: 2 octets from offset 6: 05 00\n",
       "D0050S: Expected EOC octets.\n"},
      {"non-standard EOC", {0x30, 0x80, 0x00, 0x01, 0x00}, 5, nullptr,
       "D0028E: Non-standard EOC octets.\n"},
      {"primitive indefinite", {0x04, 0x80, 0x01, 0x00, 0x00}, 5, nullptr,
       "D0051S: Found primitive encoding with indefinite length.\n"},
      {"print errors flag adds the message to the trace", {0x04, 0x80}, 5,
       "not parsed: 2 octets from offset 0: 04 80\n"
       "D0051S: Found primitive encoding with indefinite length.\n",
       nullptr, 0x2},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.name);
    Decoded d = decode(c.in, c.flags, c.rules);
    EXPECT_EQ(d.status, c.status);
    if (c.trace != nullptr) {
      EXPECT_EQ(d.trace, c.trace);
    }
    if (c.message != nullptr) {
      EXPECT_EQ(d.message, c.message);
    }
    // The whole input is taken on success; failed input is left as given.
    EXPECT_EQ(d.lengthLeft, c.status == 0 ? 0 : static_cast<int32_t>(c.in.size()));
  }
}

TEST(BerTraceDecoder, NullOrEmptyInputIsRefused) {
  Decoded null = decode(nullptr, 3);
  EXPECT_EQ(null.status, 11);
  EXPECT_EQ(null.message, "D0011S: Unexpected NULL pointer in input.\n");
  const unsigned char octet = 0x05;
  Decoded empty = decode(&octet, 0);  // an empty encoding holds no PDU
  EXPECT_EQ(empty.status, 4);
  EXPECT_EQ(empty.message, "D0055S: Premature end of input buffer.\n");
}

}  // namespace
