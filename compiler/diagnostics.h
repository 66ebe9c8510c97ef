// The compiler's errors and warnings, each at a place in a module file,
// printed as Clang prints them: "file:line:col: error: what".
#ifndef ZURASN1_DIAGNOSTICS_H
#define ZURASN1_DIAGNOSTICS_H

#include <cstddef>
#include <iosfwd>
#include <string>
#include <vector>

#include "compiler/model.h"

namespace zurasn1 {

class Diagnostics {
 public:
  enum class Severity : uint8_t { Error, Warning };
  struct Entry {
    Severity severity;
    SourcePos pos;
    std::string what;
  };

  // Registers a file; SourcePos::file is the index this returns.
  uint32_t addFile(std::string path);
  const std::vector<std::string> &files() const { return files_; }

  void error(SourcePos pos, std::string what);
  void warning(SourcePos pos, std::string what);
  bool hasErrors() const { return errorCount_ != 0; }
  std::size_t errorCount() const { return errorCount_; }

  // The entries kept, in the order reported. Past kMaxErrors errors only
  // the count grows, so that no input floods the output.
  const std::vector<Entry> &entries() const { return entries_; }
  std::string format(const Entry &entry) const;
  // Every entry, one line each, ordered by file, line and column, with a
  // last line saying how many errors were not shown, if any.
  void print(std::ostream &out) const;

  static constexpr std::size_t kMaxErrors = 100;

 private:
  std::vector<std::string> files_;
  std::vector<Entry> entries_;
  std::size_t errorCount_ = 0;
};

}  // namespace zurasn1

#endif
