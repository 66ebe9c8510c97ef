#include "tests/guard/guard_support.h"

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#else
#include <signal.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include "frame/word_format.h"
#include "platform/named_mutex.h"

namespace zurtest {
namespace {

constexpr const char *kHoldArg = "--hold-globlist=";
constexpr const char *kAbandonArg = "--abandon-globlist";
constexpr const char *kMarkerArg = "--marker=";

std::string markerPath() {
  static int serial = 0;
#ifdef _WIN32
  const unsigned long self = GetCurrentProcessId();
#else
  const unsigned long self = static_cast<unsigned long>(getpid());
#endif
  return "zur_globlist_held_" + std::to_string(self) + "_" + std::to_string(++serial);
}

[[noreturn]] void endAbruptly(int code) {
#ifdef _WIN32
  ExitProcess(static_cast<UINT>(code));
#else
  _exit(code);
#endif
}

}  // namespace

std::string &threadText() {
  thread_local std::string text;
  return text;
}

int threadTextHook(Env *, const char *format, ApiWord w0, ApiWord w1, ApiWord w2, ApiWord w3,
                   ApiWord w4, ApiWord w5, ApiWord w6, ApiWord w7, ApiWord w8, ApiWord w9) {
  const ApiWord words[10] = {w0, w1, w2, w3, w4, w5, w6, w7, w8, w9};
  char buf[1024];
  const int n = zur::formatWords(buf, sizeof buf, format, words);
  threadText().append(buf);
  return n;
}

long &threadHookCalls() {
  thread_local long calls = 0;
  return calls;
}

int countingHook(Env *, const char *, ApiWord, ApiWord, ApiWord, ApiWord, ApiWord, ApiWord,
                 ApiWord, ApiWord, ApiWord, ApiWord) {
  ++threadHookCalls();
  return 0;
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

Worker::Worker() : thread_([this] {
  std::unique_lock hold(lock_);
  for (;;) {
    changed_.wait(hold, [this] { return stop_ || task_; });
    if (!task_) return;
    task_();
    task_ = nullptr;
    changed_.notify_all();
  }
}) {}

Worker::~Worker() {
  {
    const std::lock_guard hold(lock_);
    stop_ = true;
  }
  changed_.notify_all();
  thread_.join();
}

void Worker::run(const std::function<void()> &task) {
  std::unique_lock hold(lock_);
  task_ = task;
  changed_.notify_all();
  changed_.wait(hold, [this] { return !task_; });
}

GloblistHolder GloblistHolder::holdFor(int milliseconds) {
  GloblistHolder holder;
  holder.start(kHoldArg + std::to_string(milliseconds));
  return holder;
}

GloblistHolder GloblistHolder::abandon() {
  GloblistHolder holder;
  holder.start(kAbandonArg);
  return holder;
}

GloblistHolder::GloblistHolder(GloblistHolder &&other) noexcept
    : process_(other.process_), joined_(other.joined_) {
  other.joined_ = true;
}

GloblistHolder::~GloblistHolder() {
  if (!joined_) join();
}

void GloblistHolder::start(const std::string &mode) {
  const std::string marker = markerPath();
  const std::string markerArg = kMarkerArg + marker;
#ifdef _WIN32
  char self[MAX_PATH];
  GetModuleFileNameA(nullptr, self, sizeof self);
  std::string command = "\"" + std::string(self) + "\" " + mode + " " + markerArg;
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
    std::vector<std::string> args = {"holder", mode, markerArg};
    std::vector<char *> argv;
    for (std::string &a : args) argv.push_back(a.data());
    _exit(runHolderMode(static_cast<int>(argv.size()), argv.data()).value_or(1));
  }
  process_ = child;
#endif
  joined_ = false;
  const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (!std::filesystem::exists(marker)) {
    if (std::chrono::steady_clock::now() > giveUp) throw std::runtime_error("holder never held");
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  std::filesystem::remove(marker);
}

int GloblistHolder::join() {
  joined_ = true;
#ifdef _WIN32
  const HANDLE process = reinterpret_cast<HANDLE>(process_);
  WaitForSingleObject(process, INFINITE);
  DWORD code = 0;
  GetExitCodeProcess(process, &code);
  CloseHandle(process);
  return static_cast<int>(code);
#else
  int status = 0;
  waitpid(static_cast<pid_t>(process_), &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
#endif
}

std::optional<int> runHolderMode(int argc, char **argv) {
  int holdMs = -1;
  bool abandon = false;
  std::string marker;
  for (int i = 1; i < argc; ++i) {
    if (std::strncmp(argv[i], kHoldArg, std::strlen(kHoldArg)) == 0)
      holdMs = std::atoi(argv[i] + std::strlen(kHoldArg));
    else if (std::strcmp(argv[i], kAbandonArg) == 0)
      abandon = true;
    else if (std::strncmp(argv[i], kMarkerArg, std::strlen(kMarkerArg)) == 0)
      marker = argv[i] + std::strlen(kMarkerArg);
  }
  if ((holdMs < 0 && !abandon) || marker.empty()) return std::nullopt;
  zur::platform::NamedMutex mutex;
  if (!mutex.open("globlist")) return 2;
  if (mutex.wait(20000) != zur::platform::MutexWait::Acquired) return 3;
  std::ofstream(marker) << "held\n";
  if (abandon) endAbruptly(0);
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
