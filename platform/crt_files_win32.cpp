#include <cstdio>
#include <cstring>
#include <io.h>

#include "platform/crt_files.h"

namespace zur::platform {
namespace {

// The run-time's name goes into the store's 16-byte field; a longer one
// (some run-times prefix the temporary directory) cannot be kept whole.
char *shortTempName(char *name) {
  const char *made = std::tmpnam(nullptr);
  if (made == nullptr || std::strlen(made) > 15) return nullptr;
  std::strcpy(name, made);
  return name;
}

long tellOf(int fd) { return ::_tell(fd); }
long seekTo(int fd, long offset, int origin) { return ::_lseek(fd, offset, origin); }
int writeTo(int fd, const void *data, unsigned count) { return ::_write(fd, data, count); }
int readFrom(int fd, void *data, unsigned count) { return ::_read(fd, data, count); }
long lengthOf(int fd) { return ::_filelength(fd); }
int fileNumber(std::FILE *stream) { return ::_fileno(stream); }
int removeName(const char *name) { return ::_unlink(name); }

}  // namespace

const CrtFiles kSystemCrtFiles{std::tmpfile, shortTempName, std::fopen, std::fclose, fileNumber,
                               seekTo,       tellOf,        writeTo,    readFrom,    lengthOf,
                               removeName};
CrtFiles crtFiles = kSystemCrtFiles;

}  // namespace zur::platform
