// Standard input, output and error as the tools use them.
#ifndef ZURBASE_TOOLS_COMMON_STANDARD_STREAMS_H
#define ZURBASE_TOOLS_COMMON_STANDARD_STREAMS_H

#include <cerrno>
#include <cstdio>
#include <string>

namespace zur::platform {

// The three streams carry octets unchanged (no text mode, so output is the
// same on every system), and standard output gets a full buffer: values and
// traces leave in many small pieces, and a console would otherwise take
// each octet in a call of its own. Whoever writes standard error first
// flushes standard output, to keep the order of what was printed, and
// flushes standard error after it (a console's is buffered on Windows).
void prepareStandardStreams();

// Why standard output did not take what was written, after errno of the
// failed write or flush.
std::string writeFailure(int error);

// Whether standard output has failed to take what was written (a reader
// that has gone, a full disk); then "<prefix>: <reason>" goes to standard
// error. A long output checks as it goes and stops at the first failure, as
// SIGPIPE stops it on Linux, instead of formatting the rest for nothing.
inline bool outputFailed(const char *prefix) {
  if (!std::ferror(stdout)) return false;
  std::fprintf(stderr, "%s: %s\n", prefix, writeFailure(errno).c_str());
  std::fflush(stderr);
  return true;
}

}  // namespace zur::platform

#endif
