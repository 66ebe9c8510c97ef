// The trace window on the headless window system: what it draws, how it
// scrolls, greys its menu, closes and resets, read back from the canvas,
// the scroll bars, the menu states and the message boxes shown.
#include <cstdio>
#include <utility>
#include <vector>

#include "tests/tracewin/window_fixture.h"

namespace zurtest {
namespace {

using zur::headless::shownBoxes;
constexpr int kQuit = 105, kReset = 102;

TEST_F(TraceWindowTest, NeverPumpedWindowDrawsNothing) {
  print("no line feed, so no pump");
  ASSERT_EQ(env->trace.lineCount, 1);
  SendMessageA(wnd, WM_PAINT, 0, 0);
  zur::headless::resizeClient(wnd, 640, 400);
  EXPECT_TRUE(canvasBlank());
}

TEST_F(TraceWindowTest, DrawsEveryLineAndGreysItsMenuWhileTheTraceGrows) {
  printLines(10);
  for (int r = 0; r < 10; ++r) EXPECT_EQ(row(r), " line " + std::to_string(r)) << r;
  EXPECT_EQ(row(10), "");
  EXPECT_TRUE(fileEntryGrey(0));
  EXPECT_TRUE(fileEntryGrey(1));
  EXPECT_FALSE(fileEntryGrey(3));
  SendMessageA(wnd, WM_PAINT, 0, 0);  // finds no new line: the run has ended
  EXPECT_FALSE(fileEntryGrey(0));
  EXPECT_FALSE(fileEntryGrey(1));
  printLines(1, "next ");  // a new run greys them again
  EXPECT_TRUE(fileEntryGrey(0));
  EXPECT_TRUE(fileEntryGrey(1));
}

struct ScrollCase {
  const char *name;
  int lines;
  int clientHeight;
  std::vector<std::pair<UINT, WPARAM>> messages;
  int vertPos, horzPos;
};

TEST_F(TraceWindowTest, ScrollsByBarsAndKeys) {
  const std::string wide(40, 'x');  // lines 10 to 24 are 47 characters wide
  const ScrollCase cases[] = {
      {"page down, client shorter than a line", 50, 10, {{WM_VSCROLL, SB_PAGEDOWN}}, 1, 0},
      {"page down, 25 rows", 50, 400, {{WM_VSCROLL, SB_PAGEDOWN}}, 25, 0},
      {"page up at the top", 50, 400, {{WM_VSCROLL, SB_PAGEUP}}, 0, 0},
      {"thumb drag to 1000 from 10", 2000, 400,
       {{WM_VSCROLL, MAKEWPARAM(SB_THUMBTRACK, 10)}, {WM_VSCROLL, MAKEWPARAM(SB_THUMBTRACK, 1000)}},
       1000, 0},
      {"thumb drag wrapping past 65535", 65560, 400,
       {{WM_VSCROLL, SB_BOTTOM},
        {WM_VSCROLL, MAKEWPARAM(SB_THUMBTRACK, 65530)},
        {WM_VSCROLL, MAKEWPARAM(SB_THUMBTRACK, 4)}},
       65540, 0},
      {"End key: the line count, no line shown", 50, 400, {{WM_KEYDOWN, VK_END}}, 50, 0},
      {"Home key after End", 50, 400, {{WM_KEYDOWN, VK_END}, {WM_KEYDOWN, VK_HOME}}, 0, 0},
      {"down, down, up keys", 50, 400,
       {{WM_KEYDOWN, VK_DOWN}, {WM_KEYDOWN, VK_DOWN}, {WM_KEYDOWN, VK_UP}}, 1, 0},
      {"bar arrows move one column", 50, 400,
       {{WM_HSCROLL, SB_LINERIGHT}, {WM_HSCROLL, SB_LINERIGHT}, {WM_HSCROLL, SB_LINELEFT}}, 0, 1},
      {"right and left keys move eight", 50, 400,
       {{WM_KEYDOWN, VK_RIGHT}, {WM_KEYDOWN, VK_RIGHT}, {WM_KEYDOWN, VK_LEFT}}, 0, 8},
      {"right key stops at the longest line drawn", 50, 400,
       {{WM_KEYDOWN, VK_RIGHT}, {WM_KEYDOWN, VK_RIGHT}, {WM_KEYDOWN, VK_RIGHT},
        {WM_KEYDOWN, VK_RIGHT}, {WM_KEYDOWN, VK_RIGHT}, {WM_KEYDOWN, VK_RIGHT},
        {WM_KEYDOWN, VK_RIGHT}},
       0, 47},
      {"horizontal thumb acts when released", 50, 400,
       {{WM_HSCROLL, MAKEWPARAM(SB_THUMBTRACK, 5)}, {WM_HSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 3)}},
       0, 3},
  };
  for (const ScrollCase &c : cases) {
    SCOPED_TRACE(c.name);
    reopen();
    zur::headless::resizeClient(wnd, 640, c.clientHeight);
    printLines(c.lines, wide + "line ");
    for (const auto &[msg, wParam] : c.messages) SendMessageA(wnd, msg, wParam, 0);
    EXPECT_EQ(GetScrollPos(wnd, SB_VERT), c.vertPos);
    EXPECT_EQ(GetScrollPos(wnd, SB_HORZ), c.horzPos);
  }
}

TEST_F(TraceWindowTest, PageDownShowsTheNextPage) {
  printLines(60);
  SendMessageA(wnd, WM_KEYDOWN, VK_NEXT, 0);
  EXPECT_EQ(row(0), " line 25");
  EXPECT_EQ(row(24), " line 49");
}

TEST_F(TraceWindowTest, QuitWhileLinesArriveIsRefusedAndAQuitAfterTheRunDestroys) {
  printLines(2);
  PostMessageA(wnd, WM_COMMAND, kQuit, 0);
  printLines(1, "more ");  // its pump dispatches the quit
  ASSERT_EQ(shownBoxes().size(), 2u);
  EXPECT_EQ(shownBoxes()[0].text, "Do You Really Want To Exit?");
  EXPECT_EQ(shownBoxes()[0].caption, "Warning");
  EXPECT_EQ(shownBoxes()[0].style, 36u);
  EXPECT_EQ(shownBoxes()[1].text,
            "Encoder/Decoder Appears To Be Running.  Please Wait Until It Exits...");
  EXPECT_EQ(shownBoxes()[1].caption, "Info");
  EXPECT_EQ(shownBoxes()[1].style, 64u);
  EXPECT_EQ(zur::headless::beepCount(), 1);
  ASSERT_TRUE(IsWindow(wnd));

  SendMessageA(wnd, WM_PAINT, 0, 0);  // the repaint finds no new line
  SendMessageA(wnd, WM_COMMAND, kQuit, 0);
  EXPECT_EQ(shownBoxes().size(), 2u);
  EXPECT_FALSE(IsWindow(wnd));
  EXPECT_EQ(env->trace.traceWnd, nullptr);
}

TEST_F(TraceWindowTest, AnsweringNoKeepsTheWindow) {
  zur::headless::setBoxResponder([](const zur::headless::ShownBox &) { return IDNO; });
  SendMessageA(wnd, WM_COMMAND, kQuit, 0);
  EXPECT_EQ(shownBoxes().size(), 1u);
  EXPECT_TRUE(IsWindow(wnd));
}

TEST_F(TraceWindowTest, ResetWithNoIndexedLineDoesNothing) {
  print("unfinished");
  FILE *file = env->trace.tmpFile;
  SendMessageA(wnd, WM_COMMAND, kReset, 0);
  EXPECT_EQ(env->trace.tmpFile, file);
  EXPECT_EQ(env->trace.lineCount, 1);
  EXPECT_TRUE(shownBoxes().empty());
}

TEST_F(TraceWindowTest, ResetEmptiesTheStoreAndTakesTheNewFile) {
  printLines(30);
  SendMessageA(wnd, WM_KEYDOWN, VK_DOWN, 0);
  SendMessageA(wnd, WM_COMMAND, kReset, 0);
  EXPECT_EQ(env->trace.lineCount, 0);
  EXPECT_EQ(GetScrollPos(wnd, SB_VERT), 0);
  printLines(3, "anew ");
  EXPECT_EQ(row(0), " anew 0");
  EXPECT_EQ(row(2), " anew 2");
}

TEST_F(TraceWindowTest, DestructionDeletesTheFileAndClearsTraceWnd) {
  printLines(3);
  // A reset without tmpfile() makes a named file, whose deletion shows.
  zur::platform::crtFiles.tmpfile = []() -> FILE * { return nullptr; };
  SendMessageA(wnd, WM_COMMAND, kReset, 0);
  const std::string name = env->trace.tmpName;
  ASSERT_NE(env->trace.tmpFile, nullptr);
  printLines(3);
  FILE *probe = std::fopen(name.c_str(), "rb");
  ASSERT_NE(probe, nullptr) << name;
  std::fclose(probe);
  SendMessageA(wnd, WM_PAINT, 0, 0);
  SendMessageA(wnd, WM_COMMAND, kQuit, 0);
  EXPECT_FALSE(IsWindow(wnd));
  EXPECT_EQ(env->trace.traceWnd, nullptr);
  EXPECT_EQ(env->trace.tmpFile, nullptr);
  EXPECT_EQ(std::fopen(name.c_str(), "rb"), nullptr);
}

TEST_F(TraceWindowTest, AboutBoxEndsWithOk) {
  std::string shown;
  zur::headless::setDialogResponder([&](HWND dialog, const std::string &name) {
    shown = name;
    zur::headless::pressButton(dialog, IDOK);
  });
  SendMessageA(wnd, WM_COMMAND, 103, 0);
  EXPECT_EQ(shown, "ABOUTTRACEBOX");
  EXPECT_TRUE(shownBoxes().empty());
}

// Decision: each window binds to the store of the Env that opened it, so a
// window opened after an earlier one was destroyed (and its Env released)
// shows its own store.
TEST_F(TraceWindowTest, SecondWindowShowsItsOwnStore) {
  DestroyWindow(wnd);
  zur::apiResetTrace(env.get());
  {
    TestEnv first;
    ASSERT_EQ(zur::apiOpenTraceWindow(first.get()), 0);
    printLines(3, "first ", first.get());
    DestroyWindow(static_cast<HWND>(first->trace.traceWnd));
  }
  ASSERT_EQ(zur::apiOpenTraceWindow(env.get()), 0);
  wnd = window();
  printLines(3, "second ");
  EXPECT_EQ(row(0), " second 0");
  EXPECT_EQ(row(2), " second 2");
}

// Decision: a reset made through the entry table by another caller is
// noticed; the window never reads the released index or the closed stream.
TEST_F(TraceWindowTest, ResetByAnotherCallerIsNoticed) {
  printLines(5, "old ");
  reinterpret_cast<ApiResetTraceFn>(apiTbl[SLOT_RESET_TRACE])(env.get());
  zur::headless::resizeClient(wnd, 640, 400);
  SendMessageA(wnd, WM_KEYDOWN, VK_DOWN, 0);
  printLines(2, "new ");
  EXPECT_EQ(row(0), " new 0");
  EXPECT_EQ(row(1), " new 1");
  EXPECT_TRUE(shownBoxes().empty());
}

// Decision: a line whose read fails is drawn as nothing, not as the text
// the read buffer held before.
TEST_F(TraceWindowTest, LineWhoseReadFailsIsDrawnAsNothing) {
  zur::platform::crtFiles.read = [](int fd, void *data, unsigned count) {
    return count == 3 ? -1 : zur::platform::kSystemCrtFiles.read(fd, data, count);
  };
  print("first\n");
  print("xx\n");
  print("third\n");
  EXPECT_EQ(row(0), " first");
  EXPECT_EQ(row(1), "");
  EXPECT_EQ(row(2), " third");
  ASSERT_FALSE(shownBoxes().empty());
  EXPECT_EQ(shownBoxes()[0].text, "Cannot Read Temporary File");
}

}  // namespace
}  // namespace zurtest
