// Test support for trace events: a record built from the fields a test sets,
// traced through a print hook that also keeps every format it is handed.
#ifndef ZURBASE_TESTS_ENCTRACE_TRACE_CAPTURE_H
#define ZURBASE_TESTS_ENCTRACE_TRACE_CAPTURE_H

#include <string>
#include <vector>

#include "zurbase/trace.h"

namespace zurtest {

// A BER tag/length entry: cls 0..3, definite unless indefinite is asked.
TagLen tagLen(unsigned cls, unsigned number, int32_t length, bool definite = true);

// The TraceRec fields a test sets, in the order designated initializers need.
struct Rec {
  uint32_t kind = TRACE_COMPONENT;
  const char *field = nullptr, *label = nullptr, *caption = nullptr;
  int32_t index = 0, noIndex = 0, depth = 0;
  std::vector<TagLen> tags = {};
  bool primitive = false;
  int32_t perItem = 0, perValue = 0, encoded = 0, fragment = -1;
  const char *text = "";
  std::vector<int32_t> eocDepths = {};  // the tags of an EOC event
  int32_t tagCount = -1;                // -1: as many as tags or eocDepths hold
};

// Runs apiTraceEncoding on an Env with the given rules and returns the text
// that reached the print hook.
std::string traceText(const Rec &rec, int32_t rules = 0);

// The formats the print hook saw during the last traceText call.
const std::vector<std::string> &seenFormats();

}  // namespace zurtest

#endif
