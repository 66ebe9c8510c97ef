// Saving the trace on the headless window system: the save command with its
// file-name dialog, the chunked copy with CR LF line ends, and every message
// box of the save, with failures injected through the platform's file
// operations and the Env's allocator.
#include <cstdio>
#include <fstream>
#include <functional>
#include <iterator>
#include <optional>
#include <vector>

#include "tests/tracewin/window_fixture.h"

namespace zurtest {
namespace {

using zur::headless::shownBoxes;
constexpr int kSave = 101, kReset = 102, kFileNameField = 16;

std::optional<std::string> readFile(const std::string &name) {
  std::ifstream in(name, std::ios::binary);
  if (!in) return std::nullopt;
  return std::string(std::istreambuf_iterator<char>(in), {});
}

class TraceSaveTest : public TraceWindowTest {
 protected:
  void TearDown() override {
    for (const char *name : {kName, "abcdefghijklmno", "abcdefghijklmnop"}) std::remove(name);
    TraceWindowTest::TearDown();
  }
  // The user types text in the file-name dialog and presses OK, or cancels.
  void answerDialog(const char *typed) {
    dialogs.clear();
    zur::headless::setDialogResponder([this, typed](HWND dialog, const std::string &name) {
      dialogs.push_back(name);
      limit = zur::headless::textLimit(dialog, kFileNameField);
      if (typed == nullptr) return zur::headless::pressButton(dialog, IDCANCEL);
      zur::headless::typeText(dialog, kFileNameField, typed);
      zur::headless::pressButton(dialog, IDOK);
    });
  }
  void expectBoxes(const std::vector<std::vector<std::string>> &wanted) {
    ASSERT_EQ(shownBoxes().size(), wanted.size());
    for (size_t i = 0; i < wanted.size(); ++i) {
      EXPECT_EQ(shownBoxes()[i].caption, wanted[i][0]);
      EXPECT_EQ(shownBoxes()[i].text, wanted[i][1]);
      EXPECT_EQ(std::to_string(shownBoxes()[i].style), wanted[i][2]);
    }
  }

