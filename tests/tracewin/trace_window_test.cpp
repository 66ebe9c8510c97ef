// The trace window on the headless window system: what it draws, how it
// scrolls, greys its menu, closes and resets, read back from the canvas,
// the scroll bars, the menu and the message boxes.
#include <utility>

#include "platform/window_headless_control.h"
#include "tests/tracewin/trace_fixture.h"

namespace zurtest {
namespace {

constexpr int kQuit = 105, kReset = 102;

TEST_F(TraceTest, NeverPumpedWindowDrawsNothing) {
  print("no line feed, so no pump");
  SendMessageA(wnd, WM_PAINT, 0, 0);
  zur::headless::resizeClient(wnd, 640, 400);
  for (int r = 0; r < zur::headless::canvasRows(wnd); ++r) EXPECT_EQ(row(r), "") << r;
}

TEST_F(TraceTest, DrawsEveryLineAndGreysItsMenuWhileTheTraceGrows) {
  printLines(10);
  for (int r = 0; r < 10; ++r) EXPECT_EQ(row(r), " line " + std::to_string(r));
  EXPECT_TRUE(fileEntryGrey(0) && fileEntryGrey(1));
  EXPECT_FALSE(fileEntryGrey(3));
  SendMessageA(wnd, WM_PAINT, 0, 0);  // finds no new line: the run has ended
  EXPECT_FALSE(fileEntryGrey(0) || fileEntryGrey(1));
  printLines(1, "next ");  // a new run
  EXPECT_TRUE(fileEntryGrey(0) && fileEntryGrey(1));
}

TEST_F(TraceTest, ScrollsByBarsAndKeys) {
  struct Case {
    int lines, clientHeight;
    std::vector<std::pair<UINT, WPARAM>> messages;
    int vertPos, horzPos;
  };
  using M = std::vector<std::pair<UINT, WPARAM>>;
  const UINT key = WM_KEYDOWN, vs = WM_VSCROLL, hs = WM_HSCROLL;
  const auto thumb = [](int code, int pos) { return MAKEWPARAM(code, pos); };
  const Case cases[] = {
      {50, 10, M{{vs, SB_PAGEDOWN}}, 1, 0},  // client shorter than a line
      {50, 400, M{{key, VK_NEXT}, {key, VK_DOWN}, {key, VK_UP}}, 25, 0},
      {2000, 400, M{{vs, thumb(SB_THUMBTRACK, 10)}, {vs, thumb(SB_THUMBTRACK, 1000)}}, 1000, 0},
      {65560, 400,  // the thumb's 16 bits wrap past 65535
       M{{vs, SB_BOTTOM}, {vs, thumb(SB_THUMBTRACK, 65530)}, {vs, thumb(SB_THUMBTRACK, 4)}},
       65540, 0},
      {50, 400, M{{key, VK_END}}, 50, 0},  // the line count: no line shown
      {50, 400, M{{hs, SB_LINERIGHT}, {hs, SB_LINERIGHT}, {hs, SB_LINELEFT}}, 0, 1},
      {50, 400, M{{key, VK_RIGHT}, {key, VK_RIGHT}, {key, VK_LEFT}}, 0, 8},
      {50, 400, M(7, {key, VK_RIGHT}), 0, 47},  // stops at the longest line drawn
      {50, 400, M{{hs, thumb(SB_THUMBTRACK, 5)}, {hs, thumb(SB_THUMBPOSITION, 3)}}, 0, 3},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.messages.size() + 10 * c.lines);
    reopen();
    zur::headless::resizeClient(wnd, 640, c.clientHeight);
    printLines(c.lines, std::string(40, 'x') + "line ");  // lines 10 to 24: 47 wide
    for (const auto &[msg, wParam] : c.messages) SendMessageA(wnd, msg, wParam, 0);
    EXPECT_EQ(GetScrollPos(wnd, SB_VERT), c.vertPos);
    EXPECT_EQ(GetScrollPos(wnd, SB_HORZ), c.horzPos);
  }
}

TEST_F(TraceTest, PageDownAndLineRightShowTheNextPageShifted) {
  printLines(60);
  SendMessageA(wnd, WM_KEYDOWN, VK_NEXT, 0);
  EXPECT_EQ(row(0), " line 25");
  EXPECT_EQ(row(24), " line 49");
  SendMessageA(wnd, WM_HSCROLL, SB_LINERIGHT, 0);
  EXPECT_EQ(row(0), "line 25");
}

TEST_F(TraceTest, QuitWhileLinesArriveIsRefusedAndAQuitAfterTheRunDestroys) {
  printLines(2);
  PostMessageA(wnd, WM_COMMAND, kQuit, 0);
  printLines(1, "more ");  // its pump dispatches the quit
  EXPECT_EQ(boxes(), (std::vector<std::string>{
                         "Warning|Do You Really Want To Exit?|36",
                         "Info|Encoder/Decoder Appears To Be Running.  Please Wait Until It "
                         "Exits...|64"}));
  EXPECT_EQ(zur::headless::beepCount(), 1);
  ASSERT_TRUE(IsWindow(wnd));
  SendMessageA(wnd, WM_PAINT, 0, 0);  // the repaint finds no new line
  SendMessageA(wnd, WM_COMMAND, kQuit, 0);
  EXPECT_EQ(boxes().size(), 2u);
  EXPECT_FALSE(IsWindow(wnd));
  EXPECT_EQ(store().traceWnd, nullptr);
}

TEST_F(TraceTest, AnsweringNoKeepsTheWindow) {
  zur::headless::setBoxResponder([](const zur::headless::ShownBox &) { return IDNO; });
  SendMessageA(wnd, WM_COMMAND, kQuit, 0);
  EXPECT_TRUE(IsWindow(wnd));
}

TEST_F(TraceTest, ResetWithNoIndexedLineDoesNothing) {
  print("unfinished");
  FILE *file = store().tmpFile;
  SendMessageA(wnd, WM_COMMAND, kReset, 0);
  EXPECT_EQ(store().tmpFile, file);
  EXPECT_EQ(store().lineCount, 1);
  EXPECT_TRUE(boxes().empty());
}

// Decision: each window binds to the store of the Env that opened it, so a
// window opened after an earlier one was destroyed (and its Env released)
// shows its own store.
TEST_F(TraceTest, SecondWindowShowsItsOwnStore) {
  TearDown();
  {
    TestEnv first;
    ASSERT_EQ(zur::apiOpenTraceWindow(first.get()), 0);
    printLines(3, "first ", first.get());
    DestroyWindow(static_cast<HWND>(first->trace.traceWnd));
  }
  SetUp();
  printLines(3, "second ");
  EXPECT_EQ(row(0), " second 0");
  EXPECT_EQ(row(2), " second 2");
}

// Decision: a reset made through the entry table by another caller is
// noticed; the window never reads the released index or the closed stream.
TEST_F(TraceTest, ResetByAnotherCallerIsNoticed) {
  printLines(5, "old ");
  reinterpret_cast<ApiResetTraceFn>(apiTbl[SLOT_RESET_TRACE])(env.get());
  zur::headless::resizeClient(wnd, 640, 400);
  printLines(2, "new ");
  EXPECT_EQ(row(0), " new 0");
  EXPECT_EQ(row(1), " new 1");
  EXPECT_TRUE(boxes().empty());
}

// Decision: a line whose read fails is drawn as nothing, not as the text
// the read buffer held before.
TEST_F(TraceTest, LineWhoseReadFailsIsDrawnAsNothing) {
  zur::platform::crtFiles.read = [](int fd, void *data, unsigned count) {
    return count == 3 ? -1 : zur::platform::kSystemCrtFiles.read(fd, data, count);
  };
  for (const char *text : {"first\n", "xx\n", "third\n"}) print(text);
  EXPECT_EQ(row(0), " first");
  EXPECT_EQ(row(1), "");
  EXPECT_EQ(row(2), " third");
  EXPECT_EQ(boxes().at(0), "Error|Cannot Read Temporary File|16");
}

}  // namespace
}  // namespace zurtest
