// The line printers behind apiTraceEncoding: one BER tag/length line tree or
// one PER field line per component event.
#ifndef ZURBASE_ENCTRACE_TRACE_LINES_H
#define ZURBASE_ENCTRACE_TRACE_LINES_H

#include <cstdint>

#include "zurbase/env.h"
#include "zurbase/trace.h"

namespace zur {

void traceBer(Env *env, const TraceRec *rec);
void tracePer(Env *env, const TraceRec *rec);

// The identifier, or the component number when there is none.
void printComponentName(Env *env, const TraceRec *rec);

// The width of the blanks before a line at `depth`, two a level, plus
// `extra`: worked out as a 32-bit word, so a depth no codec reaches wraps as
// it would on the library's first target instead of overflowing.
inline int indentWidth(int32_t depth, int32_t extra = 0) {
  return static_cast<int32_t>(2u * static_cast<uint32_t>(depth) + static_cast<uint32_t>(extra));
}

// True when the record's component number is shown (and its separators).
inline bool showsIndex(const TraceRec *rec) { return rec->index != 0 && rec->noIndex == 0; }

}  // namespace zur

#endif
