#include <gtest/gtest.h>

#include <array>
#include <thread>

#include "frame/entry_points.h"

namespace {

template <class Fn>
ApiWord addr(Fn fn) {
  return reinterpret_cast<ApiWord>(fn);
}

std::array<ApiWord, API_TBL_WORDS> snapshot() {
  std::array<ApiWord, API_TBL_WORDS> copy{};
  for (int i = 0; i < API_TBL_WORDS; ++i) copy[i] = apiTbl[i];
  return copy;
}

TEST(EntryTable, SlotsHoldTheEntryPointsInInterfaceOrderAndEndWithZero) {
  using namespace zur;
  const ApiWord expected[API_SLOT_COUNT] = {
      addr(&apiSetEncodingRules), addr(&apiGetEncodingRules),  addr(&apiEncodeDirect),
      addr(&apiDecodeDirect),     addr(&apiEncodeWithMsg),     addr(&apiDecodeWithMsg),
      addr(&apiSetDecodeBufLen),  addr(&apiGetDecodeBufLen),   addr(&apiSetEncodingFlags),
      addr(&apiSetFlags),         addr(&apiGetEncodingFlags),  addr(&apiSetDecodingFlags),
      addr(&apiGetDecodingFlags), addr(&apiGetErrorMsg),       addr(&apiPrintHex),
      addr(&apiEncode),           addr(&apiDecode),            addr(&apiPrintPdu),
      addr(&apiService16),        addr(&apiService31),         addr(&apiTracePrint),
      addr(&apiReadTraceLine),    addr(&apiResetTrace),        addr(&apiSaveTrace),
      addr(&apiTraceEncoding),    addr(&apiOpenTraceWindow),   addr(&apiGetWorkValue),
      addr(&apiMakeDeferredHandle), addr(&apiGetDeferredLocator), addr(&apiDeferredKind),
      addr(&apiService35),        addr(&apiService37)};
  for (int i = 0; i < API_SLOT_COUNT; ++i) {
    EXPECT_NE(apiTbl[i], 0u) << "slot " << i;
    EXPECT_EQ(apiTbl[i], expected[i]) << "slot " << i;
  }
  EXPECT_EQ(apiTbl[API_SLOT_COUNT], 0u);
}

TEST(EntryTable, ThreadAttachRewritesTheSameValues) {
  const auto before = snapshot();
  EXPECT_EQ(zur::zurbaseStart(START_THREAD_ATTACH), 1);
  std::thread([] {}).join();
  EXPECT_EQ(snapshot(), before);
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
