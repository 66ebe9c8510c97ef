// The trace store through the entry points, with a real trace window: the
// headless one on POSIX, user32's under Windows.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "library/entry_points.h"
#include "platform/crt_files.h"
#include "tracewin/trace_store.h"
#include "tests/tracewin/trace_fixture.h"

namespace zurtest {
namespace {

using zur::apiOpenTraceWindow;
using zur::apiResetTrace;
using zur::apiTracePrint;

// One apiTracePrint: a format and its one argument word.
struct Piece {
  const char *format;
  ApiWord word = 0;
};

struct StoreCase {
  const char *name;
  std::vector<Piece> pieces;
  std::vector<std::string> lines;  // read back
  std::vector<std::pair<int, int>> entries;  // offset, stored length
  int pumps;
  int lineOpen;
};

class StoreCases : public TraceStoreTest, public ::testing::WithParamInterface<StoreCase> {};

TEST_P(StoreCases, IndexesAndReadsBack) {
  const StoreCase &c = GetParam();
  PumpSpy spy(window());
  for (const Piece &p : c.pieces) print(p.format, p.word);
  ASSERT_EQ(store().lineCount, static_cast<int>(c.lines.size()));
  for (std::size_t i = 0; i < c.lines.size(); ++i) {
    EXPECT_EQ(readLine(static_cast<int>(i)), c.lines[i]) << "line " << i;
    EXPECT_EQ(entry(static_cast<int>(i)), c.entries[i]) << "line " << i;
  }
  EXPECT_EQ(spy.pumps(), c.pumps);
  EXPECT_EQ(store().lineOpen, c.lineOpen);
  EXPECT_TRUE(boxes_.boxes().empty());
}

const StoreCase kStoreCases[] = {
    {"Empty", {{""}}, {}, {}, 0, 0},
    {"TwoLinesOneCall", {{"a\nb\n"}}, {"a", "b"}, {{0, 2}, {2, 2}}, 2, 0},
    {"LineInTwoCalls", {{"ab"}, {"c\n"}}, {"abc"}, {{0, 4}}, 1, 0},
    {"Unfinished", {{"x\n"}, {"ab"}, {"c"}}, {"x", "abc"}, {{0, 2}, {2, 0}}, 1, 1},
    {"Tabs", {{"\tx\t\ty\t\n"}}, {"        x        y"}, {{0, 7}}, 1, 0},
    {"TabsOnly", {{"\t\t\n"}}, {"\t\t"}, {{0, 3}}, 1, 0},
    {"OnlyLineFeed", {{"\n"}, {"z\n"}}, {"", "z"}, {{0, 1}, {1, 2}}, 2, 0},
    // The NUL is written but ends the indexing of its call; the next call's
    // offset is where the file really ends.
    {"Nul", {{"a%cb", 0}, {"c\n"}, {"d\n"}}, {"a", "d"}, {{0, 3}, {5, 2}}, 2, 0},
};
INSTANTIATE_TEST_SUITE_P(Trace, StoreCases, ::testing::ValuesIn(kStoreCases),
                         [](const auto &info) { return std::string(info.param.name); });

TEST_F(TraceStoreTest, Line200OpensSecondBlock) {
  for (int i = 0; i <= 200; ++i) print("line %d\n", static_cast<ApiWord>(i));
  ASSERT_EQ(store().lineCount, 201);
  LineBlock *second = store().lastBlock;
  ASSERT_NE(second, store().firstBlock);
  EXPECT_EQ(second->blockNo, 1);
  EXPECT_EQ(store().lastBlockNo, 1);
  EXPECT_EQ(store().firstBlock->nextBlock, second);
  EXPECT_EQ(second->prevBlock, store().firstBlock);
  EXPECT_EQ(second->offsets[0], entry(199).first + 9);
  EXPECT_EQ(readLine(200), "line 200");
  EXPECT_EQ(readLine(199), "line 199");
  int minPos = -1, maxPos = -1;
  GetScrollRange(window(), SB_VERT, &minPos, &maxPos);
  EXPECT_EQ(maxPos, 201);
}

// Text the 1024-byte buffer cannot hold is stored whole and indexed; a read
// gives the first 1023 bytes of a long line, terminated; a line beyond the
// 16-bit length leaves the lines after it intact.
TEST_F(TraceStoreTest, LongTextIsStoredWholeAndReadsBackCut) {
  std::string big(3000, 'q');
  big[1022] = 'E';
  big += '\n';
  EXPECT_EQ(print(big.c_str()), 3001);
  EXPECT_EQ(fileLength(), 3001);
  EXPECT_EQ(entry(0), std::make_pair(0, 3001));
  int result = 0;
  EXPECT_EQ(readLine(0, &result), big.substr(0, 1023));
  EXPECT_EQ(result, 1023);

  std::string chunk(2000, 'w');
  for (int i = 0; i < 20; ++i) print("%s", reinterpret_cast<ApiWord>(chunk.c_str()));
  print("\nafter\n");
  ASSERT_EQ(store().lineCount, 3);
  EXPECT_EQ(entry(1), std::make_pair(3001, 32767));
  EXPECT_EQ(readLine(1), chunk.substr(0, 1023));
  EXPECT_EQ(entry(2).first, 3001 + 40001);
  EXPECT_EQ(readLine(2), "after");
  EXPECT_TRUE(boxes_.boxes().empty());
}

TEST(TraceStoreAbsent, WritesToTraceStreamOrNowhere) {
  TestEnv env;
  EXPECT_EQ(apiTracePrint(env.get(), "n=%d\n", 7, 0, 0, 0, 0, 0, 0, 0, 0, 0), 0);
  std::FILE *stream = std::tmpfile();
  ASSERT_NE(stream, nullptr);
  env->traceStream = stream;
  EXPECT_EQ(apiTracePrint(env.get(), "n=%d\n", 7, 0, 0, 0, 0, 0, 0, 0, 0, 0), 4);
  // Flushed: the descriptor sees the text without the stream's help.
  auto &crt = zur::platform::crtFiles;
  int fd = crt.fileno(stream);
  char text[8] = {};
  crt.lseek(fd, 0, SEEK_SET);
  EXPECT_EQ(crt.read(fd, text, sizeof text), 4);
  EXPECT_STREQ(text, "n=7\n");
  std::fclose(stream);
}

TEST_F(TraceStoreTest, OpeningTwiceGives24) {
  EXPECT_EQ(apiOpenTraceWindow(env_.get()), ZURBASE_STATUS_TRACE_EXISTS);
  TestEnv other;
  other->trace.tmpFile = store().tmpFile;
  EXPECT_EQ(apiOpenTraceWindow(other.get()), ZURBASE_STATUS_TRACE_EXISTS);
  other->trace.tmpFile = nullptr;
  // Every call records its Env as the current one, even when refused.
  EXPECT_EQ(zur::tracewin::currentTraceEnv(), other.get());
  apiOpenTraceWindow(env_.get());
}

TEST_F(TraceStoreTest, ResetWithWindowKeepsAnEmptyOpenStore) {
  print("a\nb");
  apiResetTrace(env_.get());
  EXPECT_NE(store().tmpFile, nullptr);
  EXPECT_EQ(fileLength(), 0);
  EXPECT_EQ(store().lineCount, 0);
  EXPECT_EQ(store().firstBlock, nullptr);
  EXPECT_EQ(store().lineOpen, 0);
  print("c\n");
  EXPECT_EQ(entry(0), std::make_pair(0, 2));
  EXPECT_EQ(readLine(0), "c");
}

TEST_F(TraceStoreTest, WithoutWindowTextIsAppendedUnindexedAndResetEndsTheStore) {
  print("a\n");
  store().traceWnd = nullptr;
  EXPECT_EQ(print("bc\n"), 3);
  EXPECT_EQ(store().lineCount, 1);
  EXPECT_EQ(fileLength(), 5);
  apiResetTrace(env_.get());
  EXPECT_EQ(store().tmpFile, nullptr);
  EXPECT_EQ(store().firstBlock, nullptr);
}

// Replaces one file operation for the life of the object.
template <class Fn>
class FailingCrt {
 public:
  FailingCrt(Fn zur::platform::CrtFiles::*op, Fn failing)
      : op_(op), saved_(zur::platform::crtFiles.*op) {
    zur::platform::crtFiles.*op = failing;
  }
  ~FailingCrt() { zur::platform::crtFiles.*op_ = saved_; }

