// Sizes and offsets of 64 bits on 32-bit systems too, so that a file too
// large to map is measured and refused, not failed on open.
#define _FILE_OFFSET_BITS 64

#include <fcntl.h>
#ifdef __GLIBC__
#include <stdio_ext.h>
#endif
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

std::string tooLarge(uint64_t size) {
  return std::to_string(size) + " octets do not fit the address space of this " +
         std::to_string(8 * sizeof(void *)) + "-bit program";
}

// Maps the regular file open on fd; fd stays open.
std::string mapDescriptor(int fd, const struct stat &st, MappedFile &file) {
  if (S_ISDIR(st.st_mode)) return "is a directory";
  const auto size = static_cast<uint64_t>(st.st_size);
  if (size > SIZE_MAX) return tooLarge(size);
  file = MappedFile{};
  file.size = size;
  if (size == 0) return {};
  void *view = mmap(nullptr, static_cast<std::size_t>(size), PROT_READ, MAP_PRIVATE, fd, 0);
  if (view == MAP_FAILED) return errno == ENOMEM ? tooLarge(size) : std::strerror(errno);
  // The walk reads front to back once: read ahead, and drop pages behind.
  madvise(view, static_cast<std::size_t>(size), MADV_SEQUENTIAL);
  file.view = view;
  file.data = static_cast<const unsigned char *>(view);
  return {};
}

}  // namespace

std::string mapFile(const char *path, MappedFile &file) {
  const int fd = open(path, O_RDONLY | O_CLOEXEC);
  if (fd < 0) return std::strerror(errno);
  struct stat st;
  std::string error = fstat(fd, &st) != 0 ? std::strerror(errno) : mapDescriptor(fd, st, file);
  close(fd);
  return error;
}

bool mapStandardInput(MappedFile &file, std::string &error) {
  struct stat st;
  if (fstat(STDIN_FILENO, &st) != 0) {
    error = std::strerror(errno);
    return true;
  }
  if (!S_ISREG(st.st_mode)) return false;
  // A file opened for reading and positioned by the caller is traced from
  // its start, as a named file would be.
  error = mapDescriptor(STDIN_FILENO, st, file);
  return true;
}

void unmapFile(MappedFile &file) {
  if (file.view != nullptr) munmap(file.view, static_cast<std::size_t>(file.size));
  file = MappedFile{};
}

void setBinaryStandardInput() {}

void unlockStandardOutput() {
#ifdef __GLIBC__
  __fsetlocking(stdout, FSETLOCKING_BYCALLER);
#endif
}

}  // namespace zur::platform
