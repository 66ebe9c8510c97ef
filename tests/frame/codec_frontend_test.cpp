#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "library/entry_points.h"
#include "tests/support/test_env.h"

namespace {

using Args = std::vector<const void *>;

// How the last codec call was made.
struct Call {
  std::string codec;  // "Ae", "Bd": codec A or B, encode or decode
  int32_t pdu;        // encode's PDU number
  Args args;          // the pointer arguments after Env, in order
  uint32_t flags;
};
Call last;

template <char Codec>
int recordEncode(Env *, int32_t pdu, void *value, void **outPtr, int32_t *outLen,
                 const CtlTbl *ctl, uint32_t flags, char *msgBuf) {
  last = {{Codec, 'e'}, pdu, {value, outPtr, outLen, ctl, msgBuf}, flags};
  if (msgBuf != nullptr) std::strcpy(msgBuf, "Ecodec says no.\n");
  return 55;
}

template <char Codec>
int recordDecode(Env *, int32_t *pdu, void **inPtr, int32_t *inLen, void **outRef,
                 uint32_t *outLen, const CtlTbl *ctl, uint32_t flags, char *msgBuf) {
  last = {{Codec, 'd'}, 0, {pdu, inPtr, inLen, outRef, outLen, ctl, msgBuf}, flags};
  return 0;
}

const CodecEntry codecA{recordEncode<'A'>, recordDecode<'A'>};
const CodecEntry codecB{recordEncode<'B'>, recordDecode<'B'>};

class FrontEnd : public ::testing::Test {
 protected:
  void SetUp() override {
    last = {};
    zurcoreSetCodecs(env.get(), &codecA, &codecB);
    env->ctlTbl = &ctl;
  }
  void select(int rules) { ASSERT_EQ(zur::apiSetEncodingRules(env.get(), rules), 0); }
  zurtest::TestEnv env;
  CtlTbl ctl{};
  int value = 7;
  EncBuf out{0, nullptr};  // the codecs here never fill it
  unsigned char input[2] = {0x05, 0x00};
  EncBuf in{2, input};
};

// BER and DER go to codec A, PER to codec B; a codec not installed is
// reported with the rules' name. Unknown rules are stored and refused at the
// next call.
TEST_F(FrontEnd, RulesPickTheCodec) {
  const struct {
    int rules;
    const char *codec, *name;
  } cases[] = {{0, "Ae", "BER"}, {1, "Be", "PER"}, {2, "Be", "PER"}, {4, "Ae", "DER"}};
  for (const auto &c : cases) {
    zurcoreSetCodecs(env.get(), &codecA, &codecB);
    select(c.rules);
    EXPECT_EQ(zur::apiEncode(env.get(), 3, &value, &out), 55) << c.rules;
    EXPECT_EQ(last.codec, c.codec) << c.rules;
    zurcoreSetCodecs(env.get(), nullptr, nullptr);
    select(c.rules);
    EXPECT_EQ(zur::apiEncode(env.get(), 1, &value, &out), 23);
    EXPECT_EQ(env->msgBuf, "E0103S: The requested encoding rules were not linked: '" +
                               std::string(c.name) + "'.\n");
  }
  select(3);
  EXPECT_EQ(zur::apiEncode(env.get(), 3, &value, &out), 22);
  EXPECT_EQ(zur::apiGetEncodingRules(env.get()), 3);
  EXPECT_STREQ(env->msgBuf,
               "E0100S: Unknown encoding rules were requested, use BER/DER/PER only..\n");
  const CodecEntry encodeOnly{recordEncode<'A'>, nullptr};
  zurcoreSetCodecs(env.get(), &encodeOnly, nullptr);
  select(0);
  void *decoded = nullptr;
  EXPECT_EQ(zur::apiDecode(env.get(), nullptr, &in, &decoded), 23);
  EXPECT_STREQ(env->msgBuf, "D0103S: The requested encoding rules were not linked: 'BER'.\n");
}

TEST_F(FrontEnd, EncodeMasksFlagsAndAddsCallerAreaBit) {
  select(0);
  env->encFlags = 0xFFFFFFFF;
  zur::apiEncode(env.get(), 3, &value, &out);
  EXPECT_EQ(last.flags, 0xbb2u);
  EXPECT_EQ(last.pdu, 3);
  EXPECT_EQ(last.args, (Args{&value, &out.value, &out.length, &ctl, env->msgBuf}));
  env->encFlags = 0x1 | 0x4 | 0x8 | 0x40 | 0x400;
  char area[16];
  out.value = area;
  zur::apiEncode(env.get(), 3, &value, &out);
  EXPECT_EQ(last.flags, 0x4u);
}

TEST_F(FrontEnd, DecodeMasksFlagsAndHandsTheAreaLengthByAddress) {
  select(1);
  env->decFlags = 0xFFFFFFFF;
  void *decoded = nullptr;
  int32_t pdu = 4;
  EXPECT_EQ(zur::apiDecode(env.get(), &pdu, &in, &decoded), 0);
  EXPECT_EQ(last.codec, "Bd");
  EXPECT_EQ(last.flags, 0xe12u);
  EXPECT_EQ(last.args,
            (Args{&pdu, &in.value, &in.length, &decoded, &env->decodeBufLen, &ctl, env->msgBuf}));
  char area[64];
  decoded = area;
  env->decodeBufLen = sizeof area;
  zur::apiDecode(env.get(), &pdu, &in, &decoded);
  EXPECT_EQ(last.flags, 0xe16u);
}

// Row 4 with code 6, before any codec is looked up (the unknown rules would
// report row 46): also for a caller's decode area without a length.
TEST_F(FrontEnd, MissingArgumentsReportRow4WithCode6) {
  select(3);
  EXPECT_EQ(zur::apiEncode(env.get(), 1, nullptr, &out), 6);
  EXPECT_STREQ(env->msgBuf, "E0006S: Unexpected NULL pointer as argument to encoder/decoder.\n");
  env->msgBuf[0] = '\0';
  EXPECT_EQ(zur::apiEncode(env.get(), 1, &value, nullptr), 6);
  EXPECT_EQ(env->msgBuf[0], 'E');
  void *outRef = nullptr;
  char area[8];
  void *callerArea = area;
  env->decodeBufLen = 0;
  EncBuf empty{0, nullptr};
  const std::pair<EncBuf *, void **> decodes[] = {
      {&empty, &outRef}, {nullptr, &outRef}, {&in, nullptr}, {&in, &callerArea}};
  for (const auto &[buf, ref] : decodes) {
    env->msgBuf[0] = '\0';
    EXPECT_EQ(zur::apiDecode(env.get(), nullptr, buf, ref), 6);
    EXPECT_STREQ(env->msgBuf,
                 "D0006S: Unexpected NULL pointer as argument to encoder/decoder.\n");
  }
}

// Selecting rules clears the whole work area and links the rules' codec
// unless the control table says not to; without a table the flags read as 0.
TEST_F(FrontEnd, SelectingRulesClearsTheWorkAreaAndLinks) {
  const struct {
    CtlTbl *table;
    uint16_t flags;
    int rules;
    bool linked;
  } cases[] = {{&ctl, CTL_NO_LINK_BER, 0, false}, {&ctl, CTL_NO_LINK_BER, 1, true},
               {&ctl, CTL_NO_LINK_PER, 2, false}, {&ctl, CTL_NO_LINK_PER, 4, true},
               {nullptr, 0, 0, true}};
  for (const auto &c : cases) {
    env->codecA = env->codecB = nullptr;
    env->ctlTbl = c.table;
    ctl.flags = c.flags;
    select(c.rules);
    EXPECT_EQ((c.rules % 4 == 0 ? env->codecA : env->codecB) != nullptr, c.linked) << c.rules;
  }
  std::memset(&env->workArea, 0xAB, sizeof env->workArea);
  select(7);
  const auto *bytes = reinterpret_cast<const unsigned char *>(&env->workArea);
  for (std::size_t i = 0; i < sizeof env->workArea; ++i) ASSERT_EQ(bytes[i], 0) << i;
}

// The wrappers pass every argument on, flags unmasked, and copy a caller's
// own message buffer back into Env.msgBuf.
TEST_F(FrontEnd, MessageWrappersCopyTheCallersBufferBack) {
  select(4);
  std::strcpy(env->msgBuf, "untouched");
  char own[100] = "old text";
  void *p = nullptr;
  int32_t n = 0;
  EXPECT_EQ(zur::apiEncodeWithMsg(env.get(), 9, &value, &p, &n, nullptr, 0xFFFFFFFF, own), 55);
  EXPECT_EQ(last.args, (Args{&value, &p, &n, nullptr, own}));
  EXPECT_EQ(last.flags, 0xFFFFFFFFu);
  EXPECT_STREQ(env->msgBuf, "Ecodec says no.\n");
  std::strcpy(own, "kept after success");
  void *decoded = nullptr;
  uint32_t outLen = 0;
  auto decode = [&](Env *e, char *msgBuf) {
    return zur::apiDecodeWithMsg(e, nullptr, &in.value, &in.length, &decoded, &outLen, &ctl, 0,
                                 msgBuf);
  };
  EXPECT_EQ(decode(env.get(), own), 0);
  EXPECT_STREQ(env->msgBuf, "kept after success");
  EXPECT_EQ(decode(env.get(), nullptr), 0);
  EXPECT_EQ(last.args.back(), env->msgBuf);
  EXPECT_EQ(zur::apiEncodeWithMsg(env.get(), 1, &value, &p, &n, &ctl, 0, env->msgBuf), 55);
  EXPECT_EQ(zur::apiEncodeWithMsg(nullptr, 1, &value, &p, &n, &ctl, 0, own), 6);
  EXPECT_EQ(decode(nullptr, own), 6);
}

// Each setter is read back by its getter; without an Env setters give 6 and
// getters -1.
TEST_F(FrontEnd, SettersAndGettersRoundTrip) {
  const struct {
    int (*set)(Env *, uint32_t);
    int (*get)(Env *);
    uint32_t value;
  } cases[] = {{[](Env *e, uint32_t v) { return zur::apiSetEncodingRules(e, int32_t(v)); },
                zur::apiGetEncodingRules, 1},
               {zur::apiSetEncodingFlags, zur::apiGetEncodingFlags, 0x20},
               {zur::apiSetDecodingFlags, zur::apiGetDecodingFlags, 0x400},
               {zur::apiSetDecodeBufLen, zur::apiGetDecodeBufLen, 4096}};
  for (const auto &c : cases) {
    EXPECT_EQ(c.set(env.get(), c.value), 0) << c.value;
    EXPECT_EQ(c.get(env.get()), int(c.value));
    EXPECT_EQ(c.set(nullptr, c.value), 6);
    EXPECT_EQ(c.get(nullptr), -1);
  }
  EXPECT_EQ(zur::apiSetFlags(env.get(), 0x812), 0);
  EXPECT_EQ(zur::apiGetEncodingFlags(env.get()), 0x812);
  EXPECT_EQ(zur::apiGetDecodingFlags(env.get()), 0x812);
  EXPECT_EQ(zur::apiSetFlags(nullptr, 1), 6);
  EXPECT_EQ(zur::apiEncode(nullptr, 1, nullptr, nullptr), 6);
  EXPECT_EQ(zur::apiDecode(nullptr, nullptr, nullptr, nullptr), 6);
  EXPECT_EQ(zur::apiEncodeDirect(nullptr, 1, nullptr, nullptr, nullptr, nullptr, 0, nullptr), 22);
  env->workArea.workValue = 0x5A5A;
  EXPECT_EQ(zur::apiGetWorkValue(env.get()), 0x5A5Au);
  EXPECT_EQ(zur::apiGetWorkValue(nullptr), 0u);
}

// The forwarders hand their arguments and the Env's current control table to
// the sibling's services, and answer 6 (or 0) without an Env or services.
TEST_F(FrontEnd, ForwardersPassArgumentsAndTheCurrentControlTable) {
  CtlTbl first{}, second{};
  ZurcoreServiceCall call{};
  for (CtlTbl *ctl : {&first, &second}) {
    env->ctlTbl = ctl;
    EXPECT_EQ(zur::apiService16(env.get(), 40, 2), 42);
    zurcoreLastServiceCall(env.get(), &call);
    EXPECT_EQ(call.ctl, ctl);
  }
  EXPECT_EQ(zur::apiService31(env.get(), 8), 16);
  EXPECT_EQ(zur::apiService37(env.get(), 5), ~5);
  EXPECT_EQ(zur::apiService35(env.get()), 5);  // the stand-in counts the calls made
  ApiWord h = zur::apiMakeDeferredHandle(env.get(), 2, 31337);
  EXPECT_EQ(zur::apiGetDeferredLocator(env.get(), h), 31337u);
  EXPECT_EQ(zur::apiDeferredKind(env.get(), reinterpret_cast<void *>(h)), 2);
  env->services = nullptr;
  for (Env *e : {static_cast<Env *>(nullptr), env.get()}) {
    for (int code : {zur::apiService16(e, 1, 2), zur::apiService31(e, 1), zur::apiService35(e),
                     zur::apiService37(e, 1), zur::apiDeferredKind(e, nullptr)})
      EXPECT_EQ(code, 6);
    EXPECT_EQ(zur::apiMakeDeferredHandle(e, 1, 2), 0u);
    EXPECT_EQ(zur::apiGetDeferredLocator(e, 1), 0u);
  }
}

}  // namespace
