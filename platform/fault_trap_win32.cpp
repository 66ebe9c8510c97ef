// Windows: the C run-time's SIGSEGV handler, plus a vectored exception
// handler. The run-time resets SIGSEGV to its default before it calls the
// handler, so with one process-wide installation a second violation (on
// another thread, or the next one on this thread) would not reach it; the
// vectored handler sees every access violation on every thread first.
#include <windows.h>

#include <atomic>
#include <csignal>

#include "platform/fault_trap.h"

namespace zur::platform {
namespace {

SRWLOCK countLock = SRWLOCK_INIT;
std::atomic<FaultHandler> activeHandler{nullptr};
void (*previousSignal)(int) = SIG_DFL;
void *vectoredHandler = nullptr;

LONG CALLBACK onException(EXCEPTION_POINTERS *info) {
  const FaultHandler handler = activeHandler.load();
  if (info->ExceptionRecord->ExceptionCode == EXCEPTION_ACCESS_VIOLATION && handler != nullptr)
    handler(SIGSEGV);
  return EXCEPTION_CONTINUE_SEARCH;
}

}  // namespace

namespace detail {

void prepareThread() noexcept {}
void lockCount() noexcept { AcquireSRWLockExclusive(&countLock); }
void unlockCount() noexcept { ReleaseSRWLockExclusive(&countLock); }

void installHandlers(FaultHandler handler) noexcept {
  activeHandler.store(handler);
  previousSignal = std::signal(SIGSEGV, handler);
  vectoredHandler = AddVectoredExceptionHandler(1, onException);
}

void restoreHandlers() noexcept {
  if (vectoredHandler != nullptr) RemoveVectoredExceptionHandler(vectoredHandler);
  vectoredHandler = nullptr;
  std::signal(SIGSEGV, previousSignal);
  activeHandler.store(nullptr);
}

}  // namespace detail

void jumpToPoint(void *buffer, int value) noexcept {
  longjmp(*static_cast<JumpBuffer *>(buffer), value);
}

}  // namespace zur::platform
