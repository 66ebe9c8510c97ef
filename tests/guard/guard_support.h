// Shared pieces of the guarded-print tests: a small control table, a thread
// that runs work on request, and a second process that holds "globlist".
#ifndef ZURBASE_TESTS_GUARD_GUARD_SUPPORT_H
#define ZURBASE_TESTS_GUARD_GUARD_SUPPORT_H

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <utility>

#include "zurbase/zurcore.h"

namespace zurtest {

// Rec ::= SEQUENCE { a INTEGER, b IA5String } with b held through a pointer.
struct RecValue {
  std::uint8_t mask;
  std::int32_t a;
  const char *b;
};

// PDU numbers of sampleTable().
enum SamplePdu {
  PDU_REC = 1,        // Rec
  PDU_ANONYMOUS = 2,  // an INTEGER type without a name
  PDU_NEST = 3,       // Nest ::= CHOICE { x Nest } with x held through an address
  PDU_REC_REF = 4     // Rec held through a pointer
};

const CtlTbl &sampleTable();

// What a complete print of a Rec value gives, and what is printed before b.
std::string recText(std::int32_t a, const std::string &b);
std::string recTextBeforeB(std::int32_t a);

// Points env at sampleTable() and its output at hookText() of the printing
// thread, or with countOnly at countingHook.
void useSample(Env *env, bool countOnly = false);

// The SIGSEGV handler in place now.
void (*currentSegvHandler())(int);

// A thread that stays alive and runs one task at a time for its owner, so
// that records registered on it keep its thread id.
class Worker {
 public:
  ~Worker() {
    run(nullptr);
    thread_.join();
  }
  // Runs task on the thread and waits for it; a null task ends the thread.
  void run(std::function<void()> task) {
    std::unique_lock hold(lock_);
    task_ = std::move(task);
    posted_ = true;
    changed_.notify_all();
    changed_.wait(hold, [this] { return !posted_; });
  }

 private:
  std::mutex lock_;
  std::condition_variable changed_;
  std::function<void()> task_;
  bool posted_ = false;
  std::thread thread_{[this] {
    for (bool more = true; more;) {
      std::unique_lock hold(lock_);
      changed_.wait(hold, [this] { return posted_; });
      if ((more = task_ != nullptr)) task_();
      posted_ = false;
      changed_.notify_all();
    }
  }};
};

// Another process that takes "globlist"; it exists once the mutex is held.
// It holds it for holdMs, then releases it and ends; with holdMs < 0 it ends
// while holding it, leaving it abandoned.
class GloblistHolder {
 public:
  explicit GloblistHolder(int holdMs);
  ~GloblistHolder() { join(); }
  GloblistHolder(const GloblistHolder &) = delete;
  GloblistHolder &operator=(const GloblistHolder &) = delete;
  int join();  // the process's exit code

 private:
  std::intptr_t process_ = 0;
  std::optional<int> exitCode_;
};

// True when the program runs under a user-mode emulator (qemu-user), which
// does not emulate the kernel's robust lists: a dead holder is never noticed.
bool underUserModeEmulator();

}  // namespace zurtest

#endif
