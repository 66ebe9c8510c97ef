// The line printers behind apiTraceEncoding: one BER tag/length line tree or
// one PER field line per component event.
#ifndef ZURBASE_ENCTRACE_TRACE_LINES_H
#define ZURBASE_ENCTRACE_TRACE_LINES_H

#include "zurbase/env.h"
#include "zurbase/trace.h"

namespace zur {

void traceBer(Env *env, const TraceRec *rec);
void tracePer(Env *env, const TraceRec *rec);

// The identifier, or the component number when there is none.
void printComponentName(Env *env, const TraceRec *rec);

// True when the record's component number is shown (and its separators).
inline bool showsIndex(const TraceRec *rec) { return rec->index != 0 && rec->noIndex == 0; }

}  // namespace zur

#endif
