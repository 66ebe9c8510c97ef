// Sizes and offsets of 64 bits on 32-bit systems too, so that a file too
// large to map is measured and refused, not failed on open.
#define _FILE_OFFSET_BITS 64

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdint>
#include <cstring>

#include "mapped_file.h"

namespace zur::platform {
namespace {

// Maps the regular file open on fd; fd stays open.
std::string mapDescriptor(int fd, const struct stat &st, InputFile &file) {
  const auto size = static_cast<uint64_t>(st.st_size);
  if (size > SIZE_MAX) return tooLarge(size);
  file.size = size;
  if (size == 0) return {};
  void *view = mmap(nullptr, static_cast<std::size_t>(size), PROT_READ, MAP_PRIVATE, fd, 0);
  if (view == MAP_FAILED) return errno == ENOMEM ? tooLarge(size) : std::strerror(errno);
  // The walk reads front to back once: read ahead; releaseBefore drops the
  // pages behind.
  madvise(view, static_cast<std::size_t>(size), MADV_SEQUENTIAL);
  file.view = view;
  file.data = static_cast<const unsigned char *>(view);
  return {};
}

std::string readStream(int fd, InputFile &file) {
  return readWhole(file, [fd](unsigned char *buffer, std::size_t room, std::string &error) {
    for (;;) {
      const ssize_t n = read(fd, buffer, room);
      if (n >= 0) return static_cast<int64_t>(n);
      if (errno != EINTR) {
        error = std::strerror(errno);
        return int64_t{-1};
      }
    }
  });
}

std::string openDescriptor(int fd, InputFile &file) {
  struct stat st;
  if (fstat(fd, &st) != 0) return std::strerror(errno);
  if (S_ISDIR(st.st_mode)) return "Is a directory";
  // A regular file opened for reading and positioned by the caller is traced
  // from its start, as a named file would be.
  return S_ISREG(st.st_mode) ? mapDescriptor(fd, st, file) : readStream(fd, file);
}

}  // namespace

std::string openInput(const char *path, InputFile &file) {
  file = InputFile{};
  if (path == nullptr) return openDescriptor(STDIN_FILENO, file);
  const int fd = open(path, O_RDONLY | O_CLOEXEC);
  if (fd < 0) return std::strerror(errno);
  std::string error = openDescriptor(fd, file);
  close(fd);
  return error;
}

void closeInput(InputFile &file) {
  if (file.view != nullptr) munmap(file.view, static_cast<std::size_t>(file.size));
  file = InputFile{};
}

void releaseBefore(InputFile &file, uint64_t offset) {
  if (file.view == nullptr) return;
  static const auto page = static_cast<uint64_t>(sysconf(_SC_PAGESIZE));
  const uint64_t end = offset / page * page;
  if (end > file.released)
    madvise(static_cast<char *>(file.view) + file.released,
            static_cast<std::size_t>(end - file.released), MADV_DONTNEED);
  file.released = end;
}

}  // namespace zur::platform
