// Where the benchmarks send their text: a file standing in for standard
// output, and a growing buffer.
#ifndef ZURBASE_BENCH_OUTPUT_SINKS_H
#define ZURBASE_BENCH_OUTPUT_SINKS_H

#include <cstddef>
#include <cstdio>
#include <string>
#include <vector>

namespace bench {

// Sends the process's standard output to a file while alive.
class StdoutToFile {
 public:
  explicit StdoutToFile(const std::string &path);
  ~StdoutToFile();
  StdoutToFile(const StdoutToFile &) = delete;
  StdoutToFile &operator=(const StdoutToFile &) = delete;
  // Bytes written to the file so far (flushes standard output first).
  long written();

 private:
  int savedFd_;
};

// A byte buffer that only grows, so appending does not allocate once it has
// reached the size of one print.
class TextBuffer {
 public:
  explicit TextBuffer(std::size_t reserve) : bytes_(reserve) {}
  void clear() { used_ = 0; }
  // The free space, and its size.
  char *tail() { return bytes_.data() + used_; }
  std::size_t room() const { return bytes_.size() - used_; }
  // Room for at least n more bytes.
  void reserve(std::size_t n) {
    if (room() < n) bytes_.resize((used_ + n) * 2);
  }
  void commit(std::size_t n) { used_ += n; }
  std::size_t size() const { return used_; }
  const char *data() const { return bytes_.data(); }

 private:
  std::vector<char> bytes_;
  std::size_t used_ = 0;
};

}  // namespace bench

#endif
