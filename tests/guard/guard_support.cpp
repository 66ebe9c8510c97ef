#include "tests/guard/guard_support.h"

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
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

bool deadHolderDetectable() {
#ifdef _WIN32
  return true;
#else
  void *head = nullptr;
  std::size_t length = 0;
  return syscall(SYS_get_robust_list, 0, &head, &length) == 0;
#endif
}

}  // namespace zurtest
