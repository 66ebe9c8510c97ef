#include "tests/guard/guard_support.h"

#include <chrono>
#include <csignal>
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
#include "tests/support/ctl_builder.h"
#include "tests/support/test_env.h"

namespace zurtest {

const CtlTbl &sampleTable() {
  static CtlBuilder b;
  static const CtlTbl *table = [] {
    const uint16_t text =
        b.byPointer(b.add(CtlBuilder::desc(KIND_CHARS_NUL, 64, 0, 0, "IA5String")));
    const uint16_t rec = b.sequence("Rec", {field("a", b.integer()), field("b", text)}, 1);
    // Nest's component is Nest itself, held through an address: a slot laid
    // out as an address, then made a copy of Nest once Nest exists.
    const uint16_t inner = b.byPointer(b.integer());
    const uint16_t nest = b.choice("Nest", {field("x", inner)});
    b.edit(inner) = *b.type(nest);
    b.edit(inner).typeFlags |= TYPE_BY_POINTER;
    for (uint16_t pdu : {rec, b.integer(4, nullptr), nest, b.byPointer(rec)}) b.pdu(pdu);
    return b.table();
  }();
  return *table;
}

std::string recTextBeforeB(std::int32_t a) {
  return "value Rec ::= \n{\n  a " + std::to_string(a) + ",\n  b ";
}

std::string recText(std::int32_t a, const std::string &b) {
  return recTextBeforeB(a) + "\"" + b + "\"\n}\n";
}

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

namespace {

// The holder process: takes "globlist", tells its starter by making the
// marker file, and holds it for holdMs or, with holdMs < 0, ends holding it.
int holdGloblist(int holdMs, const char *marker) {
  zur::platform::NamedMutex mutex;
  if (!mutex.open("globlist")) return 2;
  if (mutex.wait(20000) != zur::platform::MutexWait::Acquired) return 3;
  // Made under another name and renamed once closed: on Windows the starter
  // cannot remove a marker that is still open.
  const std::string made = std::string(marker) + ".tmp";
  std::ofstream(made) << "held\n";
  std::filesystem::rename(made, marker);
  if (holdMs < 0) std::_Exit(0);
  std::this_thread::sleep_for(std::chrono::milliseconds(holdMs));
  const bool released = mutex.release();
  return released && mutex.close() ? 0 : 4;
}

constexpr const char *kHolderArg = "--globlist-holder";  // then holdMs and the marker

}  // namespace

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
  if (child == 0) std::_Exit(holdGloblist(holdMs, marker.c_str()));
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
  if (argc == 4 && std::strcmp(argv[1], zurtest::kHolderArg) == 0)
    return zurtest::holdGloblist(std::atoi(argv[2]), argv[3]);
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
