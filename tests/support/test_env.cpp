#include "tests/support/test_env.h"

#include <cstdio>
#include <fstream>
#include <sstream>
#include <stdexcept>

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

#include "frame/word_format.h"
#include "platform/process_ids.h"

namespace zurtest {
namespace {

#ifdef _WIN32
int dupFd(int fd) { return _dup(fd); }
void redirectFd(int from, int to) { _dup2(from, to); }
void closeFd(int fd) { _close(fd); }
int fdOf(std::FILE *f) { return _fileno(f); }
#else
int dupFd(int fd) { return dup(fd); }
void redirectFd(int from, int to) { dup2(from, to); }
void closeFd(int fd) { close(fd); }
int fdOf(std::FILE *f) { return fileno(f); }
#endif

}  // namespace

StdoutCapture::StdoutCapture() {
  // Test programs run side by side in one directory: the name is the process's own.
  static int serial = 0;
  path_ = "zur_stdout_capture_" + std::to_string(zur::platform::currentProcessId()) + "_" +
          std::to_string(++serial) + ".txt";
  std::fflush(stdout);
  savedFd_ = dupFd(fdOf(stdout));
  std::FILE *f = std::fopen(path_.c_str(), "wb");
  redirectFd(fdOf(f), fdOf(stdout));
  std::fclose(f);
}

StdoutCapture::~StdoutCapture() { text(); }

std::string StdoutCapture::text() {
  if (!done_) {
    std::fflush(stdout);
    redirectFd(savedFd_, fdOf(stdout));
    closeFd(savedFd_);
    std::ifstream in(path_, std::ios::binary);
    std::ostringstream all;
    all << in.rdbuf();
    text_ = all.str();
    in.close();
    std::remove(path_.c_str());
    done_ = true;
  }
  return text_;
}

std::string &hookText() {
  thread_local std::string text;
  return text;
}

long &hookCalls() {
  thread_local long calls = 0;
  return calls;
}

int countingHook(Env *, const char *, ApiWord, ApiWord, ApiWord, ApiWord, ApiWord, ApiWord, ApiWord,
                 ApiWord, ApiWord, ApiWord) {
  ++hookCalls();
  return 0;
}

int appendingHook(Env *, const char *format, ApiWord w0, ApiWord w1, ApiWord w2, ApiWord w3,
                  ApiWord w4, ApiWord w5, ApiWord w6, ApiWord w7, ApiWord w8, ApiWord w9) {
  const ApiWord words[10] = {w0, w1, w2, w3, w4, w5, w6, w7, w8, w9};
  char buf[4096];
  int n = zur::formatWords(buf, sizeof buf, format, words);
  hookText().append(buf, static_cast<std::size_t>(n) < sizeof buf ? n : sizeof buf - 1);
  ++hookCalls();
  return n;
}

TestEnv::TestEnv() : env_(zurcoreCreateEnv(apiTbl)) {
  if (env_ == nullptr) throw std::runtime_error("zurcoreCreateEnv failed");
}

TestEnv::~TestEnv() { zurcoreDestroyEnv(env_); }

void TestEnv::captureWithHook() {
  hookText().clear();
  hookCalls() = 0;
  zurcoreSetPrintHook(env_, appendingHook);
}

}  // namespace zurtest
