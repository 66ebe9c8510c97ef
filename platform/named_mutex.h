// A mutex known by its name to every process of the user (of the session on
// Windows). Opening, waiting, releasing and closing are separate steps so
// that the caller can tell which one failed.
#ifndef ZURBASE_PLATFORM_NAMED_MUTEX_H
#define ZURBASE_PLATFORM_NAMED_MUTEX_H

#include <cstddef>
#include <cstdint>

namespace zur::platform {

enum class MutexWait {
  Acquired,   // the caller holds the mutex
  Abandoned,  // its holder ended without releasing it; it has been made usable
              // again and released, so the caller does not hold it
  TimedOut,
  Failed
};

class NamedMutex {
 public:
  NamedMutex() = default;
  ~NamedMutex();
  NamedMutex(const NamedMutex &) = delete;
  NamedMutex &operator=(const NamedMutex &) = delete;

  // Creates the mutex or opens the existing one, without taking it. On POSIX
  // an object of another owner, open to other users or of the wrong size is
  // refused.
  bool open(const char *name) noexcept;
  MutexWait wait(std::uint32_t milliseconds) noexcept;
  bool release() noexcept;
  // Gives up this handle (the mutex itself lives on while others use it).
  bool close() noexcept;

 private:
  void *native_ = nullptr;
};

#ifndef _WIN32
// The shared-memory object that holds the mutex `name` for this user; false
// when it does not fit in buffer.
bool userObjectName(char *buffer, std::size_t size, const char *name) noexcept;
#endif

}  // namespace zur::platform

#endif
