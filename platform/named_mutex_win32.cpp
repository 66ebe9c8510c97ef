// The named mutex on Win32: a kernel mutex object.
#include <windows.h>

#include "platform/named_mutex.h"

namespace zur::platform {

NamedMutex::~NamedMutex() { close(); }

bool NamedMutex::open(const char *name) {
  close();
  native_ = CreateMutexA(nullptr, FALSE, name);
  return native_ != nullptr;
}

MutexWait NamedMutex::wait(std::uint32_t milliseconds) {
  switch (WaitForSingleObject(static_cast<HANDLE>(native_), milliseconds)) {
    case WAIT_OBJECT_0:
      return MutexWait::Acquired;
    case WAIT_ABANDONED:
      // The wait made this thread the owner; hand the mutex on.
      ReleaseMutex(static_cast<HANDLE>(native_));
      return MutexWait::Abandoned;
    case WAIT_TIMEOUT:
      return MutexWait::TimedOut;
    default:
      return MutexWait::Failed;
  }
}

bool NamedMutex::release() { return ReleaseMutex(static_cast<HANDLE>(native_)) != 0; }

bool NamedMutex::close() {
  if (native_ == nullptr) return true;
  const bool closed = CloseHandle(static_cast<HANDLE>(native_)) != 0;
  native_ = nullptr;
  return closed;
}

}  // namespace zur::platform
