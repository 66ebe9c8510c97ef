// The POSIX object behind a named mutex belongs to one user: one that another
// user or another program could have made or could write is refused.
#include "platform/named_mutex.h"

#include <gtest/gtest.h>

#ifndef _WIN32
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <string>

namespace {

TEST(NamedMutex, ObjectsOfOtherOwnersOpenToOthersOrOfAnotherSizeAreRefused) {
  const std::string name = "zurtest-mutex-" + std::to_string(getpid());
  char object[128];
  ASSERT_TRUE(zur::platform::userObjectName(object, sizeof object, name.c_str()));
  off_t goodSize = 0;
  {
    zur::platform::NamedMutex mine;
    ASSERT_TRUE(mine.open(name.c_str()));  // a fresh object is made, 0600
    struct stat info {};
    const int fd = shm_open(object, O_RDONLY, 0);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(fstat(fd, &info), 0);
    close(fd);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
    goodSize = info.st_size;
    ASSERT_EQ(mine.wait(1000), zur::platform::MutexWait::Acquired);
    EXPECT_TRUE(mine.release());
  }
  const struct {
    const char *what;
    off_t size;
    mode_t mode;
    bool otherOwner;
  } cases[] = {{"3 bytes", 3, 0600, false},
               {"twice the size", 2 * goodSize, 0600, false},
               {"open to others", 0, 0666, false},
               {"another owner", 0, 0600, true}};
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

}  // namespace
#endif
