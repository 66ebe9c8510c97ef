#include "frame/registration_list.h"

#include <gtest/gtest.h>

#include "platform/process_ids.h"
#include "tests/guard/guard_support.h"

namespace {

using zur::RegRecord;
using zurtest::Worker;

// Distinct Env addresses; the list never reads through them.
Env *envNo(int n) { return reinterpret_cast<Env *>(static_cast<ApiWord>(0x1000 * n)); }

class RegistrationListTest : public testing::Test {
 protected:
  RegRecord *head = nullptr;
  RegRecord records[3] = {};
  Worker workers[3];

  void registerOn(int i, bool locked) {
    workers[i].run([&, i] {
      const int made = locked ? zur::updateRegistration(envNo(i + 1), &records[i], &head)
                              : zur::editRegList(envNo(i + 1), &records[i], &head);
      EXPECT_EQ(made, 1);
    });
  }
  void removeOn(int i, bool locked) {
    workers[i].run([&] {
      const int made = locked ? zur::updateRegistration(nullptr, nullptr, &head)
                              : zur::editRegList(nullptr, nullptr, &head);
      EXPECT_EQ(made, 1);
    });
  }
};

TEST_F(RegistrationListTest, NewestGoesFirstWithIdsValueAndBackLinks) {
  for (int i = 0; i < 3; ++i) registerOn(i, false);
  ASSERT_EQ(head, &records[2]);
  EXPECT_EQ(records[2].next, &records[1]);
  EXPECT_EQ(records[1].next, &records[0]);
  EXPECT_EQ(records[0].next, nullptr);
  EXPECT_EQ(records[2].backLink, &head);
  EXPECT_EQ(records[1].backLink, &records[2].next);
  EXPECT_EQ(records[0].backLink, &records[1].next);
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(records[i].value, envNo(i + 1));
    EXPECT_EQ(records[i].processId, zur::platform::currentProcessId());
    workers[i].run([&] { EXPECT_EQ(records[i].threadId, zur::platform::currentThreadId()); });
  }
  EXPECT_NE(records[0].threadId, records[1].threadId);
}

TEST_F(RegistrationListTest, RemovingTheMiddleKeepsBothNeighboursLinked) {
  for (int i = 0; i < 3; ++i) registerOn(i, false);
  removeOn(1, false);
  ASSERT_EQ(head, &records[2]);
  EXPECT_EQ(records[2].next, &records[0]);
  EXPECT_EQ(records[0].backLink, &records[2].next);
  EXPECT_EQ(records[2].backLink, &head);
  EXPECT_EQ(records[0].next, nullptr);
}

TEST_F(RegistrationListTest, RemovingTheNewestAndTheOldest) {
  for (int i = 0; i < 3; ++i) registerOn(i, false);
  removeOn(2, false);
  ASSERT_EQ(head, &records[1]);
  EXPECT_EQ(records[1].backLink, &head);
  removeOn(0, false);
  EXPECT_EQ(records[1].next, nullptr);
  EXPECT_EQ(head, &records[1]);
}

TEST_F(RegistrationListTest, TwoThreadsRemovedInRegistrationOrderUnderTheMutexLeaveItEmpty) {
  registerOn(0, true);
  registerOn(1, true);
  removeOn(0, true);
  ASSERT_EQ(head, &records[1]);
  EXPECT_EQ(records[1].backLink, &head);
  removeOn(1, true);
  EXPECT_EQ(head, nullptr);
}

TEST_F(RegistrationListTest, RemovingWithoutARecordOfTheCallerChangesNothing) {
  registerOn(0, false);
  RegRecord before = records[0];
  removeOn(1, true);
  EXPECT_EQ(head, &records[0]);
  EXPECT_EQ(records[0].next, before.next);
  EXPECT_EQ(records[0].backLink, before.backLink);
}

TEST_F(RegistrationListTest, AThreadThatNestsFindsAndRemovesItsNewestRecordFirst) {
  RegRecord outer{}, inner{};
  ASSERT_EQ(zur::editRegList(envNo(7), &outer, &head), 1);
  registerOn(0, false);
  ASSERT_EQ(zur::editRegList(envNo(8), &inner, &head), 1);
  EXPECT_EQ(zur::registeredEnv(&head), envNo(8));
  zur::editRegList(nullptr, nullptr, &head);
  EXPECT_EQ(zur::registeredEnv(&head), envNo(7));
  EXPECT_EQ(head, &records[0]);
  EXPECT_EQ(records[0].next, &outer);
  zur::editRegList(nullptr, nullptr, &head);
  EXPECT_EQ(zur::registeredEnv(&head), nullptr);
  workers[0].run([&] { EXPECT_EQ(zur::registeredEnv(&head), envNo(1)); });
}

TEST_F(RegistrationListTest, UnlinkTakesOutExactlyThatRecordAndIgnoresOthers) {
  for (int i = 0; i < 3; ++i) registerOn(i, false);
  RegRecord stranger{};
  zur::unlinkRecord(&stranger, &head);
  EXPECT_EQ(head, &records[2]);
  zur::unlinkRecord(&records[1], &head);
  EXPECT_EQ(records[2].next, &records[0]);
  EXPECT_EQ(records[0].backLink, &records[2].next);
  zur::unlinkRecord(&records[2], &head);
  EXPECT_EQ(head, &records[0]);
  EXPECT_EQ(records[0].backLink, &head);
}

}  // namespace
