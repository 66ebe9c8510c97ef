#include <gtest/gtest.h>

#include <array>

#include "library/entry_points.h"

namespace {

std::array<ApiWord, API_TBL_WORDS> snapshot() {
  std::array<ApiWord, API_TBL_WORDS> copy{};
  for (int i = 0; i < API_TBL_WORDS; ++i) copy[i] = apiTbl[i];
  return copy;
}

TEST(EntryTable, EverySlotIsFilledAndTheTableEndsWithZero) {
  for (int i = 0; i < API_SLOT_COUNT; ++i) EXPECT_NE(apiTbl[i], 0u) << "slot " << i;
  EXPECT_EQ(apiTbl[API_SLOT_COUNT], 0u);
}

TEST(EntryTable, DetachAndUnknownReasonsTouchNothingAndAnswerSuccess) {
  const auto before = snapshot();
  apiTbl[SLOT_PRINT_HEX] = 0;
  apiTbl[API_SLOT_COUNT] = 0x55;
  for (int reason : {int{START_PROCESS_DETACH}, int{START_THREAD_DETACH}, 7, -1}) {
    EXPECT_EQ(zur::zurbaseStart(reason), 1) << reason;
    EXPECT_EQ(apiTbl[SLOT_PRINT_HEX], 0u) << reason;
  }
  EXPECT_EQ(zur::zurbaseStart(START_PROCESS_ATTACH), 1);
  EXPECT_EQ(snapshot(), before);
}

}  // namespace
