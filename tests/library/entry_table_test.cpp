#include <gtest/gtest.h>

#include <vector>

#include "library/entry_points.h"

namespace {

// Detach and unknown reasons touch nothing and answer success; attach fills
// the table again, its terminating zero included. That every slot is filled
// is shown on the shipped library (library_load_test).
TEST(EntryTable, OnlyAttachFillsTheTable) {
  const std::vector<ApiWord> before(apiTbl, apiTbl + API_TBL_WORDS);
  apiTbl[SLOT_PRINT_HEX] = 0;
  apiTbl[API_SLOT_COUNT] = 0x55;
  for (int reason : {int{START_PROCESS_DETACH}, int{START_THREAD_DETACH}, 7, -1}) {
    EXPECT_EQ(zur::zurbaseStart(reason), 1) << reason;
    EXPECT_EQ(apiTbl[SLOT_PRINT_HEX], 0u) << reason;
  }
  EXPECT_EQ(zur::zurbaseStart(START_PROCESS_ATTACH), 1);
  EXPECT_EQ(std::vector<ApiWord>(apiTbl, apiTbl + API_TBL_WORDS), before);
}

}  // namespace
