#include "printer/print_driver.h"

#include <gtest/gtest.h>

#include <atomic>
#include <csignal>
#include <csetjmp>
#include <thread>

#include "frame/error_table.h"
#include "library/entry_points.h"
#include "printer/registration_list.h"
#include "tests/guard/guard_support.h"
#include "tests/support/test_env.h"

namespace {

using namespace zurtest;

// What the services saw while the print ran.
struct Seen {
  void *mapAddress = nullptr;
  uint32_t mapSize = 0;
  int unmapCalls = 0;
  int32_t depthAtMap = -1, indentAtMap = -1;
  Env *registered = nullptr;
  void (*handler)(int) = nullptr;
  int exitRow = 0;
} seen;

void *spyMap(Env *env, void *value, uint32_t size) {
  seen.mapAddress = value;
  seen.mapSize = size;
  seen.depthAtMap = env->workArea.printDepth;
  seen.indentAtMap = env->workArea.printIndent;
  seen.registered = zur::registeredEnv(&zur::regListHead);
  seen.handler = currentSegvHandler();
  return value;
}

void spyUnmap(Env *, void *) { ++seen.unmapCalls; }

void *leavingRemap(Env *env, void *, void *, uint32_t) {
  env->workArea.abortJump(env, seen.exitRow, 0);
  return nullptr;
}

void sentinelExit(Env *, int32_t, ApiWord) {}

class PrintDriverTest : public testing::Test {
 protected:
  TestEnv env;
  void (*handlerBefore)(int) = currentSegvHandler();
  RecValue rec{0, 5, "zurbase"};

  void SetUp() override {
    seen = Seen{};
    useSample(env.get());
    env->services->mapValue = spyMap;
    env->services->unmapValue = spyUnmap;
  }

  int print(int32_t pdu, void *value) {
    hookText().clear();
    return zur::apiPrintPdu(env.get(), pdu, value);
  }

  void expectPrint(int32_t pdu, void *value, int code, const std::string &text) {
    EXPECT_EQ(print(pdu, value), code) << "PDU " << pdu;
    EXPECT_EQ(hookText(), text) << "PDU " << pdu;
  }

