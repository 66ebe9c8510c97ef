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

#ifndef _WIN32
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

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
  // Another process takes the mutex while this thread's print runs, after its
  // record went in; a second thread then tries to enter its own print, and a
  // third to change the list directly. Removing waits out the time limit.
  void (*handlerBefore)(int) = currentSegvHandler();
  std::optional<GloblistHolder> holder;
  int entered = -1, lockedUpdate = -1;
  std::string enteringText = "unset";
  zur::RegRecord spare{};
  zur::RegRecord *spareHead = nullptr;
  std::thread entering, direct;
  env->services->mapValue = mapThenAct;
  duringMap = [&] {
    holder.emplace(6500);
    entering = std::thread([&] {
      TestEnv second;
      useSample(second.get());
      entered = zur::apiPrintPdu(second.get(), PDU_REC, &rec);
      enteringText = hookText();
    });
    direct =
        std::thread([&] { lockedUpdate = zur::updateRegistration(env.get(), &spare, &spareHead); });
  };

  const Clock::time_point start = Clock::now();
  EXPECT_EQ(print(), 19);
  EXPECT_GE(msSince(start), 4900);
  EXPECT_EQ(hookText(), recText(5, "zurbase"));
  entering.join();
  direct.join();
  EXPECT_EQ(entered, 19);
  EXPECT_EQ(enteringText, "");
  EXPECT_EQ(lockedUpdate, 0);
  EXPECT_EQ(spareHead, nullptr);
  // Neither print's record stays behind.
  expectListAsBefore();
  EXPECT_EQ(currentSegvHandler(), handlerBefore);

  EXPECT_EQ(holder->join(), 0);
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
}

#ifndef _WIN32
// The POSIX object behind a named mutex belongs to one user: a fresh one is
// made 0600, and one that another user or another program could have made or
// could write is refused.
TEST(NamedMutex, ObjectsOfOtherOwnersOpenToOthersOrOfAnotherSizeAreRefused) {
  const std::string name = "zurtest-mutex-" + std::to_string(getpid());
  char object[128];
  ASSERT_TRUE(zur::platform::userObjectName(object, sizeof object, name.c_str()));
  struct stat made {};
  {
    zur::platform::NamedMutex mine;
    ASSERT_TRUE(mine.open(name.c_str()));
    const int fd = shm_open(object, O_RDONLY, 0);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(fstat(fd, &made), 0);
    close(fd);
    EXPECT_EQ(made.st_mode & 0777, 0600u);
  }
  const struct {
    const char *what;
    off_t size;
    mode_t mode;
    bool otherOwner;
  } cases[] = {{"3 bytes", 3, 0600, false},
               {"twice the size", 2 * made.st_size, 0600, false},
               {"open to others", made.st_size, 0666, false},
               {"another owner", made.st_size, 0600, true}};
  for (const auto &c : cases) {
    if (c.otherOwner && geteuid() != 0) {
      std::printf("[ skipped  ] %s: only root can give an object away\n", c.what);
      continue;
    }
    shm_unlink(object);
    const int fd = shm_open(object, O_RDWR | O_CREAT | O_EXCL, 0600);
    ASSERT_GE(fd, 0) << c.what;
    EXPECT_EQ(fchmod(fd, c.mode), 0);
    EXPECT_EQ(ftruncate(fd, c.size), 0);
    if (c.otherOwner) {
      EXPECT_EQ(fchown(fd, 65534, 65534), 0);
    }
    close(fd);
    zur::platform::NamedMutex refused;
    EXPECT_FALSE(refused.open(name.c_str())) << c.what;
  }
  shm_unlink(object);
}
#else
TEST(NamedMutex, ObjectsOfOtherOwnersOpenToOthersOrOfAnotherSizeAreRefused) {
  GTEST_SKIP() << "POSIX only: a Windows named mutex is a kernel object of the session, "
                  "with no shared-memory object to check";
}
#endif

}  // namespace
