// Shared pieces of the guarded-print tests: per-thread output capture, a
// thread that runs work on request, and a second process that holds
// "globlist".
#ifndef ZURBASE_TESTS_GUARD_GUARD_SUPPORT_H
#define ZURBASE_TESTS_GUARD_GUARD_SUPPORT_H

#include <condition_variable>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include "zurbase/zurbase.h"

namespace zurtest {

// A print hook that appends the text to threadText() of the printing thread.
int threadTextHook(Env *env, const char *format, ApiWord w0, ApiWord w1, ApiWord w2, ApiWord w3,
                   ApiWord w4, ApiWord w5, ApiWord w6, ApiWord w7, ApiWord w8, ApiWord w9);
std::string &threadText();

// A print hook that only counts its calls on this thread: it touches no heap,
// so a print may be left from anywhere below it.
int countingHook(Env *env, const char *format, ApiWord w0, ApiWord w1, ApiWord w2, ApiWord w3,
                 ApiWord w4, ApiWord w5, ApiWord w6, ApiWord w7, ApiWord w8, ApiWord w9);
long &threadHookCalls();

// The SIGSEGV handler in place now.
void (*currentSegvHandler())(int);

// A thread that stays alive and runs one task at a time for its owner, so
// that records registered on it keep its thread id.
class Worker {
 public:
  Worker();
  ~Worker();
  Worker(const Worker &) = delete;
  Worker &operator=(const Worker &) = delete;
  void run(const std::function<void()> &task);

 private:
  std::mutex lock_;
  std::condition_variable changed_;
  std::function<void()> task_;
  bool stop_ = false;
  std::thread thread_;
};

// Another process that takes "globlist"; it exists once the mutex is held.
class GloblistHolder {
 public:
  // Holds the mutex for `milliseconds`, then releases it and ends.
  static GloblistHolder holdFor(int milliseconds);
  // Ends while holding the mutex, leaving it abandoned.
  static GloblistHolder abandon();
  ~GloblistHolder();
  GloblistHolder(GloblistHolder &&other) noexcept;
  GloblistHolder(const GloblistHolder &) = delete;
  GloblistHolder &operator=(const GloblistHolder &) = delete;
  // The process's exit code.
  int join();

 private:
  GloblistHolder() = default;
  void start(const std::string &mode);
  std::intptr_t process_ = 0;
  bool joined_ = true;
};

// In the holder process: runs the mode named by the arguments and gives the
// exit code; nothing when the arguments name no holder mode.
std::optional<int> runHolderMode(int argc, char **argv);

// Robust mutexes report a dead holder here (qemu-user does not emulate the
// kernel's robust lists, so under it a dead holder is never noticed).
bool deadHolderDetectable();

}  // namespace zurtest

#endif
