#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "frame/entry_points.h"
#include "frame/registration_list.h"
#include "tests/guard/guard_support.h"
#include "tests/guard/sample_table.h"
#include "tests/support/test_env.h"

namespace {

using namespace zurtest;
using Clock = std::chrono::steady_clock;

long msSince(Clock::time_point start) {
  return static_cast<long>(
      std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count());
}

class GloblistContention : public testing::Test {
 protected:
  TestEnv env;
  RecValue rec{0, 5, "zurbase"};
  // A registration of another thread, so that "unchanged" means something.
  Worker other;
  zur::RegRecord otherRecord{};
  void (*handlerBefore)(int) = currentSegvHandler();

  void SetUp() override {
    zurcoreSetPrintHook(env.get(), threadTextHook);
    env->ctlTbl = &sampleTable();
    other.run([&] { zur::editRegList(env.get(), &otherRecord, &zur::regListHead); });
  }
  void TearDown() override {
    other.run([&] { zur::editRegList(nullptr, nullptr, &zur::regListHead); });
    EXPECT_EQ(zur::regListHead, nullptr);
  }

  int print() {
    threadText().clear();
    return zur::apiPrintPdu(env.get(), PDU_REC, &rec);
  }

  void expectListAsBefore() {
    EXPECT_EQ(zur::regListHead, &otherRecord);
    EXPECT_EQ(otherRecord.next, nullptr);
    EXPECT_EQ(otherRecord.backLink, &zur::regListHead);
  }
};

TEST_F(GloblistContention, AHolderPastTheTimeLimitMakesThePrintReturn19WithNothingPrinted) {
  GloblistHolder holder = GloblistHolder::holdFor(6500);

  int lockedUpdate = -1;
  zur::RegRecord spare{};
  zur::RegRecord *spareHead = nullptr;
  std::thread direct([&] { lockedUpdate = zur::updateRegistration(env.get(), &spare, &spareHead); });

  const Clock::time_point start = Clock::now();
  EXPECT_EQ(print(), 19);
  const long waited = msSince(start);
  EXPECT_GE(waited, 4900);
  EXPECT_EQ(threadText(), "");
  expectListAsBefore();
  EXPECT_EQ(currentSegvHandler(), handlerBefore);

  direct.join();
  EXPECT_EQ(lockedUpdate, 0);
  EXPECT_EQ(spareHead, nullptr);

  // Without registration the print does not wait for the mutex.
  TestEnv unguarded;
  zurcoreSetPrintHook(unguarded.get(), threadTextHook);
  unguarded->ctlTbl = &sampleTable();
  unguarded->decFlags |= ZURBASE_FLAG_NO_PRINT_GUARD;
  threadText().clear();
  const Clock::time_point quick = Clock::now();
  EXPECT_EQ(zur::apiPrintPdu(unguarded.get(), PDU_REC, &rec), 0);
  EXPECT_LT(msSince(quick), 1000);
  EXPECT_EQ(threadText(), recText(5, "zurbase"));

  EXPECT_EQ(holder.join(), 0);
  EXPECT_EQ(print(), 0);
  EXPECT_EQ(threadText(), recText(5, "zurbase"));
  std::printf("[ figures  ] waited %ld ms for the held mutex\n", waited);
}

TEST_F(GloblistContention, AHolderThatDiedHoldingItMakesOnePrintReturn19ThenItIsUsable) {
  if (!deadHolderDetectable())
    GTEST_SKIP() << "robust mutexes are not emulated here; a dead holder is never seen";
  GloblistHolder holder = GloblistHolder::abandon();
  EXPECT_EQ(holder.join(), 0);

  const Clock::time_point start = Clock::now();
  EXPECT_EQ(print(), 19);
  EXPECT_LT(msSince(start), 4000);
  EXPECT_EQ(threadText(), "");
  expectListAsBefore();

  EXPECT_EQ(print(), 0);
  EXPECT_EQ(threadText(), recText(5, "zurbase"));
  expectListAsBefore();
}

}  // namespace
