// Demo section: the trace window's store as the print hook's destination.
#include "demo.h"

namespace demo {

int showWindowTrace(const char *saveAs) {
  Env *env = zurcoreCreateEnv(apiTbl);
  if (env == nullptr) return 1;
  int rc = entry<ApiOpenTraceWindowFn>(SLOT_OPEN_TRACE_WINDOW)(env);
  if (rc != 0) {
    std::fprintf(stderr, "demo: apiOpenTraceWindow answered %d\n", rc);
    zurcoreDestroyEnv(env);
    return 1;
  }
  zurcoreSetPrintHook(env, entry<ApiTracePrintFn>(SLOT_TRACE_PRINT));
  printPersonnelRecord(env);

  auto compiled = personnelModule();
  void *decoded = nullptr;
  if (compiled && decodePersonnelRecord(env, *compiled, &decoded) == 0) zurcoreFreeValue(env, decoded);

#ifndef _WIN32
  // No display here: show what the window would.
  heading("the trace store, read back line by line");
  auto readLine = entry<ApiReadTraceLineFn>(SLOT_READ_TRACE_LINE);
  char line[1024];
  for (int32_t i = 0; i < env->trace.lineCount; ++i) {
    if (readLine(env, env->trace.traceWnd, env->trace.tmpFile, line, env->trace.firstBlock, i) < 0)
      return 1;
    std::printf("%4d  %s\n", static_cast<int>(i), line);
  }
#endif
  return actAtWindow(env, saveAs);
}

}  // namespace demo
