// The compiler's errors and warnings, each at a place in a module file,
// printed as Clang prints them: "file:line:col: error: what", with the notes
// that say how the compiler got there on the lines after it.
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
  struct Note {
    SourcePos pos;
    std::string what;
  };
  struct Entry {
    Severity severity;
    SourcePos pos;
    std::string what;
    std::vector<Note> notes;  // each place once, in the order added
  };

  // Registers a file; SourcePos::file is the index this returns.
  uint32_t addFile(std::string path);
  const std::vector<std::string> &files() const { return files_; }

  void error(SourcePos pos, std::string what);
  void warning(SourcePos pos, std::string what);
  // Adds a note to each error kept since entries() held `since` entries:
  // the place, outside the text an error points into, that led to it.
  void noteErrorsSince(std::size_t since, SourcePos pos, const std::string &what);
  bool hasErrors() const { return errorCount_ != 0; }
  std::size_t errorCount() const { return errorCount_; }

  // The entries kept, in the order reported. Past kMaxErrors errors only
  // the count grows, so that no input floods the output.
  const std::vector<Entry> &entries() const { return entries_; }
  std::string format(const Entry &entry) const;
  // Every entry, one line each (then its notes), ordered by file, line and
  // column, with a last line saying how many errors were not shown, if any;
  // only those of the files from `firstFile` on.
  void print(std::ostream &out, uint32_t firstFile = 0) const;

  static constexpr std::size_t kMaxErrors = 100;

 private:
  static bool samePlace(SourcePos a, SourcePos b) {
    return a.file == b.file && a.line == b.line && a.col == b.col;
  }
  static void addNote(std::vector<Note> &notes, const Note &note);
  std::string line(SourcePos pos, const char *severity, const std::string &what) const;

  std::vector<std::string> files_;
  std::vector<Entry> entries_;
  std::size_t errorCount_ = 0;
};

}  // namespace zurasn1

#endif
