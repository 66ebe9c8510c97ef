// The named mutex on POSIX: a robust, process-shared pthread mutex in a
// shared-memory object named after the mutex and the user. A holder that dies
// leaves the mutex "owner died", which the next waiter sees as abandoned.
// One object per user, readable and writable by that user only, is the
// counterpart of a Win32 session's namespace: no other user can overwrite or
// hold the mutex of this user's processes.
#include <fcntl.h>
#include <pthread.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <ctime>

#include "platform/named_mutex.h"
#include "zurbase/types.h"

namespace zur::platform {
namespace {

enum SetupState : std::uint32_t { FRESH = 0, SETTING_UP = 1, READY = 2 };

struct SharedMutex {
  std::atomic<std::uint32_t> state;  // zero-filled when the object is created
  pthread_mutex_t mutex;
};
static_assert(std::atomic<std::uint32_t>::is_always_lock_free);

// 32-bit and 64-bit programs lay pthread_mutex_t out differently, so each
// word size has an object of its own.
constexpr const char *kObjectSuffix = ZURBASE_WORD32 ? "-32" : "";
constexpr int kSetupWaitMs = 1000;

SharedMutex *shared(void *native) { return static_cast<SharedMutex *>(native); }

// Only an object that this user owns, that no one else may open, and that is
// new (empty) or holds exactly one SharedMutex is used; anything else was
// made by someone else or by something else and is refused.
bool trustworthy(const struct stat &info) {
  return info.st_uid == geteuid() && (info.st_mode & 077) == 0 &&
         (info.st_size == 0 || info.st_size == static_cast<off_t>(sizeof(SharedMutex)));
}

bool initialise(SharedMutex *m) {
  pthread_mutexattr_t attr;
  if (pthread_mutexattr_init(&attr) != 0) return false;
  const bool made = pthread_mutexattr_setpshared(&attr, PTHREAD_PROCESS_SHARED) == 0 &&
                    pthread_mutexattr_setrobust(&attr, PTHREAD_MUTEX_ROBUST) == 0 &&
                    pthread_mutex_init(&m->mutex, &attr) == 0;
  pthread_mutexattr_destroy(&attr);
  return made;
}

// The first opener sets the mutex up; the others wait until it is ready.
bool awaitSetup(SharedMutex *m) {
  std::uint32_t expected = FRESH;
  if (m->state.compare_exchange_strong(expected, SETTING_UP)) {
    if (!initialise(m)) {
      m->state.store(FRESH);
      return false;
    }
    m->state.store(READY);
    return true;
  }
  const timespec pause{0, 1000 * 1000};
  for (int waited = 0; m->state.load() != READY; ++waited) {
    if (waited == kSetupWaitMs) return false;
    nanosleep(&pause, nullptr);
  }
  return true;
}

timespec deadlineAfter(std::uint32_t milliseconds) {
  timespec t;
  clock_gettime(CLOCK_MONOTONIC, &t);
  t.tv_sec += milliseconds / 1000;
  t.tv_nsec += static_cast<long>(milliseconds % 1000) * 1000 * 1000;
  if (t.tv_nsec >= 1000 * 1000 * 1000) {
    t.tv_sec += 1;
    t.tv_nsec -= 1000 * 1000 * 1000;
  }
  return t;
}

}  // namespace

bool userObjectName(char *buffer, std::size_t size, const char *name) noexcept {
  const int n = std::snprintf(buffer, size, "/%s-u%lu%s", name,
                              static_cast<unsigned long>(geteuid()), kObjectSuffix);
  return n > 0 && static_cast<std::size_t>(n) < size;
}

NamedMutex::~NamedMutex() { close(); }

bool NamedMutex::open(const char *name) noexcept {
  close();
  char objectName[128];
  if (!userObjectName(objectName, sizeof objectName, name)) return false;
  const int fd = shm_open(objectName, O_RDWR | O_CREAT, 0600);
  if (fd < 0) return false;
  struct stat info;
  bool sized = fstat(fd, &info) == 0 && trustworthy(info);
  if (sized && info.st_size == 0) sized = ftruncate(fd, sizeof(SharedMutex)) == 0;
  void *mapped = sized
                     ? mmap(nullptr, sizeof(SharedMutex), PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0)
                     : MAP_FAILED;
  ::close(fd);
  if (mapped == MAP_FAILED) return false;
  if (!awaitSetup(static_cast<SharedMutex *>(mapped))) {
    munmap(mapped, sizeof(SharedMutex));
    return false;
  }
  native_ = mapped;
  return true;
}

MutexWait NamedMutex::wait(std::uint32_t milliseconds) noexcept {
  pthread_mutex_t *mutex = &shared(native_)->mutex;
  const timespec deadline = deadlineAfter(milliseconds);
  switch (pthread_mutex_clocklock(mutex, CLOCK_MONOTONIC, &deadline)) {
    case 0:
      return MutexWait::Acquired;
    case EOWNERDEAD: {
      // This thread now holds it; mark it usable again and hand it on.
      const bool recovered = pthread_mutex_consistent(mutex) == 0;
      const bool released = pthread_mutex_unlock(mutex) == 0;
      return recovered && released ? MutexWait::Abandoned : MutexWait::Failed;
    }
    case ETIMEDOUT:
      return MutexWait::TimedOut;
    default:
      return MutexWait::Failed;
  }
}

bool NamedMutex::release() noexcept { return pthread_mutex_unlock(&shared(native_)->mutex) == 0; }

bool NamedMutex::close() noexcept {
  if (native_ == nullptr) return true;
  const bool unmapped = munmap(native_, sizeof(SharedMutex)) == 0;
  native_ = nullptr;
  return unmapped;
}

}  // namespace zur::platform
