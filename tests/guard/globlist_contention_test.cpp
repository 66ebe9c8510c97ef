#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <optional>
#include <thread>
#include <utility>

#include "library/entry_points.h"
#include "platform/named_mutex.h"
#include "printer/registration_list.h"
#include "tests/guard/guard_support.h"
#include "tests/support/test_env.h"

namespace {

using namespace zurtest;
using Clock = std::chrono::steady_clock;

long msSince(Clock::time_point start) {
  return static_cast<long>(
      std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count());
}

// Runs once inside the next mapValue call, which then maps as usual.
std::function<void()> duringMap;
void *mapThenAct(Env *, void *value, uint32_t) {
  if (const std::function<void()> act = std::exchange(duringMap, nullptr)) act();
  return value;
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
    useSample(env.get());
    other.run([&] { zur::editRegList(env.get(), &otherRecord, &zur::regListHead); });
  }
  void TearDown() override {
    other.run([&] { zur::editRegList(nullptr, nullptr, &zur::regListHead); });
    EXPECT_EQ(zur::regListHead, nullptr);
  }

  int print() {
    hookText().clear();
    return zur::apiPrintPdu(env.get(), PDU_REC, &rec);
  }

  void expectListAsBefore() {
    EXPECT_EQ(zur::regListHead, &otherRecord);
    EXPECT_EQ(otherRecord.next, nullptr);
    EXPECT_EQ(otherRecord.backLink, &zur::regListHead);
  }
};

TEST_F(GloblistContention, AHolderPastTheTimeLimitMakesEnteringAndRemovingFailWith19) {
  // The holder takes the mutex while this thread's print runs, after its
  // record went in; a second thread then tries to enter its own print.
  std::optional<GloblistHolder> holder;
  int entered = -1;
  long enteringWaited = 0;
  std::string enteringText = "unset";
  int lockedUpdate = -1;
  zur::RegRecord spare{};
  zur::RegRecord *spareHead = nullptr;
  std::thread entering, direct;
  env->services->mapValue = mapThenAct;
  duringMap = [&] {
    holder.emplace(6500);
    entering = std::thread([&] {
      TestEnv second;
      useSample(second.get());
      const Clock::time_point start = Clock::now();
      entered = zur::apiPrintPdu(second.get(), PDU_REC, &rec);
      enteringWaited = msSince(start);
      enteringText = hookText();
    });
    direct =
        std::thread([&] { lockedUpdate = zur::updateRegistration(env.get(), &spare, &spareHead); });
  };

  const Clock::time_point start = Clock::now();
  EXPECT_EQ(print(), 19);
  const long removingWaited = msSince(start);
  EXPECT_GE(removingWaited, 4900);
  EXPECT_EQ(hookText(), recText(5, "zurbase"));
  entering.join();
  direct.join();
  EXPECT_EQ(entered, 19);
  EXPECT_GE(enteringWaited, 4900);
  EXPECT_EQ(enteringText, "");
  EXPECT_EQ(lockedUpdate, 0);
  EXPECT_EQ(spareHead, nullptr);
  // Neither print's record stays behind.
  expectListAsBefore();
  EXPECT_EQ(currentSegvHandler(), handlerBefore);

  // Without registration the print does not wait for the mutex.
  TestEnv unguarded;
  useSample(unguarded.get());
  unguarded->decFlags |= ZURBASE_FLAG_NO_PRINT_GUARD;
  hookText().clear();
  const Clock::time_point quick = Clock::now();
  EXPECT_EQ(zur::apiPrintPdu(unguarded.get(), PDU_REC, &rec), 0);
  EXPECT_LT(msSince(quick), 1000);
  EXPECT_EQ(hookText(), recText(5, "zurbase"));

  EXPECT_EQ(holder->join(), 0);
  EXPECT_EQ(print(), 0);
  EXPECT_EQ(hookText(), recText(5, "zurbase"));
  std::printf("[ figures  ] waited %ld ms entering, %ld ms removing\n", enteringWaited,
              removingWaited);
}

TEST_F(GloblistContention, AHolderThatDiedHoldingItMakesOnePrintReturn19ThenItIsUsable) {
  if (underUserModeEmulator())
    GTEST_SKIP() << "robust mutexes are not emulated here; a dead holder is never seen";
  // A Windows mutex object ends with its last handle: keep one open, as other
  // users of the library would, so that the holder's end abandons it.
  zur::platform::NamedMutex keepAlive;
  ASSERT_TRUE(keepAlive.open(zur::kRegListMutexName));
  EXPECT_EQ(GloblistHolder(-1).join(), 0);

  const Clock::time_point start = Clock::now();
  EXPECT_EQ(print(), 19);
  EXPECT_LT(msSince(start), 4000);
  EXPECT_EQ(hookText(), "");
  expectListAsBefore();

  EXPECT_EQ(print(), 0);
  EXPECT_EQ(hookText(), recText(5, "zurbase"));
  expectListAsBefore();
}

}  // namespace
