// Test support: an Env made by the sibling stand-in, and the text that reaches
// standard output or a print hook.
#ifndef ZURBASE_TESTS_TEST_ENV_H
#define ZURBASE_TESTS_TEST_ENV_H

#include <string>

#include "zurbase/zurcore.h"

namespace zurtest {

// Redirects the process's standard output to a file while alive.
class StdoutCapture {
 public:
  StdoutCapture();
  ~StdoutCapture();
  StdoutCapture(const StdoutCapture &) = delete;
  StdoutCapture &operator=(const StdoutCapture &) = delete;
  // Ends the capture (once) and returns what was written.
  std::string text();

 private:
  int savedFd_ = -1;
  std::string path_;
  std::string text_;
  bool done_ = false;
};

// A print hook that formats its ten words and appends the text to hookText().
// Text and count are the printing thread's own, so concurrent prints do not mix.
int appendingHook(Env *env, const char *format, ApiWord w0, ApiWord w1, ApiWord w2, ApiWord w3,
                  ApiWord w4, ApiWord w5, ApiWord w6, ApiWord w7, ApiWord w8, ApiWord w9);
std::string &hookText();
// Number of hook calls since the last reset.
long &hookCalls();
// A print hook that only counts its calls: it touches no heap, so a print may
// be left from anywhere below it.
int countingHook(Env *env, const char *format, ApiWord w0, ApiWord w1, ApiWord w2, ApiWord w3,
                 ApiWord w4, ApiWord w5, ApiWord w6, ApiWord w7, ApiWord w8, ApiWord w9);

// An Env made by the stand-in, freed at scope end.
class TestEnv {
 public:
  TestEnv();
  ~TestEnv();
  TestEnv(const TestEnv &) = delete;
  TestEnv &operator=(const TestEnv &) = delete;
  Env *get() const { return env_; }
  Env *operator->() const { return env_; }
  // Sends all output to appendingHook, after clearing what it holds.
  void captureWithHook();

 private:
  Env *env_;
};

}  // namespace zurtest

#endif
