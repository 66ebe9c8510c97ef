#include "bench/output_sinks.h"

#include <fcntl.h>
#include <unistd.h>

#include <stdexcept>

namespace bench {

StdoutToFile::StdoutToFile(const std::string &path) {
  std::fflush(stdout);
  int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  if (fd < 0) throw std::runtime_error("cannot open " + path);
  savedFd_ = ::dup(1);
  ::dup2(fd, 1);
  ::close(fd);
}

StdoutToFile::~StdoutToFile() {
  std::fflush(stdout);
  ::dup2(savedFd_, 1);
  ::close(savedFd_);
}

long StdoutToFile::written() {
  std::fflush(stdout);
  return static_cast<long>(::lseek(1, 0, SEEK_CUR));
}

}  // namespace bench
