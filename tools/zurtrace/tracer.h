// What zurtrace does with one input once it is open: recognise PEM, trace
// every encoding through the library, and report malformed ones.
#ifndef ZURBASE_TOOLS_ZURTRACE_TRACER_H
#define ZURBASE_TOOLS_ZURTRACE_TRACER_H

#include <cstdint>
#include <string>
#include <vector>

#include "mapped_file.h"
#include "zurbase/zurbase.h"

namespace zurtrace {

enum ExitStatus { WELL_FORMED = 0, MALFORMED = 1, UNUSABLE = 2 };

struct Options {
  bool values = true;
  bool hex = false;
  bool offsets = false;
  int32_t maxDepth = 64;
  std::vector<std::string> files;  // UTF-8
  // Names of OBJECT IDENTIFIER values by their contents octets (-m); may be
  // null.
  const char *(*oidName)(void *context, const unsigned char *contents, uint64_t length) = nullptr;
  void *oidContext = nullptr;
};

// One-line complaint on standard error, after what the trace printed so far.
void complain(const std::string &text);

// Whether standard output has failed; then says so on standard error.
bool outputFailed();

// Ends zurtrace with UNUSABLE once standard output has failed: a reader that
// has gone takes no more of the trace.
void stopIfOutputFailed();

class Tracer {
 public:
  Tracer(Env *env, const Options &options) : env_(env), options_(options) {}

  // Traces one input, binary or PEM; returns its exit status. The pages of a
  // mapped input are given back behind the trace as it goes.
  int input(const std::string &name, zur::platform::InputFile &file);

  // Free text through the library's trace, so it goes where the trace goes;
  // any length.
  void text(const std::string &line);

 private:
  int encoding(const std::string &name, const unsigned char *data, uint64_t size,
               zur::platform::InputFile *mapped);

  Env *env_;
  const Options &options_;
  // TraceRec ends in a one-character text; the producer allots the room
  // behind it and writes through the whole event.
  struct {
    TraceRec rec;
    char room[512];
  } event_{};
};

}  // namespace zurtrace

#endif
