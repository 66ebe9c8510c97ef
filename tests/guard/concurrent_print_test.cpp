#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#include "frame/entry_points.h"
#include "frame/registration_list.h"
#include "tests/guard/guard_support.h"
#include "tests/guard/sample_table.h"
#include "tests/support/test_env.h"

namespace {

using namespace zurtest;

struct Tally {
  long good = 0;
  long faulted = 0;
  long wrong = 0;
};

// One printing thread: every third print meets a bad address, either inside
// the value or as the root pointer.
Tally printRepeatedly(int thread, std::chrono::steady_clock::time_point until) {
  Tally tally;
  TestEnv env;
  zurcoreSetPrintHook(env.get(), threadTextHook);
  env->ctlTbl = &sampleTable();
  const std::string name = "thread " + std::to_string(thread);
  RecValue good{0, thread, name.c_str()};
  RecValue badInside{0, -thread, reinterpret_cast<const char *>(0x10)};
  RecValue *badRoot = reinterpret_cast<RecValue *>(0x20);
  for (int i = 0; i < 20 || std::chrono::steady_clock::now() < until; ++i) {
    threadText().clear();
    switch ((i + thread) % 6) {
      case 0:
        if (zur::apiPrintPdu(env.get(), PDU_REC, &badInside) == 14 &&
            threadText() == recTextBeforeB(-thread))
          ++tally.faulted;
        else
          ++tally.wrong;
        break;
      case 3:
        if (zur::apiPrintPdu(env.get(), PDU_REC_REF, &badRoot) == 14 &&
            threadText() == "value Rec ::= \n{\n  a ")
          ++tally.faulted;
        else
          ++tally.wrong;
        break;
      default:
        if (zur::apiPrintPdu(env.get(), PDU_REC, &good) == 0 &&
            threadText() == recText(thread, name))
          ++tally.good;
        else
          ++tally.wrong;
    }
  }
  return tally;
}

TEST(ConcurrentPrint, EightThreadsFaultingOnPurposeEachGetTheirOwnResult) {
  constexpr int kThreads = 8;
  void (*handlerBefore)(int) = currentSegvHandler();
  const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(2);
  std::vector<Tally> tallies(kThreads);
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t)
    threads.emplace_back([&, t] { tallies[t] = printRepeatedly(t + 1, until); });
  for (std::thread &t : threads) t.join();

  long good = 0, faulted = 0;
  for (int t = 0; t < kThreads; ++t) {
    EXPECT_EQ(tallies[t].wrong, 0) << "thread " << t + 1;
    EXPECT_GT(tallies[t].faulted, 0);
    good += tallies[t].good;
    faulted += tallies[t].faulted;
  }
  std::printf("[ figures  ] %ld complete prints, %ld caught faults on %d threads\n", good, faulted,
              kThreads);
  EXPECT_EQ(zur::regListHead, nullptr);
  EXPECT_EQ(currentSegvHandler(), handlerBefore);
}

}  // namespace
