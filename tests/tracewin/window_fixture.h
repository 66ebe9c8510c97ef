// Test support for the trace window on the headless window system: an Env
// with an open trace window, text printed through the print sink, the
// canvas, menu and message boxes read back, a scripted file-name dialog, and
// the platform's file operations restored after each test.
#ifndef ZURBASE_TESTS_TRACEWIN_WINDOW_FIXTURE_H
#define ZURBASE_TESTS_TRACEWIN_WINDOW_FIXTURE_H

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "library/entry_points.h"
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
    wnd = static_cast<HWND>(env->trace.traceWnd);
  }
  void TearDown() override {
    if (IsWindow(wnd)) DestroyWindow(wnd);
    // A window that indexed no line leaves its store behind when destroyed.
    if (env->trace.tmpFile != nullptr) zur::apiResetTrace(env.get());
    zur::platform::crtFiles = zur::platform::kSystemCrtFiles;
  }
  void reopen() {  // a fresh window and store, for the next case of a table
    TearDown();
    SetUp();
  }

  void print(const std::string &text, Env *on = nullptr) {
    zur::apiTracePrint(on != nullptr ? on : env.get(), "%s",
                       reinterpret_cast<ApiWord>(text.c_str()), 0, 0, 0, 0, 0, 0, 0, 0, 0);
  }
  void printLines(int count, const std::string &prefix = "line ", Env *on = nullptr) {
    for (int i = 0; i < count; ++i) print(prefix + std::to_string(i) + "\n", on);
  }
  std::string row(int r) const {  // a canvas row without its trailing spaces
    std::string text = zur::headless::canvasRow(wnd, r);
    return text.erase(text.find_last_not_of(' ') + 1);
  }
  bool fileEntryGrey(int pos) const {
    return GetMenuState(GetSubMenu(GetMenu(wnd), 0), pos, MF_BYPOSITION) & MF_GRAYED;
  }
  // The boxes shown, as "caption|text|style".
  static std::vector<std::string> boxes() {
    std::vector<std::string> out;
    for (const auto &b : zur::headless::shownBoxes())
      out.push_back(b.caption + "|" + b.text + "|" + std::to_string(b.style));
    return out;
  }
  // The user types text into the file-name dialog and presses OK (or
  // cancels when text is null); the dialog's limit is kept in fieldLimit.
  void answerDialog(const char *text) {
    fieldLimit = -1;
    zur::headless::setDialogResponder([this, text](HWND dialog, const std::string &) {
      fieldLimit = zur::headless::textLimit(dialog, 16);
      if (text != nullptr) zur::headless::typeText(dialog, 16, text);
      zur::headless::pressButton(dialog, text != nullptr ? IDOK : IDCANCEL);
    });
  }

  TestEnv env;
  HWND wnd = nullptr;
  int fieldLimit = -1;
};

}  // namespace zurtest

#endif
