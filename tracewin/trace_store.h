// The trace store's process-wide state and its limits, shared by the store
// and the trace window.
#ifndef ZURBASE_TRACEWIN_TRACE_STORE_H
#define ZURBASE_TRACEWIN_TRACE_STORE_H

#include "zurbase/env.h"

namespace zur::tracewin {

// Size of the buffer a line is read back into (apiReadTraceLine's output).
inline constexpr int kLineBufferSize = 1024;
// Length of the blank line the window draws for an empty line.
inline constexpr int kBlankLineLength = 1024;

// The Env most recently passed to apiOpenTraceWindow.
Env *currentTraceEnv();
// The Env whose trace window exists (null when none does): the window's
// calls into the store use it. The window takes the current Env when it is
// created (adoptTraceWindow) and lets it go when destroyed
// (releaseTraceWindow), so a later open on another Env, refused, cannot
// rebind it.
Env *traceWindowEnv();
void adoptTraceWindow(void *wnd);
void releaseTraceWindow();
// kBlankLineLength spaces (not terminated), filled when the trace is opened.
const char *traceBlankLine();
// The trace window's error message box (caption "Error", OK, hand icon),
// owned by the given window.
void showErrorBox(void *owner, const char *text);

}  // namespace zur::tracewin

#endif