 private:
  Fn zur::platform::CrtFiles::*op_;
  Fn saved_;
};

std::FILE *noTmpfile() { return nullptr; }
char *noTmpnam(char *) { return nullptr; }
int failingWrite(int, const void *, unsigned) { return -1; }
int failingRead(int, void *, unsigned) { return -1; }

const Box kError(const char *text) { return {"Error", text, MB_OK | MB_ICONHAND}; }

TEST_F(TraceStoreTest, FailingWriteShowsBoxAndKeepsEarlierLines) {
  print("kept\n");
  {
    FailingCrt write(&zur::platform::CrtFiles::write, failingWrite);
    EXPECT_EQ(print("lost\n"), -1);
  }
  EXPECT_EQ(boxes_.boxes(), std::vector<Box>{kError("Error Writing a Temporary File")});
  EXPECT_EQ(store().lineCount, 1);
  EXPECT_EQ(readLine(0), "kept");
}

TEST_F(TraceStoreTest, FailingReadShowsBoxAndLeavesBuffer) {
  print("kept\n");
  FailingCrt read(&zur::platform::CrtFiles::read, failingRead);
  char buffer[1024] = "untouched";
  EXPECT_LT(zur::apiReadTraceLine(env_.get(), window(), store().tmpFile, buffer,
                                  store().firstBlock, 0),
            0);
  EXPECT_STREQ(buffer, "untouched");
  EXPECT_EQ(boxes_.boxes(), std::vector<Box>{kError("Cannot Read Temporary File")});
}

// The store's allocations fail from the n-th on.
int allocationsLeft = 0;
void *limitedAlloc(uint32_t size) { return allocationsLeft-- > 0 ? std::malloc(size) : nullptr; }

TEST_F(TraceStoreTest, FailingAllocationShowsBoxAndKeepsStoredLines) {
  // 3 allocations for block 0 (lines 0 to 199), then none for block 1.
  env_->memAlloc = limitedAlloc;
  env_->memFree = std::free;
  for (int left : {0, 1, 2}) {
    SCOPED_TRACE(left);
    allocationsLeft = 3;
    for (int i = 0; i < 200; ++i) print("line %d\n", static_cast<ApiWord>(i));
    allocationsLeft = left;
    EXPECT_EQ(print("over\n"), -1);
    EXPECT_EQ(boxes_.boxes().back(), kError("Unable To Alocate a Memory Block"));
    EXPECT_EQ(store().lineCount, 200);
    EXPECT_EQ(store().lastBlockNo, 0);
    EXPECT_EQ(store().firstBlock->nextBlock, nullptr);
    EXPECT_EQ(store().lineOpen, 0);
    EXPECT_EQ(readLine(199), "line 199");
    // The text is in the file, unindexed; the next line is indexed after it.
    allocationsLeft = 3;
    print("next\n");
    EXPECT_EQ(readLine(200), "next");
    apiResetTrace(env_.get());
  }
}

TEST_F(TraceStoreTest, IndexEndsAtTheLastBlockNumber) {
  print("a\n");
  TraceStore saved = store();
  store().lastBlockNo = INT16_MAX;
  store().lineCount = ZURBASE_LINES_PER_BLOCK * (INT16_MAX + 1);
  EXPECT_EQ(print("b\n"), -1);
  EXPECT_EQ(store().lastBlock, saved.lastBlock);
  EXPECT_EQ(store().lineCount, ZURBASE_LINES_PER_BLOCK * (INT16_MAX + 1));
  EXPECT_EQ(boxes_.boxes(), std::vector<Box>{kError("Unable To Alocate a Memory Block")});
  store() = saved;
}

TEST_F(TraceStoreTest, NoTemporaryFileOnOpenOrReset) {
  FailingCrt tmpfile(&zur::platform::CrtFiles::tmpfile, noTmpfile);
  FailingCrt tmpnam(&zur::platform::CrtFiles::tmpnam, noTmpnam);
  apiResetTrace(env_.get());
  EXPECT_EQ(store().tmpFile, nullptr);
  DestroyWindow(window());
  EXPECT_EQ(apiOpenTraceWindow(env_.get()), ZURBASE_STATUS_NO_TEMP_FILE);
  EXPECT_NE(window(), nullptr);
  EXPECT_EQ(store().tmpFile, nullptr);
  EXPECT_EQ(boxes_.boxes(), std::vector<Box>(2, kError("Unable To Open a Temporary File")));
}

TEST_F(TraceStoreTest, NamedFileWhenTmpfileFailsIsDeletedWithTheWindow) {
  DestroyWindow(window());
  apiResetTrace(env_.get());  // a window that indexed no line leaves its store
  FailingCrt tmpfile(&zur::platform::CrtFiles::tmpfile, noTmpfile);
  ASSERT_EQ(apiOpenTraceWindow(env_.get()), 0);
  std::string name = store().tmpName;
  ASSERT_FALSE(name.empty());
  print("a\n");
  std::FILE *probe = std::fopen(name.c_str(), "rb");
  ASSERT_NE(probe, nullptr);
  std::fclose(probe);
  DestroyWindow(window());
  EXPECT_EQ(store().traceWnd, nullptr);
  EXPECT_EQ(store().tmpFile, nullptr);
  EXPECT_EQ(std::fopen(name.c_str(), "rb"), nullptr);
}

// A reset or the window's destruction dispatched by the pump between two
// lines of one call: the rest goes into the new store, or nowhere.
TEST_F(TraceStoreTest, ResetDuringPumpMovesTheRestToTheNewStore) {
  PumpSpy spy(window());
  spy.onPump = [this](int pumpNo) {
    if (pumpNo == 1) apiResetTrace(env_.get());
  };
  // The whole text went to the old file, its last two lines to the new one.
  EXPECT_EQ(print("a\nb\nc"), 5 + 3);
  EXPECT_EQ(fileLength(), 3);
  ASSERT_EQ(store().lineCount, 2);
  EXPECT_EQ(readLine(0), "b");
  EXPECT_EQ(entry(1), std::make_pair(2, 0));
  EXPECT_EQ(readLine(1), "c");
  EXPECT_EQ(store().lineOpen, 1);
}

TEST_F(TraceStoreTest, DestructionDuringPumpDropsTheRest) {
  print("x\n");  // bound to the store and shown a line, the window resets it when destroyed
  PumpSpy spy(window());
  spy.onPump = [this](int pumpNo) {
    if (pumpNo == 1) DestroyWindow(window());
  };
  EXPECT_EQ(print("a\nb\nc\n"), 6);
  EXPECT_EQ(store().traceWnd, nullptr);
  EXPECT_EQ(store().tmpFile, nullptr);
  EXPECT_EQ(store().firstBlock, nullptr);
  EXPECT_EQ(print("d\n"), 0);
}

}  // namespace
}  // namespace zurtest
