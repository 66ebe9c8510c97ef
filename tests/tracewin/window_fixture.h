// Test support for the trace window on the headless window system: an Env
// with an open trace window, lines printed through the print sink, the
// canvas read back, and the platform's file operations restored after each
// test.
#ifndef ZURBASE_TESTS_TRACEWIN_WINDOW_FIXTURE_H
#define ZURBASE_TESTS_TRACEWIN_WINDOW_FIXTURE_H

#include <gtest/gtest.h>

#include <string>

#include "frame/entry_points.h"
#include "platform/crt_files.h"
#include "platform/window_headless_control.h"
#include "tests/support/test_env.h"

namespace zurtest {

class TraceWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    zur::headless::resetControl();
    zur::headless::setBoxResponder([](const zur::headless::ShownBox &) { return IDOK; });
    ASSERT_EQ(zur::apiOpenTraceWindow(env.get()), 0);
    wnd = window();
  }
  void TearDown() override {
    if (IsWindow(wnd)) DestroyWindow(wnd);
    // A window that indexed no line leaves its store behind when destroyed;
    // the reset without a window releases it.
    if (env->trace.tmpFile != nullptr) zur::apiResetTrace(env.get());
    zur::platform::crtFiles = zur::platform::kSystemCrtFiles;
    zur::headless::resetControl();
  }

  // A fresh window on an empty store, for the next case of a table.
  void reopen() {
    TearDown();
    SetUp();
  }

  HWND window() const { return static_cast<HWND>(env->trace.traceWnd); }

  // One call of the print sink, as the print hook gets it.
  int print(const std::string &text, Env *on = nullptr) {
    return zur::apiTracePrint(on != nullptr ? on : env.get(), "%s",
                              reinterpret_cast<ApiWord>(text.c_str()), 0, 0, 0, 0, 0, 0, 0, 0, 0);
  }
  void printLines(int count, const std::string &prefix = "line ", Env *on = nullptr) {
    for (int i = 0; i < count; ++i) print(prefix + std::to_string(i) + "\n", on);
  }

  // A canvas row without its trailing spaces.
  std::string row(int r) const {
    std::string text = zur::headless::canvasRow(wnd, r);
    return text.erase(text.find_last_not_of(' ') + 1);
  }
  bool canvasBlank() const {
    for (int r = 0; r < zur::headless::canvasRows(wnd); ++r)
      if (!row(r).empty()) return false;
    return true;
  }

  // State of a "&Fichier" entry by position: true when grey.
  bool fileEntryGrey(int pos) const {
    return (GetMenuState(GetSubMenu(GetMenu(wnd), 0), pos, MF_BYPOSITION) & MF_GRAYED) != 0;
  }

  TestEnv env;
  HWND wnd = nullptr;
};

}  // namespace zurtest

#endif
