// POSIX: sigaction for SIGSEGV and SIGBUS on a per-thread alternate stack,
// and siglongjmp back to the jump point with the mask it kept.
#include <signal.h>

#include <memory>

#include "platform/fault_trap.h"

namespace zur::platform {
namespace {

constexpr std::size_t kAltStackSize = 64 * 1024;

struct sigaction previousSegv;
struct sigaction previousBus;

// The thread's alternate signal stack, made at its first guarded print and
// given up when the thread ends. A thread that has one of its own keeps it.
class AltStack {
 public:
  ~AltStack() {
    if (!memory_) return;
    stack_t off{};
    off.ss_flags = SS_DISABLE;
    sigaltstack(&off, nullptr);
  }

  void ensure() {
    if (memory_) return;
    stack_t current{};
    if (sigaltstack(nullptr, &current) == 0 && (current.ss_flags & SS_DISABLE) == 0) return;
    memory_ = std::make_unique<char[]>(kAltStackSize);
    stack_t stack{};
    stack.ss_sp = memory_.get();
    stack.ss_size = kAltStackSize;
    if (sigaltstack(&stack, nullptr) != 0) memory_.reset();
  }

 private:
  std::unique_ptr<char[]> memory_;
};

thread_local AltStack altStack;

}  // namespace

namespace detail {

void prepareThread() { altStack.ensure(); }

void installHandlers(FaultHandler handler) {
  struct sigaction action {};
  action.sa_handler = handler;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_ONSTACK;
  sigaction(SIGSEGV, &action, &previousSegv);
  sigaction(SIGBUS, &action, &previousBus);
}

void restoreHandlers() {
  sigaction(SIGSEGV, &previousSegv, nullptr);
  sigaction(SIGBUS, &previousBus, nullptr);
}

}  // namespace detail

void passOnFault(int signal) {
  sigaction(signal, signal == SIGBUS ? &previousBus : &previousSegv, nullptr);
}

void jumpToPoint(void *buffer, int value) {
  siglongjmp(*static_cast<JumpBuffer *>(buffer), value);
}

}  // namespace zur::platform
