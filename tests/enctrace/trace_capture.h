// Test support for trace events: records with room for their inline text,
// and a hook that keeps every format it is handed beside the text.
#ifndef ZURBASE_TESTS_ENCTRACE_TRACE_CAPTURE_H
#define ZURBASE_TESTS_ENCTRACE_TRACE_CAPTURE_H

#include <string>
#include <vector>

#include "tests/support/test_env.h"
#include "zurbase/trace.h"

namespace zurtest {

// A TraceRec followed by room for its extra text.
struct TraceEvent {
  TraceRec rec{};
  char room[128]{};
  void setText(const std::string &text);
};

// A BER tag/length entry: cls 0..3, definite unless indefinite is asked.
TagLen tagLen(unsigned cls, unsigned number, int32_t length, bool definite = true);

// Runs apiTraceEncoding on an Env with the given rules; returns the text.
std::string traceText(const TraceRec &rec, int32_t rules = 0);

// The formats the print hook saw during the last traceText call.
const std::vector<std::string> &seenFormats();

}  // namespace zurtest

#endif
