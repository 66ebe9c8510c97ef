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

void prepareThread() {}

void installHandlers(FaultHandler handler) {
  activeHandler.store(handler);
  previousSignal = std::signal(SIGSEGV, handler);
  vectoredHandler = AddVectoredExceptionHandler(1, onException);
}

void restoreHandlers() {
  if (vectoredHandler != nullptr) RemoveVectoredExceptionHandler(vectoredHandler);
  vectoredHandler = nullptr;
  std::signal(SIGSEGV, previousSignal);
  activeHandler.store(nullptr);
}

}  // namespace detail

// The run-time has already put the default back, and the vectored handler
// passes the exception on.
void passOnFault(int) {}

void jumpToPoint(void *buffer, int value) { longjmp(*static_cast<JumpBuffer *>(buffer), value); }

}  // namespace zur::platform
