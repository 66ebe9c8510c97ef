#include <gtest/gtest.h>

#include <chrono>
#include <thread>
#include <vector>

#include "library/entry_points.h"
#include "printer/registration_list.h"
#include "tests/guard/guard_support.h"
#include "tests/support/test_env.h"

namespace {

using namespace zurtest;

struct Tally {
  long good = 0, faulted = 0, wrong = 0;
};

// One printing thread: every third print meets a bad address, either inside
// the value or as the root pointer.
Tally printRepeatedly(int thread, std::chrono::steady_clock::time_point until) {
  TestEnv env;
  useSample(env.get());
  const std::string name = "thread " + std::to_string(thread);
  RecValue good{0, thread, name.c_str()};
  RecValue badInside{0, -thread, reinterpret_cast<const char *>(0x10)};
  RecValue *badRoot = reinterpret_cast<RecValue *>(0x20);
  const struct {
    int32_t pdu;
    void *value;
    int code;
    std::string text;
  } rounds[] = {{PDU_REC, &good, 0, recText(thread, name)},
                {PDU_REC, &badInside, 14, recTextBeforeB(-thread)},
                {PDU_REC_REF, &badRoot, 14, "value Rec ::= \n{\n  a "}};
  Tally tally;
  for (int i = 0; i < 20 || std::chrono::steady_clock::now() < until; ++i) {
    const int step = (i + thread) % 6;
    const auto &round = rounds[step == 0 ? 1 : step == 3 ? 2 : 0];
    hookText().clear();
    if (zur::apiPrintPdu(env.get(), round.pdu, round.value) != round.code ||
        hookText() != round.text)
      ++tally.wrong;
    else
      ++(round.code == 0 ? tally.good : tally.faulted);
  }
  return tally;
}

TEST(ConcurrentPrint, ThreadsFaultingOnPurposeEachGetTheirOwnResult) {
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
