#include <gtest/gtest.h>

#include "frame/sibling.h"
#include "tests/support/test_env.h"

namespace {

TEST(StandIn, NewEnvHasAllocatorsServicesAndEmptyMessage) {
  zurtest::TestEnv env;
  ASSERT_NE(env->memAlloc, nullptr);
  ASSERT_NE(env->services, nullptr);
  EXPECT_EQ(env->msgBuf[0], '\0');
  EXPECT_EQ(env->hooks, nullptr);
  EXPECT_EQ(zurcoreApiTbl(env.get()), apiTbl);
  void *block = env->memAlloc(64);
  ASSERT_NE(block, nullptr);
  env->memFree(block);
}

TEST(StandIn, DeferredHandlesRoundTripAndAreRecognisedAsData) {
  zurtest::TestEnv env;
  SvcTbl *s = env->services;
  static const char name[] = "/tmp/zur0001";
  ApiWord fileHandle = s->makeDeferredHandle(env.get(), ZURCORE_DEFER_TMP_FILE,
                                             reinterpret_cast<ApiWord>(name));
  ApiWord socketHandle = s->makeDeferredHandle(env.get(), ZURCORE_DEFER_SOCKET, 4242);
  ASSERT_NE(fileHandle, 0u);
  ASSERT_NE(socketHandle, 0u);
  EXPECT_NE(fileHandle, socketHandle);
  EXPECT_EQ(s->getDeferredLocator(env.get(), fileHandle), reinterpret_cast<ApiWord>(name));
  EXPECT_EQ(s->getDeferredLocator(env.get(), socketHandle), 4242u);
  EXPECT_EQ(s->makeDeferredHandle(env.get(), ZURCORE_DEFER_SOCKET, 4242), socketHandle);
  EXPECT_EQ(s->deferredKind(env.get(), reinterpret_cast<void *>(fileHandle)), 1);
  EXPECT_EQ(s->deferredKind(env.get(), reinterpret_cast<void *>(socketHandle)), 2);
  int plain = 0;
  EXPECT_EQ(s->deferredKind(env.get(), &plain), 0);
  EXPECT_EQ(s->getDeferredLocator(env.get(), reinterpret_cast<ApiWord>(&plain)), 0u);
  EXPECT_EQ(s->makeDeferredHandle(env.get(), 0, 1), 0u);
}

int fakeEncode(Env *, int32_t, void *, void **, int32_t *, const CtlTbl *, uint32_t, char *) {
  return 99;
}

TEST(StandIn, LinkingInstallsTheRegisteredCodecs) {
  zurtest::TestEnv env;
  const CodecEntry ber{fakeEncode, nullptr};
  const CodecEntry per{nullptr, nullptr};
  zurcoreSetCodecs(env.get(), &ber, &per);
  zurcoreLinkBer(env.get());
  zurcoreLinkPer(env.get());
  ASSERT_NE(env->codecA, nullptr);
  EXPECT_EQ(env->codecA->encode, fakeEncode);
  ASSERT_NE(env->codecB, nullptr);
  zurcoreSetCodecs(env.get(), nullptr, nullptr);
  zurcoreLinkBer(env.get());
  zurcoreLinkPer(env.get());
  EXPECT_EQ(env->codecA, nullptr);
  EXPECT_EQ(env->codecB, nullptr);
}

}  // namespace