  static constexpr const char *kName = "zt_saved.txt";
  std::vector<std::string> dialogs;
  int limit = 0;
};

struct SaveCase {
  const char *name;
  const char *stored;                       // text printed before the save
  std::function<void(Env *)> inject;        // a failure, or nothing
  const char *typed;                        // the dialog's input; null cancels
  const char *savedAs;                      // the file expected, or null
  std::optional<std::string> bytes;         // its expected content
  std::vector<std::vector<std::string>> boxes;  // caption, text, style
};

void *noMemory(uint32_t) { return nullptr; }

TEST_F(TraceSaveTest, SaveCommandOutcomes) {
  const std::string ok = "File zt_saved.txt Was Successfully Written";
  const SaveCase cases[] = {
      {"CR LF line ends", "a\nbb\n\nccc", nullptr, kName, kName, "a\r\nbb\r\n\r\nccc",
       {{"Info", ok, "64"}}},
      {"cancel", "a\n", nullptr, nullptr, nullptr, std::nullopt, {}},
      {"15 characters of 16 typed", "a\n", nullptr, "abcdefghijklmnop", "abcdefghijklmno", "a\r\n",
       {{"Info", "File abcdefghijklmno Was Successfully Written", "64"}}},
      {"no line indexed", "unfinished", nullptr, kName, nullptr, std::nullopt,
       {{"Warning", "No Trace Info Available", "0"}}},
      {"no memory", "a\n", [](Env *e) { e->memAlloc = noMemory; }, kName, nullptr, std::nullopt,
       {{"Error", "Cannot Allocate Memory", "16"}}},
      {"output cannot be opened", "a\n",
       [](Env *) {
         zur::platform::crtFiles.fopen = [](const char *, const char *) -> FILE * {
           return nullptr;
         };
       },
       kName, nullptr, std::nullopt, {{"Error", "Cannot Open Output File: zt_saved.txt", "16"}}},
      {"read fails", "a\n",
       [](Env *) { zur::platform::crtFiles.read = [](int, void *, unsigned) { return -1; }; },
       kName, kName, "", {{"Error", "Cannot Read Tracing Info Temporary File", "16"}}},
      {"write fails", "a\n",
       [](Env *) {
         zur::platform::crtFiles.write = [](int, const void *, unsigned) { return -1; };
       },
       kName, kName, "", {{"Error", "Cannot Write Output File: zt_saved.txt", "16"}}},
  };
  for (const SaveCase &c : cases) {
    SCOPED_TRACE(c.name);
    reopen();
    const MemAllocFn alloc = env->memAlloc;
    print(c.stored);
    answerDialog(c.typed);
    if (c.inject) c.inject(env.get());
    SendMessageA(wnd, WM_COMMAND, kSave, 0);
    env->memAlloc = alloc;
    zur::platform::crtFiles = zur::platform::kSystemCrtFiles;
    expectBoxes(c.boxes);
    for (const char *name : {kName, "abcdefghijklmno", "abcdefghijklmnop"})
      EXPECT_EQ(readFile(name), c.savedAs != nullptr && std::string(name) == c.savedAs
                                    ? c.bytes
                                    : std::nullopt)
          << name;
    if (c.typed != nullptr && !c.boxes.empty() && c.boxes[0][0] == "Warning")
      EXPECT_TRUE(dialogs.empty());
    else
      EXPECT_EQ(limit, 15);
    EXPECT_FALSE(fileEntryGrey(0));
    EXPECT_FALSE(fileEntryGrey(3));
  }
}

TEST_F(TraceSaveTest, EmptyTraceIsWrittenAsAnEmptyFile) {
  zur::apiSaveTrace(env.get(), wnd, kName);
  EXPECT_EQ(readFile(kName), "");
  expectBoxes({{"Info", "File zt_saved.txt Was Successfully Written", "64"}});
}

// What the save's writes saw: each write's size, the vertical scroll
// position (moved by a key posted at each write, which only the pump after
// the write dispatches) and whether the quit entry was grey.
struct WriteSeen {
  unsigned size;
  int scrollPos;
  bool greyed;
};
std::vector<WriteSeen> writesSeen;
HWND watched;
UINT postedAtWrite;
WPARAM postedParam;

int watchingWrite(int fd, const void *data, unsigned count) {
  const bool greyed = GetMenuState(GetSubMenu(GetMenu(watched), 0), 3, MF_BYPOSITION) & MF_GRAYED;
  writesSeen.push_back({count, GetScrollPos(watched, SB_VERT), greyed});
  PostMessageA(watched, postedAtWrite, postedParam, 0);
  return zur::platform::kSystemCrtFiles.write(fd, data, count);
}

std::string storedLines(int count) {
  std::string text;
  for (int i = 0; i < count; ++i) text += std::string(95, 'a' + i % 26) + std::to_string(1000 + i) + "\n";
  return text;
}

TEST_F(TraceSaveTest, TwoAndAHalfChunksAreCopiedInThreeWithAPumpAfterEach) {
  const std::string text = storedLines(250);  // 25000 bytes in lines of 100
  for (size_t at = 0; at < text.size(); at += 100) print(text.substr(at, 100));
  answerDialog(kName);
  writesSeen.clear();
  watched = wnd;
  postedAtWrite = WM_KEYDOWN;
  postedParam = VK_DOWN;
  zur::platform::crtFiles.write = watchingWrite;
  SendMessageA(wnd, WM_COMMAND, kSave, 0);
  zur::platform::crtFiles = zur::platform::kSystemCrtFiles;

  std::string crlf;
  for (char ch : text) crlf += ch == '\n' ? std::string("\r\n") : std::string(1, ch);
  EXPECT_EQ(readFile(kName), crlf);
  ASSERT_EQ(writesSeen.size(), 3u);
  const unsigned sizes[] = {10100, 10100, 5050};  // 100 lines of 101 bytes, then 50
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(writesSeen[i].size, sizes[i]);
    EXPECT_EQ(writesSeen[i].scrollPos, i);
    EXPECT_TRUE(writesSeen[i].greyed);
  }
  EXPECT_EQ(GetScrollPos(wnd, SB_VERT), 3);
  expectBoxes({{"Info", "File zt_saved.txt Was Successfully Written", "64"}});
}

// Decision: the save takes the store's stream afresh after each pump; a
// reset or the window's destruction during a pump ends the copy cleanly,
// with no read of the closed stream and no success message.
TEST_F(TraceSaveTest, ResetOrDestructionDuringTheSaveStopsIt) {
  const std::pair<UINT, WPARAM> events[] = {{WM_COMMAND, kReset}, {WM_CLOSE, 0}};
  for (const auto &[msg, wParam] : events) {
    SCOPED_TRACE(msg);
    reopen();
    const std::string text = storedLines(250);
    for (size_t at = 0; at < text.size(); at += 100) print(text.substr(at, 100));
    // Two repaints: the first sees the lines a full window held back, the
    // second finds none new, so the run has ended and closing is allowed.
    zur::headless::resizeClient(wnd, 640, 400);
    zur::headless::resizeClient(wnd, 640, 400);
    answerDialog(kName);
    writesSeen.clear();
    watched = wnd;
    postedAtWrite = msg;
    postedParam = wParam;
    zur::platform::crtFiles.write = watchingWrite;
    SendMessageA(wnd, WM_COMMAND, kSave, 0);
    zur::platform::crtFiles = zur::platform::kSystemCrtFiles;
    EXPECT_EQ(writesSeen.size(), 1u);
    EXPECT_EQ(readFile(kName).value_or("").size(), 10100u);
    for (const auto &box : shownBoxes()) EXPECT_NE(box.caption, "Info") << box.text;
    for (const auto &box : shownBoxes()) EXPECT_NE(box.caption, "Error") << box.text;
  }
}

}  // namespace
}  // namespace zurtest
