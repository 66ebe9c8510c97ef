#include <cstdio>
#include <cstring>
#ifdef __GLIBC__
#include <stdio_ext.h>
#endif

#include "standard_streams.h"

namespace zur::platform {

void prepareStandardStreams() {
  static char buffer[1 << 16];
  std::setvbuf(stdout, buffer, _IOFBF, sizeof buffer);
#ifdef __GLIBC__
  // Single-threaded tools need not take the stream's lock on every call.
  __fsetlocking(stdout, FSETLOCKING_BYCALLER);
#endif
}

std::string writeFailure(int error) { return std::strerror(error); }

}  // namespace zur::platform
