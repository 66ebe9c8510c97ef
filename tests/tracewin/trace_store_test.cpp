// The trace store through the entry points, with a real trace window: the
// headless one on POSIX, user32's under Windows.
#include <cstdio>
#include <cstdlib>
#include <fstream>

#include "tracewin/trace_store.h"
#include "tests/tracewin/trace_fixture.h"

namespace zurtest {
namespace {

using zur::platform::crtFiles;

// Text the 1024-byte buffer cannot hold is stored whole and indexed; a read
// gives the first 1023 bytes of a long line, terminated; a line beyond the
// 16-bit length leaves the lines after it intact. A reset or the window's
// destruction dispatched by a pump between two lines of one call sends the
// rest into the new store, or nowhere.
TEST_F(TraceTest, IndexesAndReadsBack) {
  std::string big(3000, 'q'), w(20000, 'w');
  big[1022] = 'E';
  struct Case {
    std::vector<std::string> prints;  // formats, each with an argument word of 0
    Lines lines;  // as indexed and read back
    int written, pumps, lineOpen;  // written: the prints' results added up
    int resetAtPump = 0, destroyAtPump = 0;
  };
  const Case cases[] = {
      {{""}, {}, 0, 0, 0},
      {{"a\nb\n"}, {"0 2 2 a", "2 2 2 b"}, 4, 2, 0},
      {{"ab", "c\n"}, {"0 4 4 abc"}, 4, 1, 0},
      {{"x\n", "ab", "c"}, {"0 2 2 x", "2 0 3 abc"}, 5, 1, 1},
      {{"\tx\t\ty\t\n"}, {"0 7 7         x        y"}, 7, 1, 0},
      {{"\t\t\n"}, {"0 3 3 \t\t"}, 3, 1, 0},
      {{"\n", "z\n"}, {"0 1 1 ", "1 2 2 z"}, 3, 2, 0},
      // The NUL is written but ends the indexing of its call; the next call's
      // offset is where the file really ends.
      {{"a%cb", "c\n", "d\n"}, {"0 3 3 a", "5 2 2 d"}, 7, 2, 0},
      {{big + "\n", w, w, "\nafter\n"},
       {"0 3001 1023 " + big.substr(0, 1023), "3001 32767 1023 " + std::string(1023, 'w'),
        "43002 6 6 after"},
       43008, 3, 0},
      // The whole text went to the old file, its last two lines to the new one.
      {{"a\nb\nc"}, {"0 2 2 b", "2 0 1 c"}, 5 + 3, 2, 1, 1},
      {{"x\n", "a\nb\nc\n", "d\n"}, {}, 2 + 6 + 0, 2, 0, 0, 2},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(&c - cases);
    reopen();
    onPump = [this, &c](int pumpNo) {
      if (pumpNo == c.resetAtPump) zur::apiResetTrace(env.get());
      if (pumpNo == c.destroyAtPump) DestroyWindow(wnd);
    };
    int written = 0;
    for (const std::string &format : c.prints) written += print(format);
    EXPECT_EQ(written, c.written);
    Lines lines;
    for (int i = 0; i < store().lineCount; ++i) lines.push_back(indexed(i));
    EXPECT_EQ(lines, c.lines);
    EXPECT_EQ(pumps, c.pumps);
    EXPECT_EQ(store().lineOpen, c.lineOpen);
    EXPECT_TRUE(boxes.empty());
  }
}

// With a window a reset leaves an empty open store; without one text is
// appended unindexed and a reset ends the store. With no store, text goes to
// traceStream, flushed so that its descriptor holds it, or nowhere.
TEST_F(TraceTest, ResetWithAndWithoutWindowThenNoStore) {
  print("a\nb");
  zur::apiResetTrace(env.get());
  ASSERT_NE(store().tmpFile, nullptr);
  EXPECT_EQ(store().lineCount, 0);
  EXPECT_EQ(store().firstBlock, nullptr);
  print("c\n");
  EXPECT_EQ(indexed(0), "0 2 2 c");
  store().traceWnd = nullptr;
  EXPECT_EQ(print("de\n"), 3);
  EXPECT_EQ(store().lineCount, 1);
  EXPECT_EQ(crtFiles.filelength(crtFiles.fileno(store().tmpFile)), 5);
  zur::apiResetTrace(env.get());
  EXPECT_EQ(store().tmpFile, nullptr);
  EXPECT_EQ(store().firstBlock, nullptr);
  EXPECT_EQ(print("n=%d\n", 123456), 0);
  env->traceStream = std::tmpfile();
  ASSERT_NE(env->traceStream, nullptr);
  EXPECT_EQ(print("n=%d\n", 123456), 9);
  EXPECT_EQ(crtFiles.filelength(crtFiles.fileno(env->traceStream)), 9);
  std::fclose(env->traceStream);
}

// The store's allocations fail from the n-th on.
int allocationsLeft = 0;
void *limitedAlloc(uint32_t size) { return allocationsLeft-- > 0 ? std::malloc(size) : nullptr; }

// A failing allocation, _write or _read, and an index past its last 16-bit
// block number, show the box and lose no stored line. Line 200 opens block 1
// with three allocations; when one fails the text is in the file unindexed,
// so the next line is indexed after it.
TEST_F(TraceTest, FailuresShowTheBoxAndKeepStoredLines) {
  const std::string noBlock = "Error|Unable To Alocate a Memory Block|16";
  env->memAlloc = limitedAlloc;
  env->memFree = std::free;
  for (int left : {0, 1, 2}) {
    SCOPED_TRACE(left);
    allocationsLeft = 3;
    printLines(200);
    allocationsLeft = left;
    EXPECT_EQ(print("over\n"), -1);
    EXPECT_EQ(store().lineCount, 200);
    allocationsLeft = 3;
    print("next\n");
    EXPECT_EQ(store().lastBlock->prevBlock, store().firstBlock);
    EXPECT_EQ(readLine(199), "line 199");
    EXPECT_EQ(readLine(200), "next");
    zur::apiResetTrace(env.get());
  }
  allocationsLeft = 6;
  print("kept\n");
  crtFiles.write = [](int, const void *, unsigned) { return -1; };
  EXPECT_EQ(print("lost\n"), -1);
  crtFiles.read = [](int, void *, unsigned) { return -1; };
  char buffer[1024] = "untouched";
  EXPECT_LT(zur::apiReadTraceLine(env.get(), wnd, store().tmpFile, buffer, store().firstBlock, 0),
            0);
  EXPECT_STREQ(buffer, "untouched");
  crtFiles = zur::platform::kSystemCrtFiles;
  store().lastBlockNo = INT16_MAX;
  store().lineCount = ZURBASE_LINES_PER_BLOCK * (INT16_MAX + 1);
  EXPECT_EQ(print("past\n"), -1);
  EXPECT_EQ(store().firstBlock->nextBlock, nullptr);
  store().lastBlockNo = 0;
  store().lineCount = 1;
  EXPECT_EQ(readLine(0), "kept");
  EXPECT_EQ(boxes, (Lines{noBlock, noBlock, noBlock, "Error|Error Writing a Temporary File|16",
                          "Error|Cannot Read Temporary File|16", noBlock}));
}

// Opening twice gives 24, and so does an Env with a store but no window; every
// call records its Env as the current one. When tmpfile() fails the store is
// a named file, deleted with the window, which clears traceWnd; when no file
// can be made, open and reset show a box.
TEST_F(TraceTest, OpeningAndTheStoreFile) {
  EXPECT_EQ(zur::apiOpenTraceWindow(env.get()), ZURBASE_STATUS_TRACE_EXISTS);
  TestEnv other;
  other->trace.tmpFile = store().tmpFile;
  EXPECT_EQ(zur::apiOpenTraceWindow(other.get()), ZURBASE_STATUS_TRACE_EXISTS);
  other->trace.tmpFile = nullptr;
  EXPECT_EQ(zur::tracewin::currentTraceEnv(), other.get());
  EXPECT_EQ(zur::apiOpenTraceWindow(env.get()), ZURBASE_STATUS_TRACE_EXISTS);
  crtFiles.tmpfile = []() -> std::FILE * { return nullptr; };
  zur::apiResetTrace(env.get());  // the window's new store
  const std::string name = store().tmpName;
  print("a\n");
  ASSERT_TRUE(std::ifstream(name).good()) << name;
  DestroyWindow(wnd);
  EXPECT_EQ(store().traceWnd, nullptr);
  EXPECT_EQ(store().tmpFile, nullptr);
  EXPECT_FALSE(std::ifstream(name).good());
  crtFiles.tmpnam = [](char *) -> char * { return nullptr; };
  EXPECT_EQ(zur::apiOpenTraceWindow(env.get()), ZURBASE_STATUS_NO_TEMP_FILE);
  EXPECT_NE(store().traceWnd, nullptr);
  zur::apiResetTrace(env.get());
  EXPECT_EQ(store().tmpFile, nullptr);
  EXPECT_EQ(boxes, Lines(2, "Error|Unable To Open a Temporary File|16"));
}

}  // namespace
}  // namespace zurtest
