// The trace window's class, creation and pump, and its window procedure.
#ifndef ZURBASE_TRACEWIN_TRACE_WINDOW_H
#define ZURBASE_TRACEWIN_TRACE_WINDOW_H

#include "platform/window_system.h"
#include "zurbase/env.h"

namespace zur::tracewin {

inline constexpr const char *kTraceClassName = "TraceWClass";
inline constexpr const char *kTraceWindowTitle = "Trace Info Window";

// Loads the menu "TraceMenu" of the module into *menu, then registers the
// window class; returns the class atom (0 when the class exists already).
ATOM registerTraceClass(HINSTANCE instance, HMENU *menu);
// Creates the trace window and stores it in the current Env's traceWnd;
// 1 on success, 0 otherwise.
int createTraceWindow(HINSTANCE instance, int showState, HMENU menu);
// Lets the window repaint with the Env's store and dispatches what its queue
// holds; never waits. Always 1.
int pumpTraceWindow(Env *env, HWND wnd);
// The same for a window whose store is bound already (during a save).
void repaintAndDispatch(HWND wnd);

LRESULT CALLBACK traceWndProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam);

}  // namespace zur::tracewin

#endif
