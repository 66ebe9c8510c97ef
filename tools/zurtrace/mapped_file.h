// Read-only mappings of whole input files, for tools that trace inputs of
// any size without copying them, and the standard streams such tools use.
#ifndef ZURTRACE_MAPPED_FILE_H
#define ZURTRACE_MAPPED_FILE_H

#include <cstdint>
#include <string>

namespace zur::platform {

struct MappedFile {
  const unsigned char *data = nullptr;  // null for an empty file
  uint64_t size = 0;
  void *view = nullptr;  // what unmapFile releases
};

// Maps the file at path whole. Returns an empty text, or why the file cannot
// be read ("is a directory", the system's reason, or that it does not fit
// the address space).
std::string mapFile(const char *path, MappedFile &file);

// Maps standard input when it is a regular file; false for a pipe or a
// terminal, which must be read instead. A non-empty error says why a regular
// file could not be mapped.
bool mapStandardInput(MappedFile &file, std::string &error);

void unmapFile(MappedFile &file);

// Puts standard input in binary mode where the system has a text mode.
void setBinaryStandardInput();

// Lets a single-threaded program write standard output without taking its
// lock on every call, where the C library allows it: a trace is written in
// millions of small pieces.
void unlockStandardOutput();

}  // namespace zur::platform

#endif
