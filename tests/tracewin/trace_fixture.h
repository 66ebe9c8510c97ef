// Test support for the trace store: an Env with an open trace window,
// message boxes recorded and answered on either window system, and a spy on
// the window's pumps.
#ifndef ZURBASE_TESTS_TRACEWIN_TRACE_FIXTURE_H
#define ZURBASE_TESTS_TRACEWIN_TRACE_FIXTURE_H

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "platform/window_system.h"
#include "tests/support/test_env.h"

namespace zurtest {

struct Box {
  std::string caption;
  std::string text;
  UINT style;  // button kind and icon
  bool operator==(const Box &) const = default;
};
std::ostream &operator<<(std::ostream &out, const Box &box);

// Records every message box of this thread and answers it with `answer`.
// Under Win32 a CBT hook finds the box when it is activated, reads it and
// closes it, so a test never waits for a user.
class BoxRecorder {
 public:
  explicit BoxRecorder(int answer = IDOK);
  ~BoxRecorder();
  BoxRecorder(const BoxRecorder &) = delete;
  BoxRecorder &operator=(const BoxRecorder &) = delete;
  std::vector<Box> boxes() const;
};

// Replaces the trace window's procedure with one that counts the pumps (the
// paint sent while the user-data word holds a store) and runs onPump at
// each, then hands every message to the window's own procedure.
class PumpSpy {
 public:
  explicit PumpSpy(HWND wnd);
  ~PumpSpy();
  PumpSpy(const PumpSpy &) = delete;
  PumpSpy &operator=(const PumpSpy &) = delete;
  int pumps() const { return pumps_; }
  std::function<void(int pumpNo)> onPump;

 private:
  static LRESULT CALLBACK spyProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam);
  HWND wnd_;
  WNDPROC original_;
  int pumps_ = 0;
};

// An Env whose trace window and store are open.
class TraceStoreTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  TraceStore &store() { return env_->trace; }
  HWND window() { return static_cast<HWND>(env_->trace.traceWnd); }
  // apiTracePrint with the format and one argument word.
  int print(const char *format, ApiWord word = 0);
  // Reads line n back; the result of apiReadTraceLine in *result.
  std::string readLine(int n, int *result = nullptr);
  // The index entry of line n: offset and stored length.
  std::pair<int, int> entry(int n);
  long fileLength();

  TestEnv env_;
  BoxRecorder boxes_;
};

}  // namespace zurtest

#endif
