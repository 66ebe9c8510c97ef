// A minimal trace window procedure: the window paints nothing and closes
// when asked; its destruction ends the store, as the store expects.
#include "frame/entry_points.h"
#include "tracewin/trace_store.h"
#include "tracewin/trace_window.h"

namespace zur::tracewin {

LRESULT CALLBACK traceWndProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_DESTROY) {
    Env *env = currentTraceEnv();
    env->trace.traceWnd = nullptr;
    apiResetTrace(env);
    return 0;
  }
  return DefWindowProcA(wnd, msg, wParam, lParam);
}

}  // namespace zur::tracewin
