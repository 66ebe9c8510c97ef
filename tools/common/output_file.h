// Files the tools write, named in UTF-8.
#ifndef ZURBASE_TOOLS_COMMON_OUTPUT_FILE_H
#define ZURBASE_TOOLS_COMMON_OUTPUT_FILE_H

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

namespace zur::platform {

// Creates or truncates the file for binary writing; null, with the reason
// in error ("Is a directory", the system's reason), when it cannot.
std::FILE *createOutput(const std::string &name, std::string &error);

// Writes text as the whole file, opened as createOutput opens it; an empty
// answer, or why it cannot be written. zurasn1::Compilation writes the C
// through it.
inline std::string writeWholeFile(const std::string &name, const std::string &text) {
  std::string error;
  std::FILE *file = createOutput(name, error);
  if (file == nullptr) return error;
  const bool written = std::fwrite(text.data(), 1, text.size(), file) == text.size();
  const int code = errno;
  const bool closed = std::fclose(file) == 0;  // what is still buffered fails here
  if (!written) return std::strerror(code);
  return closed ? std::string() : std::strerror(errno);
}

// Makes the directory and the missing ones above it; an empty answer when
// it is there, or why it cannot be made (a file of that name, the system's
// reason, a device name on Windows).
std::string makeDirectories(const std::string &name);

}  // namespace zur::platform

#endif
