// Descriptor-level access to the trace store's files, under the names of the
// Windows C run-time. On POSIX they map to their twins (lseek, write, fstat,
// mkstemp...). Every call goes through one table so that a test can make a
// single operation fail, as a full disk or a missing directory would.
#ifndef ZURBASE_PLATFORM_CRT_FILES_H
#define ZURBASE_PLATFORM_CRT_FILES_H

#include <cstdio>

namespace zur::platform {

struct CrtFiles {
  std::FILE *(*tmpfile)();
  // Writes a fresh temporary file name of at most 15 characters into name,
  // which holds 16; returns name, or null when none can be made.
  char *(*tmpnam)(char *name);
  std::FILE *(*fopen)(const char *name, const char *mode);
  int (*fclose)(std::FILE *stream);
  int (*fileno)(std::FILE *stream);
  long (*lseek)(int fd, long offset, int origin);
  long (*tell)(int fd);
  int (*write)(int fd, const void *data, unsigned count);
  int (*read)(int fd, void *data, unsigned count);
  long (*filelength)(int fd);
  int (*unlink)(const char *name);
};

// The operations in use; the system's own unless a test replaced one.
extern CrtFiles crtFiles;
// The system's own operations.
extern const CrtFiles kSystemCrtFiles;

}  // namespace zur::platform

#endif
