// Test support for the trace store and window: an Env with an open trace
// window (the headless one on POSIX, user32's under Windows), its message
// boxes recorded and answered, its pumps counted, and the platform's file
// operations restored after each test.
#ifndef ZURBASE_TESTS_TRACEWIN_TRACE_FIXTURE_H
#define ZURBASE_TESTS_TRACEWIN_TRACE_FIXTURE_H

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "library/entry_points.h"
#include "platform/crt_files.h"
#include "platform/window_system.h"
#include "tests/support/test_env.h"
#ifdef _WIN32
#include "tests/tracewin/first_activation.h"
#else
#include "platform/window_headless_control.h"
#endif

namespace zurtest {

using Lines = std::vector<std::string>;

// Every message box of the test as "caption|text|style", each answered with
// OK, so that a test never waits for a user.
inline Lines boxes;
inline void recordBox(const std::string &caption, const std::string &text, UINT style) {
  boxes.push_back(caption + "|" + text + "|" + std::to_string(style));
}

#ifdef _WIN32
// User32 draws its boxes itself: a CBT hook, set for the whole test program,
// reads each one as it is activated and closes it. Its style is told by its
// buttons and by the hand icon, the only icon the store's boxes show.
inline LRESULT CALLBACK recordActivatedBox(int code, WPARAM wParam, LPARAM lParam) {
  auto box = reinterpret_cast<HWND>(wParam);
  char caption[256] = {}, text[512] = {};
  if (firstBoxActivation(code, box)) {
    GetWindowTextA(box, caption, sizeof caption);
    GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
    UINT style = GetDlgItem(box, IDYES) != nullptr ? MB_YESNO : MB_OK;
    const auto hand = reinterpret_cast<LRESULT>(LoadIconA(nullptr, IDI_HAND));
    for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
      if (SendMessageA(child, STM_GETICON, 0, 0) == hand) style |= MB_ICONHAND;
    recordBox(caption, text, style);
    PostMessageA(box, WM_COMMAND, IDOK, 0);
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}
inline const HHOOK boxHook =
    SetWindowsHookExA(WH_CBT, recordActivatedBox, nullptr, GetCurrentThreadId());
#endif

class TraceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    boxes.clear();
#ifndef _WIN32
    zur::headless::resetControl();
    zur::headless::setBoxResponder([](const zur::headless::ShownBox &b) {
      recordBox(b.caption, b.text, b.style);
      return IDOK;
    });
#endif
    ASSERT_EQ(zur::apiOpenTraceWindow(env.get()), 0);
    wnd = static_cast<HWND>(store().traceWnd);
    spied = this;
    pumps = 0;
    windowProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(wnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(spyProc)));
  }
  void TearDown() override {
    if (store().traceWnd != nullptr) DestroyWindow(static_cast<HWND>(store().traceWnd));
    if (IsWindow(wnd)) DestroyWindow(wnd);
    // A window that indexed no line leaves its store behind when destroyed.
    if (store().tmpFile != nullptr) zur::apiResetTrace(env.get());
    zur::platform::crtFiles = zur::platform::kSystemCrtFiles;
  }
  void reopen() {  // a fresh window and store, for the next case of a table
    TearDown();
    SetUp();
  }

  TraceStore &store() { return env->trace; }
  int print(const std::string &format, ApiWord word = 0, Env *on = nullptr) {
    return zur::apiTracePrint(on != nullptr ? on : env.get(), format.c_str(), word, 0, 0, 0, 0, 0,
                              0, 0, 0, 0);
  }
  void printLines(int count, const std::string &prefix = "line ", Env *on = nullptr) {
    for (int i = 0; i < count; ++i) print(prefix + "%d\n", i, on);
  }
  // Line n read back, checked to be terminated; apiReadTraceLine's result in *got.
  std::string readLine(int n, int *got = nullptr) {
    char buffer[1024];
    std::memset(buffer, '#', sizeof buffer);
    const int result =
        zur::apiReadTraceLine(env.get(), wnd, store().tmpFile, buffer, store().firstBlock, n);
    if (got != nullptr) *got = result;
    EXPECT_NE(std::memchr(buffer, '\0', sizeof buffer), nullptr) << "line " << n << " unterminated";
    return std::string(buffer, strnlen(buffer, sizeof buffer));
  }
  // Line n of block 0 as indexed and read back: "offset stored-length
  // bytes-read text".
  std::string indexed(int n) {
    const LineBlock &b = *store().firstBlock;
    int got = 0;
    const std::string text = readLine(n, &got);
    return std::to_string(b.offsets[n]) + " " + std::to_string(b.lengths[n]) + " " +
           std::to_string(got) + " " + text;
  }

  TestEnv env;
  HWND wnd = nullptr;  // the window SetUp opened
  // The pumps of wnd (paints sent while its user-data word holds a store,
  // but not those that onPump causes), with onPump run at each.
  int pumps = 0;
  std::function<void(int pumpNo)> onPump;

 private:
  static inline TraceTest *spied = nullptr;
  static inline WNDPROC windowProc = nullptr;
  static inline bool inPump = false;
  static LRESULT CALLBACK spyProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_PAINT && GetWindowLongPtrA(wnd, GWLP_USERDATA) != 0 && !inPump) {
      ++spied->pumps;
      inPump = true;
      if (spied->onPump) spied->onPump(spied->pumps);
      inPump = false;
      if (!IsWindow(wnd)) return 0;
    }
    return CallWindowProcA(windowProc, wnd, msg, wParam, lParam);
  }
};

}  // namespace zurtest

#endif
