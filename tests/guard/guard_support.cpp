#include "tests/guard/guard_support.h"

#include <chrono>
#include <csignal>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <stdexcept>

#ifdef _WIN32
#include <windows.h>
#else
#include <signal.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include "platform/named_mutex.h"
#include "platform/process_ids.h"
#include "tests/support/test_env.h"

namespace zurtest {
namespace {

enum TypeIndex : std::uint16_t { T_REC, T_INTEGER, T_TEXT, T_ANONYMOUS, T_NEST, T_REC_REF };

// maxLen, -, -, name, size, count, lenSize, dataOffset, typeFlags, ref, kind, -
const TypeDesc kTypes[] = {
    {0, 0, 0, "Rec", sizeof(RecValue), 2, 1, 0, 0, 0, KIND_SEQUENCE, 0},
    {0, 0, 0, "INTEGER", 4, 0, 4, 0, 0, 0, KIND_INTEGER, 0},
    {0, 0, 0, "IA5String", 64, 0, 0, 0, TYPE_BY_POINTER, 0, KIND_CHARS_NUL, 0},
    {0, 0, 0, nullptr, 4, 0, 4, 0, 0, 0, KIND_INTEGER, 0},
    {0, 0, 0, "Nest", 4, 1, 4, 0, 0, 2, KIND_CHOICE, 0},
    {0, 0, 0, "Rec", sizeof(RecValue), 2, 1, 0, TYPE_BY_POINTER, 0, KIND_SEQUENCE, 0},
};

// offset, type, presenceBit, nameIdx, fieldFlags, -
const FieldDesc kFields[] = {
    {offsetof(RecValue, a), T_INTEGER, 0, 0, FIELD_NAMED, 0},
    {offsetof(RecValue, b), T_TEXT, 0, 1, FIELD_NAMED, 0},
    {0, T_NEST, 0, 2, FIELD_NAMED, 0},
};

const std::uint16_t kPduTypes[] = {T_REC, T_ANONYMOUS, T_NEST, T_REC_REF};

const ApiWord kInfo[] = {reinterpret_cast<ApiWord>("a"), reinterpret_cast<ApiWord>("b"),
                         reinterpret_cast<ApiWord>("x")};

const CtlTbl kTable{{}, 0, 4, 0, kPduTypes, kTypes, kFields, kInfo};

}  // namespace

const CtlTbl &sampleTable() { return kTable; }

std::string recTextBeforeB(std::int32_t a) {
  return "value Rec ::= \n{\n  a " + std::to_string(a) + ",\n  b ";
}

std::string recText(std::int32_t a, const std::string &b) {
  return recTextBeforeB(a) + "\"" + b + "\"\n}\n";
}

// The holder's arguments: this, the hold time, and the marker file that tells
// the starter that the mutex is held.
constexpr const char *kHolderArg = "--globlist-holder";

void useSample(Env *env, bool countOnly) {
  zurcoreSetPrintHook(env, countOnly ? countingHook : appendingHook);
  env->ctlTbl = &sampleTable();
}

void (*currentSegvHandler())(int) {
#ifdef _WIN32
  void (*handler)(int) = std::signal(SIGSEGV, SIG_DFL);
  std::signal(SIGSEGV, handler);
  return handler;
#else
  struct sigaction action {};
  sigaction(SIGSEGV, nullptr, &action);
  return action.sa_handler;
#endif
}

GloblistHolder::GloblistHolder(int holdMs) {
  static int serial = 0;
  const std::string marker = "zur_globlist_held_" +
                             std::to_string(zur::platform::currentProcessId()) + "_" +
                             std::to_string(++serial);
#ifdef _WIN32
  char self[MAX_PATH];
  GetModuleFileNameA(nullptr, self, sizeof self);
  std::string command =
      "\"" + std::string(self) + "\" " + kHolderArg + " " + std::to_string(holdMs) + " " + marker;
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  if (!CreateProcessA(self, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                      &info))
    throw std::runtime_error("CreateProcess failed");
  CloseHandle(info.hThread);
  process_ = reinterpret_cast<std::intptr_t>(info.hProcess);
#else
  const pid_t child = fork();
  if (child < 0) throw std::runtime_error("fork failed");
  if (child == 0) {
    std::string args[] = {"holder", kHolderArg, std::to_string(holdMs), marker};
    char *argv[] = {args[0].data(), args[1].data(), args[2].data(), args[3].data()};
    std::_Exit(runHolderMode(4, argv).value_or(1));
  }
  process_ = child;
#endif
  const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (!std::filesystem::exists(marker)) {
    if (std::chrono::steady_clock::now() > giveUp) throw std::runtime_error("holder never held");
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  std::filesystem::remove(marker);
}

int GloblistHolder::join() {
  if (exitCode_) return *exitCode_;
#ifdef _WIN32
  const HANDLE process = reinterpret_cast<HANDLE>(process_);
  WaitForSingleObject(process, INFINITE);
  DWORD code = 0;
  GetExitCodeProcess(process, &code);
  CloseHandle(process);
  exitCode_ = static_cast<int>(code);
#else
  int status = 0;
  waitpid(static_cast<pid_t>(process_), &status, 0);
  exitCode_ = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
#endif
  return *exitCode_;
}

std::optional<int> runHolderMode(int argc, char **argv) {
  if (argc != 4 || std::strcmp(argv[1], kHolderArg) != 0) return std::nullopt;
  const int holdMs = std::atoi(argv[2]);
  zur::platform::NamedMutex mutex;
  if (!mutex.open("globlist")) return 2;
  if (mutex.wait(20000) != zur::platform::MutexWait::Acquired) return 3;
  std::ofstream(argv[3]) << "held\n";
  if (holdMs < 0) std::_Exit(0);  // end abruptly, still holding it
  std::this_thread::sleep_for(std::chrono::milliseconds(holdMs));
  const bool released = mutex.release();
  return released && mutex.close() ? 0 : 4;
}

bool underUserModeEmulator() {
#ifdef _WIN32
  return false;
#else
  void *head = nullptr;
  std::size_t length = 0;
  return syscall(SYS_get_robust_list, 0, &head, &length) != 0;
#endif
}

}  // namespace zurtest

// The guard tests' executable also serves as the second process that holds
// "globlist" (see GloblistHolder).
int main(int argc, char **argv) {
  if (const std::optional<int> holderExit = zurtest::runHolderMode(argc, argv)) return *holderExit;
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
