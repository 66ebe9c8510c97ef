// The trace window on the headless window system: what it draws, how it
// scrolls, greys its menu, closes, resets and saves, read back from the
// canvas, the scroll bars, the menu, the message boxes and the saved file.
// Failures are injected through the platform's file operations and the
// Env's allocator.
#include <cstdio>
#include <fstream>
#include <iterator>
#include <optional>
#include <utility>

#include "tests/tracewin/trace_fixture.h"

namespace zurtest {
namespace {

namespace hl = zur::headless;
using zur::platform::crtFiles;

constexpr int kSave = 101, kReset = 102, kQuit = 105;

// A canvas row without its trailing spaces.
std::string row(HWND wnd, int r) {
  std::string text = hl::canvasRow(wnd, r);
  return text.erase(text.find_last_not_of(' ') + 1);
}

bool fileEntryGrey(HWND wnd, int pos) {
  return GetMenuState(GetSubMenu(GetMenu(wnd), 0), pos, MF_BYPOSITION) & MF_GRAYED;
}

// A reset needs an indexed line: without one it does nothing.
TEST_F(TraceTest, NeverPumpedWindowDrawsNothingAndResetsNothing) {
  print("no line feed, so no pump");
  FILE *file = store().tmpFile;
  SendMessageA(wnd, WM_COMMAND, kReset, 0);
  EXPECT_EQ(store().tmpFile, file);
  EXPECT_EQ(store().lineCount, 1);
  SendMessageA(wnd, WM_PAINT, 0, 0);
  hl::resizeClient(wnd, 640, 400);
  for (int r = 0; r < hl::canvasRows(wnd); ++r) EXPECT_EQ(row(wnd, r), "") << r;
  EXPECT_TRUE(boxes.empty());
}

TEST_F(TraceTest, DrawsEveryLineAndGreysItsMenuWhileTheTraceGrows) {
  printLines(10);
  for (int r = 0; r < 10; ++r) EXPECT_EQ(row(wnd, r), " line " + std::to_string(r));
  EXPECT_TRUE(fileEntryGrey(wnd, 0) && fileEntryGrey(wnd, 1));
  EXPECT_FALSE(fileEntryGrey(wnd, 3));
  SendMessageA(wnd, WM_PAINT, 0, 0);  // finds no new line: the run has ended
  EXPECT_FALSE(fileEntryGrey(wnd, 0) || fileEntryGrey(wnd, 1));
  printLines(50, "next ");  // a new run
  EXPECT_TRUE(fileEntryGrey(wnd, 0) && fileEntryGrey(wnd, 1));
  // The next page, then shifted one column.
  SendMessageA(wnd, WM_KEYDOWN, VK_NEXT, 0);
  EXPECT_EQ(row(wnd, 0), " next 15");
  EXPECT_EQ(row(wnd, 24), " next 39");
  SendMessageA(wnd, WM_HSCROLL, SB_LINERIGHT, 0);
  EXPECT_EQ(row(wnd, 0), "next 15");
}

TEST_F(TraceTest, ScrollsByBarsAndKeys) {
  using M = std::vector<std::pair<UINT, WPARAM>>;
  const UINT key = WM_KEYDOWN, vs = WM_VSCROLL, hs = WM_HSCROLL;
  const auto thumb = [](int code, int pos) { return MAKEWPARAM(code, pos); };
  const struct {
    int lines, clientHeight;
    M messages;
    int vertPos, horzPos;
  } cases[] = {
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
  for (const auto &c : cases) {
    SCOPED_TRACE(c.messages.size() + 10 * c.lines);
    reopen();
    hl::resizeClient(wnd, 640, c.clientHeight);
    printLines(c.lines, std::string(40, 'x') + "line ");  // lines 10 to 24: 47 wide
    for (const auto &[msg, wParam] : c.messages) SendMessageA(wnd, msg, wParam, 0);
    EXPECT_EQ(GetScrollPos(wnd, SB_VERT), c.vertPos);
    EXPECT_EQ(GetScrollPos(wnd, SB_HORZ), c.horzPos);
  }
}

TEST_F(TraceTest, QuitWhileLinesArriveIsRefusedAndAQuitAfterTheRunDestroys) {
  hl::setBoxResponder([](const hl::ShownBox &) { return IDNO; });
  SendMessageA(wnd, WM_COMMAND, kQuit, 0);
  ASSERT_TRUE(IsWindow(wnd));  // answered no
  reopen();
  printLines(2);
  PostMessageA(wnd, WM_COMMAND, kQuit, 0);
  printLines(1, "more ");  // its pump dispatches the quit
  EXPECT_EQ(boxes, (Lines{"Warning|Do You Really Want To Exit?|36",
                          "Info|Encoder/Decoder Appears To Be Running.  Please Wait Until It "
                          "Exits...|64"}));
  EXPECT_EQ(hl::beepCount(), 1);
  ASSERT_TRUE(IsWindow(wnd));
  SendMessageA(wnd, WM_PAINT, 0, 0);  // the repaint finds no new line
  SendMessageA(wnd, WM_COMMAND, kQuit, 0);
  EXPECT_EQ(boxes.size(), 2u);
  EXPECT_FALSE(IsWindow(wnd));
  EXPECT_EQ(store().traceWnd, nullptr);
}

// Decisions: each window binds to the store of the Env that opened it, never
// to the store an earlier window showed, whose Env may be released by then;
// a reset made through the entry table by another caller is noticed, so the
// window never reads the released index or the closed stream.
TEST_F(TraceTest, WindowShowsItsOwnStoreAndNoticesAResetByAnotherCaller) {
  print("earlier\n");
  TearDown();
  TestEnv other;
  ASSERT_EQ(zur::apiOpenTraceWindow(other.get()), 0);
  const auto otherWnd = static_cast<HWND>(other->trace.traceWnd);
  printLines(5, "second ", other.get());
  EXPECT_EQ(row(otherWnd, 0), " second 0");
  EXPECT_EQ(row(otherWnd, 4), " second 4");
  reinterpret_cast<ApiResetTraceFn>(apiTbl[SLOT_RESET_TRACE])(other.get());
  hl::resizeClient(otherWnd, 640, 400);
  printLines(2, "latest ", other.get());  // as long as the lines it paints over
  EXPECT_EQ(row(otherWnd, 0), " latest 0");
  EXPECT_EQ(row(otherWnd, 1), " latest 1");
  EXPECT_TRUE(boxes.empty());
  DestroyWindow(otherWnd);
}

// Decision: while a window is open, opening on another Env is refused and
// leaves the window with its own Env, which its reset and close act on even
// after the other Env is released.
TEST_F(TraceTest, OpeningOnAnotherEnvWhileAWindowIsOpenIsRefused) {
  printLines(3);
  {
    TestEnv other;
    EXPECT_EQ(zur::apiOpenTraceWindow(other.get()), ZURBASE_STATUS_TRACE_EXISTS);
    EXPECT_EQ(other->trace.traceWnd, nullptr);
    EXPECT_EQ(other->trace.tmpFile, nullptr);
  }
  printLines(1, "after ");
  EXPECT_EQ(row(wnd, 3), " after 0");
  SendMessageA(wnd, WM_COMMAND, kReset, 0);
  EXPECT_EQ(store().lineCount, 0);
  printLines(1, "again ");
  SendMessageA(wnd, WM_PAINT, 0, 0);  // no new line: the run seems over
  hl::setBoxResponder([](const hl::ShownBox &) { return IDYES; });
  SendMessageA(wnd, WM_COMMAND, kQuit, 0);
  EXPECT_FALSE(IsWindow(wnd));
  EXPECT_EQ(store().traceWnd, nullptr);
  EXPECT_EQ(store().tmpFile, nullptr);
  TestEnv next;
  EXPECT_EQ(zur::apiOpenTraceWindow(next.get()), 0);
  DestroyWindow(static_cast<HWND>(next->trace.traceWnd));
}

// Decision: a line whose read fails is drawn as nothing, not as the text
// the read buffer held before.
TEST_F(TraceTest, LineWhoseReadFailsIsDrawnAsNothing) {
  crtFiles.read = [](int fd, void *data, unsigned count) {
    return count == 3 ? -1 : zur::platform::kSystemCrtFiles.read(fd, data, count);
  };
  for (const char *text : {"first\n", "xx\n", "third\n"}) print(text);
  EXPECT_EQ(row(wnd, 0), " first");
  EXPECT_EQ(row(wnd, 1), "");
  EXPECT_EQ(row(wnd, 2), " third");
  EXPECT_EQ(boxes.at(0), "Error|Cannot Read Temporary File|16");
}

// Saving: the file-name dialog, the copy in chunks of 10000 bytes with CR LF
// line ends and a pump after each, and the message boxes.
constexpr const char *kName = "zt_saved.txt";
constexpr const char *kOk = "Info|File zt_saved.txt Was Successfully Written|64";

std::optional<std::string> takeFile(const std::string &name) {
  std::ifstream in(name, std::ios::binary);
  if (!in) return std::nullopt;
  std::string text((std::istreambuf_iterator<char>(in)), {});
  in.close();
  std::remove(name.c_str());
  return text;
}

// At each write of the save: "size scroll-position" and " grey" while
// "&Quitter" is grey; then the message posted, which moves the scroll
// position, or ends the save, only when a pump after the write dispatches it.
Lines writes;
HWND watched;
std::pair<UINT, WPARAM> postAtWrite;

TEST_F(TraceTest, SaveCommandOutcomes) {
  std::string lines, crlf;  // 250 lines of 100 bytes
  for (int i = 0; i < 250; ++i) {
    lines += std::string(95, 'a' + i % 26) + std::to_string(1000 + i) + "\n";
    crlf += lines.substr(lines.size() - 100, 99) + "\r\n";
  }
  enum Failing { kNothing, kAlloc, kOpen, kRead, kWrite };
  const struct {
    std::string stored;
    const char *typed;  // a null name cancels
    Failing failing;
    std::optional<std::string> bytes;
    Lines boxes;
    std::pair<UINT, WPARAM> post = {};
    Lines writes = {};
  } cases[] = {
      {"a\nbb\n\nccc", kName, kNothing, "a\r\nbb\r\n\r\nccc", {kOk}, {}, {"12 0 grey"}},
      {"a\n", nullptr, kNothing, std::nullopt, {}},
      {"a\n", "abcdefghijklmnop", kNothing, "a\r\n",  // the field takes 15 characters
       {"Info|File abcdefghijklmno Was Successfully Written|64"}, {}, {"3 0 grey"}},
      {"unfinished", kName, kNothing, std::nullopt, {"Warning|No Trace Info Available|0"}},
      {"a\n", kName, kAlloc, std::nullopt, {"Error|Cannot Allocate Memory|16"}},
      {"a\n", kName, kOpen, std::nullopt, {"Error|Cannot Open Output File: zt_saved.txt|16"}},
      {"a\n", kName, kRead, "", {"Error|Cannot Read Tracing Info Temporary File|16"}},
      {"a\n", kName, kWrite, "", {"Error|Cannot Write Output File: zt_saved.txt|16"}},
      // 100 lines of 101 bytes, twice, then 50.
      {lines, kName, kNothing, crlf, {kOk}, {WM_KEYDOWN, VK_DOWN},
       {"10100 0 grey", "10100 1 grey", "5050 2 grey"}},
      // Decision: the save takes the store's stream afresh after each pump; a
      // reset or the window's destruction during a pump ends the copy cleanly,
      // with no read of the closed stream and no success message.
      {lines, kName, kNothing, crlf.substr(0, 10100), {}, {WM_COMMAND, kReset}, {"10100 0 grey"}},
      {lines, kName, kNothing, crlf.substr(0, 10100), {"Warning|Do You Really Want To Exit?|36"},
       {WM_CLOSE, 0}, {"10100 0 grey"}},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(&c - cases);
    reopen();
    const MemAllocFn alloc = env->memAlloc;
    print(c.stored);
    // Two repaints after the run: the first sees the lines a full window
    // held back, the second none, so the run has ended and closing is allowed.
    hl::resizeClient(wnd, 640, 400);
    hl::resizeClient(wnd, 640, 400);
    int fieldLimit = -1;  // the file-name field's, when the dialog is shown
    hl::setDialogResponder([&c, &fieldLimit](HWND dialog, const std::string &) {
      fieldLimit = hl::textLimit(dialog, 16);
      if (c.typed != nullptr) hl::typeText(dialog, 16, c.typed);
      hl::pressButton(dialog, c.typed != nullptr ? IDOK : IDCANCEL);
    });
    writes.clear();
    watched = wnd;
    postAtWrite = c.post;
    crtFiles.write = [](int fd, const void *data, unsigned count) {
      writes.push_back(std::to_string(count) + " " +
                       std::to_string(GetScrollPos(watched, SB_VERT)) +
                       (fileEntryGrey(watched, 3) ? " grey" : ""));
      PostMessageA(watched, postAtWrite.first, postAtWrite.second, 0);
      return zur::platform::kSystemCrtFiles.write(fd, data, count);
    };
    if (c.failing == kAlloc) env->memAlloc = [](uint32_t) -> void * { return nullptr; };
    if (c.failing == kOpen)
      crtFiles.fopen = [](const char *, const char *) -> FILE * { return nullptr; };
    if (c.failing == kRead) crtFiles.read = [](int, void *, unsigned) { return -1; };
    if (c.failing == kWrite) crtFiles.write = [](int, const void *, unsigned) { return -1; };
    SendMessageA(wnd, WM_COMMAND, kSave, 0);
    env->memAlloc = alloc;
    EXPECT_EQ(boxes, c.boxes);
    EXPECT_EQ(takeFile(std::string(c.typed != nullptr ? c.typed : kName).substr(0, 15)), c.bytes);
    EXPECT_EQ(writes, c.writes);
    EXPECT_EQ(fieldLimit, c.stored == "unfinished" ? -1 : 15);  // no indexed line, no dialog
    EXPECT_FALSE(IsWindow(wnd) && (fileEntryGrey(wnd, 0) || fileEntryGrey(wnd, 3)));
  }
}

TEST_F(TraceTest, EmptyTraceIsSavedAsAnEmptyFile) {
  zur::apiSaveTrace(env.get(), wnd, kName);
  EXPECT_EQ(takeFile(kName), "");
  EXPECT_EQ(boxes, Lines{kOk});
}

}  // namespace
}  // namespace zurtest
