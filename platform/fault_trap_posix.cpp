// POSIX: sigaction for SIGSEGV and SIGBUS on a per-thread alternate stack,
// and siglongjmp back to the jump point with the mask it kept.
#include <pthread.h>
#include <signal.h>

#include <memory>

#include "platform/fault_trap.h"

namespace zur::platform {
namespace {

constexpr std::size_t kAltStackSize = 64 * 1024;

pthread_mutex_t countLock = PTHREAD_MUTEX_INITIALIZER;
struct sigaction previousSegv;
struct sigaction previousBus;
FaultHandler activeHandler = nullptr;

// A violation on a thread that is not printing takes the course it would
// have taken without the library: the previous handler runs, or the default
// action ends the process. The disposition of the whole process is left
// alone, so that threads that are printing stay protected.
void forwardToPrevious(int signal, siginfo_t *info, void *context) {
  const struct sigaction &previous = signal == SIGBUS ? previousBus : previousSegv;
  if ((previous.sa_flags & SA_SIGINFO) != 0) {
    previous.sa_sigaction(signal, info, context);
    return;
  }
  if (previous.sa_handler == SIG_IGN && info->si_code <= 0) return;  // sent, and ignored
  if (previous.sa_handler == SIG_DFL || previous.sa_handler == SIG_IGN) {
    struct sigaction fallback {};
    fallback.sa_handler = SIG_DFL;
    sigaction(signal, &fallback, nullptr);
    raise(signal);  // delivered when this handler returns
    return;
  }
  previous.sa_handler(signal);
}

void onFault(int signal, siginfo_t *info, void *context) {
  activeHandler(signal);  // leaves by a jump when this thread is printing
  forwardToPrevious(signal, info, context);
}

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

void prepareThread() noexcept { altStack.ensure(); }
void lockCount() noexcept { pthread_mutex_lock(&countLock); }
void unlockCount() noexcept { pthread_mutex_unlock(&countLock); }

void installHandlers(FaultHandler handler) noexcept {
  activeHandler = handler;
  struct sigaction action {};
  action.sa_sigaction = onFault;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_ONSTACK | SA_SIGINFO;
  sigaction(SIGSEGV, &action, &previousSegv);
  sigaction(SIGBUS, &action, &previousBus);
}

void restoreHandlers() noexcept {
  sigaction(SIGSEGV, &previousSegv, nullptr);
  sigaction(SIGBUS, &previousBus, nullptr);
}

}  // namespace detail

void jumpToPoint(void *buffer, int value) noexcept {
  siglongjmp(*static_cast<JumpBuffer *>(buffer), value);
}

}  // namespace zur::platform
