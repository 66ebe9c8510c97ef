#include "printer/registration_list.h"

#include <gtest/gtest.h>

#include <initializer_list>

#include "platform/process_ids.h"
#include "tests/guard/guard_support.h"

namespace {

using zur::RegRecord;

// Distinct Env addresses; the list never reads through them.
Env *envNo(int n) { return reinterpret_cast<Env *>(static_cast<ApiWord>(0x1000 * n)); }

class RegistrationListTest : public testing::Test {
 protected:
  RegRecord *head = nullptr;
  RegRecord records[3] = {};
  zurtest::Worker workers[3];

  // On worker i: registers records[i] with envNo(i + 1), or removes the
  // worker's newest record; under the mutex when locked.
  void edit(int i, bool add, bool locked) {
    workers[i].run([&, i, add, locked] {
      Env *value = add ? envNo(i + 1) : nullptr;
      RegRecord *record = add ? &records[i] : nullptr;
      EXPECT_EQ(locked ? zur::updateRegistration(value, record, &head)
                       : zur::editRegList(value, record, &head),
                1);
    });
  }
  void registerAll() {
    for (int i = 0; i < 3; ++i) edit(i, true, false);
  }
  // The list holds exactly these records, newest first, each backLink being
  // the address of the word that points to its record.
  void expectList(std::initializer_list<RegRecord *> order) {
    RegRecord **link = &head;
    for (RegRecord *r : order) {
      ASSERT_EQ(*link, r);
      EXPECT_EQ(r->backLink, link);
      link = &r->next;
    }
    EXPECT_EQ(*link, nullptr);
  }
};

TEST_F(RegistrationListTest, NewestGoesFirstWithIdsValueAndBackLinks) {
  registerAll();
  expectList({&records[2], &records[1], &records[0]});
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(records[i].value, envNo(i + 1));
    EXPECT_EQ(records[i].processId, zur::platform::currentProcessId());
    workers[i].run([&] { EXPECT_EQ(records[i].threadId, zur::platform::currentThreadId()); });
  }
  EXPECT_NE(records[0].threadId, records[1].threadId);
}

TEST_F(RegistrationListTest, RemovingAnyRecordKeepsTheOthersLinked) {
  registerAll();
  edit(1, false, false);  // the middle
  expectList({&records[2], &records[0]});
  edit(0, false, false);  // the oldest
  expectList({&records[2]});
  edit(2, false, false);  // the only one
  expectList({});
  registerAll();
  edit(2, false, false);  // the newest
  expectList({&records[1], &records[0]});
}

TEST_F(RegistrationListTest, UnderTheMutexEachThreadRemovesOnlyItsOwnRecord) {
  edit(0, true, true);
  edit(1, false, true);  // worker 1 has no record: nothing changes
  expectList({&records[0]});
  edit(1, true, true);
  edit(0, false, true);
  expectList({&records[1]});
  edit(1, false, true);
  expectList({});
}

TEST_F(RegistrationListTest, AThreadThatNestsFindsAndRemovesItsNewestRecordFirst) {
  RegRecord outer{}, inner{};
  ASSERT_EQ(zur::editRegList(envNo(7), &outer, &head), 1);
  edit(0, true, false);
  ASSERT_EQ(zur::editRegList(envNo(8), &inner, &head), 1);
  EXPECT_EQ(zur::registeredEnv(&head), envNo(8));
  zur::editRegList(nullptr, nullptr, &head);
  EXPECT_EQ(zur::registeredEnv(&head), envNo(7));
  expectList({&records[0], &outer});
  zur::editRegList(nullptr, nullptr, &head);
  EXPECT_EQ(zur::registeredEnv(&head), nullptr);
  workers[0].run([&] { EXPECT_EQ(zur::registeredEnv(&head), envNo(1)); });
}

TEST_F(RegistrationListTest, UnlinkTakesOutExactlyThatRecordAndIgnoresOthers) {
  registerAll();
  RegRecord stranger{};
  zur::unlinkRecord(&stranger, &head);
  expectList({&records[2], &records[1], &records[0]});
  zur::unlinkRecord(&records[1], &head);
  expectList({&records[2], &records[0]});
  zur::unlinkRecord(&records[2], &head);
  expectList({&records[0]});
}

}  // namespace