  void expectNothingLeftBehind() {
    EXPECT_EQ(zur::regListHead, nullptr);
    EXPECT_EQ(currentSegvHandler(), handlerBefore);
  }
};

TEST_F(PrintDriverTest, ACompletePrintIsGuardedOnlyWhileItRuns) {
  auto printPdu = reinterpret_cast<ApiPrintPduFn>(apiTbl[SLOT_PRINT_PDU]);
  hookText().clear();
  EXPECT_EQ(printPdu(env.get(), PDU_REC, &rec), 0);
  EXPECT_EQ(hookText(), recText(5, "zurbase"));
  EXPECT_EQ(seen.mapAddress, &rec);
  EXPECT_EQ(seen.mapSize, sizeof(RecValue));
  EXPECT_EQ(seen.unmapCalls, 1);
  EXPECT_EQ(seen.registered, env.get());
  EXPECT_NE(seen.handler, handlerBefore);  // the library's handler, during the print only
  EXPECT_EQ(seen.depthAtMap, 0);
  EXPECT_EQ(env->workArea.printDepth, 0);
  expectNothingLeftBehind();

  // A root held through a pointer: the root cursor covers the address word.
  RecValue other{0, 7, "x"};
  RecValue *held = &other;
  expectPrint(PDU_REC_REF, &held, 0, recText(7, "x"));
  EXPECT_EQ(seen.mapAddress, &held);
  EXPECT_EQ(seen.mapSize, sizeof(ApiWord));
  EXPECT_EQ(seen.unmapCalls, 2);
  // The last PDU is a type without a name.
  int32_t number = -42;
  expectPrint(PDU_ANONYMOUS, &number, 0, "value <anonymous> ::= -42\n");
}

TEST_F(PrintDriverTest, BadArgumentsGive6WithoutOutputOrChange) {
  env->workArea.printDepth = 7;
  env->workArea.printIndent = 3;
  env->workArea.abortJump = sentinelExit;
  env->workArea.abortJmpBuf = &seen;
  for (int32_t pdu : {0, -1, -2147483647 - 1, sampleTable().pduCount + 1})
    EXPECT_EQ(print(pdu, &rec), 6) << "PDU " << pdu;
  EXPECT_EQ(print(PDU_REC, nullptr), 6);
  EXPECT_EQ(zur::printPdu(env.get(), PDU_REC, &rec, nullptr), 6);
  env->ctlTbl = nullptr;
  EXPECT_EQ(print(PDU_REC, &rec), 6);
  EXPECT_EQ(zur::apiPrintPdu(nullptr, PDU_REC, &rec), 6);
  EXPECT_EQ(zur::printPdu(nullptr, PDU_REC, &rec, &sampleTable()), 6);
  EXPECT_EQ(hookText(), "");
  EXPECT_EQ(env->workArea.printDepth, 7);
  EXPECT_EQ(env->workArea.printIndent, 3);
  EXPECT_EQ(env->workArea.abortJump, sentinelExit);
  EXPECT_EQ(env->workArea.abortJmpBuf, &seen);
  EXPECT_EQ(seen.mapAddress, nullptr);
}

TEST_F(PrintDriverTest, Bit0x200SkipsRegistrationAndHandlerButKeepsTheExit) {
  env->decFlags |= ZURBASE_FLAG_NO_PRINT_GUARD;
  expectPrint(PDU_REC, &rec, 0, recText(5, "zurbase"));
  EXPECT_EQ(seen.registered, nullptr);
  EXPECT_EQ(seen.handler, handlerBefore);
  seen.exitRow = 7;
  env->services->remapValue = leavingRemap;
  expectPrint(PDU_REC, &rec, zur::errorCode(7), recTextBeforeB(5));
  expectNothingLeftBehind();
}

TEST_F(PrintDriverTest, AMemoryViolationGives14AndKeepsWhatWasPrinted) {
  RecValue bad{0, 5, reinterpret_cast<const char *>(0x10)};
  expectPrint(PDU_REC, &bad, 14, recTextBeforeB(5));
  EXPECT_EQ(seen.unmapCalls, 0);
  expectNothingLeftBehind();
  // The next violation on this thread is caught as well.
  RecValue *badRoot = reinterpret_cast<RecValue *>(0x10);
  expectPrint(PDU_REC_REF, &badRoot, 14, "value Rec ::= \n{\n  a ");
  RecValue good{0, 6, "ok"};
  expectPrint(PDU_REC, &good, 0, recText(6, "ok"));
  expectNothingLeftBehind();
}

TEST_F(PrintDriverTest, AServiceLeavingWithARowGivesItsCodeAndTheNextPrintStartsAtZero) {
  const auto remapBefore = env->services->remapValue;
  env->services->remapValue = leavingRemap;
  for (int row : {1, 7, 46, 48, 111}) {
    seen.exitRow = row;
    SCOPED_TRACE("row " + std::to_string(row));
    expectPrint(PDU_REC, &rec, zur::errorCode(row), recTextBeforeB(5));
    expectNothingLeftBehind();
  }
  seen.exitRow = 7;
  EXPECT_EQ(print(PDU_REC, &rec), 8);
  EXPECT_GT(env->workArea.printDepth, 0);
  EXPECT_GT(env->workArea.printIndent, 0);
  env->services->remapValue = remapBefore;
  expectPrint(PDU_REC, &rec, 0, recText(5, "zurbase"));
  EXPECT_EQ(seen.depthAtMap, 0);
  EXPECT_EQ(seen.indentAtMap, 0);
  EXPECT_EQ(env->workArea.printDepth, 0);
}

#ifndef _WIN32
// An application with a SIGSEGV handler of its own that recovers.
std::atomic<int> stage{0};  // 1: a print is under way; 2: another thread faulted
std::atomic<int> applicationCalls{0};
thread_local sigjmp_buf applicationJump;

void applicationHandler(int, siginfo_t *, void *) {
  ++applicationCalls;
  siglongjmp(applicationJump, 1);
}

void *mapOnceOtherThreadFaulted(Env *, void *value, uint32_t) {
  stage = 1;
  while (stage.load() != 2) {
  }
  return value;
}

TEST_F(PrintDriverTest, AFaultOutsideAnyPrintReachesTheApplicationWhilePrintsStayGuarded) {
  struct sigaction application {}, before{};
  application.sa_sigaction = applicationHandler;
  application.sa_flags = SA_SIGINFO;
  sigemptyset(&application.sa_mask);
  sigaction(SIGSEGV, &application, &before);
  env->services->mapValue = mapOnceOtherThreadFaulted;
  stage = 0;
  applicationCalls = 0;
  RecValue broken{0, 3, reinterpret_cast<const char *>(0x10)};
  int result = -1;
  std::thread printing([&] { result = zur::apiPrintPdu(env.get(), PDU_REC, &broken); });
  while (stage.load() != 1) {
  }
  volatile std::uintptr_t nowhere = 0x10;
  if (sigsetjmp(applicationJump, 1) == 0) *reinterpret_cast<volatile int *>(nowhere) = 1;
  stage = 2;
  printing.join();
  sigaction(SIGSEGV, &before, nullptr);
  EXPECT_EQ(applicationCalls.load(), 1);
  EXPECT_EQ(result, 14);
  EXPECT_EQ(zur::regListHead, nullptr);
}
#endif

#if !defined(_WIN32) && !defined(__SANITIZE_ADDRESS__)
TEST_F(PrintDriverTest, AStackOverflowInsideAPrintGives14) {
  int result = -1;
  long hookCalls = 0;
  std::thread([&] {
    TestEnv own;
    useSample(own.get(), true);
    int32_t firstAlternative = 1;
    result = zur::apiPrintPdu(own.get(), PDU_NEST, &firstAlternative);
    hookCalls = zurtest::hookCalls();
  }).join();
  EXPECT_EQ(result, 14);
  EXPECT_GT(hookCalls, 1000);
  expectNothingLeftBehind();
}
#endif

}  // namespace
