// Peers run as host commands by the agreement tests (host build only: the
// peers are Linux programs): their output, a scratch directory per test
// program (removed when all passed), and the conversation with the escript
// peers, which read one request per line after printing "ready" and answer
// each on one line.
#ifndef ZURBASE_TESTS_PEER_PROCESS_H
#define ZURBASE_TESTS_PEER_PROCESS_H

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace zurtest {

// What `command` writes to standard output. Its exit status is not looked
// at: the callers check what it wrote, which says more.
inline std::string runCommand(const std::string &command) {
  std::string out;
  if (std::FILE *p = popen(command.c_str(), "r")) {
    char buf[4096];
    for (std::size_t n; (n = std::fread(buf, 1, sizeof buf, p)) > 0;) out.append(buf, n);
    pclose(p);
  }
  return out;
}

// This test program's scratch directory, under which the peers keep their
// files: removed once every test has passed, kept for a look otherwise.
inline const std::filesystem::path &scratchRoot() {
  static const std::filesystem::path root =
      std::filesystem::temp_directory_path() / ("zur_peers_" + std::to_string(getpid()));
  return root;
}

class ScratchCleanup : public ::testing::Environment {
 public:
  void TearDown() override {
    if (::testing::UnitTest::GetInstance()->Failed()) return;
    std::error_code error;
    std::filesystem::remove_all(scratchRoot(), error);
    if (error) std::fprintf(stderr, "cannot remove %s: %s\n", scratchRoot().c_str(), error.message().c_str());
  }
};

inline ::testing::Environment *const kScratchCleanup = ::testing::AddGlobalTestEnvironment(new ScratchCleanup);

// A fresh directory `name` under the scratch directory.
inline std::string peerDir(const std::string &name) {
  const std::filesystem::path dir = scratchRoot() / name;
  std::filesystem::create_directories(dir);
  return dir.string();
}

// Runs `command` (a peer that prints "ready", then answers each line of its
// standard input on one line) on `requests`, kept in `dir`; one answer per
// request, a failure with the peer's output when some are missing.
inline std::vector<std::string> askPeer(const std::string &command, const std::string &dir,
                                        const std::vector<std::string> &requests) {
  const std::string file = dir + "/requests.txt";
  {
    std::ofstream out(file);
    for (const std::string &line : requests) out << line << '\n';
  }
  const std::string out = runCommand(command + " < " + file + " 2>&1");
  const std::size_t ready = out.find("ready\n");
  std::vector<std::string> answers;
  std::istringstream in(ready == std::string::npos ? "" : out.substr(ready + 6));
  for (std::string line; std::getline(in, line);) answers.push_back(line);
  EXPECT_EQ(answers.size(), requests.size()) << out.substr(0, 2000);
  return answers;
}

}  // namespace zurtest

#endif
