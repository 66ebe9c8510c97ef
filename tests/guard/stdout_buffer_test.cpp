// Text printed to standard output is gathered per entry point: what must
// hold for it as it held when every call wrote straight through.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <new>
#include <string>
#include <thread>
#include <vector>

#include "library/entry_points.h"
#include "tests/guard/guard_support.h"
#include "tests/support/test_env.h"

namespace {

using namespace zurtest;

std::atomic<long> allocations{0};

int exitRow = 0;

// Writes where the print's own text goes: the hook's text or stdout.
void *printingRemap(Env *env, void *, void *toRef, uint32_t) {
  if (env->hooks != nullptr && env->hooks->print != nullptr)
    zurtest::hookText() += "<remap>";
  else
    std::fputs("<remap>", stdout);
  return toRef;
}

void *leavingRemap(Env *env, void *, void *, uint32_t) {
  env->workArea.abortJump(env, exitRow, 0);
  return nullptr;
}

class StdoutBufferTest : public testing::Test {
 protected:
  TestEnv env;
  RecValue rec{0, 5, "zurbase"};

  void SetUp() override {
    useSample(env.get());
    zurcoreSetPrintHook(env.get(), nullptr);
  }
};

TEST_F(StdoutBufferTest, ApplicationTextBetweenCallsStaysInOrder) {
  const unsigned char octet = 0xAB;
  StdoutCapture out;
  EXPECT_EQ(zur::apiPrintPdu(env.get(), PDU_REC, &rec), 0);
  std::fputs("app1\n", stdout);
  zur::apiPrintHex(env.get(), &octet, 1);
  std::fputs("app2", stdout);
  EXPECT_EQ(out.text(), recText(5, "zurbase") + "app1\nAB\napp2");
}

// A print left in the middle of a value keeps, on standard output as through
// a hook, exactly the text printed before the fault or the service's exit.
TEST_F(StdoutBufferTest, APrintLeftMidValueKeepsTheTextBefore) {
  RecValue bad{0, 5, reinterpret_cast<const char *>(0x10)};
  exitRow = 7;
  for (bool hooked : {false, true}) {
    for (bool fromService : {false, true}) {
      SCOPED_TRACE(std::string(hooked ? "hook" : "stdout") + (fromService ? ", exit" : ", fault"));
      const auto remapBefore = env->services->remapValue;
      if (fromService) env->services->remapValue = leavingRemap;
      zurtest::hookText().clear();
      zurcoreSetPrintHook(env.get(), nullptr);
      if (hooked) useSample(env.get());
      StdoutCapture out;
      EXPECT_EQ(zur::apiPrintPdu(env.get(), PDU_REC, fromService ? &rec : &bad),
                fromService ? 8 : 14);
      EXPECT_EQ(hooked ? zurtest::hookText() : out.text(), recTextBeforeB(5));
      env->services->remapValue = remapBefore;
    }
  }
}

TEST_F(StdoutBufferTest, AServicePrintingDuringAPrintAppearsInPlace) {
  env->services->remapValue = printingRemap;
  std::string onStdout;
  {
    StdoutCapture out;
    EXPECT_EQ(zur::apiPrintPdu(env.get(), PDU_REC, &rec), 0);
    onStdout = out.text();
  }
  useSample(env.get());
  zurtest::hookText().clear();
  EXPECT_EQ(zur::apiPrintPdu(env.get(), PDU_REC, &rec), 0);
  EXPECT_EQ(zurtest::hookText().find(recTextBeforeB(5) + "<remap>"), 0u);
  EXPECT_EQ(onStdout, zurtest::hookText());
}

// More text than the buffer holds, in one value and in many calls, comes out
// whole and the same as through a hook.
TEST_F(StdoutBufferTest, OutputLargerThanTheBufferIsComplete) {
  const std::string big(20000, 'x');
  RecValue large{0, 9, big.c_str()};
  std::vector<unsigned char> octets(9000);
  for (std::size_t i = 0; i < octets.size(); ++i) octets[i] = static_cast<unsigned char>(i * 7);
  std::string onStdout;
  {
    StdoutCapture out;
    EXPECT_EQ(zur::apiPrintPdu(env.get(), PDU_REC, &large), 0);
    zur::apiPrintHex(env.get(), octets.data(), static_cast<int32_t>(octets.size()));
    onStdout = out.text();
  }
  useSample(env.get());
  zurtest::hookText().clear();
  zur::apiPrintHex(env.get(), octets.data(), static_cast<int32_t>(octets.size()));
  // Compared as booleans: the texts are too long to show.
  EXPECT_TRUE(onStdout == recText(9, big) + zurtest::hookText()) << onStdout.size();
}

TEST_F(StdoutBufferTest, TwoThreadsPrintingAtOnceKeepTheirOwnText) {
  constexpr int kOctets = 6000;
  constexpr int kRounds = 100;
  std::atomic<int> ready{0};
  auto dump = [&ready](unsigned char octet, int rounds) {
    TestEnv own;
    zurcoreSetPrintHook(own.get(), nullptr);
    const std::vector<unsigned char> octets(kOctets, octet);
    // Both threads start printing together.
    for (++ready; ready.load() < 2;) std::this_thread::yield();
    for (int i = 0; i < rounds; ++i) zur::apiPrintHex(own.get(), octets.data(), kOctets);
  };
  std::size_t oneDump = 0;
  {
    StdoutCapture alone;
    ready = 1;
    dump(0x33, 1);
    ready = 0;
    oneDump = alone.text().size();
  }
  StdoutCapture out;
  std::thread a(dump, 0x11, kRounds), b(dump, 0x22, kRounds);
  a.join();
  b.join();
  const std::string text = out.text();
  long ones = 0, twos = 0, others = 0;
  for (char c : text) {
    if (c == '1') ++ones;
    else if (c == '2') ++twos;
    else if (c != ' ' && c != '\n') ++others;
  }
  EXPECT_EQ(ones, 2L * kOctets * kRounds);
  EXPECT_EQ(twos, 2L * kOctets * kRounds);
  EXPECT_EQ(others, 0);
  EXPECT_EQ(text.size(), 2 * kRounds * oneDump);
}

TEST_F(StdoutBufferTest, PrintingAllocatesNothing) {
  std::vector<unsigned char> octets(3000, 0x5A);
  StdoutCapture out;
  zur::apiPrintPdu(env.get(), PDU_REC, &rec);
  const long before = allocations.load();
  EXPECT_EQ(zur::apiPrintPdu(env.get(), PDU_REC, &rec), 0);
  zur::apiPrintHex(env.get(), octets.data(), static_cast<int32_t>(octets.size()));
  EXPECT_EQ(allocations.load(), before);
  EXPECT_FALSE(out.text().empty());
}

}  // namespace

// Counts every allocation of the test program. GCC takes the free() of a
// replaced operator delete for a mismatch; the pair is malloc and free.
void *operator new(std::size_t size) {
  ++allocations;
  if (void *p = std::malloc(size != 0 ? size : 1)) return p;
  throw std::bad_alloc();
}
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
void operator delete(void *p) noexcept { std::free(p); }
void operator delete(void *p, std::size_t) noexcept { std::free(p); }
#pragma GCC diagnostic pop
