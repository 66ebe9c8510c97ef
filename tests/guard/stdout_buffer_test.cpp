// Text printed to standard output is gathered per entry point: what must
// hold for it as it held when every call wrote straight through.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <new>
#include <string>
#include <thread>
#include <vector>

#include "frame/sibling.h"
#include "library/entry_points.h"
#include "tests/guard/guard_support.h"
#include "tests/support/test_env.h"

namespace {

using namespace zurtest;

std::atomic<long> allocations{0};

// A service that writes to standard output itself.
void *printingRemap(Env *, void *, void *toRef, uint32_t) {
  std::fputs("<remap>", stdout);
  return toRef;
}

// How much text standard output had been handed when a remapValue was first
// called; prints nothing itself.
long handedAtRemap = -1;
void *notingRemap(Env *, void *, void *toRef, uint32_t) {
  if (handedAtRemap < 0) handedAtRemap = std::ftell(stdout);
  return toRef;
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

// A fault between two calls keeps what the print had gathered since its last
// call-out (the root's address was followed, then a component is read).
TEST_F(StdoutBufferTest, AFaultBetweenCallsKeepsTheGatheredText) {
  RecValue *badRoot = reinterpret_cast<RecValue *>(0x10);
  StdoutCapture out;
  EXPECT_EQ(zur::apiPrintPdu(env.get(), PDU_REC_REF, &badRoot), 14);
  EXPECT_EQ(out.text(), "value Rec ::= \n{\n  a ");
}

// Standard output gets everything in the order it was printed: a service's
// own output in its place inside a print, the application's text between
// calls, and texts larger than the buffer, in one value and in many calls.
TEST_F(StdoutBufferTest, TextComesOutWholeAndInOrder) {
  const unsigned char octet = 0xAB;
  const std::string big(20000, 'x');
  RecValue large{0, 9, big.c_str()};
  std::vector<unsigned char> octets(9000);
  for (std::size_t i = 0; i < octets.size(); ++i) octets[i] = static_cast<unsigned char>(i * 7);
  auto printed = [](std::int32_t a, const std::string &b) {  // b is reached and left by a remap
    return recTextBeforeB(a) + "<remap>\"" + b + "\"<remap>\n}\n";
  };
  env->services->remapValue = printingRemap;
  StdoutCapture out;
  EXPECT_EQ(zur::apiPrintPdu(env.get(), PDU_REC, &rec), 0);
  std::fputs("app1\n", stdout);
  zur::apiPrintHex(env.get(), &octet, 1);
  std::fputs("app2", stdout);
  EXPECT_EQ(zur::apiPrintPdu(env.get(), PDU_REC, &large), 0);
  zur::apiPrintHex(env.get(), octets.data(), static_cast<int32_t>(octets.size()));
  const std::string text = out.text();
  useSample(env.get());
  zurtest::hookText().clear();
  zur::apiPrintHex(env.get(), octets.data(), static_cast<int32_t>(octets.size()));
  // Compared as booleans: the texts are too long to show.
  EXPECT_TRUE(text == printed(5, "zurbase") + "app1\nAB\napp2" + printed(9, big) +
                          zurtest::hookText())
      << text.substr(0, 200);
}

// A remapValue marked as printing nothing is called with the text gathered
// so far still held, so that the elements of a list cost no write each;
// zurcore marks its own. An unmarked one, or one whose mark names the service
// it replaced, is called after the text is handed on.
TEST_F(StdoutBufferTest, OnlyAMarkedQuietRemapIsCalledWithTheTextHeld) {
  EXPECT_TRUE(zur::remapIsQuiet(env->services));
  const long header = static_cast<long>(std::string("value Rec ::= ").size());
  const long beforeB = static_cast<long>(recTextBeforeB(5).size());
  const ApiWord zurcoreMark = env->services->op17;
  const struct {
    ApiWord mark;
    long handed;
  } rows[] = {{reinterpret_cast<ApiWord>(notingRemap), header}, {0, beforeB}, {zurcoreMark, beforeB}};
  env->services->remapValue = notingRemap;
  for (const auto &row : rows) {
    env->services->op17 = row.mark;
    handedAtRemap = -1;
    StdoutCapture out;
    EXPECT_EQ(zur::apiPrintPdu(env.get(), PDU_REC, &rec), 0);
    EXPECT_EQ(out.text(), recText(5, "zurbase"));
    EXPECT_EQ(handedAtRemap, row.handed) << "mark " << row.mark;
  }
}

TEST_F(StdoutBufferTest, TwoThreadsPrintingAtOnceKeepTheirOwnText) {
  constexpr int kOctets = 6000, kRounds = 100;
  std::atomic<int> ready{0};
  auto dump = [&ready](unsigned char octet) {
    TestEnv own;
    zurcoreSetPrintHook(own.get(), nullptr);
    const std::vector<unsigned char> octets(kOctets, octet);
    for (++ready; ready.load() < 2;) std::this_thread::yield();  // both start together
    for (int i = 0; i < kRounds; ++i) zur::apiPrintHex(own.get(), octets.data(), kOctets);
  };
  StdoutCapture out;
  std::thread a(dump, 0x11), b(dump, 0x22);
  a.join();
  b.join();
  // Every digit of both threads once, nothing else but blanks and line ends.
  const std::string text = out.text();
  EXPECT_EQ(std::count(text.begin(), text.end(), '1'), 2L * kOctets * kRounds);
  EXPECT_EQ(std::count(text.begin(), text.end(), '2'), 2L * kOctets * kRounds);
  EXPECT_EQ(text.find_first_not_of("12 \n"), std::string::npos);
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
