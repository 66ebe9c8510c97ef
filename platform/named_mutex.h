// A mutex known to every process of the machine by its name. Opening,
// waiting, releasing and closing are separate steps so that the caller can
// tell which one failed.
#ifndef ZURBASE_PLATFORM_NAMED_MUTEX_H
#define ZURBASE_PLATFORM_NAMED_MUTEX_H

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

  // Creates the mutex or opens the existing one, without taking it.
  bool open(const char *name);
  MutexWait wait(std::uint32_t milliseconds);
  bool release();
  // Gives up this handle (the mutex itself lives on while others use it).
  bool close();

 private:
  void *native_ = nullptr;
};

}  // namespace zur::platform

#endif
