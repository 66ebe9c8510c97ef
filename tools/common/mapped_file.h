// The inputs of the tools, files of any size: a regular file is mapped whole
// and read without copying, anything else (a pipe, a device, a terminal) is
// read into memory.
#ifndef ZURBASE_TOOLS_COMMON_MAPPED_FILE_H
#define ZURBASE_TOOLS_COMMON_MAPPED_FILE_H

#include <algorithm>
#include <cstdint>
#include <new>
#include <string>
#include <vector>

namespace zur::platform {

// Most octets read from a stream: it is held whole, and a device such as
// /dev/zero never ends.
inline constexpr uint64_t kStreamLimit = uint64_t{1} << 28;

struct InputFile {
  const unsigned char *data = nullptr;  // null for an empty input
  uint64_t size = 0;
  void *view = nullptr;               // the mapping of a regular file, or null
  uint64_t released = 0;              // the mapped pages before it were given back
  std::vector<unsigned char> octets;  // a stream's octets
};

// Opens the file at path (UTF-8), or standard input for a null path.
// Returns an empty text, or why the input cannot be read ("Is a directory",
// the system's reason, that it does not fit the address space, or that a
// stream is longer than kStreamLimit or than the memory left).
std::string openInput(const char *path, InputFile &file);

void closeInput(InputFile &file);

// The file at path (UTF-8) whole into text, opened as openInput opens it;
// an empty answer, or why it cannot be read. zurasn1::Compilation reads
// module files through it.
inline std::string readWholeFile(const std::string &path, std::string &text) {
  InputFile file;
  const std::string error = openInput(path.c_str(), file);
  if (error.empty()) text.assign(reinterpret_cast<const char *>(file.data), file.size);
  closeInput(file);
  return error;
}

// Gives back the mapped pages before offset, which the reader no longer
// needs, so that memory does not grow with the input; pages from offset on
// may be read again. Nothing for an input that is not mapped.
void releaseBefore(InputFile &file, uint64_t offset);

// The refusal of a stream longer than kStreamLimit.
inline std::string streamTooLong() {
  return "a pipe or device is read whole, up to " + std::to_string(kStreamLimit) +
         " octets, and this one is longer";
}

// The refusal of a stream that outgrew the memory the program could get
// (a 32-bit address space holds few blocks of hundreds of megabytes).
inline std::string streamOutOfMemory(std::size_t read) {
  return "a pipe or device is read whole, and the " + std::to_string(read) +
         " octets read so far leave no memory for the rest";
}

// Reads a stream to its end into file.octets. readSome(buffer, room, error)
// returns the number of octets it read, 0 at the end, or -1 with the reason
// in error.
template <class ReadSome>
std::string readWhole(InputFile &file, ReadSome readSome) {
  std::vector<unsigned char> &out = file.octets;
  std::size_t used = 0;
  out.resize(std::size_t{1} << 16);
  for (;;) {
    if (used == out.size()) {
      if (used > kStreamLimit) return streamTooLong();
      try {
        out.resize(static_cast<std::size_t>(std::min<uint64_t>(2 * uint64_t{used}, kStreamLimit + 1)));
      } catch (const std::bad_alloc &) {
        out = {};
        return streamOutOfMemory(used);
      }
    }
    std::string error;
    const int64_t n = readSome(out.data() + used, out.size() - used, error);
    if (n < 0) return error;
    if (n == 0) break;
    used += static_cast<std::size_t>(n);
  }
  out.resize(used);
  file.data = out.data();
  file.size = used;
  return {};
}

inline std::string tooLarge(uint64_t size) {
  return std::to_string(size) + " octets do not fit the address space of this " +
         std::to_string(8 * sizeof(void *)) + "-bit program";
}

}  // namespace zur::platform

#endif
