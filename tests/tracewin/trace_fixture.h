// Test support for the trace store and window: an Env with an open trace
// window (the headless one on POSIX, user32's under Windows), its message
// boxes recorded and answered, its pumps counted, and the platform's file
// operations restored after each test.
#ifndef ZURBASE_TESTS_TRACEWIN_TRACE_FIXTURE_H
#define ZURBASE_TESTS_TRACEWIN_TRACE_FIXTURE_H

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "library/entry_points.h"
#include "platform/crt_files.h"
#include "platform/window_system.h"
#include "tests/support/test_env.h"

namespace zurtest {

// Records every message box of this thread as "caption|text|style" and
// answers it with OK. Under Win32 a CBT hook reads each box when it is
// activated and closes it, so a test never waits for a user.
class BoxRecorder {
 public:
  BoxRecorder();
  ~BoxRecorder();
  BoxRecorder(const BoxRecorder &) = delete;
  BoxRecorder &operator=(const BoxRecorder &) = delete;
  std::vector<std::string> boxes() const;
  void clear();
};

class TraceTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;
  void reopen() {  // a fresh window and store, for the next case of a table
    TearDown();
    recorder.clear();
    SetUp();
  }

  TraceStore &store() { return env->trace; }
  int print(const char *format, ApiWord word = 0, Env *on = nullptr);
  int print(const std::string &text, Env *on = nullptr) {
    return print("%s", reinterpret_cast<ApiWord>(text.c_str()), on);
  }
  void printLines(int count, const std::string &prefix = "line ", Env *on = nullptr) {
    for (int i = 0; i < count; ++i) print(prefix + std::to_string(i) + "\n", on);
  }
  // Line n read back; apiReadTraceLine's result in *result.
  std::string readLine(int n, int *result = nullptr);
  // The index entry of line n: offset and stored length.
  std::pair<int, int> entry(int n);
  long fileLength();
  std::vector<std::string> boxes() const { return recorder.boxes(); }
#ifndef _WIN32
  std::string row(int r) const;  // a canvas row without its trailing spaces
  bool fileEntryGrey(int pos) const {
    return GetMenuState(GetSubMenu(GetMenu(wnd), 0), pos, MF_BYPOSITION) & MF_GRAYED;
  }
  // The user types text into the file-name dialog and presses OK (or cancels
  // when text is null); the field's limit is kept in fieldLimit.
  void answerDialog(const char *text);
  int fieldLimit = -1;
#endif

  TestEnv env;
  BoxRecorder recorder;
  HWND wnd = nullptr;  // the window SetUp opened
  // SetUp gives wnd a procedure that counts its pumps (the paints sent while
  // its user-data word holds a store) and runs onPump at each.
  int pumps = 0;
  std::function<void(int pumpNo)> onPump;

 private:
  static LRESULT CALLBACK spyProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam);
};

}  // namespace zurtest

#endif
