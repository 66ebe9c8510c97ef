#include "printer/registration_list.h"

#include <gtest/gtest.h>

#include <vector>

#include "tests/guard/guard_support.h"

namespace {

using zur::RegRecord;

// Distinct Env addresses, one per record; the list never reads through them.
Env *envOf(int r) { return reinterpret_cast<Env *>(static_cast<ApiWord>(0x1000 * (r + 1))); }

enum Op { Add, AddLocked, Remove, RemoveLocked, Unlink };

// Each step runs on one of three threads, which keep their ids throughout.
// After it, the list holds exactly `list` (records, newest first, each
// backLink the address of the word that points to it) and the thread finds
// the Env of record `found` (-1: none).
TEST(RegistrationList, EachThreadFindsAndRemovesItsNewestRecordAndTheRestStayLinked) {
  RegRecord *head = nullptr;
  RegRecord records[6] = {};  // record 5 never goes in
  zurtest::Worker threads[3];
  const struct {
    int thread;
    Op op;
    int record;
    std::vector<int> list;
    int found;
  } steps[] = {
      {0, Add, 0, {0}, 0},
      {1, Add, 1, {1, 0}, 1},
      {2, Add, 2, {2, 1, 0}, 2},
      {1, Remove, -1, {2, 0}, -1},  // the middle
      {0, Remove, -1, {2}, -1},     // the oldest
      {2, Remove, -1, {}, -1},      // the only one
      {0, AddLocked, 0, {0}, 0},
      {1, RemoveLocked, -1, {0}, -1},  // a thread without a record changes nothing
      {1, AddLocked, 1, {1, 0}, 1},
      {0, RemoveLocked, -1, {1}, -1},
      {0, Add, 3, {3, 1}, 3},  // thread 0 nests two prints around one of thread 2
      {2, Add, 2, {2, 3, 1}, 2},
      {0, Add, 4, {4, 2, 3, 1}, 4},
      {0, Remove, -1, {2, 3, 1}, 3},  // the newest, its outer record found again
      {0, Remove, -1, {2, 1}, -1},
      {0, Add, 0, {0, 2, 1}, 0},
      {0, Unlink, 5, {0, 2, 1}, 0},  // not in the list
      {0, Unlink, 2, {0, 1}, 0},
      {1, Unlink, 0, {1}, 1},
      {1, Unlink, 1, {}, -1},
  };
  for (const auto &s : steps) {
    SCOPED_TRACE("step " + std::to_string(&s - steps));
    threads[s.thread].run([&] {
      const bool add = s.op == Add || s.op == AddLocked;
      Env *value = add ? envOf(s.record) : nullptr;
      RegRecord *record = add ? &records[s.record] : nullptr;
      if (s.op == Unlink)
        zur::unlinkRecord(&records[s.record], &head);
      else if (s.op == AddLocked || s.op == RemoveLocked)
        EXPECT_EQ(zur::updateRegistration(value, record, &head), 1);
      else
        EXPECT_EQ(zur::editRegList(value, record, &head), 1);
      EXPECT_EQ(zur::registeredEnv(&head), s.found < 0 ? nullptr : envOf(s.found));
    });
    RegRecord **link = &head;
    for (int r : s.list) {
      ASSERT_EQ(*link, &records[r]);
      ASSERT_EQ(records[r].backLink, link);
      link = &records[r].next;
    }
    EXPECT_EQ(*link, nullptr);
  }
}

}  // namespace
