#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/crt_files.h"

namespace zur::platform {
namespace {

// tmpnam's names do not fit the store's 16-byte field here, and the linker
// warns against it: mkstemp makes a short name and the file at once, so no
// other process can take the name first. The caller opens it again with
// fopen "w+b".
char *shortTempName(char *name) {
  char pattern[] = "/tmp/ztXXXXXX";
  static_assert(sizeof pattern <= 16);
  int fd = ::mkstemp(pattern);
  if (fd < 0) return nullptr;
  ::close(fd);
  std::memcpy(name, pattern, sizeof pattern);
  return name;
}

long seekTo(int fd, long offset, int origin) {
  return static_cast<long>(::lseek(fd, offset, origin));
}
long tellOf(int fd) { return static_cast<long>(::lseek(fd, 0, SEEK_CUR)); }
int writeTo(int fd, const void *data, unsigned count) {
  return static_cast<int>(::write(fd, data, count));
}
int readFrom(int fd, void *data, unsigned count) {
  return static_cast<int>(::read(fd, data, count));
}
long lengthOf(int fd) {
  struct stat st;
  return ::fstat(fd, &st) == 0 ? static_cast<long>(st.st_size) : -1;
}
int fileNumber(std::FILE *stream) { return ::fileno(stream); }
int removeName(const char *name) { return ::unlink(name); }

}  // namespace

const CrtFiles kSystemCrtFiles{std::tmpfile, shortTempName, std::fopen, std::fclose,
                               fileNumber,   seekTo,        tellOf,     writeTo,
                               readFrom,     lengthOf,      removeName};
CrtFiles crtFiles = kSystemCrtFiles;

}  // namespace zur::platform
