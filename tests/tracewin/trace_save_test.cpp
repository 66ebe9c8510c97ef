// Saving the trace on the headless window system: the save command with its
// file-name dialog, the chunked copy with CR LF line ends, and the message
// boxes, with failures injected through the platform's file operations and
// the Env's allocator.
#include <cstdio>
#include <fstream>
#include <functional>
#include <iterator>
#include <optional>

#include "platform/window_headless_control.h"
#include "tests/tracewin/trace_fixture.h"

namespace zurtest {
namespace {

constexpr int kSave = 101;
constexpr const char *kName = "zt_saved.txt";
constexpr const char *kOk = "Info|File zt_saved.txt Was Successfully Written|64";

std::optional<std::string> takeFile(const char *name) {
  std::ifstream in(name, std::ios::binary);
  if (!in) return std::nullopt;
  std::string text((std::istreambuf_iterator<char>(in)), {});
  in.close();
  std::remove(name);
  return text;
}

void *noMemory(uint32_t) { return nullptr; }
FILE *noFile(const char *, const char *) { return nullptr; }
int failRead(int, void *, unsigned) { return -1; }
int failWrite(int, const void *, unsigned) { return -1; }

TEST_F(TraceTest, SaveCommandOutcomes) {
  using zur::platform::crtFiles;
  struct Case {
    const char *stored, *typed, *savedAs;
    std::function<void()> inject;
    std::optional<std::string> bytes;
    std::vector<std::string> boxes;
  };
  const Case cases[] = {
      {"a\nbb\n\nccc", kName, kName, nullptr, "a\r\nbb\r\n\r\nccc", {kOk}},
      {"a\n", nullptr, kName, nullptr, std::nullopt, {}},  // cancelled
      {"a\n", "abcdefghijklmnop", "abcdefghijklmno", nullptr, "a\r\n",
       {"Info|File abcdefghijklmno Was Successfully Written|64"}},
      {"unfinished", kName, kName, nullptr, std::nullopt, {"Warning|No Trace Info Available|0"}},
      {"a\n", kName, kName, [this] { env->memAlloc = noMemory; }, std::nullopt,
       {"Error|Cannot Allocate Memory|16"}},
      {"a\n", kName, kName, [] { crtFiles.fopen = noFile; }, std::nullopt,
       {"Error|Cannot Open Output File: zt_saved.txt|16"}},
      {"a\n", kName, kName, [] { crtFiles.read = failRead; }, "",
       {"Error|Cannot Read Tracing Info Temporary File|16"}},
      {"a\n", kName, kName, [] { crtFiles.write = failWrite; }, "",
       {"Error|Cannot Write Output File: zt_saved.txt|16"}},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.boxes.empty() ? "cancel" : c.boxes[0]);
    reopen();
    const MemAllocFn alloc = env->memAlloc;
    print(c.stored);
    answerDialog(c.typed);
    if (c.inject) c.inject();
    SendMessageA(wnd, WM_COMMAND, kSave, 0);
    env->memAlloc = alloc;
    crtFiles = zur::platform::kSystemCrtFiles;
    EXPECT_EQ(boxes(), c.boxes);
    EXPECT_EQ(takeFile(c.savedAs), c.bytes);
    EXPECT_EQ(fieldLimit, c.boxes.size() == 1 && c.boxes[0][0] == 'W' ? -1 : 15);  // no dialog
    EXPECT_FALSE(fileEntryGrey(0) || fileEntryGrey(3));
  }
}

TEST_F(TraceTest, EmptyTraceIsSavedAsAnEmptyFile) {
  zur::apiSaveTrace(env.get(), wnd, kName);
  EXPECT_EQ(takeFile(kName), "");
  EXPECT_EQ(boxes(), std::vector<std::string>{kOk});
}

// At each write of the save: "size scroll-position" and " grey" while
// "&Quitter" is grey; then the message posted (a key posted at each write
// moves the scroll position only when a pump after the write dispatches it).
std::vector<std::string> writes;
HWND watched;
std::pair<UINT, WPARAM> postAtWrite;

int watchingWrite(int fd, const void *data, unsigned count) {
  const bool grey = GetMenuState(GetSubMenu(GetMenu(watched), 0), 3, MF_BYPOSITION) & MF_GRAYED;
  writes.push_back(std::to_string(count) + " " + std::to_string(GetScrollPos(watched, SB_VERT)) +
                   (grey ? " grey" : ""));
  PostMessageA(watched, postAtWrite.first, postAtWrite.second, 0);
  return zur::platform::kSystemCrtFiles.write(fd, data, count);
}

// 25000 bytes in lines of 100.
std::string line(int i) { return std::string(95, 'a' + i % 26) + std::to_string(1000 + i) + "\n"; }

// Runs the save command with watchingWrite posting msg at every write.
void saveWatched(HWND wnd, UINT msg, WPARAM wParam) {
  writes.clear();
  watched = wnd;
  postAtWrite = {msg, wParam};
  zur::platform::crtFiles.write = watchingWrite;
  SendMessageA(wnd, WM_COMMAND, kSave, 0);
  zur::platform::crtFiles = zur::platform::kSystemCrtFiles;
}

TEST_F(TraceTest, TwoAndAHalfChunksAreCopiedInThreeWithAPumpAfterEach) {
  for (int i = 0; i < 250; ++i) print(line(i));
  answerDialog(kName);
  saveWatched(wnd, WM_KEYDOWN, VK_DOWN);
  // 100 lines of 101 bytes, twice, then 50.
  EXPECT_EQ(writes, (std::vector<std::string>{"10100 0 grey", "10100 1 grey", "5050 2 grey"}));
  std::string crlf;
  for (int i = 0; i < 250; ++i) crlf += line(i).insert(100 - 1, "\r");
  EXPECT_EQ(takeFile(kName), crlf);
  EXPECT_EQ(boxes(), std::vector<std::string>{kOk});
}

// Decision: the save takes the store's stream afresh after each pump; a
// reset or the window's destruction during a pump ends the copy cleanly,
// with no read of the closed stream and no success message.
TEST_F(TraceTest, ResetOrDestructionDuringTheSaveStopsIt) {
  for (const auto &[msg, wParam] : {std::pair<UINT, WPARAM>{WM_COMMAND, 102}, {WM_CLOSE, 0}}) {
    SCOPED_TRACE(msg);
    reopen();
    for (int i = 0; i < 250; ++i) print(line(i));
    // Two repaints after the run: the first sees the lines a full window
    // held back, the second none, so the run has ended and closing is allowed.
    zur::headless::resizeClient(wnd, 640, 400);
    zur::headless::resizeClient(wnd, 640, 400);
    answerDialog(kName);
    saveWatched(wnd, msg, wParam);
    EXPECT_EQ(writes.size(), 1u);
    EXPECT_EQ(takeFile(kName).value_or("").size(), 10100u);
    for (const std::string &box : boxes()) EXPECT_EQ(box.rfind("Warning|", 0), 0u) << box;
  }
}

}  // namespace
}  // namespace zurtest
